// The installer window as a user meets it: a real InstallerForm under the test session's X server, its
// configuration served by the local test server, driven with real mouse input (xdotool) and checked by
// pixels of captures of the window, by the state it keeps and by the message boxes it shows. Captures stay
// in build/test-artifacts/installer_window_*.png.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/exit_codes.h"
#include "app/installer_form.h"
#include "resources/resource_ids.h"
#include "support/local_server.h"
#include "support/message_pump.h"
#include "support/test_environment.h"
#include "support/ui_test_app.h"
#include "ui/png_test_image.h"

namespace {

constexpr COLORREF kRed = RGB(200, 30, 30);
constexpr COLORREF kGreen = RGB(30, 200, 30);
constexpr COLORREF kBlue = RGB(30, 30, 200);
constexpr COLORREF kYellow = RGB(220, 220, 20);

// A small PNG of one colour; the window stretches it over its whole surface.
std::string SolidPng(COLORREF color) {
  return png_test::SolidRgb(30, 20, GetRValue(color), GetGValue(color), GetBValue(color));
}

// The installer window with the process end and the folder browser observed instead of carried out.
class ObservedInstallerForm : public InstallerForm {
 public:
  using InstallerForm::InstallerForm;
  std::vector<UINT> exitCodes;
  std::vector<std::wstring> browseTitles;
  std::wstring browseAnswer;

 protected:
  void endProcess(UINT code) override { exitCodes.push_back(code); }
  CWString browseFolder(const CWString& title) override {
    browseTitles.push_back(title.GetText());
    return CWString(browseAnswer.c_str());
  }
};

// Answers the first message box of this process titled `caption` with OK, on a thread of its own, while
// the window's thread sits in the box's loop. Text() waits for it and gives the box's text.
class MessageBoxAnswer {
 public:
  explicit MessageBoxAnswer(const wchar_t* caption) : m_caption(caption) {
    m_thread = std::thread([this] {
      for (int waited = 0; waited < 30000 && !m_stop; waited += 20) {
        if (HWND box = FindWindowW(L"#32770", m_caption.c_str())) {
          DWORD owner = 0;
          GetWindowThreadProcessId(box, &owner);
          if (owner == GetCurrentProcessId()) {
            wchar_t text[512] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 512);
            m_text = text;
            m_found = true;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return;
          }
        }
        Sleep(20);
      }
    });
  }
  ~MessageBoxAnswer() {
    m_stop = true;
    m_thread.join();
  }
  // Whether a box was answered, waiting (and pumping) up to `timeoutMs`.
  bool Answered(int timeoutMs = 30000) {
    return PumpMessagesUntil([this] { return m_found.load(); }, timeoutMs);
  }
  const std::wstring& Text() const { return m_text; }

