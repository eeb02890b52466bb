#include "runtime/text_conversion.h"

#include <windows.h>

#include <cstring>

#include "runtime/wide_string.h"

const wchar_t* Utf8ToWide(const char* p, CVolMem& buffer) {
  const int length = p ? static_cast<int>(std::strlen(p)) : 0;
  const int n = length ? MultiByteToWideChar(CP_UTF8, 0, p, length, nullptr, 0) : 0;
  if (n > 0) {
    wchar_t* units = static_cast<wchar_t*>(buffer.SetSize((static_cast<int64_t>(n) + 1) * 2));
    if (MultiByteToWideChar(CP_UTF8, 0, p, length, units, n) == n) {
      units[n] = 0;
      return units;
    }
  }
  wchar_t* units = static_cast<wchar_t*>(buffer.SetSize(2));
  units[0] = 0;
  return units;
}

const wchar_t* AnsiToWide(const char* p, CVolMem& buffer) {
  if (!p || !*p) return kEmptyText;
  const int length = static_cast<int>(std::strlen(p)) + 1;
  const int n = MultiByteToWideChar(CP_ACP, 0, p, length, nullptr, 0);
  if (n <= 0) return kEmptyText;
  wchar_t* units = static_cast<wchar_t*>(buffer.SetSize(static_cast<int64_t>(n) * 2));
  if (MultiByteToWideChar(CP_ACP, 0, p, length, units, n) != n) return kEmptyText;
  return units;
}
