#include "runtime/boxed_scalars.h"

#include <cstring>

#include "runtime/number_text.h"
#include "runtime/serial_stream.h"
#include "runtime/wide_string.h"

void AppendBoxedText(CWString& out, int32_t value) {
  out.AddFormat(L"%d", value);
}

void AppendBoxedText(CWString& out, int64_t value) {
  wchar_t digits[24];
  out.AddText(Int64ToText(value, digits));
}

void AppendBoxedText(CWString& out, wchar_t value) {
  out.AddChar(value);
}

void AppendBoxedText(CWString& out, float value) {
  out.AddFloat(value);
}

void AppendBoxedText(CWString& out, double value) {
  out.AddDouble(value);
}

void SaveBoxedBytes(SerialStream& stream, const void* value, int size) {
  uint64_t raw = 0;
  std::memcpy(&raw, value, static_cast<size_t>(size));
  stream.WriteLittleEndian(raw, size);
}

void LoadBoxedBytes(SerialStream& stream, void* value, int size) {
  uint64_t raw = 0;
  if (!stream.ReadLittleEndian(raw, size)) return;
  std::memcpy(value, &raw, static_cast<size_t>(size));
}