 private:
  std::wstring m_caption;
  std::wstring m_text;
  std::atomic<bool> m_found{false};
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

// Colour of a picture's pixel (24 or 32 bits; opaque pixels).
COLORREF PixelOf(const CVolPicture& picture, int x, int y) {
  const uint8_t* p = picture.Row(y) + x * (picture.BitsPerPixel() / 8);
  return RGB(p[2], p[1], p[0]);
}

int Distance(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
         std::abs(GetBValue(a) - GetBValue(b));
}

CVolPicture Resource(int id) {
  CVolPicture picture;
  picture.LoadPictureFromResource(id);
  return picture;
}

class InstallerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.IsRunning()) << server.Diagnostics(); }
  void TearDown() override {
    if (form) form->BeginDestruction();
    PumpTestMessagesFor(100);
  }

  // Serves `document` as the configuration and opens the window over a fresh state.
  void Open(const std::string& document) {
    server.SetResponses("/down/test.json", {{200, {}, document}});
    form = std::make_unique<ObservedInstallerForm>(state, CWString(server.Url(L"/down/test.json").c_str()));
    m_title = L"InstallerWindowTest" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++m_opened);
    form->SetTitle(CWString(m_title.c_str()));
    CreateParams params;
    ASSERT_TRUE(form->Create(params));
    PumpTestMessagesFor(300);
    ASSERT_EQ(RunUnixCommandWhilePumping("xdotool search --sync --name '^" + Narrow(m_title) + "$' | head -n 1 > " +
                                         Quoted(UnixPathFromWindows(BuildPath(L"test-scratch\\window_id_" + m_title)))),
              0);
    m_windowId = ReadWholeFile(BuildPath(L"test-scratch\\window_id_" + m_title));
    while (!m_windowId.empty() && (m_windowId.back() == '\n' || m_windowId.back() == '\r')) m_windowId.pop_back();
    ASSERT_FALSE(m_windowId.empty());
  }

  // Runs xdotool commands against the window (e.g. "mousemove --window %w 300 279"; %w is the window).
  void Xdo(const std::string& commands) {
    std::string line = "xdotool " + commands;
    for (size_t at; (at = line.find("%w")) != std::string::npos;) line.replace(at, 2, m_windowId);
    ASSERT_EQ(RunUnixCommandWhilePumping(line), 0) << line;
    PumpTestMessagesFor(150);
  }
  void MoveTo(int x, int y) { Xdo("mousemove --window %w " + std::to_string(x) + " " + std::to_string(y)); }
  void ClickAt(int x, int y) {
    Xdo("mousemove --window %w " + std::to_string(x) + " " + std::to_string(y) + " click 1");
  }

  // The window as the X server shows it, after pending paints.
  CVolPicture Capture(const std::string& name) {
    PumpTestMessagesFor(200);
    CreateDirectoryW(BuildPath(L"test-artifacts").c_str(), nullptr);
    const std::wstring file = BuildPath(L"test-artifacts\\installer_window_" + Wide(name) + L".png");
    DeleteFileW(file.c_str());
    CVolPicture shot;
    if (RunUnixCommandWhilePumping("import -window " + m_windowId + " " + Quoted(UnixPathFromWindows(file))) != 0) {
      ADD_FAILURE() << "capture failed";
      return shot;
    }
    const std::string bytes = ReadWholeFile(file);
    shot.LoadPictureFromMemory(bytes.data(), bytes.size());
    EXPECT_EQ(shot.Width(), 600);
    EXPECT_EQ(shot.Height(), 400);
    return shot;
  }

  template <typename T>
  T Read(T InstallerState::*field) {
    LockGuard guard(state.lock);
    return state.*field;
  }
  template <typename T>
  void Write(T InstallerState::*field, T value) {
    {
      LockGuard guard(state.lock);
      state.*field = value;
    }
    form->painter.Redraw();
  }

  RECT WindowRect() {
    RECT r{};
    GetWindowRect(form->GetHwnd(), &r);
    return r;
  }

  static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
  static std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
  static std::string Quoted(const std::string& text) { return "'" + text + "'"; }

  UiTestApp app;
  LocalServer server;
  InstallerState state;
  std::unique_ptr<ObservedInstallerForm> form;

 private:
  std::wstring m_title;
  std::string m_windowId;
  int m_opened = 0;
};

const char kPlainDocument[] = R"({"路径是否支持中文": "否", "下载线程限制": 2})";

