#include "runtime/text_utilities.h"

#include <cwchar>

#include "runtime/string_array.h"
#include "runtime/wide_string.h"

namespace {

bool UnitsMatch(const wchar_t* a, const wchar_t* b, int64_t n, bool ignoreCase) {
  for (int64_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;
    if (!ignoreCase || _wcsnicmp(a + i, b + i, 1) != 0) return false;
  }
  return true;
}

}  // namespace

const wchar_t* FindText(const wchar_t* text, int64_t textLength, const wchar_t* pattern, int64_t patternLength,
                        bool ignoreCase, bool backward) {
  if (!text || !pattern) return nullptr;
  if (textLength < 0) textLength = static_cast<int64_t>(wcslen(text));
  if (patternLength <= 0 || patternLength > textLength) return nullptr;
  const int64_t last = textLength - patternLength;
  if (backward) {
    for (int64_t i = last; i >= 0; --i) {
      if (UnitsMatch(text + i, pattern, patternLength, ignoreCase)) return text + i;
    }
  } else {
    for (int64_t i = 0; i <= last; ++i) {
      if (UnitsMatch(text + i, pattern, patternLength, ignoreCase)) return text + i;
    }
  }
  return nullptr;
}

int64_t SplitText(const wchar_t* text, const wchar_t* delimiters, bool dropEmpty, CMStringArray& out) {
  out.Clear();
  if (!text) return 0;
  if (!delimiters) delimiters = kEmptyText;
  const wchar_t* p = text;
  while (*p) {
    const wchar_t* start = p;
    while (*p && !wcschr(delimiters, *p)) ++p;
    const wchar_t* end = p;
    while (start < end && *start <= 0x20) ++start;
    while (end > start && end[-1] <= 0x20) --end;
    if (end > start || !dropEmpty) out.Append(start, end - start);
    if (!*p) break;
    ++p;  // past the delimiter
    if (!*p && !dropEmpty) out.Append(nullptr);
  }
  return out.GetCount();
}

void QuoteText(const wchar_t* p, CWString& out) {
  CWString result;
  result.AddChar(L'"');
  for (; p && *p; ++p) {
    const wchar_t unit = *p;
    switch (unit) {
      case 8: result.AddText(L"\\b"); break;
      case 9: result.AddText(L"\\t"); break;
      case 10: result.AddText(L"\\n"); break;
      case 12: result.AddText(L"\\f"); break;
      case 13: result.AddText(L"\\r"); break;
      case L'"': result.AddText(L"\\\""); break;
      case L'\'': result.AddText(L"\\'"); break;
      case L'\\': result.AddText(L"\\\\"); break;
      default:
        if (unit < 0x20) {
          const wchar_t escaped[5] = {L'\\', L'0', static_cast<wchar_t>(L'0' + unit / 8),
                                      static_cast<wchar_t>(L'0' + unit % 8), 0};
          result.AddText(escaped);
        } else {
          result.AddChar(unit);
        }
    }
  }
  result.AddChar(L'"');
  out = result;
}
