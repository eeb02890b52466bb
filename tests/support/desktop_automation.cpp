#include "support/desktop_automation.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "support/test_environment.h"
#include "support/unix_process.h"

namespace {

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
  return bytes;
}

// An anchored regular expression for xdotool matching `title` literally, in single quotes for the shell.
std::string TitlePattern(const std::wstring& title) {
  std::string pattern = "'^";
  for (char c : Utf8(title)) {
    if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) pattern += '\\';
    if (c == '\'') {
      pattern += "'\\''";
    } else {
      pattern += c;
    }
  }
  return pattern + "$'";
}

// The first window with the title, as a shell variable w (fails the script when none appears in time).
std::string FindWindowCommand(const std::wstring& title, int timeoutSeconds) {
  return "w=$(timeout " + std::to_string(timeoutSeconds) + " xdotool search --sync --name " + TitlePattern(title) +
         " | head -n 1) && [ -n \"$w\" ]";
}

}  // namespace

int RunShellScript(const std::string& script, std::string* output, int timeoutMs) {
  static std::atomic<int> counter{0};
  const std::wstring base = BuildPath(L"test-scratch\\script_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                      std::to_wstring(counter++));
  CreateDirectoryW(BuildPath(L"test-scratch").c_str(), nullptr);
  const std::wstring scriptFile = base + L".sh", outputFile = base + L".out";
  if (!WriteWholeFile(scriptFile, script)) return -1;
  const int status = RunUnixCommand("sh '" + UnixPathFromWindows(scriptFile) + "' > '" +
                                        UnixPathFromWindows(outputFile) + "'",
                                    timeoutMs);
  if (output) *output = ReadWholeFile(outputFile);
  DeleteFileW(scriptFile.c_str());
  DeleteFileW(outputFile.c_str());
  return status;
}

bool TypeKeysIntoWindow(const std::wstring& title, const std::string& keys, int timeoutSeconds) {
  const std::string script = FindWindowCommand(title, timeoutSeconds) +
                             " && xdotool windowfocus --sync \"$w\" && xdotool key " + keys + "\n";
  return RunShellScript(script, nullptr, (timeoutSeconds + 30) * 1000) == 0;
}

bool FindWindowSize(const std::wstring& title, int* width, int* height, int timeoutSeconds) {
  const std::string script = FindWindowCommand(title, timeoutSeconds) + " && xdotool getwindowgeometry --shell \"$w\"\n";
  std::string output;
  if (RunShellScript(script, &output, (timeoutSeconds + 30) * 1000) != 0) return false;
  const size_t w = output.find("WIDTH="), h = output.find("HEIGHT=");
  if (w == std::string::npos || h == std::string::npos) return false;
  *width = std::atoi(output.c_str() + w + 6);
  *height = std::atoi(output.c_str() + h + 7);
  return true;
}
