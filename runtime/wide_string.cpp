#include "runtime/wide_string.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>

#include <utf8cpp/utf8.h>

#include "runtime/number_text.h"
#include "runtime/serial_stream.h"
#include "runtime/text_conversion.h"

const wchar_t kEmptyText[] = L"";

namespace {

// The C runtime's 64-bit exponents may come with three digits ("1E+020"); the text form keeps two.
void NormaliseExponent(wchar_t* text) {
  wchar_t* e = wcschr(text, L'E');
  if (!e || (e[1] != L'+' && e[1] != L'-')) return;
  wchar_t* digits = e + 2;
  if (wcslen(digits) == 3 && digits[0] == L'0') memmove(digits, digits + 1, 3 * sizeof(wchar_t));
}

// UTF-8 bytes needed for a UTF-16 text: surrogates count 2 each, so a pair counts 4.
int64_t Utf8LengthOfUtf16(const wchar_t* text, int64_t length) {
  int64_t n = 0;
  for (int64_t i = 0; i < length; ++i) {
    const unsigned unit = static_cast<uint16_t>(text[i]);
    if (unit < 0x80) n += 1;
    else if (unit < 0x800 || (unit >= 0xD800 && unit <= 0xDFFF)) n += 2;
    else n += 3;
  }
  return n;
}

// UTF-16 units needed for UTF-8 bytes: one per non-continuation byte, two for four-byte leads.
int64_t Utf16LengthOfUtf8(const uint8_t* bytes, int64_t size) {
  int64_t n = 0;
  for (int64_t i = 0; i < size; ++i) {
    if ((bytes[i] & 0xC0) != 0x80) ++n;
    if (bytes[i] >= 0xF0) ++n;
  }
  return n;
}

}  // namespace

CWString::CWString(const wchar_t* text) : CWString() {
  if (text && *text) SetText(text, static_cast<int64_t>(wcslen(text)));
}

CWString::CWString(int32_t value) : CWString() {
  Format(L"%d", value);
}

CWString::CWString(int64_t value) : CWString() {
  wchar_t digits[24];
  Int64ToText(value, digits);
  AddText(digits);
}

CWString::CWString(double value) : CWString() {
  AddDouble(value);
}

CWString::CWString(const CWString& other) : CVolObject(other), m_constText(other.m_constText) {
  m_buffer.SetGrowthStep(kGrowthStep);
  m_buffer.Assign(other.m_buffer);
}

CWString::CWString(CWString&& other) noexcept
    : CVolObject(other), m_constText(other.m_constText), m_buffer(std::move(other.m_buffer)) {
  m_buffer.SetGrowthStep(kGrowthStep);
  other.m_constText = nullptr;
}

CWString& CWString::operator=(const CWString& other) {
  if (this == &other) return *this;
  CVolObject::operator=(other);
  m_constText = other.m_constText;
  m_buffer.Assign(other.m_buffer);
  return *this;
}

CWString& CWString::operator=(CWString&& other) noexcept {
  if (this == &other) return *this;
  CVolObject::operator=(other);
  m_constText = other.m_constText;
  m_buffer = std::move(other.m_buffer);
  m_buffer.SetGrowthStep(kGrowthStep);
  other.m_constText = nullptr;
  return *this;
}

bool CWString::Assign(const CVolObject& source) {
  return AssignByCopy(*this, source);
}

void CWString::Reset() {
  OnChange();
  ResetHeader();
  Clear();
}

bool CWString::IsEqual(const CVolObject& other) const {
  return IsEqualByValue(*this, other);
}

const wchar_t* CWString::GetText() const {
  if (m_constText) return m_constText;
  if (m_buffer.GetSize() == 0) return kEmptyText;
  return static_cast<const wchar_t*>(m_buffer.GetData());
}

int64_t CWString::GetLength() const {
  if (m_constText) return static_cast<int64_t>(wcslen(m_constText));
  const int64_t size = m_buffer.GetSize();
  return size == 0 ? 0 : size / 2 - 1;
}

