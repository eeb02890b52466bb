#include "data/program_launch.h"

#include <shellapi.h>

#include <cwchar>
#include <vector>

#include "runtime/scoped_handle.h"

namespace {

constexpr DWORD kStartWaitMs = 1000;

// The path up to and including its last backslash; empty without one.
CWString FolderOf(const CWString& path) {
  const wchar_t* slash = std::wcsrchr(path.GetText(), L'\\');
  return slash ? path.Left(slash - path.GetText() + 1) : CWString();
}

}  // namespace

uint32_t runProgram(const CWString& program, const CWString& commandLine, const CWString& currentDirectory,
                    WORD showState) {
  const CWString directory = currentDirectory.IsEmpty() ? FolderOf(program) : currentDirectory;
  // CreateProcessW may write into the command line.
  std::vector<wchar_t> line(commandLine.GetText(), commandLine.GetText() + commandLine.GetLength() + 1);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showState;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.GetText(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.IsEmpty() ? nullptr : directory.GetText(), &startup, &process)) {
    return 0;
  }
  const ScopedHandle thread(process.hThread);
  const ScopedHandle started(process.hProcess);
  WaitForSingleObject(started.Get(), kStartWaitMs);
  return process.dwProcessId;
}

HINSTANCE openInstallDir(const CWString& directory) {
  return ShellExecuteW(nullptr, L"open", directory.GetText(), nullptr, nullptr, SW_SHOWNORMAL);
}
