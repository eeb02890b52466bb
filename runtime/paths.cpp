#include "runtime/paths.h"

#include <shlobj.h>

#include <string>
#include <vector>

#include "runtime/lock.h"

namespace {

bool IsAbsolute(const wchar_t* p) {
  return p[0] == L'\\' || (p[0] != 0 && p[1] == L':' && p[2] == L'\\');
}

CWString FromRange(const wchar_t* p, size_t count) {
  CWString result;
  result.SetText(p, static_cast<int64_t>(count));
  return result;
}

CWString FromStd(const std::wstring& text) {
  return FromRange(text.c_str(), text.size());
}

std::wstring ToStd(const CWString& text) {
  return std::wstring(text.GetText(), static_cast<size_t>(text.GetLength()));
}

// The path with one trailing backslash removed, unless that backslash follows a drive colon or is the
// whole path.
std::wstring WithoutTrailingBackslash(std::wstring path) {
  const size_t n = path.size();
  if (n > 1 && path[n - 1] == L'\\' && path[n - 2] != L':') path.pop_back();
  return path;
}

CWString SpecialFolder(int folder) {
  wchar_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, folder, FALSE) || path[0] == 0) return CWString();
  CWString result(path);
  if (result.GetText()[result.GetLength() - 1] != L'\\') result.AddChar(L'\\');
  return result;
}

enum class CreateResult { kCreated, kParentMissing, kFailed };

// One CreateDirectoryW. An existing directory counts as created; an existing file does not.
CreateResult CreateOneDirectory(const std::wstring& path) {
  if (CreateDirectoryW(path.c_str(), nullptr)) return CreateResult::kCreated;
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool isDirectory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return isDirectory ? CreateResult::kCreated : CreateResult::kFailed;
  }
  return error == ERROR_PATH_NOT_FOUND ? CreateResult::kParentMissing : CreateResult::kFailed;
}

bool CreateTree(const std::wstring& original) {
  const std::wstring path = WithoutTrailingBackslash(original);
  // A lone backslash or a drive root needs nothing.
  if (path == L"\\") return true;
  if ((path.size() == 2 || (path.size() == 3 && path[2] == L'\\')) && path[1] == L':') return true;

  switch (CreateOneDirectory(path)) {
    case CreateResult::kCreated: return true;
    case CreateResult::kFailed: return false;
    case CreateResult::kParentMissing: break;
  }
  // The last backslash with something after it separates the parent.
  size_t cut = path.find_last_of(L'\\');
  if (cut != std::wstring::npos && cut + 1 == path.size()) {
    cut = cut == 0 ? std::wstring::npos : path.find_last_of(L'\\', cut - 1);
  }
  if (cut == std::wstring::npos) return false;
  if (!CreateTree(path.substr(0, cut))) return false;
  return CreateOneDirectory(path) == CreateResult::kCreated;
}

}  // namespace

bool IsAbsolutePath(const CWString& path) {
  return IsAbsolute(path.GetText());
}

bool moduleDirectory(HMODULE module, CWString& out) {
  out.Clear();
  // Grows past MAX_PATH so a long path is never cut short.
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD length = 0;
  for (;;) {
    length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return false;
    if (length < buffer.size()) break;
    if (buffer.size() >= 32768) return false;
    buffer.resize(buffer.size() * 2);
  }
  const std::wstring path(buffer.data(), length);
  const size_t slash = path.find_last_of(L'\\');
  out = FromStd(slash == std::wstring::npos ? path : path.substr(0, slash + 1));
  return true;
}

CWString desktopDirectory() {
  return SpecialFolder(CSIDL_DESKTOPDIRECTORY);
}

CWString programFilesX86Directory() {
  return SpecialFolder(CSIDL_PROGRAM_FILESX86);
}

CWString directoryOf(const CWString& path) {
  const wchar_t* text = path.GetText();
  if (!IsAbsolute(text)) return CWString();
  const std::wstring whole = ToStd(path);
  const size_t slash = whole.find_last_of(L'\\');
  if (slash > 0 && whole[slash - 1] == L':') return FromStd(whole.substr(0, slash + 1));
  return FromStd(whole.substr(0, slash));
}

CWString combinePath(const CWString& base, const CWString& relative) {
  if (base.IsEmpty() || base.IsNullObject()) return relative;
  if (relative.IsEmpty() || relative.IsNullObject()) return base;
  if (IsAbsolutePath(relative)) return relative;

  std::wstring path = ToStd(base);
  if (path.back() != L'\\') path += L'\\';
  path.append(relative.GetText(), static_cast<size_t>(relative.GetLength()));

  // "\.\" -> "\"
  for (size_t at = path.find(L"\\.\\"); at != std::wstring::npos; at = path.find(L"\\.\\")) path.erase(at, 2);
  // "\segment\..\" -> "\"
  for (size_t at = path.find(L"\\..\\"); at != std::wstring::npos; at = path.find(L"\\..\\")) {
    if (at == 0) return relative;
    const size_t segmentStart = path.find_last_of(L'\\', at - 1);
    if (segmentStart == std::wstring::npos) return relative;
    path.erase(segmentStart, at + 3 - segmentStart);
  }
  return FromStd(path);
}

bool createDirectoryTree(const CWString& path) {
  if (path.IsEmpty()) return false;
  return CreateTree(ToStd(path));
}

bool pathExists(const CWString& path) {
  if (path.IsEmpty()) return false;
  return GetFileAttributesW(WithoutTrailingBackslash(ToStd(path)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HMODULE LoadLibraryInOwnDirectory(const CWString& path) {
  if (path.IsEmpty()) return nullptr;
  // The current directory is process-wide: two loads on two threads must not change it under each other.
  static Lock currentDirectoryLock;
  LockGuard guard(currentDirectoryLock);
  const CWString directory = directoryOf(path);
  wchar_t previous[MAX_PATH] = {};
  const DWORD previousLength = directory.IsEmpty() ? 0 : GetCurrentDirectoryW(MAX_PATH, previous);
  if (previousLength == 0 || previousLength >= MAX_PATH) return LoadLibraryW(path.GetText());
  if (!SetCurrentDirectoryW(directory.GetText())) return LoadLibraryW(path.GetText());
  HMODULE module = LoadLibraryW(path.GetText());
  const DWORD loadError = GetLastError();
  SetCurrentDirectoryW(previous);
  SetLastError(loadError);
  return module;
}
