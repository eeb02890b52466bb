// The demo product as the installer starts it: with a hidden show state. Its window must still appear, with
// its own title.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "data/program_launch.h"
#include "support/test_environment.h"

namespace {

constexpr wchar_t kTitle[] = L"TonvexaAI 1.0.0 (demo)";

HWND WaitForWindow(DWORD processId, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, nullptr, kTitle)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == processId && IsWindowVisible(window)) return window;
    }
    Sleep(50);
  }
  return nullptr;
}

TEST(DemoProduct, StartedHiddenLikeTheInstallerDoesItsWindowStillShows) {
  // A copy in a folder of its own, so the folder it shows is one this test chose.
  ScratchDirectory installDir;
  const std::wstring program = installDir / L"TonvexaAI.exe";
  ASSERT_TRUE(CopyFileW(BuildPath(L"demo-release\\product\\TonvexaAI.exe").c_str(), program.c_str(), FALSE));

  const uint32_t processId = runProgram(CWString(program.c_str()), CWString(), CWString());
  ASSERT_NE(processId, 0u);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  ASSERT_NE(process, nullptr);

  HWND window = WaitForWindow(processId, 15000);
  ASSERT_NE(window, nullptr) << "no visible window titled TonvexaAI 1.0.0 (demo)";

  // The installer's own window is titled "TonvexaAI": the demo's title differs from it.
  wchar_t title[128] = {};
  GetWindowTextW(window, title, 128);
  EXPECT_NE(std::wstring(title), L"TonvexaAI");

  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(process, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(process);
}

}  // namespace
