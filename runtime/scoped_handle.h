// ScopedOwner: the one owner of an operating-system handle, closed when the owner goes. What counts as "no
// handle" and how a handle is closed come from a traits type, so each kind of handle (kernel object, find
// search, module, GDI object, internet handle) has its owner by one name:
//   ScopedHandle, ScopedFindHandle, ScopedModule, ScopedGdiObject<T> here; WinHttpHandle in net/.
// Move-only. Take() gives ownership away; Reset() closes what is held and holds another handle. Closing
// keeps the thread's last error, so a failure can still be described after its handles went.
#pragma once

#include <windows.h>

#include <utility>

template <typename Traits>
class ScopedOwner {
 public:
  using Handle = typename Traits::Handle;

  ScopedOwner() = default;
  explicit ScopedOwner(Handle handle) : m_handle(handle) {}
  ~ScopedOwner() { Reset(); }
  ScopedOwner(const ScopedOwner&) = delete;
  ScopedOwner& operator=(const ScopedOwner&) = delete;
  ScopedOwner(ScopedOwner&& other) noexcept : m_handle(other.Take()) {}
  ScopedOwner& operator=(ScopedOwner&& other) noexcept {
    if (this != &other) Reset(other.Take());
    return *this;
  }

  bool IsValid() const { return Traits::IsValid(m_handle); }
  explicit operator bool() const { return IsValid(); }
  Handle Get() const { return m_handle; }
  // Gives ownership away.
  Handle Take() { return std::exchange(m_handle, Traits::Null()); }
  // Closes the handle held (unless it is `handle` itself) and holds `handle` instead.
  void Reset(Handle handle = Traits::Null()) {
    if (Traits::IsValid(m_handle) && m_handle != handle) {
      const DWORD lastError = GetLastError();
      Traits::Close(m_handle);
      SetLastError(lastError);
    }
    m_handle = handle;
  }

 private:
  Handle m_handle = Traits::Null();
};

// Kernel objects (thread, process, event, timer, file): null and INVALID_HANDLE_VALUE both mean none.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};
using ScopedHandle = ScopedOwner<KernelHandleTraits>;

// A directory search of FindFirstFileW.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { FindClose(handle); }
};
using ScopedFindHandle = ScopedOwner<FindHandleTraits>;

// A loaded library.
struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static void Close(Handle handle) { FreeLibrary(handle); }
};
using ScopedModule = ScopedOwner<ModuleTraits>;

// A GDI object (bitmap, brush, pen, font, region) of type T.
template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static void Close(Handle handle) { DeleteObject(handle); }
};
template <typename T>
using ScopedGdiObject = ScopedOwner<GdiObjectTraits<T>>;
