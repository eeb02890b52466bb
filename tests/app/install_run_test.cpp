// The real installer against a published release served on 127.0.0.1:8888, driven by clicks under the test
// session's X server: what lands on disk, what the server was asked for, the messages and the exit codes.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/exit_codes.h"
#include "runtime/paths.h"
#include "support/desktop_automation.h"
#include "support/test_environment.h"
#include "support/unix_process.h"

namespace {

constexpr wchar_t kToken[] = L"tonvexa";

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

std::string UnixOf(const std::wstring& windowsPath) {
  return Quoted(UnixPathFromWindows(windowsPath));
}

// Waits up to `timeoutMs` for `condition`; its last value.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 120000) {
  for (DWORD waited = 0;; waited += 100) {
    if (condition()) return true;
    if (waited >= timeoutMs) return false;
    Sleep(100);
  }
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Every file below `root` (relative paths, backslashes) with its bytes.
void ReadTree(const std::wstring& root, const std::wstring& relative,
              std::map<std::wstring, std::string>& files) {
  WIN32_FIND_DATAW found;
  const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ReadTree(root, path, files);
    } else {
      files[path] = ReadWholeFile(root + L"\\" + path);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// The request log of tools/serve: the paths answered with `status`, in order.
std::vector<std::string> LoggedPaths(const std::wstring& log, int status = 200) {
  std::vector<std::string> paths;
  const std::string text = ReadWholeFile(log);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const size_t key = line.find("\"path\": \"");
    if (key == std::string::npos) continue;
    const size_t from = key + 9;
    const std::string path = line.substr(from, line.find('"', from) - from);
    if (line.find("\"status\": " + std::to_string(status)) != std::string::npos) paths.push_back(path);
  }
  return paths;
}

std::vector<std::string> PartRequests(const std::wstring& log, int status = 200) {
  std::vector<std::string> parts;
  for (const std::string& path : LoggedPaths(log, status)) {
    if (path.find("/product.z") != std::string::npos) parts.push_back(path.substr(path.rfind('/') + 1));
  }
  std::sort(parts.begin(), parts.end());
  return parts;
}

// This process's id on the Unix side (Wine maps /proc of the calling process), for servers that must not
// outlive the test.
std::string UnixProcessId() {
  const std::string stat = ReadWholeFile(L"Z:\\proc\\self\\stat");
  const size_t space = stat.find(' ');
  return space == std::string::npos || space == 0 ? "$PPID" : stat.substr(0, space);
}

// A published release of the demo product: 4 parts of 1 MiB or less, two downloads at a time.
class Release {
 public:
  explicit Release(const std::string& extraOptions = "") {
    const std::wstring demo = BuildPath(L"demo-release");
    const std::string script = "cd " + UnixOf(SourcePath()) + " && python3 tools/publish " +
                               UnixOf(demo + L"\\product") + " " + UnixOf(m_site.Path()) +
                               " --base-url http://127.0.0.1:8888 --part-size 1m --threads 2"
                               " --run-file TonvexaAI.exe --shortcut TonvexaAI --licence " +
                               UnixOf(demo + L"\\licence.txt") + " --start-image " +
                               UnixOf(demo + L"\\pictures\\slide-1.png") + " --install-image " +
                               UnixOf(demo + L"\\pictures\\slide-2.png") + " " + extraOptions;
    m_published = RunShellScript(script, &m_output, 300000) == 0;
  }

  bool Published() const { return m_published; }
  const std::string& Output() const { return m_output; }
  std::wstring Site() const { return m_site.Path(); }
  std::wstring Document() const { return m_site / (L"down\\" + std::wstring(kToken) + L".json"); }
  std::wstring Part(const std::wstring& name) const {
    return m_site / (L"down\\" + std::wstring(kToken) + L"\\" + name);
  }
  std::vector<std::wstring> PartNames() const {
    return {L"product.z01", L"product.z02", L"product.z03", L"product.zip"};
  }

