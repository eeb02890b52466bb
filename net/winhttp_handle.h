// WinHttpHandle: the owner of one WinHTTP handle (session, connection or request), closed with
// WinHttpCloseHandle when the owner goes (keeping the thread's last error, so a failure can still be
// described after the handles of the failed request were released). Move-only; Reset() closes early.
#pragma once

#include "runtime/scoped_handle.h"

// WinHTTP handles (HINTERNET) without the platform header, which clashes with the WinINet one.
using WinHttpRawHandle = void*;

struct WinHttpHandleTraits {
  using Handle = WinHttpRawHandle;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static void Close(Handle handle);
};
using WinHttpHandle = ScopedOwner<WinHttpHandleTraits>;
