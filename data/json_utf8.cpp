#include "data/json_utf8.h"

#include <cstdint>

namespace {

bool IsSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDFFF; }
bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

size_t JsonUtf8Capacity(const wchar_t* text, size_t length) {
  size_t n = 0;
  for (size_t i = 0; i < length; ++i) {
    const unsigned unit = static_cast<uint16_t>(text[i]);
    n += unit < 0x80 ? 1 : unit < 0x800 ? 2 : IsSurrogate(unit) ? 4 : 3;
  }
  return n;
}

size_t JsonUtf8FromUtf16(const wchar_t* text, size_t length, char* out) {
  unsigned char* p = reinterpret_cast<unsigned char*>(out);
  size_t i = 0;
  while (i < length) {
    const unsigned unit = static_cast<uint16_t>(text[i]);
    if (unit < 0x80) {
      *p++ = static_cast<unsigned char>(unit);
      i += 1;
    } else if (unit < 0x800) {
      *p++ = static_cast<unsigned char>(0xC0 | (unit >> 6));
      *p++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
      i += 1;
    } else if (!IsSurrogate(unit)) {
      *p++ = static_cast<unsigned char>(0xE0 | (unit >> 12));
      *p++ = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
      *p++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
      i += 1;
    } else {
      if (i + 1 >= length) break;  // a surrogate as the last unit ends the text
      const unsigned next = static_cast<uint16_t>(text[i + 1]);
      if (IsHighSurrogate(unit) && IsLowSurrogate(next)) {
        const uint32_t cp = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
        *p++ = static_cast<unsigned char>(0xF0 | (cp >> 18));
        *p++ = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
        *p++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        *p++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      }
      i += 2;  // a broken pair loses its second unit too
    }
  }
  return static_cast<size_t>(p - reinterpret_cast<unsigned char*>(out));
}