 private:
  ScratchDirectory m_site;
  std::string m_output;
  bool m_published = false;
};

// tools/serve on port 8888 (holding the port's lock) for the object's lifetime, or the same server with
// parts that stall after 64 KiB.
class Server {
 public:
  explicit Server(const Release& release, const std::vector<std::string>& stalled = {}) {
    const std::wstring portFile = m_control / L"port";
    const std::string pidFile = UnixPathFromWindows(m_control / L"pid");
    std::string command;
    if (stalled.empty()) {
      command = "exec flock /tmp/tonvexa-port-8888.lock python3 " + UnixOf(SourcePath(L"tools\\serve")) +
                " " + UnixOf(release.Site());
    } else {
      command = "exec python3 " + UnixOf(SourcePath(L"tests\\support\\servers\\stalling_site_server.py")) +
                " " + UnixOf(release.Site());
      for (const std::string& name : stalled) command += " --stall " + name;
    }
    // The server also ends with this test process, should the test not get to stop it.
    command += " --log " + UnixOf(Log()) + " --port-file " + UnixOf(portFile) + " --parent-pid " + UnixProcessId();
    StartUnixShellCommand("echo $$ > " + Quoted(pidFile) + "; " + command + " </dev/null >/dev/null 2>&1");
    m_running = WaitFor([&] { return Exists(portFile); }, 300000);
  }
  ~Server() {
    const std::string pid = ReadWholeFile(m_control / L"pid");
    // tools/serve ends with flock, its parent; the stalling server takes the signal itself.
    if (!pid.empty()) RunUnixCommand("kill -TERM " + pid.substr(0, pid.find('\n')));
    WaitFor([&] { return RunUnixCommand("flock -n /tmp/tonvexa-port-8888.lock true") == 0; }, 10000);
  }

  bool Running() const { return m_running; }
  std::wstring Log() const { return m_control / L"requests.jsonl"; }

 private:
  ScratchDirectory m_control;
  bool m_running = false;
};

// The installer process; ended by force if a test leaves it running.
class Installer {
 public:
  explicit Installer(const wchar_t* environment = nullptr) {
    if (environment) SetEnvironmentVariableW(L"TONVEXA_STALL_MS", environment);
    const std::wstring path = BuildPath(L"TonvexaSetup.exe");
    std::vector<wchar_t> line(path.begin(), path.end());
    line.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    m_started = CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &m_process) != FALSE;
    if (environment) SetEnvironmentVariableW(L"TONVEXA_STALL_MS", nullptr);
  }
  ~Installer() {
    if (!m_started) return;
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_process.hProcess, 99);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
  }
  Installer(const Installer&) = delete;
  Installer& operator=(const Installer&) = delete;

  bool Started() const { return m_started; }
  // The exit code, or -2 when the installer still runs after `timeoutMs`.
  long ExitCode(DWORD timeoutMs = 60000) {
    DWORD code = 0;
    if (WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0) return -2;
    GetExitCodeProcess(m_process.hProcess, &code);
    return static_cast<long>(static_cast<int32_t>(code));
  }
  bool Running() { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT; }

  // The installer's window, once it is shown.
  HWND Window(DWORD timeoutMs = 180000) { return TopLevel(L"VolWindow", L"TonvexaAI", timeoutMs); }
  // A message box or dialog of the installer with that caption (any caption for null), or null.
  HWND DialogTitled(const wchar_t* caption, DWORD timeoutMs) {
    return TopLevel(L"#32770", caption, timeoutMs);
  }

  // A left click at (x, y) of the window's client area, through the X server.
  bool Click(int x, int y) {
    HWND window = Window();
    if (!window) return false;
    POINT point{x, y};
    ClientToScreen(window, &point);
    return RunShellScript("xdotool mousemove " + std::to_string(point.x) + " " + std::to_string(point.y) +
                          " click 1") == 0;
  }
  bool ClickButton() { return Click(300, 279); }
  bool ClickLocationLink() { return Click(520, 345); }
  bool ClickClose() { return Click(570, 20); }

 private:
  HWND TopLevel(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
    struct Search {
      DWORD processId;
      const wchar_t* className;
      const wchar_t* title;
      HWND found;
    } search{m_process.dwProcessId, className, title, nullptr};
    WaitFor(
        [&] {
          EnumWindows(
              [](HWND window, LPARAM context) -> BOOL {
                auto* s = reinterpret_cast<Search*>(context);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t name[64] = {}, text[128] = {};
                GetClassNameW(window, name, 64);
                GetWindowTextW(window, text, 128);
                if (owner != s->processId || lstrcmpW(name, s->className)) return TRUE;
                if (s->title && lstrcmpW(text, s->title)) return TRUE;
                if (!IsWindowVisible(window)) return TRUE;
                s->found = window;
                return FALSE;
              },
              reinterpret_cast<LPARAM>(&search));
          return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
  }

  PROCESS_INFORMATION m_process{};
  bool m_started = false;
};

std::wstring SingleBackslashes(std::wstring path) {
  for (size_t at; (at = path.find(L"\\\\")) != std::wstring::npos;) path.erase(at, 1);
  return path;
}

std::wstring MessageText(HWND box) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 1024);
  return text;
}

