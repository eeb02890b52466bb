// The streams the codec library reads archives from and writes extracted items to.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/sevenzip/com_object.h"
#include "data/sevenzip/interfaces.h"
#include "runtime/scoped_handle.h"

namespace sevenzip {

// Reads a file opened for reading (shared with other readers).
class FileInStream : public ComObject<IInStream, IStreamGetSize> {
 public:
  // Null with `error` set when the file cannot be opened.
  static ComPtr<FileInStream> Open(const std::wstring& path, DWORD& error);

  HRESULT STDMETHODCALLTYPE Read(void* data, uint32_t size, uint32_t* processed) override;
  HRESULT STDMETHODCALLTYPE Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) override;
  HRESULT STDMETHODCALLTYPE GetSize(uint64_t* size) override;

 private:
  explicit FileInStream(HANDLE file) : m_file(file) {}

  ScopedHandle m_file;
};

// Reads a block of memory the caller keeps alive and unchanged while the stream exists.
class MemoryInStream : public ComObject<IInStream, IStreamGetSize> {
 public:
  MemoryInStream(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

  HRESULT STDMETHODCALLTYPE Read(void* data, uint32_t size, uint32_t* processed) override;
  HRESULT STDMETHODCALLTYPE Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) override;
  HRESULT STDMETHODCALLTYPE GetSize(uint64_t* size) override;

 private:
  const uint8_t* m_data;
  uint64_t m_size;
  uint64_t m_position = 0;
};

// Writes one extracted file. The file exists from creation on; Finish completes it, Discard removes it.
class FileOutStream : public ComObject<ISequentialOutStream> {
 public:
  // Creates `path`, replacing an existing file (also a read-only one). Null with `error` set on failure.
  static ComPtr<FileOutStream> Create(const std::wstring& path, DWORD& error);

  HRESULT STDMETHODCALLTYPE Write(const void* data, uint32_t size, uint32_t* processed) override;

  // The error of the first failed write, or 0.
  DWORD WriteError() const { return m_writeError; }
  // Sets the modification time (when given) and the archive's attributes, closes the file.
  // Returns 0 or the error of a failed close.
  DWORD Finish(const FILETIME* modified, DWORD attributes);
  // Closes and deletes the file: a partly written item is never left behind.
  void Discard();

 private:
  FileOutStream(HANDLE file, std::wstring path) : m_file(file), m_path(std::move(path)) {}

  ScopedHandle m_file;
  std::wstring m_path;
  DWORD m_writeError = 0;
};

}  // namespace sevenzip
