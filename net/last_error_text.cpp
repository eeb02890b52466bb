#include "net/last_error_text.h"

#include <windows.h>

#include "runtime/system_error_text.h"

CWString LastErrorText() {
  const DWORD code = GetLastError();
  const std::wstring text = SystemErrorText(code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
  CWString result;
  if (!text.empty()) result.Format(L"错误(%u): %s", static_cast<unsigned>(code), text.c_str());
  return result;
}
