#include "runtime/byte_buffer.h"

#include <cstring>

#include "runtime/serial_stream.h"
#include "runtime/wide_string.h"

CVolMem::CVolMem(CVolMem&& other) noexcept
    : CVolObject(other), m_data(other.m_data), m_capacity(other.m_capacity), m_size(other.m_size),
      m_growthStep(other.m_growthStep) {
  other.m_data = nullptr;
  other.m_capacity = other.m_size = 0;
}

CVolMem& CVolMem::operator=(CVolMem&& other) noexcept {
  if (this == &other) return *this;
  Free(m_data);
  CVolObject::operator=(other);
  m_data = other.m_data;
  m_capacity = other.m_capacity;
  m_size = other.m_size;
  m_growthStep = other.m_growthStep;
  other.m_data = nullptr;
  other.m_capacity = other.m_size = 0;
  return *this;
}

CVolMem::~CVolMem() {
  Free(m_data);
}

bool CVolMem::operator==(const CVolMem& o) const {
  return HeaderEquals(o) && m_size == o.m_size && (m_size == 0 || std::memcmp(m_data, o.m_data, m_size) == 0);
}

void* CVolMem::SetSize(int64_t n) {
  if (n < 0) n = 0;
  if (n == m_size) return m_data;
  if (n == 0) {
    Free(m_data);
    m_data = nullptr;
    m_capacity = 0;
    m_size = 0;
    return nullptr;
  }
  if (!m_data) {
    const int64_t capacity = CapacityFor(n);
    m_data = static_cast<uint8_t*>(AllocOrExit(static_cast<size_t>(capacity)));
    m_capacity = capacity;
  } else if (m_capacity < n || m_capacity - n > EffectiveStep()) {
    const int64_t capacity = CapacityFor(n);
    m_data = static_cast<uint8_t*>(ReallocOrExit(m_data, static_cast<size_t>(capacity)));
    m_capacity = capacity;
  }
  m_size = n;
  return m_data;
}

void CVolMem::AppendBytes(const void* p, int64_t n) {
  if (n <= 0) return;
  const int64_t oldSize = m_size;
  // Small appends that fit the spare capacity are stored without a copy routine.
  if (p && m_data && m_capacity - m_size >= n) {
    uint8_t* dst = m_data + oldSize;
    switch (n) {
      case 1: *dst = *static_cast<const uint8_t*>(p); m_size += 1; return;
      case 2: std::memcpy(dst, p, 2); m_size += 2; return;
      case 4: std::memcpy(dst, p, 4); m_size += 4; return;
      case 8: std::memcpy(dst, p, 8); m_size += 8; return;
      default: break;
    }
  }
  // `p` may point into this buffer: remember its offset before the block moves.
  const bool inside = p && m_data && static_cast<const uint8_t*>(p) >= m_data &&
                      static_cast<const uint8_t*>(p) < m_data + m_capacity;
  const int64_t offset = inside ? static_cast<const uint8_t*>(p) - m_data : 0;
  uint8_t* data = static_cast<uint8_t*>(SetSize(oldSize + n));
  if (!p) {
    std::memset(data + oldSize, 0, static_cast<size_t>(n));
  } else {
    std::memmove(data + oldSize, inside ? data + offset : p, static_cast<size_t>(n));
  }
}

void CVolMem::AppendWText(const wchar_t* p) {
  if (!p || !*p) {
    const wchar_t zero = 0;
    AppendBytes(&zero, sizeof zero);
    return;
  }
  AppendBytes(p, static_cast<int64_t>((wcslen(p) + 1) * sizeof(wchar_t)));
}

void CVolMem::AppendWTextNoNul(const wchar_t* p) {
  if (!p || !*p) return;
  AppendBytes(p, static_cast<int64_t>(wcslen(p) * sizeof(wchar_t)));
}

void CVolMem::AppendBackslash() {
  const wchar_t backslash = L'\\';
  AppendBytes(&backslash, sizeof backslash);
}

void CVolMem::RemoveRange(int64_t pos, int64_t n) {
  if (n <= 0) return;
  if (pos < 0) {
    SetSize(n >= m_size ? 0 : m_size - n);
    return;
  }
  if (pos >= m_size) return;
  const int64_t count = n < m_size - pos ? n : m_size - pos;
  std::memmove(m_data + pos, m_data + pos + count, static_cast<size_t>(m_size - pos - count));
  SetSize(m_size - count);
}

void CVolMem::Assign(const CVolMem& other) {
  if (this == &other) return;
  m_flags = other.m_flags;
  m_value = other.m_value;
  if (other.m_size == 0) {
    SetSize(0);
    return;
  }
  SetSize(other.m_size);
  if (other.m_data) {
    std::memcpy(m_data, other.m_data, static_cast<size_t>(other.m_size));
  } else {
    std::memset(m_data, 0, static_cast<size_t>(other.m_size));
  }
}

CVolMem CVolMem::FromUtf16(const CWString& text) {
  return text.ToUtf8Bytes();
}

void CVolMem::ToHexText(CWString& out) const {
  out.Clear();
  if (m_size == 0) return;
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  CVolMem& buffer = out.MakeWritable();
  wchar_t* units = static_cast<wchar_t*>(buffer.SetSize((m_size * 2 + 1) * 2));
  for (int64_t i = 0; i < m_size; ++i) {
    units[i * 2] = kDigits[m_data[i] >> 4];
    units[i * 2 + 1] = kDigits[m_data[i] & 0xF];
  }
  units[m_size * 2] = 0;
}

void CVolMem::Load(SerialStream& stream) {
  SetSize(0);
  int32_t count = 0;
  if (!stream.ReadInt32(count)) return;
  if (count < 0) {
    stream.SetError(SerialStream::kReadError);
    return;
  }
  if (count == 0) return;
  SetSize(count);
  if (stream.ReadBytes(m_data, count) != count) {
    stream.SetError(SerialStream::kReadError);
    SetSize(0);
  }
}

void CVolMem::Save(SerialStream& stream) const {
  if (!stream.WriteInt32(static_cast<int32_t>(m_size))) return;
  stream.WriteBytes(m_data, m_size);
}
