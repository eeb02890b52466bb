#include "support/unix_process.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "support/test_environment.h"

bool StartUnixProcess(const std::wstring& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  // Wine gives no real handles for Unix programs; close whatever came back.
  if (process.hThread && process.hThread != INVALID_HANDLE_VALUE) CloseHandle(process.hThread);
  if (process.hProcess && process.hProcess != INVALID_HANDLE_VALUE) CloseHandle(process.hProcess);
  return true;
}

bool StartUnixShellCommand(const std::string& shellCommand) {
  std::wstring line = L"/bin/sh -c \"";
  for (char c : shellCommand) {
    if (c == '"' || c == '\\') line += L'\\';
    line += static_cast<wchar_t>(static_cast<unsigned char>(c));
  }
  line += L"\"";
  return StartUnixProcess(line);
}

int RunUnixCommand(const std::string& shellCommand, int timeoutMs) {
  static std::atomic<int> counter{0};
  const std::wstring statusFile =
      BuildPath(L"test-scratch\\unix_status_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(counter++));
  CreateDirectoryW(BuildPath(L"test-scratch").c_str(), nullptr);
  DeleteFileW(statusFile.c_str());
  const std::string unixStatus = UnixPathFromWindows(statusFile);
  // The status goes to a temporary name first, so a half-written file is never read.
  std::string script = "(" + shellCommand + ") </dev/null >/dev/null 2>&1; echo $? > '" + unixStatus +
                       ".tmp' && mv '" + unixStatus + ".tmp' '" + unixStatus + "'";
  if (!StartUnixShellCommand(script)) return -1;
  for (int waited = 0; waited < timeoutMs; waited += 20) {
    const std::string status = ReadWholeFile(statusFile);
    if (!status.empty()) {
      DeleteFileW(statusFile.c_str());
      return std::atoi(status.c_str());
    }
    Sleep(20);
  }
  return -1;
}