bool CWString::IsEmpty() const {
  if (m_constText) return m_constText[0] == 0;
  return m_buffer.GetSize() < 3;
}

CVolMem& CWString::MakeWritable() {
  if (m_constText) {
    const wchar_t* text = m_constText;
    m_constText = nullptr;
    m_buffer.SetSize(0);
    m_buffer.AppendWText(text);
  }
  return m_buffer;
}

CWString& CWString::AddText(const wchar_t* p) {
  if (!p || !*p) return *this;
  MakeWritable();
  const int64_t size = m_buffer.GetSize();
  if (size > 1 && static_cast<const wchar_t*>(m_buffer.GetData())[size / 2 - 1] == 0) m_buffer.SetSize(size - 2);
  m_buffer.AppendWText(p);
  return *this;
}

CWString& CWString::AddChar(wchar_t ch) {
  if (ch == 0) return *this;
  const wchar_t text[2] = {ch, 0};
  return AddText(text);
}

CWString& CWString::AddUtf8(const char* p) {
  CVolMem wide;
  return AddText(Utf8ToWide(p, wide));
}

CWString& CWString::AddDouble(double x) {
  if (x >= -1e-6 && x <= 1e-6) return AddText(L"0");
  wchar_t text[64];
  _snwprintf(text, 63, L"%.15G", x);
  text[63] = 0;
  NormaliseExponent(text);
  return AddText(text);
}

CWString& CWString::AddFloat(float x) {
  if (x >= -1e-6f && x <= 1e-6f) return *this;
  wchar_t text[64];
  _snwprintf(text, 63, L"%.8G", static_cast<double>(x));
  text[63] = 0;
  NormaliseExponent(text);
  return AddText(text);
}

CWString& CWString::FormatV(const wchar_t* format, va_list args) {
  // Formatted into a fresh buffer first: the arguments may point into this string.
  CWString result;
  va_list measure;
  va_copy(measure, args);
  const int r = _vscwprintf(format, measure);
  va_end(measure);
  if (r >= 1) {
    wchar_t* units = static_cast<wchar_t*>(result.m_buffer.SetSize((static_cast<int64_t>(r) + 1) * 2));
    const int r2 = _vsnwprintf(units, static_cast<size_t>(r) + 1, format, args);
    if (r2 > 0) {
      units[r2] = 0;
      result.m_buffer.SetSize((static_cast<int64_t>(r2) + 1) * 2);
    } else {
      result.Clear();
    }
  }
  m_constText = nullptr;
  m_buffer = std::move(result.m_buffer);
  m_buffer.SetGrowthStep(kGrowthStep);
  return *this;
}

CWString& CWString::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
  return *this;
}

CWString& CWString::AddFormat(const wchar_t* format, ...) {
  CWString piece;
  va_list args;
  va_start(args, format);
  piece.FormatV(format, args);
  va_end(args);
  return AddText(piece.GetText());
}

void CWString::SetText(const wchar_t* p, int64_t count) {
  CVolMem units;
  units.SetGrowthStep(kGrowthStep);
  if (count >= 1) {
    wchar_t* dst = static_cast<wchar_t*>(units.SetSize((count + 1) * 2));
    if (p) {
      std::memcpy(dst, p, static_cast<size_t>(count) * 2);
    } else {
      std::memset(dst, 0, static_cast<size_t>(count) * 2);
    }
    dst[count] = 0;
  }
  m_constText = nullptr;
  m_buffer = std::move(units);
  m_buffer.SetGrowthStep(kGrowthStep);
}

void CWString::SetText(const wchar_t* p) {
  SetText(p, p ? static_cast<int64_t>(wcslen(p)) : 0);
}