// The shortcut's target and working directory.
bool ReadShortcut(const std::wstring& link, std::wstring* target, std::wstring* workingDirectory) {
  CoInitialize(nullptr);
  bool read = false;
  IShellLinkW* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&shellLink)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t path[MAX_PATH] = {}, directory[MAX_PATH] = {};
      read = SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
             SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)) &&
             SUCCEEDED(shellLink->GetWorkingDirectory(directory, MAX_PATH));
      *target = path;
      *workingDirectory = directory;
      file->Release();
    }
    shellLink->Release();
  }
  CoUninitialize();
  return read;
}

// A visible top-level window whose title starts with "TonvexaAI " (the demo product's), closed afterwards.
bool ProductWindowShown() {
  HWND found = nullptr;
  WaitFor(
      [&] {
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
              wchar_t text[128] = {};
              GetWindowTextW(window, text, 128);
              if (std::wstring(text).rfind(L"TonvexaAI ", 0) != 0 || !IsWindowVisible(window)) return TRUE;
              *reinterpret_cast<HWND*>(context) = window;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found != nullptr;
      },
      30000);
  if (found) PostMessageW(found, WM_CLOSE, 0, 0);
  return found != nullptr;
}

// Waits for the installer's window and releases its install button.
bool StartInstalling(Installer& installer) {
  if (!installer.Window()) return false;
  Sleep(500);  // the first paint and the configuration
  return installer.ClickButton();
}

class InstallRunTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_release.Published()) << m_release.Output();
    m_installDir = std::wstring(programFilesX86Directory().GetText()) + L"TonVexa";
    m_link = std::wstring(desktopDirectory().GetText()) + L"TonvexaAI.lnk";
    RemoveTree(m_installDir);
    DeleteFileW(m_link.c_str());
  }
  void TearDown() override {
    RemoveTree(m_installDir);
    DeleteFileW(m_link.c_str());
    // The pointer rests on the clicked button otherwise, and the next window of the session opens under it.
    RunShellScript("xdotool mousemove 0 0");
  }

  std::wstring Installed(const std::wstring& name) const { return m_installDir + L"\\" + name; }
  bool AnyPartOnDisk() const {
    for (const std::wstring& name : m_release.PartNames()) {
      if (Exists(Installed(name))) return true;
    }
    return false;
  }
  // Installed: the product's files are there and the parts are gone.
  bool InstallationComplete() const { return Exists(Installed(L"TonvexaAI.exe")) && !AnyPartOnDisk(); }

  // The folder holds the demo product's files, byte for byte, and nothing else.
  void ExpectInstalledProduct(const std::wstring& folder) {
    std::map<std::wstring, std::string> product, installed;
    ReadTree(BuildPath(L"demo-release\\product"), L"", product);
    ReadTree(folder, L"", installed);
    ASSERT_GT(product.size(), 3u);
    EXPECT_EQ(installed.size(), product.size());
    for (const auto& [path, bytes] : product) {
      auto it = installed.find(path);
      ASSERT_NE(it, installed.end()) << path;
      EXPECT_TRUE(it->second == bytes) << path;
    }
  }

  // Clicks the launch button until the installer ends; its exit code.
  long Launch(Installer& installer) {
    for (int i = 0; i < 30 && installer.Running(); ++i) {
      installer.ClickButton();
      if (!installer.Running()) break;
      Sleep(1000);
    }
    return installer.ExitCode();
  }

  Release m_release;
  std::wstring m_installDir;
  std::wstring m_link;
};

