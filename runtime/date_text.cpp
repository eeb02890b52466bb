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

  const int hour = time.wHour, minute = time.wMinute, second = time.wSecond;
  wchar_t clock[64] = {};
  if (style == DateTextStyle::Chinese) {
    out.Format(L"%d年%d月%d日", static_cast<int>(time.wYear), static_cast<int>(time.wMonth),
               static_cast<int>(time.wDay));
    if (second != 0) {
      wsprintfW(clock, L"%d时%d分%d秒", hour, minute, second);
    } else if (minute != 0) {
      wsprintfW(clock, L"%d时%d分", hour, minute);
    } else if (hour != 0) {
      wsprintfW(clock, L"%d时", hour);
    }
  } else {
    out.Format(L"%d/%d/%d", static_cast<int>(time.wMonth), static_cast<int>(time.wDay),
               static_cast<int>(time.wYear));
    if (second != 0) {
      wsprintfW(clock, L" %d:%d:%d", hour, minute, second);
    } else if (minute != 0) {
      wsprintfW(clock, L" %d:%d", hour, minute);
    } else if (hour != 0) {
      wsprintfW(clock, L" %d", hour);
    }
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
  if (style == DateTextStyle::Chinese) {
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
