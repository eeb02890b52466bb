#include "runtime/date_text.h"

#include <windows.h>
#include <oleauto.h>

#include <cwchar>

#include "runtime/wide_string.h"

namespace {

// Unit characters after year, month, day, hour, minute and second in the Chinese style.
const wchar_t kChineseUnits[] = L"年月日时分秒";
constexpr int kMaxFields = 6;
constexpr int kDateFields = 3;

struct DateLayout {
  const wchar_t* date;
  bool yearFirst;  // else month, day, year
  const wchar_t* hourMinuteSecond;
  const wchar_t* hourMinute;
  const wchar_t* hour;
};

const DateLayout& LayoutOf(DateTextStyle style) {
  static const DateLayout chinese = {L"%d年%d月%d日", true, L"%d时%d分%d秒", L"%d时%d分", L"%d时"};
  static const DateLayout plain = {L"%d/%d/%d", false, L" %d:%d:%d", L" %d:%d", L" %d"};
  return style == DateTextStyle::Chinese ? chinese : plain;
}

bool IsFieldSeparator(wchar_t c, int fieldIndex, DateTextStyle style) {
  if (fieldIndex >= kMaxFields - 1) return false;  // nothing follows the seconds but a final unit
  if (c == L'-' || c == L'.' || c == L'/' || c == L':') return true;
  if (c == L' ' && fieldIndex == kDateFields - 1) return true;
  return style == DateTextStyle::Chinese && c == kChineseUnits[fieldIndex];
}

}  // namespace

void DateToText(double date, DateTextStyle style, CWString& out) {
  out.Clear();
  SYSTEMTIME time = {};
  if (!(date >= kEarliestDate && date <= kLatestDate) || !VariantTimeToSystemTime(date, &time)) return;

  const DateLayout& layout = LayoutOf(style);
  const int year = time.wYear, month = time.wMonth, day = time.wDay;
  if (layout.yearFirst) {
    out.Format(layout.date, year, month, day);
  } else {
    out.Format(layout.date, month, day, year);
  }
  const int hour = time.wHour, minute = time.wMinute, second = time.wSecond;
  wchar_t clock[64] = {};
  if (second != 0) {
    wsprintfW(clock, layout.hourMinuteSecond, hour, minute, second);
  } else if (minute != 0) {
    wsprintfW(clock, layout.hourMinute, hour, minute);
  } else if (hour != 0) {
    wsprintfW(clock, layout.hour, hour);
  }
  out.AddText(clock);
}

double TextToDate(const wchar_t* text, DateTextStyle style) {
  if (!text || !*text) return kEarliestDate;
  int fields[kMaxFields] = {};
  int count = 0;
  const wchar_t* p = text;
  while (count < kMaxFields) {
    if (*p < L'0' || *p > L'9') return kEarliestDate;
    long value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
      value = value * 10 + (*p - L'0');
      if (value > 0xFFFF) return kEarliestDate;  // no calendar field is this large
    }
    fields[count] = static_cast<int>(value);
    if (*p != 0 && IsFieldSeparator(*p, count, style)) ++p;
    ++count;
    if (*p == 0) break;
  }
  if (count == kMaxFields && style == DateTextStyle::Chinese && *p == kChineseUnits[kMaxFields - 1]) ++p;
  if (*p != 0 || count < kDateFields) return kEarliestDate;

  SYSTEMTIME time = {};
  if (LayoutOf(style).yearFirst) {
    time.wYear = static_cast<WORD>(fields[0]);
    time.wMonth = static_cast<WORD>(fields[1]);
    time.wDay = static_cast<WORD>(fields[2]);
  } else {
    time.wMonth = static_cast<WORD>(fields[0]);
    time.wDay = static_cast<WORD>(fields[1]);
    time.wYear = static_cast<WORD>(fields[2]);
  }
  time.wHour = static_cast<WORD>(fields[3]);
  time.wMinute = static_cast<WORD>(fields[4]);
  time.wSecond = static_cast<WORD>(fields[5]);
  double date = 0;
  if (!SystemTimeToVariantTime(&time, &date) || date < kEarliestDate || date > kLatestDate) return kEarliestDate;
  return date;
}
