#include "runtime/serial_stream.h"

#include <cstring>

#include "runtime/block_pool.h"

SerialStream::SerialStream(int64_t bufferSize) : m_bufferSize(bufferSize > 0 ? bufferSize : 0) {
  if (m_bufferSize) m_buffer = static_cast<uint8_t*>(CPoolMem::Instance().AllocOrExit(static_cast<size_t>(m_bufferSize)));
}

SerialStream::~SerialStream() {
  CPoolMem::Instance().Free(m_buffer);
}

bool SerialStream::Flush() {
  if (!m_writing || m_end == 0) return m_error == 0;
  const int64_t used = m_end;
  m_end = 0;
  if (m_error != 0) return false;
  if (!RawWrite(m_buffer, used)) {
    SetError(kWriteError);
    return false;
  }
  return true;
}

bool SerialStream::WriteBytes(const void* data, int64_t n) {
  if (m_error != 0) return false;
  if (n <= 0) return true;
  if (!m_writing) {
    m_writing = true;
    m_position = m_end = 0;
  }
  if (m_buffer && m_bufferSize - m_end >= n) {
    std::memcpy(m_buffer + m_end, data, static_cast<size_t>(n));
    m_end += n;
    m_total += n;
    return true;
  }
  if (!Flush()) return false;
  if (m_buffer && n < m_bufferSize) {
    std::memcpy(m_buffer, data, static_cast<size_t>(n));
    m_end = n;
  } else if (!RawWrite(data, n)) {
    SetError(kWriteError);
    return false;
  }
  m_total += n;
  return true;
}

bool SerialStream::WriteLittleEndian(uint64_t value, int bytes) {
  uint8_t raw[8];
  for (int i = 0; i < bytes; ++i) raw[i] = static_cast<uint8_t>(value >> (8 * i));
  if (!WriteBytes(raw, bytes)) {
    SetError(kWriteError);
    return false;
  }
  return true;
}

int64_t SerialStream::ReadBytes(void* data, int64_t n) {
  if (m_error != 0 || n <= 0) return 0;
  if (m_writing) {
    Flush();
    m_writing = false;
    m_position = m_end = 0;
  }
  uint8_t* out = static_cast<uint8_t*>(data);
  int64_t done = 0;
  // What the buffer still holds comes first.
  const int64_t buffered = m_end - m_position;
  if (buffered > 0) {
    const int64_t take = buffered < n ? buffered : n;
    std::memcpy(out, m_buffer + m_position, static_cast<size_t>(take));
    m_position += take;
    done = take;
  }
  if (done == n) {
    m_total += done;
    return done;
  }
  // Whole buffer multiples go straight to the caller, the tail through a refilled buffer.
  const int64_t remaining = n - done;
  const int64_t target = m_buffer ? done + (remaining - remaining % m_bufferSize) : n;
  while (done < target) {
    const int64_t got = RawRead(out + done, target - done);
    if (got <= 0) break;
    done += got;
  }
  if (m_buffer && done == target && done < n) {
    m_position = m_end = 0;
    while (m_end < m_bufferSize) {
      const int64_t got = RawRead(m_buffer + m_end, m_bufferSize - m_end);
      if (got <= 0) break;
      m_end += got;
    }
    const int64_t take = m_end < n - done ? m_end : n - done;
    std::memcpy(out + done, m_buffer, static_cast<size_t>(take));
    m_position = take;
    done += take;
  }
  m_total += done;
  return done;
}

bool SerialStream::ReadLittleEndian(uint64_t& value, int bytes) {
  uint8_t raw[8] = {};
  if (ReadBytes(raw, bytes) != bytes) {
    SetError(kReadError);
    return false;
  }
  value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(raw[i]) << (8 * i);
  return true;
}

bool SerialStream::ReadInt32(int32_t& value) {
  uint64_t raw = 0;
  if (!ReadLittleEndian(raw, 4)) return false;
  value = static_cast<int32_t>(static_cast<uint32_t>(raw));
  return true;
}

bool SerialStream::ReadInt64(int64_t& value) {
  uint64_t raw = 0;
  if (!ReadLittleEndian(raw, 8)) return false;
  value = static_cast<int64_t>(raw);
  return true;
}

int64_t MemorySerialStream::RawRead(void* data, int64_t n) {
  const int64_t available = m_data.GetSize() - m_readPosition;
  const int64_t take = available < n ? available : n;
  if (take <= 0) return 0;
  std::memcpy(data, m_data.Bytes() + m_readPosition, static_cast<size_t>(take));
  m_readPosition += take;
  return take;
}

bool MemorySerialStream::RawWrite(const void* data, int64_t n) {
  if (m_failWrites) return false;
  m_data.AppendBytes(data, n);
  return true;
}
