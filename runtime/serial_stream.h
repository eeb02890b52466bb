// SerialStream: the stream handed to the load and save operations. Little-endian primitives over a
// buffer and two raw operations supplied by a concrete stream. Errors are sticky: once the code is
// non-zero (-3 a short or invalid read, -4 a failed write) every further read and write does nothing.
#pragma once

#include <cstdint>

#include "runtime/byte_buffer.h"

class SerialStream {
 public:
  static constexpr int32_t kReadError = -3;
  static constexpr int32_t kWriteError = -4;

  explicit SerialStream(int64_t bufferSize = 4096);
  virtual ~SerialStream();
  SerialStream(const SerialStream&) = delete;
  SerialStream& operator=(const SerialStream&) = delete;

  int32_t ErrorCode() const { return m_error; }
  bool Good() const { return m_error == 0; }
  // Records the first error only.
  void SetError(int32_t code) {
    if (m_error == 0) m_error = code;
  }
  int64_t TotalBytes() const { return m_total; }

  bool WriteBytes(const void* data, int64_t n);
  bool WriteInt32(int32_t value) { return WriteLittleEndian(static_cast<uint64_t>(static_cast<uint32_t>(value)), 4); }
  bool WriteInt64(int64_t value) { return WriteLittleEndian(static_cast<uint64_t>(value), 8); }
  bool WriteLittleEndian(uint64_t value, int bytes);
  // Writes out what the buffer holds.
  bool Flush();

  // Returns the number of bytes read; a short count leaves the error to the caller.
  int64_t ReadBytes(void* data, int64_t n);
  // These set -3 themselves when the value cannot be read whole.
  bool ReadInt32(int32_t& value);
  bool ReadInt64(int64_t& value);
  bool ReadLittleEndian(uint64_t& value, int bytes);

 protected:
  // Reads up to n bytes from the underlying source; returns the count (0 at the end).
  virtual int64_t RawRead(void* data, int64_t n) = 0;
  // Writes n bytes to the underlying sink.
  virtual bool RawWrite(const void* data, int64_t n) = 0;

 private:
  bool m_writing = false;
  int32_t m_error = 0;
  uint8_t* m_buffer = nullptr;
  int64_t m_bufferSize = 0;
  int64_t m_position = 0;  // next byte in the buffer
  int64_t m_end = 0;       // bytes valid (reading) or used (writing)
  int64_t m_total = 0;
};

// A stream over a byte buffer in memory: writes append to it, reads consume it from the start.
class MemorySerialStream : public SerialStream {
 public:
  MemorySerialStream() = default;
  explicit MemorySerialStream(const CVolMem& source) : m_data(source) {}
  // Flushes and returns everything written so far.
  const CVolMem& Data() {
    Flush();
    return m_data;
  }
  // Makes later writes fail, to exercise the write error.
  void FailWrites() { m_failWrites = true; }

 protected:
  int64_t RawRead(void* data, int64_t n) override;
  bool RawWrite(const void* data, int64_t n) override;

 private:
  CVolMem m_data;
  int64_t m_readPosition = 0;
  bool m_failWrites = false;
};
