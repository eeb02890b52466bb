#include "runtime/number_text.h"

#include <cmath>
#include <cstring>
#include <cwchar>

wchar_t* Int64ToText(int64_t value, wchar_t* dst) {
  if (value == INT64_MIN) {
    wcscpy(dst, L"-9223372036854775808");
    return dst;
  }
  wchar_t digits[24];
  int count = 0;
  uint64_t magnitude = value < 0 ? static_cast<uint64_t>(-value) : static_cast<uint64_t>(value);
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  wchar_t* out = dst;
  if (value < 0) *out++ = L'-';
  while (count) *out++ = digits[--count];
  *out = 0;
  return dst;
}

wchar_t* UInt32ToHexText(uint32_t value, wchar_t* dst) {
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  wchar_t digits[12];
  int count = 0;
  do {
    digits[count++] = kDigits[value & 0xF];
    value >>= 4;
  } while (value);
  wchar_t* out = dst;
  while (count) *out++ = digits[--count];
  *out = 0;
  return dst;
}

int64_t HexTextToInt64(const wchar_t* p) {
  if (!p) return 0;
  if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) p += 2;
  uint64_t value = 0;
  for (;; ++p) {
    unsigned digit;
    if (*p >= L'0' && *p <= L'9') digit = *p - L'0';
    else if (*p >= L'a' && *p <= L'f') digit = *p - L'a' + 10;
    else if (*p >= L'A' && *p <= L'F') digit = *p - L'A' + 10;
    else break;
    value = (value << 4) | digit;
  }
  return static_cast<int64_t>(value);
}

int64_t TextToInt64(const wchar_t* p) {
  if (!p) return 0;
  while (*p && *p <= 0x20) ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  // The magnitude is gathered unsigned, so the most negative value (one above INT64_MAX) fits too.
  const uint64_t limit = negative ? uint64_t{INT64_MAX} + 1 : uint64_t{INT64_MAX};
  uint64_t magnitude = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    const unsigned digit = static_cast<unsigned>(*p - L'0');
    if (magnitude > (limit - digit) / 10) return negative ? INT64_MIN : INT64_MAX;
    magnitude = magnitude * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == limit ? INT64_MIN : -static_cast<int64_t>(magnitude);
}

double SnapToInteger(double x) {
  double integer = 0;
  const double fraction = std::modf(x, &integer);
  // The integer part of a value in (-1, 0) is -0: the direction comes from the value itself.
  if (std::fabs(fraction) >= 0.999999) return x >= 0 ? integer + 1 : integer - 1;
  return x;
}

double RoundTo2Decimals(double x) {
  if (x >= -1e-6 && x <= 1e-6) return x;
  const double factor = std::pow(10.0, 2);
  const double m = std::fabs(x) * factor;
  double integer = 0;
  const double fraction = std::modf(m + 1e-6, &integer);
  if (fraction >= 0.5) integer += 1;
  const double result = integer / factor;
  return x < 0 ? -result : result;
}
