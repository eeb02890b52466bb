// The text dump of a byte buffer: a header, then rows of 16 bytes with their offset, hexadecimal bytes
// and the bytes as characters.
#include "runtime/byte_buffer.h"
#include "runtime/listing_dump.h"
#include "runtime/number_text.h"
#include "runtime/wide_string.h"

void CVolMem::ToText(CWString& out, int limit) const {
  CWString text;
  const int64_t shown = StartListingDump(text, m_size, limit, 1024, L"<字节集> 总共 %d 个字节:",
                                         L"<字节集> 总共 %d 个字节,输出了 %d 个,还有 %d 个未被输出.");
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  for (int64_t row = 0; row < shown; row += 16) {
    const int64_t count = shown - row < 16 ? shown - row : 16;
    wchar_t offset[12];
    text.AddText(L"\r\n[").AddText(UInt32ToHexText(static_cast<uint32_t>(row), offset)).AddText(L"]:");
    for (int64_t i = 0; i < 16; ++i) {
      if (i < count) {
        const uint8_t byte = m_data[row + i];
        const wchar_t hex[4] = {L' ', kDigits[byte >> 4], kDigits[byte & 0xF], 0};
        text.AddText(hex);
      } else {
        text.AddText(L"   ");
      }
    }
    text.AddText(L" | ");
    for (int64_t i = 0; i < count; ++i) {
      const uint8_t byte = m_data[row + i];
      text.AddChar(byte >= 0x20 && byte < 0x7F ? static_cast<wchar_t>(byte) : L'.');
    }
  }
  out.AddText(text.GetText());
}
