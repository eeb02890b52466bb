#include "data/sevenzip/archive_error.h"

#include <cstdio>

#include "runtime/system_error_text.h"

namespace sevenzip {

std::string SystemErrorText(DWORD code) {
  std::string text = Utf8FromWide(::SystemErrorText(code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  if (text.empty()) text = "Windows error " + std::to_string(code);
  return text;
}

std::string ResultText(HRESULT result) {
  switch (result) {
    case E_OUTOFMEMORY:
      return "Not enough memory";
    case E_NOTIMPL:
      return "Operation not supported by the codec library";
    default:
      break;
  }
  if (HRESULT_FACILITY(result) == FACILITY_WIN32) return SystemErrorText(HRESULT_CODE(result));
  char text[32];
  std::snprintf(text, sizeof text, "error 0x%08lX", static_cast<unsigned long>(result));
  return text;
}

std::string Utf8FromWide(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string result(size > 0 ? size : 0, '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
  }
  return result;
}

std::string Quoted(const std::wstring& name) {
  return "\"" + Utf8FromWide(name) + "\"";
}

}  // namespace sevenzip
