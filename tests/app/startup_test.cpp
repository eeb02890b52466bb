// The installer executable under Wine and the X server, against a configuration served on its built-in
// address (127.0.0.1:8888, taken under the port's machine-wide lock): its window appears with the served
// start pictures cycling and closing it ends the program with 0; a configuration that is missing, not JSON,
// empty or names an unsafe file is reported and ends it with 2; a binding failure at start-up is reported
// and ends it with -1.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/configuration_url.h"
#include "support/desktop_automation.h"
#include "support/local_server.h"
#include "support/test_environment.h"
#include "ui/picture.h"
#include "ui/png_test_image.h"

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

// The configuration server on the installer's built-in address.
class ServedConfiguration {
 public:
  ServedConfiguration() {
    const std::wstring url = ConfigurationUrl().GetText();
    const std::wstring prefix = L"http://127.0.0.1:8888";
    m_usable = url.compare(0, prefix.size(), prefix) == 0;
    if (!m_usable) return;
    m_path = std::string(url.begin() + static_cast<std::ptrdiff_t>(prefix.size()), url.end());
    LocalServerOptions options;
    options.httpPort = 8888;
    m_server = std::make_unique<LocalServer>(options);
  }
  // False when the installer was built for another host (then these tests are skipped).
  bool Usable() const { return m_usable; }
  LocalServer& Server() { return *m_server; }
  const std::string& Path() const { return m_path; }
  void Serve(int status, const std::string& document) { m_server->SetResponses(m_path, {{status, {}, document}}); }

 private:
  bool m_usable = false;
  std::string m_path;
  std::unique_ptr<LocalServer> m_server;
};

#define REQUIRE_SERVED_CONFIGURATION(served)                                                   \
  if (!(served).Usable()) GTEST_SKIP() << "the installer is built for another configuration host"; \
  ASSERT_TRUE((served).Server().IsRunning()) << (served).Server().Diagnostics()

// The colour in the middle of the installer window's upper half as the X server shows it; 0xFFFFFFFF when
// the window cannot be captured.
COLORREF BackgroundColour() {
  const std::wstring file = BuildPath(L"test-scratch\\startup_capture.png");
  CreateDirectoryW(BuildPath(L"test-scratch").c_str(), nullptr);
  DeleteFileW(file.c_str());
  if (RunShellScript("w=$(xdotool search --name '^TonvexaAI$' | head -n 1) && [ -n \"$w\" ] && import -window \"$w\" '" +
                     UnixPathFromWindows(file) + "'\n") != 0) {
    return 0xFFFFFFFF;
  }
  const std::string bytes = ReadWholeFile(file);
  CVolPicture shot;
  if (!shot.LoadPictureFromMemory(bytes.data(), bytes.size()) || shot.Width() < 300) return 0xFFFFFFFF;
  const uint8_t* p = shot.Row(120) + 300 * (shot.BitsPerPixel() / 8);
  return RGB(p[2], p[1], p[0]);
}

