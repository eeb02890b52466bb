#include <gtest/gtest.h>

#include <string>

#include "runtime/date_text.h"
#include "runtime/wide_string.h"

namespace {

std::wstring ToText(double date, DateTextStyle style) {
  CWString out(L"stale");
  DateToText(date, style, out);
  return out.GetText();
}

constexpr double kSecond = 1.0 / 86400;
constexpr double kMarch15 = 45000;  // 2023-03-15

TEST(DateText, BothStylesWriteTheTimeUpToItsLastNonZeroPart) {
  struct Case {
    double date;
    const wchar_t* chinese;
    const wchar_t* plain;
  };
  const Case cases[] = {
      {kMarch15 + 0.5, L"2023年3月15日12时", L"3/15/2023 12"},
      {kMarch15, L"2023年3月15日", L"3/15/2023"},
      {kMarch15 + 30 * 60 * kSecond, L"2023年3月15日0时30分", L"3/15/2023 0:30"},
      {kMarch15 + (12 * 3600 + 30 * 60 + 15) * kSecond, L"2023年3月15日12时30分15秒", L"3/15/2023 12:30:15"},
      {kMarch15 + 5 * kSecond, L"2023年3月15日0时0分5秒", L"3/15/2023 0:0:5"},
      {0, L"1899年12月30日", L"12/30/1899"},
      {-657434, L"100年1月1日", L"1/1/100"},
      {2958465, L"9999年12月31日", L"12/31/9999"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToText(c.date, DateTextStyle::Chinese), c.chinese) << c.date;
    EXPECT_EQ(ToText(c.date, DateTextStyle::Plain), c.plain) << c.date;
    EXPECT_NEAR(TextToDate(c.chinese, DateTextStyle::Chinese), c.date, 0.5 * kSecond) << c.date;
    EXPECT_NEAR(TextToDate(c.plain, DateTextStyle::Plain), c.date, 0.5 * kSecond) << c.date;
  }
}

TEST(DateText, DatesOutsideTheRangeGiveEmptyText) {
  for (double date : {-657435.0, 2958466.0, 1e300}) {
    EXPECT_EQ(ToText(date, DateTextStyle::Plain), L"") << date;
    EXPECT_EQ(ToText(date, DateTextStyle::Chinese), L"") << date;
  }
}

TEST(DateText, ParsingAcceptsTheOtherSeparators) {
  const double expected = kMarch15 + (12 * 3600 + 30 * 60 + 15) * kSecond;
  struct Case {
    const wchar_t* text;
    DateTextStyle style;
  };
  const Case cases[] = {
      {L"2023-3-15 12:30:15", DateTextStyle::Chinese},
      {L"2023.03.15/12-30.15", DateTextStyle::Chinese},
      {L"2023年3月15日12:30:15秒", DateTextStyle::Chinese},
      {L"3-15-2023 12:30:15", DateTextStyle::Plain},
      {L"3.15.2023:12.30/15", DateTextStyle::Plain},
  };
  for (const Case& c : cases) EXPECT_NEAR(TextToDate(c.text, c.style), expected, 0.5 * kSecond) << c.text;
}

TEST(DateText, UnreadableTextsGiveTheEarliestDate) {
  struct Case {
    const wchar_t* text;
    DateTextStyle style;
  };
  const Case cases[] = {
      {L"", DateTextStyle::Plain},
      {nullptr, DateTextStyle::Chinese},
      {L"3/15", DateTextStyle::Plain},                     // no year
      {L"3/15/2023x", DateTextStyle::Plain},               // text after the fields
      {L"3/15/2023 12:30:15:1", DateTextStyle::Plain},     // a seventh field
      {L"3/15/2023 12:30:15秒", DateTextStyle::Plain},      // units only in the Chinese style
      {L"3月15日2023", DateTextStyle::Plain},
      {L"2023年3月15日12时30分15秒x", DateTextStyle::Chinese},
      {L" 3/15/2023", DateTextStyle::Plain},
      {L"3//15/2023", DateTextStyle::Plain},
      {L"2023年13月1日", DateTextStyle::Chinese},           // no such month
      {L"3/15/99999", DateTextStyle::Plain},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextToDate(c.text, c.style), kEarliestDate) << (c.text ? c.text : L"(null)");
  }
}

}  // namespace
