#include "data/sevenzip/streams.h"

#include <algorithm>
#include <cstring>

namespace sevenzip {

namespace {

// The new position of a seek, or false when it would fall before the start.
bool SeekTarget(int64_t offset, uint32_t origin, uint64_t current, uint64_t size, uint64_t& target) {
  int64_t base;
  switch (origin) {
    case STREAM_SEEK_SET:
      base = 0;
      break;
    case STREAM_SEEK_CUR:
      base = static_cast<int64_t>(current);
      break;
    case STREAM_SEEK_END:
      base = static_cast<int64_t>(size);
      break;
    default:
      return false;
  }
  if (offset < 0 && base + offset < 0) return false;
  target = static_cast<uint64_t>(base + offset);
  return true;
}

const HRESULT kNegativeSeek = HRESULT_FROM_WIN32(ERROR_NEGATIVE_SEEK);

}  // namespace

// ---- FileInStream

ComPtr<FileInStream> FileInStream::Open(const std::wstring& path, DWORD& error) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return nullptr;
  }
  error = 0;
  return ComPtr<FileInStream>::Adopt(new FileInStream(file));
}

HRESULT FileInStream::Read(void* data, uint32_t size, uint32_t* processed) {
  DWORD read = 0;
  const BOOL ok = ReadFile(m_file.Get(), data, size, &read, nullptr);
  if (processed) *processed = read;
  return ok ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

HRESULT FileInStream::Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) {
  LARGE_INTEGER distance, position;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(m_file.Get(), distance, &position, origin)) return HRESULT_FROM_WIN32(GetLastError());
  if (newPosition) *newPosition = static_cast<uint64_t>(position.QuadPart);
  return S_OK;
}

HRESULT FileInStream::GetSize(uint64_t* size) {
  LARGE_INTEGER value;
  if (!GetFileSizeEx(m_file.Get(), &value)) return HRESULT_FROM_WIN32(GetLastError());
  *size = static_cast<uint64_t>(value.QuadPart);
  return S_OK;
}

// ---- MemoryInStream

HRESULT MemoryInStream::Read(void* data, uint32_t size, uint32_t* processed) {
  const uint64_t available = m_position < m_size ? m_size - m_position : 0;
  const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(size, available));
  if (count) std::memcpy(data, m_data + m_position, count);
  m_position += count;
  if (processed) *processed = count;
  return S_OK;
}

HRESULT MemoryInStream::Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) {
  uint64_t target;
  if (!SeekTarget(offset, origin, m_position, m_size, target)) {
    return origin <= STREAM_SEEK_END ? kNegativeSeek : STG_E_INVALIDFUNCTION;
  }
  m_position = target;
  if (newPosition) *newPosition = target;
  return S_OK;
}

HRESULT MemoryInStream::GetSize(uint64_t* size) {
  *size = m_size;
  return S_OK;
}

// ---- FileOutStream

ComPtr<FileOutStream> FileOutStream::Create(const std::wstring& path, DWORD& error) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      error = 0;
      return ComPtr<FileOutStream>::Adopt(new FileOutStream(file, path));
    }
    error = GetLastError();
    if (attempt > 0 || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)) break;
    // An existing file is deleted and replaced, not rewritten in place; a read-only mark does not stop it.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      error = ERROR_ALREADY_EXISTS;  // a folder stands there
      break;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if (!DeleteFileW(path.c_str())) {
      error = GetLastError();
      break;
    }
  }
  return nullptr;
}

HRESULT FileOutStream::Write(const void* data, uint32_t size, uint32_t* processed) {
  if (processed) *processed = 0;
  if (!m_file) return E_UNEXPECTED;
  DWORD written = 0;
  DWORD error = 0;
  if (!WriteFile(m_file.Get(), data, size, &written, nullptr)) {
    error = GetLastError();
  } else if (written != size) {
    error = ERROR_DISK_FULL;
  }
  if (processed) *processed = written;
  if (!error) return S_OK;
  if (!m_writeError) m_writeError = error;
  return HRESULT_FROM_WIN32(error);
}

DWORD FileOutStream::Finish(const FILETIME* modified, DWORD attributes) {
  if (!m_file) return ERROR_INVALID_HANDLE;
  if (modified) SetFileTime(m_file.Get(), nullptr, nullptr, modified);
  // Closed here rather than by the owner: a failed close is a failed write.
  const BOOL closed = CloseHandle(m_file.Take());
  if (!closed) return GetLastError();
  // Only the attributes an installed file may carry; "normal" needs no call.
  attributes &= FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (attributes) SetFileAttributesW(m_path.c_str(), attributes);
  return 0;
}

void FileOutStream::Discard() {
  m_file.Reset();
  DeleteFileW(m_path.c_str());
}

}  // namespace sevenzip