TEST(Startup, ShowsTheInstallerWindowAndEndsWithZeroWhenItIsClosed) {
  ServedConfiguration served;
  REQUIRE_SERVED_CONFIGURATION(served);
  const COLORREF colours[] = {RGB(200, 30, 30), RGB(30, 200, 30), RGB(30, 30, 200)};
  std::string pictures;
  for (int i = 0; i < 3; ++i) {
    const std::string path = "/start" + std::to_string(i) + ".png";
    served.Server().SetResponses(
        path, {{200, {}, png_test::SolidRgb(30, 20, GetRValue(colours[i]), GetGValue(colours[i]), GetBValue(colours[i]))}});
    pictures += std::string(i ? ", " : "") + "\"http://127.0.0.1:8888" + path + "\"";
  }
  served.Serve(200, "{\"背景图片\": {\"初始界面\": [" + pictures + "]}}");

  Program installer(BuildPath(L"TonvexaSetup.exe"));
  ASSERT_TRUE(installer.Started());
  // The window exists while its created event still fetches the configuration; it shows afterwards.
  HWND window = WaitForWindow(installer.Id(), L"VolWindow", L"TonvexaAI");
  ASSERT_NE(window, nullptr);
  for (int waited = 0; !IsWindowVisible(window) && waited < 60000; waited += 50) Sleep(50);
  ASSERT_TRUE(IsWindowVisible(window));
  int width = 0, height = 0;
  ASSERT_TRUE(FindWindowSize(L"TonvexaAI", &width, &height));
  EXPECT_EQ(width, 600);
  EXPECT_EQ(height, 400);

  // The same window as Windows sees it: a runtime form without caption or frame.
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 400);
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0);

  // The served start pictures take turns every 3 seconds: red, green, blue, red.
  std::vector<int> seen;
  for (int waited = 0; waited < 20000 && seen.size() < 4; waited += 500) {
    const COLORREF colour = BackgroundColour();
    for (int i = 0; i < 3; ++i) {
      if (colour == colours[i] && (seen.empty() || seen.back() != i)) seen.push_back(i);
    }
    Sleep(500);
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0}));
  EXPECT_EQ(served.Server().RequestCount(served.Path()), 1);
  EXPECT_EQ(served.Server().RequestCount("/start0.png"), 1);

  ASSERT_TRUE(TypeKeysIntoWindow(L"TonvexaAI", "alt+F4"));
  DWORD code = 1;
  ASSERT_TRUE(installer.WaitForExit(&code));
  EXPECT_EQ(code, 0u);
}

// Shows the installer against `status` and `document`, expects the failure box with `message`, answers it and
// returns the exit code.
DWORD ExitCodeAfterFailure(ServedConfiguration& served, int status, const std::string& document,
                           const std::wstring& message) {
  served.Serve(status, document);
  Program installer(BuildPath(L"TonvexaSetup.exe"));
  EXPECT_TRUE(installer.Started());
  HWND box = WaitForWindow(installer.Id(), L"#32770", L"失败");
  EXPECT_NE(box, nullptr) << document;
  if (!box) return 99;
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  EXPECT_EQ(std::wstring(text), message) << document;
  if (!TypeKeysIntoWindow(L"失败", "Return")) PostMessageW(box, WM_COMMAND, IDOK, 0);
  DWORD code = 99;
  EXPECT_TRUE(installer.WaitForExit(&code));
  return code;
}

TEST(Startup, UnusableConfigurationIsReportedAndEndsWithTwo) {
  ServedConfiguration served;
  REQUIRE_SERVED_CONFIGURATION(served);
  const std::wstring message = L"无法获取配置文件，无法安装软件！";
  EXPECT_EQ(ExitCodeAfterFailure(served, 404, "{}", message), 2u) << "missing";
  EXPECT_EQ(ExitCodeAfterFailure(served, 200, "<html>not JSON</html>", message), 2u) << "not JSON";
  EXPECT_EQ(ExitCodeAfterFailure(served, 200, "", message), 2u) << "empty";
}

TEST(Startup, UnsafeFileNameIsReportedAndEndsWithTwo) {
  ServedConfiguration served;
  REQUIRE_SERVED_CONFIGURATION(served);
  served.Server().SetResponses("/p.png", {{200, {}, png_test::SolidRgb(2, 2, 1, 2, 3)}});
  EXPECT_EQ(ExitCodeAfterFailure(served, 200,
                                 R"({"背景图片": {"初始界面": ["http://127.0.0.1:8888/p.png"]},
                                     "软件下载": [{"名称": "..\\..\\Windows\\x.dll", "地址": "http://127.0.0.1:8888/x"}]})",
                                 L"配置文件中的文件名不安全：..\\..\\Windows\\x.dll"),
            2u);
  EXPECT_EQ(served.Server().RequestCount("/p.png"), 0) << "nothing is fetched after the refusal";
  EXPECT_EQ(served.Server().RequestCount("/x"), 0);
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