// The painted Ready window, hover with the hand cursor, and the checkbox.
TEST_F(InstallerWindowTest, ReadyWindowHoverAndCheckbox) {
  Open(kPlainDocument);
  const CVolPicture background = Resource(IDR_PICTURE_BACKGROUND);
  const CVolPicture normal = Resource(IDR_PICTURE_INSTALL_NORMAL);
  const CVolPicture hover = Resource(IDR_PICTURE_INSTALL_HOVER);
  const CVolPicture ticked = Resource(IDR_PICTURE_CHECKBOX_ON);
  const CVolPicture unticked = Resource(IDR_PICTURE_CHECKBOX_OFF);

  CVolPicture shot = Capture("ready");
  EXPECT_EQ(PixelOf(shot, 300, 120), PixelOf(background, 300, 120)) << "built-in background";
  EXPECT_EQ(PixelOf(shot, 229 + 20, 260 + 19), PixelOf(normal, 20, 19)) << "install button 503";
  EXPECT_EQ(PixelOf(shot, 20 + 9, 340 + 3), PixelOf(ticked, 9, 3)) << "checkbox 512";
  // The three texts: dark strokes for 同意, blue strokes for both links.
  int agree = 0, licence = 0, location = 0;
  for (int y = 340; y < 360; ++y) {
    for (int x = 40; x < 590; ++x) {
      const COLORREF c = PixelOf(shot, x, y), under = PixelOf(background, x, y);
      const bool blue = GetBValue(c) > GetRValue(c) + 60 && GetRValue(c) + 40 < GetRValue(under);
      const bool dark = GetRValue(c) + GetGValue(c) + GetBValue(c) + 150 < GetRValue(under) + GetGValue(under) +
                                                                              GetBValue(under);
      if (x < 66 && dark) ++agree;
      if (x >= 70 && x < 200 && blue) ++licence;
      if (x >= 480 && blue) ++location;
    }
  }
  EXPECT_GT(agree, 20) << "同意";
  EXPECT_GT(licence, 60) << "《用户许可协议》";
  EXPECT_GT(location, 40) << "自定义安装位置";

  MoveTo(300, 279);
  EXPECT_EQ(Read(&InstallerState::installButtonState), ButtonState::Hover);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  shot = Capture("hover");
  EXPECT_EQ(PixelOf(shot, 229 + 20, 260 + 19), PixelOf(hover, 20, 19)) << "install button 504";

  MoveTo(300, 150);
  EXPECT_EQ(Read(&InstallerState::installButtonState), ButtonState::Normal);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  shot = Capture("left");
  EXPECT_EQ(PixelOf(shot, 229 + 20, 260 + 19), PixelOf(normal, 20, 19)) << "install button 503 again";

  ClickAt(29, 349);
  EXPECT_FALSE(Read(&InstallerState::agreed));
  shot = Capture("unticked");
  EXPECT_EQ(PixelOf(shot, 20 + 9, 340 + 9), PixelOf(unticked, 9, 9)) << "checkbox 511";
  ClickAt(29, 349);
  EXPECT_TRUE(Read(&InstallerState::agreed));
  shot = Capture("ticked");
  EXPECT_EQ(PixelOf(shot, 20 + 9, 340 + 3), PixelOf(ticked, 9, 3)) << "checkbox 512 again";
  EXPECT_TRUE(form->exitCodes.empty());
}

TEST_F(InstallerWindowTest, PressingInstallWithoutTheLicenceWarnsAndStartsNothing) {
  Open(kPlainDocument);
  ClickAt(29, 349);
  ASSERT_FALSE(Read(&InstallerState::agreed));
  {
    MessageBoxAnswer answer(L"警告");
    Xdo("mousemove --window %w 300 279 mousedown 1");
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(answer.Text(), L"需要同意用户许可协议！");
  }
  Xdo("mouseup 1");
  EXPECT_EQ(Read(&InstallerState::phase), InstallPhase::Ready);
  EXPECT_EQ(Read(&InstallerState::statusText).GetLength(), 0);
}

TEST_F(InstallerWindowTest, PressedCloseButtonStaysUntilThePointerLeavesEveryHotArea) {
  Open(kPlainDocument);
  const CVolPicture pressed = Resource(IDR_PICTURE_CLOSE_PRESSED);
  const CVolPicture normal = Resource(IDR_PICTURE_CLOSE_NORMAL);
  Xdo("mousemove --window %w 570 20 mousedown 1");
  EXPECT_EQ(Read(&InstallerState::closeButtonState), ButtonState::Pressed);
  // Released over another hot area (the location link: the observed folder browser answers "cancelled"),
  // then the pointer stays over hot areas.
  Xdo("mousemove --window %w 500 345 mouseup 1");
  Xdo("mousemove --window %w 300 279");  // over the install button
  EXPECT_EQ(Read(&InstallerState::closeButtonState), ButtonState::Pressed);
  // The pressed plate differs from the normal one over the same background.
  ASSERT_NE(PixelOf(pressed, 19, 10), PixelOf(normal, 19, 10));
  const COLORREF pressedPixel = PixelOf(Capture("close_pressed"), 551 + 19, 10 + 10);
  MoveTo(300, 150);
  EXPECT_EQ(Read(&InstallerState::closeButtonState), ButtonState::Normal);
  const CVolPicture shot = Capture("close_normal");
  EXPECT_NE(PixelOf(shot, 551 + 19, 10 + 10), pressedPixel);
  EXPECT_TRUE(form->exitCodes.empty());

  // Released over the close button: the process ends with 0 at once.
  ClickAt(570, 20);
  EXPECT_EQ(form->exitCodes, std::vector<UINT>{kExitInstalled});
}