TEST_F(InstallRunTest, InstallsTheDemoProductIntoTheDefaultFolderAndLaunchesIt) {
  Server server(m_release);
  ASSERT_TRUE(server.Running());
  Installer installer;
  ASSERT_TRUE(installer.Started());
  ASSERT_TRUE(StartInstalling(installer));
  ASSERT_TRUE(WaitFor([&] { return InstallationComplete(); })) << "not installed";

  ExpectInstalledProduct(m_installDir);
  std::wstring target, directory;
  ASSERT_TRUE(ReadShortcut(m_link, &target, &directory));
  EXPECT_EQ(target, Installed(L"TonvexaAI.exe"));
  // The default folder is the program files folder + "\TonVexa\", a doubled backslash the shell accepts.
  EXPECT_EQ(SingleBackslashes(directory), m_installDir);

  EXPECT_EQ(Launch(installer), kExitInstalled);
  EXPECT_TRUE(ProductWindowShown()) << "the product's window is not visible";
  EXPECT_FALSE(AnyPartOnDisk());
  // Each part was fetched once.
  EXPECT_EQ(PartRequests(server.Log()),
            (std::vector<std::string>{"product.z01", "product.z02", "product.z03", "product.zip"}));
}

TEST_F(InstallRunTest, ASecondRunAfterClosingMidDownloadFetchesOnlyWhatIsMissing) {
  {
    Server stalling(m_release, {"product.z02"});
    ASSERT_TRUE(stalling.Running());
    Installer first;
    ASSERT_TRUE(StartInstalling(first));
    ASSERT_TRUE(WaitFor([&] { return PartRequests(stalling.Log()).size() == 3; }))
        << "three parts did not arrive";
    Sleep(1500);
    ASSERT_TRUE(first.ClickClose());
    EXPECT_EQ(first.ExitCode(), kExitInstalled);
    EXPECT_EQ(PartRequests(stalling.Log()),
              (std::vector<std::string>{"product.z01", "product.z03", "product.zip"}));
  }
  ASSERT_TRUE(Exists(Installed(L"product.z01")));

  Server server(m_release);
  ASSERT_TRUE(server.Running());
  Installer second;
  ASSERT_TRUE(StartInstalling(second));
  ASSERT_TRUE(WaitFor([&] { return InstallationComplete(); }));
  ExpectInstalledProduct(m_installDir);
  EXPECT_EQ(Launch(second), kExitInstalled);
  ProductWindowShown();
  EXPECT_EQ(PartRequests(server.Log()), std::vector<std::string>{"product.z02"});
}

