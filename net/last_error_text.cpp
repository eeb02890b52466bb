#include "net/last_error_text.h"

#include <windows.h>

CWString LastErrorText() {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  CWString result;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
      code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length > 0 && text) result.Format(L"错误(%u): %s", static_cast<unsigned>(code), text);
  if (text) LocalFree(text);
  return result;
}