TEST_F(InstallerWindowTest, BackgroundDragsTheWindowLinksDoNot) {
  Open(kPlainDocument);
  const RECT before = WindowRect();
  Xdo("mousemove --window %w 120 340 mousedown 1 sleep 0.3 mousemove_relative 10 5 sleep 0.3 mousemove_relative 30 "
      "20 sleep 0.3 mouseup 1");
  const RECT onLink = WindowRect();
  EXPECT_EQ(onLink.left, before.left);
  EXPECT_EQ(onLink.top, before.top);

  Xdo("mousemove --window %w 300 150 mousedown 1 sleep 0.3 mousemove_relative 10 5 sleep 0.3 mousemove_relative 30 "
      "20 sleep 0.3 mouseup 1");
  const RECT after = WindowRect();
  EXPECT_NE(after.left * 10000 + after.top, before.left * 10000 + before.top) << "the window moved";
}

TEST_F(InstallerWindowTest, OtherPhasesPaintTheirPicturesBarAndStatus) {
  Open(kPlainDocument);
  const CVolPicture background = Resource(IDR_PICTURE_BACKGROUND);
  const CVolPicture fill = Resource(IDR_PICTURE_PROGRESS_FILL);
  const CVolPicture track = Resource(IDR_PICTURE_PROGRESS_TRACK);
  Write(&InstallerState::progressPercent, 50);  // 290 pixels of fill
  Write(&InstallerState::statusText, CWString(L"正在下载:(1/3) 网速：12.5kb/s"));
  struct Phase {
    InstallPhase phase;
    int buttonPicture;
    bool bar;
    const char* name;
  } const phases[] = {
      {InstallPhase::Downloading, IDR_PICTURE_DOWNLOADING, true, "downloading"},
      {InstallPhase::Installing, IDR_PICTURE_INSTALLING, true, "installing"},
      {InstallPhase::Done, IDR_PICTURE_LAUNCH, false, "done"},
  };
  for (const Phase& p : phases) {
    Write(&InstallerState::phase, p.phase);
    const CVolPicture shot = Capture(p.name);
    const CVolPicture button = Resource(p.buttonPicture);
    EXPECT_EQ(PixelOf(shot, 229 + 20, 260 + 19), PixelOf(button, 20, 19)) << p.name << ": button";
    if (p.bar) {
      // The fill is squeezed into its width: inside it the pixels are the fill's, beyond it the track's.
      for (int x : {20, 150, 285}) {
        const COLORREF c = PixelOf(shot, 10 + x, 340 + 6);
        EXPECT_LT(Distance(c, PixelOf(fill, 2 * x, 6)), 40) << p.name << ": fill at " << x;
        EXPECT_GT(Distance(c, PixelOf(track, x, 6)), 60) << p.name << ": fill at " << x;
      }
      EXPECT_EQ(PixelOf(shot, 10 + 300, 340 + 6), PixelOf(track, 300, 6)) << p.name << ": track";
      EXPECT_EQ(PixelOf(shot, 10 + 570, 340 + 6), PixelOf(track, 570, 6)) << p.name << ": track end";
      int strokes = 0;
      for (int y = 355; y < 375; ++y) {
        for (int x = 12; x < 250; ++x) {
          const COLORREF c = PixelOf(shot, x, y), under = PixelOf(background, x, y);
          if (GetRValue(c) + GetGValue(c) + GetBValue(c) + 150 < GetRValue(under) + GetGValue(under) + GetBValue(under))
            ++strokes;
        }
      }
      EXPECT_GT(strokes, 80) << p.name << ": status line";
    } else {
      EXPECT_EQ(PixelOf(shot, 10 + 150, 340 + 6), PixelOf(background, 10 + 150, 340 + 6)) << p.name << ": no bar";
      EXPECT_EQ(PixelOf(shot, 29, 349), PixelOf(background, 29, 349)) << p.name << ": no checkbox";
    }
  }
  // Links do nothing and show no hand outside Ready.
  MoveTo(120, 349);
  EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  ClickAt(29, 349);
  EXPECT_TRUE(Read(&InstallerState::agreed));
}

