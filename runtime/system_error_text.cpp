#include "runtime/system_error_text.h"

std::wstring SystemErrorText(DWORD code, LANGID language) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
      language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length > 0 && buffer) text.assign(buffer, length);
  if (buffer) LocalFree(buffer);
  return text;
}
