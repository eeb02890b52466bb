// The installer starts from a downloads folder with administrator rights: a library planted there under
// the name of one of its system libraries must not be loaded. The probe (fixtures/planted_library_probe.cpp)
// starts as the installer does, beside a planted Bcrypt.dll and with that folder as its current directory.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/test_environment.h"

namespace {

std::wstring PlantedFolder() {
  return ExecutableDirectory() + L"\\planted-library";
}

// The probe's exit code, or -1 when it could not be run.
int RunProbe(const std::wstring& arguments) {
  std::wstring command = L"\"" + PlantedFolder() + L"\\planted_library_probe.exe\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, PlantedFolder().c_str(),
                      &startup, &process)) {
    return -1;
  }
  CloseHandle(process.hThread);
  DWORD code = 0;
  const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return ended ? static_cast<int>(code) : -1;
}

TEST(PlantedLibrary, TheInstallersStartUpLoadsTheSystemCopyNotThePlantedOne) {
  // Windows loads the library file it finds first; Wine would prefer its built-in copy of a system library,
  // so the test runs with Wine told to load library files as Windows does (see CMakeLists.txt).
  // The fixture works: without the installer's start-up, the binder's own rule would take the planted copy.
  ASSERT_EQ(RunProbe(L"unprotected"), 1);
  EXPECT_EQ(RunProbe(L""), 0);
}

}  // namespace
