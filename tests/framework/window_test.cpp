#include "framework/window.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/edit_box.h"
#include "framework/spin_button.h"

namespace {

constexpr wchar_t kPlainClass[] = L"FrameworkTestPlain";

// A class whose registered procedure is DefWindowProcW, the way the runtime registers its classes.
void RegisterPlainClass() {
  WNDCLASSW wc{};
  if (GetClassInfoW(GetModuleHandleW(nullptr), kPlainClass, &wc)) return;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kPlainClass;
  ASSERT_NE(RegisterClassW(&wc), 0);
}

class RecordingWindow : public FrameworkWindow {
 public:
  std::vector<UINT> seen;
  std::vector<UINT> reflected;
  int finalMessages = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(message);
    return FrameworkWindow::WindowProc(message, wParam, lParam);
  }
  bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) override {
    reflected.push_back(message == WM_COMMAND ? HIWORD(wParam) : message);
    *result = 0;
    return message == WM_COMMAND;
  }
  void OnFinalMessage() override { ++finalMessages; }
};

bool Saw(const std::vector<UINT>& messages, UINT message) {
  for (UINT m : messages) {
    if (m == message) return true;
  }
  return false;
}

TEST(FrameworkWindow, SeesEveryMessageFromCreationToDestruction) {
  RegisterPlainClass();
  RecordingWindow window;
  ASSERT_TRUE(window.CreateEx(0, kPlainClass, L"plain", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr));
  HWND handle = window.Handle();
  EXPECT_EQ(FrameworkWindow::FromHandle(handle), &window);
  ASSERT_FALSE(window.seen.empty());
  // Attached before the first message the window gets.
  EXPECT_TRUE(Saw(window.seen, WM_NCCREATE));
  EXPECT_TRUE(Saw(window.seen, WM_CREATE));
  // Our procedure replaced the class's, and default processing still reaches the class's procedure.
  EXPECT_NE(GetWindowLongPtrW(handle, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&DefWindowProcW));
  SetWindowTextW(handle, L"renamed");
  wchar_t title[32] = {};
  GetWindowTextW(handle, title, 32);
  EXPECT_STREQ(title, L"renamed");
  EXPECT_FALSE(window.CreateEx(0, kPlainClass, L"again", 0, 0, 0, 1, 1, nullptr, nullptr));

  EXPECT_TRUE(window.DestroyWindow());
  EXPECT_TRUE(Saw(window.seen, WM_NCDESTROY));
  EXPECT_EQ(window.finalMessages, 1);
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_EQ(FrameworkWindow::FromHandle(handle), nullptr);
  // The object may make a new window.
  EXPECT_TRUE(window.CreateEx(0, kPlainClass, L"second", 0, 0, 0, 10, 10, nullptr, nullptr));
}

TEST(FrameworkWindow, DestroyingTheObjectDestroysItsWindow) {
  RegisterPlainClass();
  HWND handle;
  {
    RecordingWindow window;
    ASSERT_TRUE(window.CreateEx(0, kPlainClass, L"", 0, 0, 0, 10, 10, nullptr, nullptr));
    handle = window.Handle();
  }
  EXPECT_FALSE(IsWindow(handle));
}

TEST(FrameworkWindow, AttachAndDetachAnExistingWindow) {
  RegisterPlainClass();
  HWND handle = CreateWindowExW(0, kPlainClass, L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(handle, nullptr);
  RecordingWindow window;
  ASSERT_TRUE(window.Attach(handle));
  RecordingWindow other;
  EXPECT_FALSE(other.Attach(handle));
  SendMessageW(handle, WM_APP, 0, 0);
  EXPECT_TRUE(Saw(window.seen, WM_APP));
  EXPECT_EQ(window.Detach(), handle);
  EXPECT_EQ(GetWindowLongPtrW(handle, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&DefWindowProcW));
  DestroyWindow(handle);
}

// An edit box whose parent is a framework window: the edit's own object receives the notifications it
// sends its parent, the way the runtime's edit control learns of its changes.
TEST(FrameworkWindow, ChildNotificationsAreReflectedToTheChildObject) {
  RegisterPlainClass();
  RecordingWindow parent;
  ASSERT_TRUE(parent.CreateEx(0, kPlainClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));

  class ReflectingEdit : public EditBoxT<RecordingWindow> {};
  ReflectingEdit edit;
  ASSERT_TRUE(edit.CreateEditBox(0, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, RECT{5, 5, 105, 25}, parent.Handle(), 7));
  edit.SetText(L"12");
  EXPECT_EQ(edit.GetText(), L"12");
  EXPECT_TRUE(Saw(edit.reflected, EN_CHANGE));
  EXPECT_TRUE(Saw(parent.seen, WM_COMMAND));

  // Typed characters reach the edit's object and the system edit control behind it.
  edit.SetSel(2, 2);
  SendMessageW(edit.Handle(), WM_CHAR, L'3', 0);
  EXPECT_TRUE(Saw(edit.seen, WM_CHAR));
  EXPECT_EQ(edit.GetText(), L"123");
  edit.SetSel(0, -1);
  int start = -1, end = -1;
  edit.GetSel(&start, &end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 3);
  edit.LimitText(3);
  edit.SetSel(3, 3);
  SendMessageW(edit.Handle(), WM_CHAR, L'4', 0);
  EXPECT_EQ(edit.GetText(), L"123");
}

TEST(FrameworkWindow, SpinNotificationsReachTheSpinObject) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&init);
  RegisterPlainClass();
  RecordingWindow parent;
  ASSERT_TRUE(parent.CreateEx(0, kPlainClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));

  class CountingSpin : public SpinButton {
   public:
    int deltas = 0;
    int lastDelta = 0;

   protected:
    LRESULT OnDeltaPosition(const NMUPDOWN& change) override {
      ++deltas;
      lastDelta = change.iDelta;
      return 0;
    }
  };
  CountingSpin spin;
  ASSERT_TRUE(spin.CreateSpin(WS_CHILD | WS_VISIBLE, RECT{0, 0, 16, 20}, parent.Handle(), 9));
  spin.SetRange(1, 8);
  int lower = 0, upper = 0;
  spin.GetRange(&lower, &upper);
  EXPECT_EQ(lower, 1);
  EXPECT_EQ(upper, 8);

  NMUPDOWN change{};
  change.hdr.hwndFrom = spin.Handle();
  change.hdr.idFrom = 9;
  change.hdr.code = UDN_DELTAPOS;
  change.iDelta = -1;
  EXPECT_EQ(SendMessageW(parent.Handle(), WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&change)), 0);
  EXPECT_EQ(spin.deltas, 1);
  EXPECT_EQ(spin.lastDelta, -1);
}

}  // namespace
