#include "support/test_environment.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::wstring FromEnvironment(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  if (!value || !*value) return L"";
  std::string narrow;
  for (const wchar_t* p = value; *p; ++p) narrow += static_cast<char>(*p);
  return WindowsPathFromUnix(narrow);
}

std::wstring Join(std::wstring base, const std::wstring& relative) {
  if (relative.empty()) return base;
  std::wstring tail = relative;
  for (auto& c : tail) {
    if (c == L'/') c = L'\\';
  }
  if (tail[0] != L'\\') base += L'\\';
  return base + tail;
}

}  // namespace

std::wstring WindowsPathFromUnix(const std::string& unixPath) {
  std::wstring result = L"Z:";
  for (char c : unixPath) result += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  while (result.size() > 3 && result.back() == L'\\') result.pop_back();
  return result;
}

std::string UnixPathFromWindows(const std::wstring& windowsPath) {
  std::wstring path = windowsPath;
  if (path.size() >= 2 && (path[0] == L'Z' || path[0] == L'z') && path[1] == L':') path = path.substr(2);
  std::string result;
  for (wchar_t c : path) result += c == L'\\' ? '/' : static_cast<char>(c);
  return result;
}

std::wstring SourcePath(const std::wstring& relative) {
  return Join(FromEnvironment(L"TONVEXA_SOURCE_DIR"), relative);
}

std::wstring BuildPath(const std::wstring& relative) {
  return Join(FromEnvironment(L"TONVEXA_BUILD_DIR"), relative);
}

std::wstring ExecutableDirectory() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text = path;
  return text.substr(0, text.find_last_of(L'\\'));
}

ScratchDirectory::ScratchDirectory() {
  static std::atomic<int> counter{0};
  std::wstring root = BuildPath(L"test-scratch");
  if (root == L"\\test-scratch") root = ExecutableDirectory() + L"\\test-scratch";
  CreateDirectoryW(root.c_str(), nullptr);
  std::wstringstream name;
  name << root << L"\\" << GetCurrentProcessId() << L"_" << GetTickCount() << L"_" << counter++;
  m_path = name.str();
  RemoveTree(m_path);
  CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory() {
  RemoveTree(m_path);
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}
