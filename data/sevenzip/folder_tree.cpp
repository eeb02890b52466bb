#include "data/sevenzip/folder_tree.h"

namespace sevenzip {

namespace {

bool IsFolder(const std::wstring& path) {
  // "C:" alone names the drive's current folder; its root is meant.
  const std::wstring probe = !path.empty() && path.back() == L':' ? path + L"\\" : path;
  const DWORD attributes = GetFileAttributesW(probe.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

DWORD CreateFolderTree(const std::wstring& path) {
  if (CreateDirectoryW(path.c_str(), nullptr)) return 0;
  DWORD error = GetLastError();
  if (error == ERROR_PATH_NOT_FOUND) {
    const size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 0) {
      error = CreateFolderTree(path.substr(0, slash));
      if (error) return error;
      if (CreateDirectoryW(path.c_str(), nullptr)) return 0;
      error = GetLastError();
    }
  }
  if (IsFolder(path)) return 0;
  return error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error;
}

}  // namespace sevenzip
