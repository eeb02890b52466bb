#include "framework/application.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/window.h"

namespace {

constexpr wchar_t kClass[] = L"FrameworkTestApplication";
constexpr UINT kSwallowed = WM_APP + 1;
constexpr UINT kCloseMain = WM_APP + 2;

class MainWindow : public FrameworkWindow {
 public:
  std::vector<UINT> dispatched;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message >= WM_APP) dispatched.push_back(message);
    if (message == kCloseMain) DestroyWindow();
    return FrameworkWindow::WindowProc(message, wParam, lParam);
  }
};

// Records what the run loop calls.
class RecordingApp : public FrameworkApp {
 public:
  std::vector<long> idleCounts;
  std::vector<UINT> preTranslated;
  int exits = 0;

  bool PreTranslateMessage(MSG* message) override {
    if (message->message >= WM_APP) preTranslated.push_back(message->message);
    if (message->message == kSwallowed) return true;
    return FrameworkApp::PreTranslateMessage(message);
  }
  bool OnIdle(long count) override {
    idleCounts.push_back(count);
    // Once idle for the first time, hand the loop its work.
    if (idleCounts.size() == 2) {
      PostMessageW(MainWindow()->Handle(), kSwallowed, 0, 0);
      PostMessageW(MainWindow()->Handle(), kCloseMain, 0, 0);
    }
    return FrameworkApp::OnIdle(count);
  }
  int ExitInstance() override {
    ++exits;
    return FrameworkApp::ExitInstance();
  }
};

void RegisterClassOnce() {
  WNDCLASSW wc{};
  if (GetClassInfoW(GetModuleHandleW(nullptr), kClass, &wc)) return;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
}

TEST(FrameworkApp, RunLoopPreTranslatesIdlesAndEndsWithTheMainWindow) {
  RegisterClassOnce();
  RecordingApp app;
  EXPECT_EQ(FrameworkApp::Current(), &app);
  class Main : public ::MainWindow {} window;
  ASSERT_TRUE(window.CreateEx(0, kClass, L"main", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
  app.SetMainWindow(&window);

  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.exits, 1);
  // Idle calls count up from 0; the base wants one more call after count 0 and no more after that.
  ASSERT_GE(app.idleCounts.size(), 2u);
  EXPECT_EQ(app.idleCounts[0], 0);
  EXPECT_EQ(app.idleCounts[1], 1);
  // Both messages were offered to PreTranslateMessage; the swallowed one never reached the window.
  EXPECT_EQ(app.preTranslated, (std::vector<UINT>{kSwallowed, kCloseMain}));
  EXPECT_EQ(window.dispatched, (std::vector<UINT>{kCloseMain}));
  EXPECT_EQ(app.MainWindow(), nullptr);
}

TEST(FrameworkApp, ExitCodeComesFromTheQuitMessage) {
  FrameworkApp app;
  PostQuitMessage(7);
  EXPECT_EQ(app.Run(), 7);
}

TEST(FrameworkApp, PreTranslationWalksFromTheMessageWindowToItsParents) {
  RegisterClassOnce();
  struct Catching : FrameworkWindow {
    int offered = 0;
    bool PreTranslateMessage(MSG*) override {
      ++offered;
      return true;
    }
  };
  FrameworkApp app;
  Catching parent;
  ASSERT_TRUE(parent.CreateEx(0, kClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
  // A child with no framework object of its own.
  HWND child = CreateWindowExW(0, kClass, L"", WS_CHILD, 0, 0, 10, 10, parent.Handle(), nullptr, nullptr, nullptr);
  MSG message{child, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
  EXPECT_TRUE(app.PreTranslateMessage(&message));
  EXPECT_EQ(parent.offered, 1);
}

TEST(FrameworkApp, FailedStartUpEndsThroughExitInstance) {
  struct Refusing : FrameworkApp {
    int exits = 0;
    bool InitInstance() override { return false; }
    int ExitInstance() override {
      ++exits;
      return 3;
    }
  } app;
  EXPECT_EQ(FrameworkWinMain(GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW), 3);
  EXPECT_EQ(app.exits, 1);
}

}  // namespace
