#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "app/flow_texts.h"

namespace {

std::wstring Text(const CWString& s) {
  return s.GetText();
}

TEST(FlowTexts, SpeedBandsAndUnits) {
  struct Case {
    int64_t bytes;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {0, L"网速：0B/s"},
      {1, L"网速：1B/s"},
      {1024, L"网速：1024B/s"},
      {1025, L"网速：1KB/s"},  // 1.0009... rounds to 1
      {1536, L"网速：1.5KB/s"},
      {1048576, L"网速：1024KB/s"},
      {1048577, L"网速：1MB/s"},
      {1572864, L"网速：1.5MB/s"},
      {1073741824, L"网速：1024MB/s"},
      {1073741825, L"网速：1GB/s"},
      {int64_t{3} << 30 | int64_t{512} << 20, L"网速：3.5GB/s"},
      {1029, L"网速：1KB/s"},  // 1.0048828125: rounded to two decimals, 1 as "%.15G" shows it
      {1034, L"网速：1.01KB/s"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(speedText(c.bytes)), c.expected) << c.bytes;
}

TEST(FlowTexts, StatusLines) {
  EXPECT_EQ(Text(downloadStatusText(2, 3, CWString(L"网速：1KB/s"))), L"正在下载:(2/3) 网速：1KB/s");
  EXPECT_EQ(Text(downloadStatusText(1, 5, CWString())), L"正在下载:(1/5) ");
  EXPECT_EQ(Text(localCheckStatusText(3, 12)), L"开始校验本地文件,请稍侯......(3/12)");
}

TEST(FlowTexts, ExtractionNameCutToFortyUnits) {
  const std::wstring forty(40, L'a');
  struct Case {
    std::wstring name;
    int32_t percent;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"bin\\app.exe", 7, L"正在抽取:bin\\app.exe... 7%"},
      {L"", 0, L"正在抽取:... 0%"},
      {forty, 100, L"正在抽取:" + forty + L"... 100%"},
      {forty + L"bcd", 55, L"正在抽取:" + forty + L"... 55%"},
      {std::wstring(45, L'数'), 9, L"正在抽取:" + std::wstring(40, L'数') + L"... 9%"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(extractionStatusText(CWString(c.name.c_str()), c.percent)), c.expected) << c.name;
  }
}

TEST(FlowTexts, BarPercentDropsFractionsAndKeepsUnknownSizes) {
  struct Case {
    double percent;
    int32_t previous;
    int32_t expected;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {42.75, 0, 42}, {99.99, 0, 99},         {99.9999995, 0, 100}, {100, 0, 100}, {0, 50, 0},
      {inf, 37, 37},  {std::nan(""), 12, 12}, {250, 0, 100},        {-3, 9, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(downloadBarPercent(c.percent, c.previous), c.expected) << c.percent;
}

}  // namespace
