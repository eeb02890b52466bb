// The wrapper's one failure type. what() is an English description of the cause in UTF-8, naming the file
// or archive item concerned.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace sevenzip {

class ArchiveError : public std::runtime_error {
 public:
  explicit ArchiveError(const std::string& description) : std::runtime_error(description) {}
};

// The system's English text for a Windows error code, without the final period and line break
// ("The system cannot find the file specified"); "Windows error N" when the system has none.
std::string SystemErrorText(DWORD code);

// Text of an HRESULT the library returned: the system text for Windows errors, else its number.
std::string ResultText(HRESULT result);

std::string Utf8FromWide(const std::wstring& text);

// `"name"` for messages.
std::string Quoted(const std::wstring& name);

}  // namespace sevenzip
