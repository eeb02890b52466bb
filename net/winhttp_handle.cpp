#include "net/winhttp_handle.h"

#include <windows.h>
#include <winhttp.h>

void WinHttpHandle::Close() {
  if (!m_handle) return;
  const DWORD lastError = GetLastError();
  WinHttpCloseHandle(std::exchange(m_handle, nullptr));
  SetLastError(lastError);
}
