// Creating a folder together with its missing parents.
#pragma once

#include <windows.h>

#include <string>

namespace sevenzip {

// Creates `path` and any missing parent folders. Returns 0 when the folder exists afterwards, else the
// Windows error (ERROR_FILE_EXISTS when a file stands where a folder is needed).
DWORD CreateFolderTree(const std::wstring& path);

}  // namespace sevenzip