int64_t CWString::SetLength(int64_t n) {
  const int64_t length = GetLength();
  if (n == length) return -1;
  if (n <= 0) {
    Clear();
    return 0;
  }
  MakeWritable();
  const int64_t oldLength = m_buffer.GetSize() == 0 ? 0 : length;
  wchar_t* units = static_cast<wchar_t*>(m_buffer.SetSize((n + 1) * 2));
  for (int64_t i = oldLength; i < n; ++i) units[i] = L' ';
  units[n] = 0;
  return n;
}

CWString CWString::Left(int64_t n) const {
  CWString result;
  if (n <= 0) return result;
  const int64_t length = GetLength();
  result.SetText(GetText(), n < length ? n : length);
  return result;
}

CWString CWString::Right(int64_t n) const {
  CWString result;
  if (n <= 0) return result;
  const int64_t length = GetLength();
  const int64_t count = n < length ? n : length;
  result.SetText(GetText() + (length - count), count);
  return result;
}

CWString CWString::Concat(const CWString& a, const CWString& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  CWString result;
  result.SetText(a.GetText(), a.GetLength());
  result.AddText(b.GetText());
  return result;
}

CWString CWString::Concat(const CWString& a, const wchar_t* p) {
  if (!p || !*p) return a;
  CWString result;
  result.SetText(a.GetText(), a.GetLength());
  result.AddText(p);
  return result;
}

bool CWString::IsDifferent(const wchar_t* p) const {
  return wcscmp(GetText(), p ? p : kEmptyText) != 0;
}

bool CWString::StartsWithNoCase(const wchar_t* p) const {
  if (!p) return true;
  return _wcsnicmp(GetText(), p, wcslen(p)) == 0;
}

void CWString::Clear() {
  m_constText = nullptr;
  m_buffer.SetSize(0);
}

CVolMem CWString::ToUtf8Bytes() const {
  CVolMem bytes;
  const wchar_t* text = GetText();
  const int64_t length = GetLength();
  const int64_t n = Utf8LengthOfUtf16(text, length);
  if (n == 0) return bytes;
  char* out = static_cast<char*>(bytes.SetSize(n + 1));
  std::memset(out, 0, static_cast<size_t>(n) + 1);
  const uint16_t* units = reinterpret_cast<const uint16_t*>(text);
  int64_t written = 0;
  try {
    written = utf8::utf16to8(units, units + length, out) - out;
  } catch (const utf8::exception&) {
    written = 0;  // an unpaired surrogate: no encoding
  }
  bytes.SetSize(written);
  return bytes;
}

int64_t CWString::FromUtf8Bytes(const CVolMem& bytes) {
  const uint8_t* data = bytes.Bytes();
  const int64_t size = bytes.GetSize();
  const int64_t c = Utf16LengthOfUtf8(data, size);
  Clear();
  if (c == 0) return 0;
  SetLength(c);
  uint16_t* out = reinterpret_cast<uint16_t*>(m_buffer.GetData());
  int64_t written = 0;
  if (utf8::find_invalid(data, data + size) == data + size) {
    written = utf8::unchecked::utf8to16(data, data + size, out) - out;
  }
  if (written != c) {
    if (written <= 0) {
      Clear();
    } else {
      SetLength(written);
    }
  }
  return written;
}

void CWString::ToText(CWString& out, int) const {
  out.AddText(GetText());
}

void CWString::Load(SerialStream& stream) {
  Clear();
  m_buffer.Load(stream);
  const int64_t size = m_buffer.GetSize();
  // A text must be whole units ending in the zero unit.
  if (size != 0 && (size % 2 != 0 || static_cast<const wchar_t*>(m_buffer.GetData())[size / 2 - 1] != 0)) {
    stream.SetError(SerialStream::kReadError);
    Clear();
  }
}

void CWString::Save(SerialStream& stream) const {
  if (m_constText) {
    CWString owned;
    owned.SetText(m_constText);
    owned.m_buffer.Save(stream);
    return;
  }
  m_buffer.Save(stream);
}
