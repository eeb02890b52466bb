// Where tests find the source tree, the build tree and scratch space, as Windows paths under Wine.
#pragma once

#include <string>

// "/a/b" -> "Z:\a\b" (Wine maps drive Z: to the Unix root).
std::wstring WindowsPathFromUnix(const std::string& unixPath);
// "Z:\a\b" -> "/a/b"; other drives are returned with backslashes turned into slashes.
std::string UnixPathFromWindows(const std::wstring& windowsPath);

// The repository root and the build folder (from the environment CTest sets), as Windows paths with no
// trailing backslash. `relative` uses backslashes or slashes.
std::wstring SourcePath(const std::wstring& relative = L"");
std::wstring BuildPath(const std::wstring& relative = L"");
// The folder of the running test executable, without a trailing backslash.
std::wstring ExecutableDirectory();

// A fresh empty directory under build/test-scratch, removed with everything in it when the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // The directory, without a trailing backslash.
  const std::wstring& Path() const { return m_path; }
  std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

 private:
  std::wstring m_path;
};

// Writes bytes to a file, replacing it. Returns false on failure.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);
// Deletes a directory tree.
void RemoveTree(const std::wstring& path);