TEST_F(InstallerWindowTest, SlideShowCyclesTheServedPictures) {
  server.SetResponses("/red.png", {{200, {}, SolidPng(kRed)}});
  server.SetResponses("/green.png", {{200, {}, SolidPng(kGreen)}});
  server.SetResponses("/blue.png", {{200, {}, SolidPng(kBlue)}});
  server.SetResponses("/yellow.png", {{200, {}, SolidPng(kYellow)}});
  const std::string u = "http://127.0.0.1:" + std::to_string(server.HttpPort());
  Open(R"({"背景图片": {"初始界面": [")" + u + R"(/red.png", ")" + u + R"(/green.png", ")" + u +
       R"(/blue.png"], "安装界面": [")" + u + R"(/yellow.png"]}})");
  EXPECT_TRUE(form->slideTimer.IsRunning());
  EXPECT_EQ(form->slideTimer.GetInterval(), 3000);
  // The timer's own ticks are covered by the installer's end-to-end test; here each tick is called.
  form->slideTimer.SetInterval(0);
  const CVolPicture background = Resource(IDR_PICTURE_BACKGROUND);
  const COLORREF expected[] = {kRed, kGreen, kBlue, kRed, kGreen, kBlue};
  for (int tick = 0; tick < 6; ++tick) {
    form->onSlideTimerTick();
    EXPECT_EQ(Read(&InstallerState::slideIndex), tick % 3 + 1);
    EXPECT_EQ(PixelOf(Capture("slide" + std::to_string(tick)), 300, 120), expected[tick]) << "tick " << tick;
  }
  // After a phase change the shorter install list is not read past its end: the built-in picture shows
  // until the next tick wraps to its first picture.
  ASSERT_EQ(Read(&InstallerState::slideIndex), 3);
  Write(&InstallerState::phase, InstallPhase::Downloading);
  EXPECT_EQ(PixelOf(Capture("slide_beyond"), 300, 120), PixelOf(background, 300, 120));
  form->onSlideTimerTick();
  EXPECT_EQ(Read(&InstallerState::slideIndex), 1);
  EXPECT_EQ(PixelOf(Capture("slide_install"), 300, 120), kYellow);

  // Applied again on a worker thread (as the install flow does), the configuration appends its pictures and
  // has the window's thread restart the slide show.
  ASSERT_FALSE(form->slideTimer.IsRunning());
  std::thread worker([&] { form->applyConfiguration(); });
  EXPECT_TRUE(PumpMessagesUntil([&] { return form->slideTimer.IsRunning(); }, 30000));
  worker.join();
  EXPECT_EQ(Read(&InstallerState::startImages).size(), 6u);
  EXPECT_EQ(Read(&InstallerState::installImages).size(), 2u);
}

