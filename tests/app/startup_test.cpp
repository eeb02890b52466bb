// The installer executable under Wine and the X server: its window appears and closing it ends the program
// with 0; a binding failure at start-up is reported and ends it with -1.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/desktop_automation.h"
#include "support/test_environment.h"

namespace {

constexpr wchar_t kRuntimeErrorCaption[] = L"运行时异常";

// A started Windows program; ended by force if a test leaves it running.
class Program {
 public:
  explicit Program(const std::wstring& path) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::vector<wchar_t> line(path.begin(), path.end());
    line.push_back(0);
    m_started = CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &m_process) != FALSE;
  }
  ~Program() {
    if (!m_started) return;
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_process.hProcess, 99);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return m_started; }
  DWORD Id() const { return m_process.dwProcessId; }
  // The exit code, or false when the program is still running after `timeoutMs`.
  bool WaitForExit(DWORD* code, DWORD timeoutMs = 60000) {
    if (WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(m_process.hProcess, code) != FALSE;
  }

 private:
  PROCESS_INFORMATION m_process{};
  bool m_started = false;
};

// A top-level window of process `processId` with the class and title, waiting for it up to `timeoutMs`.
HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* title, DWORD timeoutMs = 60000) {
  struct Search {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
  } search{processId, className, title, nullptr};
  for (DWORD waited = 0;; waited += 50) {
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
          auto* s = reinterpret_cast<Search*>(context);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          wchar_t name[64] = {}, text[64] = {};
          GetClassNameW(window, name, 64);
          GetWindowTextW(window, text, 64);
          if (owner != s->processId || lstrcmpW(name, s->className) != 0) return TRUE;
          if (s->title && lstrcmpW(text, s->title) != 0) return TRUE;
          s->found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found || waited >= timeoutMs) break;
    Sleep(50);
  }
  return search.found;
}

TEST(Startup, ShowsTheInstallerWindowAndEndsWithZeroWhenItIsClosed) {
  Program installer(BuildPath(L"TonvexaSetup.exe"));
  ASSERT_TRUE(installer.Started());
  int width = 0, height = 0;
  ASSERT_TRUE(FindWindowSize(L"TonvexaAI", &width, &height));
  EXPECT_EQ(width, 600);
  EXPECT_EQ(height, 400);

  // The same window as Windows sees it: a runtime form without caption or frame.
  HWND window = WaitForWindow(installer.Id(), L"VolWindow", L"TonvexaAI");
  ASSERT_NE(window, nullptr);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 400);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0);

  ASSERT_TRUE(TypeKeysIntoWindow(L"TonvexaAI", "alt+F4"));
  DWORD code = 1;
  ASSERT_TRUE(installer.WaitForExit(&code));
  EXPECT_EQ(code, 0u);
}

TEST(Startup, AMissingFunctionIsReportedAndEndsWithMinusOne) {
  Program installer(BuildPath(L"tests\\app\\installer_missing_function.exe"));
  ASSERT_TRUE(installer.Started());
  HWND box = WaitForWindow(installer.Id(), L"#32770", kRuntimeErrorCaption);
  ASSERT_NE(box, nullptr);
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  EXPECT_EQ(std::wstring(text),
            L"俘获到异常,代码值为: -1, 描述为: 在外部动态链接库\"Kernel32.dll\"中未找到所需要的输出函数"
            L"\"TonvexaNoSuchFunction\"!");
  // No installer window was opened.
  EXPECT_EQ(WaitForWindow(installer.Id(), L"VolWindow", nullptr, 0), nullptr);

  const bool answered = TypeKeysIntoWindow(kRuntimeErrorCaption, "Return");
  if (!answered) PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(answered);
  DWORD code = 0;
  ASSERT_TRUE(installer.WaitForExit(&code));
  EXPECT_EQ(code, 0xFFFFFFFFu);  // -1
}

}  // namespace
