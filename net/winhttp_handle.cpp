#include "net/winhttp_handle.h"

#include <windows.h>
#include <winhttp.h>

void WinHttpHandleTraits::Close(Handle handle) {
  WinHttpCloseHandle(handle);
}
