// WinHttpHandle: the owner of one WinHTTP handle (session, connection or request), closed with
// WinHttpCloseHandle when the owner goes. Move-only. Closing keeps the thread's last error, so a failure
// can still be described after the handles of the failed request were released.
#pragma once

#include <utility>

// WinHTTP handles (HINTERNET) without the platform header, which clashes with the WinINet one.
using WinHttpRawHandle = void*;

class WinHttpHandle {
 public:
  WinHttpHandle() = default;
  explicit WinHttpHandle(WinHttpRawHandle handle) : m_handle(handle) {}
  ~WinHttpHandle() { Close(); }
  WinHttpHandle(WinHttpHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
  WinHttpHandle& operator=(WinHttpHandle&& other) noexcept {
    if (this != &other) {
      Close();
      m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
  }
  WinHttpHandle(const WinHttpHandle&) = delete;
  WinHttpHandle& operator=(const WinHttpHandle&) = delete;

  WinHttpRawHandle Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  // Gives the handle away without closing it.
  WinHttpRawHandle Release() { return std::exchange(m_handle, nullptr); }
  void Close();

 private:
  WinHttpRawHandle m_handle = nullptr;
};