TEST_F(InstallerWindowTest, CustomDirectoryIsCreatedAndCjkIsWarnedAbout) {
  Open(kPlainDocument);
  {
    LockGuard guard(state.lock);
    EXPECT_STREQ(state.installDir.GetText(), L"C:\\Program Files (x86)\\\\TonVexa\\");
  }
  ScratchDirectory scratch;
  form->browseAnswer = scratch / L"Apps";
  ClickAt(530, 345);
  ASSERT_EQ(form->browseTitles, std::vector<std::wstring>{L"请选择安装目录(不支持中文目录)"});
  {
    LockGuard guard(state.lock);
    EXPECT_EQ(std::wstring(state.installDir.GetText()), scratch / L"Apps\\Tonvexa\\");
  }
  EXPECT_NE(GetFileAttributesW((scratch / L"Apps\\Tonvexa").c_str()), INVALID_FILE_ATTRIBUTES);

  // Cancelled: nothing changes.
  form->browseAnswer.clear();
  ClickAt(530, 345);
  EXPECT_EQ(std::wstring(Read(&InstallerState::installDir).GetText()), scratch / L"Apps\\Tonvexa\\");

  form->browseAnswer = scratch / L"软件\\";
  {
    MessageBoxAnswer answer(L"警告");
    ClickAt(530, 345);
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(answer.Text(), L"软件不支持中文目录，请重新选择！");
  }
  EXPECT_EQ(std::wstring(Read(&InstallerState::installDir).GetText()), scratch / L"软件\\Tonvexa\\");
  EXPECT_NE(GetFileAttributesW((scratch / L"软件\\Tonvexa").c_str()), INVALID_FILE_ATTRIBUTES);

  // Allowed: the other title and no warning.
  Write(&InstallerState::chineseDirAllowed, true);
  form->browseAnswer = scratch / L"中文";
  ClickAt(530, 345);
  EXPECT_EQ(form->browseTitles.back(), L"请选择安装目录");
  EXPECT_EQ(std::wstring(Read(&InstallerState::installDir).GetText()), scratch / L"中文\\Tonvexa\\");
  EXPECT_EQ(FindWindowW(L"#32770", L"警告"), nullptr);
}

// Top-level windows of this process titled `title`.
int CountWindows(const wchar_t* title) {
  struct Search {
    const wchar_t* title;
    int count;
  } search{title, 0};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t text[64] = {};
        GetWindowTextW(window, text, 64);
        if (owner == GetCurrentProcessId() && lstrcmpW(text, s->title) == 0 && IsWindowVisible(window)) ++s->count;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.count;
}

TEST_F(InstallerWindowTest, LicenceWindowOpensOnceShowsLinesAndIsReadOnly) {
  server.SetResponses("/licence.txt", {{200, {}, "第一行\r\n第二行\r\n第三行"}});
  Open(R"({"用户许可文件地址": "http://127.0.0.1:)" + std::to_string(server.HttpPort()) + R"(/licence.txt"})");
  ClickAt(120, 349);
  ClickAt(120, 349);
  EXPECT_EQ(CountWindows(L"TonvexaAI"), 1);
  ASSERT_TRUE(form->licenceForm.HasWindow());
  HWND licence = form->licenceForm.GetHwnd();
  HWND edit = form->licenceForm.edit.GetHwnd();
  RECT client;
  GetClientRect(licence, &client);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 420);
  EXPECT_NE(GetWindowLongPtrW(licence, GWL_STYLE) & WS_SYSMENU, 0) << "caption with a close box";
  EXPECT_EQ(SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 3);
  wchar_t line[32] = {};
  *reinterpret_cast<WORD*>(line) = 31;
  const LRESULT length = SendMessageW(edit, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line));
  EXPECT_EQ(std::wstring(line, static_cast<size_t>(length)), L"第二行");

  Xdo("search --sync --name '^TonvexaAI$' windowfocus --sync mousemove --window %1 100 30 click 1 type xyz");
  Xdo("key BackSpace Delete ctrl+x");
  wchar_t text[64] = {};
  GetWindowTextW(edit, text, 64);
  EXPECT_EQ(std::wstring(text), L"第一行\r\n第二行\r\n第三行");

  // Closed (as its close box does), it opens again with the licence of that moment.
  PostMessageW(licence, WM_CLOSE, 0, 0);
  PumpMessagesUntil([&] { return !form->licenceForm.HasWindow(); }, 5000);
  EXPECT_FALSE(form->licenceForm.HasWindow());
  Write(&InstallerState::licenceText, CWString(L"新的\n协议"));
  form->onPainterMouseUp(120, 349);
  ASSERT_TRUE(form->licenceForm.HasWindow());
  EXPECT_EQ(SendMessageW(form->licenceForm.edit.GetHwnd(), EM_GETLINECOUNT, 0, 0), 2);
}

}  // namespace
