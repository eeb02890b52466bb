// Conversions between numbers and UTF-16 text, and the rounding used for displayed figures.
#pragma once

#include <cstdint>

// Decimal digits with a leading '-' for negative values into dst (at least 21 units); returns dst.
wchar_t* Int64ToText(int64_t value, wchar_t* dst);
// Upper-case hexadecimal without leading zeros into dst (at least 9 units); returns dst.
wchar_t* UInt32ToHexText(uint32_t value, wchar_t* dst);
// Skips "0x"/"0X", then reads hexadecimal digits up to the first other unit; no overflow check.
int64_t HexTextToInt64(const wchar_t* p);
// Skips units <= 0x20, takes one sign, reads decimal digits; saturates only values outside the
// 64-bit range.
int64_t TextToInt64(const wchar_t* p);
// Snaps values within 0.000001 of the next integer away from zero onto it.
double SnapToInteger(double x);
// Rounds half up (with a 0.000001 bias) to two decimals, keeping the sign.
double RoundTo2Decimals(double x);
