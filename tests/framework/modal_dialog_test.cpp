#include "framework/modal_dialog.h"

#include <gtest/gtest.h>

#include "framework/application.h"

namespace {

constexpr UINT kEnd = WM_APP + 5;

// A dialog object that ends itself when told to and records what it saw.
class Dialog : public FrameworkWindow {
 public:
  bool sawCreate = false;
  RECT rectInLoop{};
  bool ownerEnabledInLoop = true;
  HWND owner = nullptr;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) sawCreate = true;
    if (message == kEnd) {
      GetWindowRect(Handle(), &rectInLoop);
      ownerEnabledInLoop = IsWindowEnabled(owner) != FALSE;
      EndModalDialog(Handle(), static_cast<INT_PTR>(wParam));
      return 0;
    }
    return FrameworkWindow::WindowProc(message, wParam, lParam);
  }
};

HWND MakeOwner() {
  return CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                         nullptr, nullptr, nullptr);
}

ModalDialogLayout Layout() {
  ModalDialogLayout layout;
  layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
  layout.x = 30;
  layout.y = 40;
  layout.width = 320;
  layout.height = 240;
  layout.title = L"modal";
  return layout;
}

TEST(ModalDialog, RunsUntilEndedAndReturnsTheResult) {
  HWND owner = MakeOwner();
  Dialog dialog;
  dialog.owner = owner;
  struct Poster : FrameworkApp {
    Dialog* dialog = nullptr;
    int offered = 0;
    bool OnIdle(long) override { return false; }
    bool PreTranslateMessage(MSG* message) override {
      if (message->hwnd == dialog->Handle()) ++offered;
      return false;
    }
  } app;
  app.dialog = &dialog;
  // Post to the dialog as soon as it exists: from the thread's queue after creation.
  SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostMessageW(FindWindowW(L"#32770", L"modal"), kEnd, 42, 0);
  });
  INT_PTR result = 0;
  EXPECT_TRUE(RunModalDialog(dialog, Layout(), owner, &result));
  EXPECT_EQ(result, 42);
  EXPECT_TRUE(dialog.sawCreate);
  EXPECT_EQ(dialog.rectInLoop.left, 30);
  EXPECT_EQ(dialog.rectInLoop.top, 40);
  EXPECT_EQ(dialog.rectInLoop.right - dialog.rectInLoop.left, 320);
  EXPECT_EQ(dialog.rectInLoop.bottom - dialog.rectInLoop.top, 240);
  EXPECT_FALSE(dialog.ownerEnabledInLoop);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(dialog.Exists());
  EXPECT_GT(app.offered, 0);
  DestroyWindow(owner);
}

TEST(ModalDialog, EscapeCancels) {
  HWND owner = MakeOwner();
  Dialog dialog;
  dialog.owner = owner;
  SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND active = FindWindowW(L"#32770", L"modal");
    PostMessageW(active, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  });
  INT_PTR result = 0;
  EXPECT_TRUE(RunModalDialog(dialog, Layout(), owner, &result));
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(IsRunningModal(dialog.Handle()));
  DestroyWindow(owner);
}

}  // namespace
