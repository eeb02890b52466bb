// ScopedHandle: owns one kernel object handle (thread, process, event, timer, file) and closes it when it
// goes. Null and INVALID_HANDLE_VALUE both mean "no handle". Move-only.
#pragma once

#include <windows.h>

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : m_handle(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : m_handle(other.Take()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Take());
    return *this;
  }

  bool IsValid() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return IsValid(); }
  HANDLE Get() const { return m_handle; }
  // Gives ownership away.
  HANDLE Take() {
    HANDLE handle = m_handle;
    m_handle = nullptr;
    return handle;
  }
  void Reset(HANDLE handle = nullptr) {
    if (IsValid()) CloseHandle(m_handle);
    m_handle = handle;
  }

 private:
  HANDLE m_handle = nullptr;
};