TEST_F(InstallRunTest, AFolderChosenInTheFolderBrowserIsUsed) {
  // The browser's top item is the desktop: the product goes to Desktop\Tonvexa\.
  const std::wstring chosen = std::wstring(desktopDirectory().GetText()) + L"Tonvexa";
  RemoveTree(chosen);
  Server server(m_release);
  ASSERT_TRUE(server.Running());
  Installer installer;
  ASSERT_TRUE(installer.Window());
  Sleep(500);
  ASSERT_TRUE(installer.ClickLocationLink());
  HWND browser = installer.DialogTitled(nullptr, 30000);  // its caption follows the system's language
  ASSERT_TRUE(browser);
  HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
  ASSERT_TRUE(tree);
  const LPARAM top = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
  ASSERT_TRUE(top);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, top);
  PostMessageW(browser, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return Exists(chosen); }, 30000)) << "the chosen folder was not made";
  ASSERT_TRUE(installer.ClickButton());
  ASSERT_TRUE(
      WaitFor([&] { return Exists(chosen + L"\\TonvexaAI.exe") && !Exists(chosen + L"\\product.zip"); }));
  EXPECT_FALSE(Exists(m_installDir));
  ExpectInstalledProduct(chosen);
  std::wstring target, directory;
  ASSERT_TRUE(ReadShortcut(m_link, &target, &directory));
  EXPECT_EQ(target, chosen + L"\\TonvexaAI.exe");
  EXPECT_EQ(Launch(installer), kExitInstalled);
  ProductWindowShown();
  RemoveTree(chosen);
}

// A part that cannot be downloaded is tried three times, then the user decides; Cancel ends with 3 and keeps
// the parts that arrived.
TEST_F(InstallRunTest, AMissingPartIsTriedThreeTimesThenTheUserCancels) {
  ASSERT_TRUE(DeleteFileW(m_release.Part(L"product.z03").c_str()));
  Server server(m_release);
  ASSERT_TRUE(server.Running());
  Installer installer;
  ASSERT_TRUE(StartInstalling(installer));
  HWND box = installer.DialogTitled(L"失败", 120000);
  ASSERT_TRUE(box);
  EXPECT_EQ(MessageText(box), L"下载失败：product.z03\r\n请检查网络连接后重试。");
  EXPECT_EQ(LoggedPaths(server.Log(), 404).size(), 3u);
  PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(installer.ExitCode(), kExitDownload);
  EXPECT_TRUE(Exists(Installed(L"product.z01")));
  EXPECT_TRUE(Exists(Installed(L"product.zip")));
}

// A transfer that receives nothing for the stall time counts as a failed try; Retry gives three new tries.
TEST_F(InstallRunTest, AStalledDownloadIsAbortedAndRetriedAfterTheUsersRetry) {
  Server server(m_release, {"product.z01"});
  ASSERT_TRUE(server.Running());
  Installer installer(L"2000");
  ASSERT_TRUE(StartInstalling(installer));
  HWND box = installer.DialogTitled(L"失败", 120000);
  ASSERT_TRUE(box);
  EXPECT_EQ(MessageText(box), L"下载失败：product.z01\r\n请检查网络连接后重试。");
  PostMessageW(box, WM_COMMAND, IDRETRY, 0);
  Sleep(1000);
  box = installer.DialogTitled(L"失败", 120000);
  ASSERT_TRUE(box) << "no second question after three more stalls";
  PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(installer.ExitCode(), kExitDownload);
}

// A digest written in lower case never matches: after two re-fetches the installation fails with 4 and the
// damaged file is deleted.
TEST_F(InstallRunTest, APartThatNeverMatchesItsDigestEndsWithFour) {
  std::string document = ReadWholeFile(m_release.Document());
  const std::string key = "\"MD5\": \"";
  const size_t at = document.find(key);
  ASSERT_NE(at, std::string::npos);
  for (size_t i = at + key.size(); i < at + key.size() + 32; ++i) {
    document[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(document[i])));
  }
  ASSERT_TRUE(WriteWholeFile(m_release.Document(), document));
  Server server(m_release);
  ASSERT_TRUE(server.Running());
  Installer installer;
  ASSERT_TRUE(StartInstalling(installer));
  HWND box = installer.DialogTitled(L"失败", 180000);
  ASSERT_TRUE(box);
  EXPECT_EQ(MessageText(box), L"文件校验失败：product.z01");
  EXPECT_FALSE(Exists(Installed(L"product.z01")));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(installer.ExitCode(), kExitDigest);
  // Downloaded, then fetched again twice.
  const auto parts = PartRequests(server.Log());
  EXPECT_GE(std::count(parts.begin(), parts.end(), "product.z01"), 3) << ReadWholeFile(server.Log());
}

}  // namespace
