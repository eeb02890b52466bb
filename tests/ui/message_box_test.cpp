#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "support/desktop_automation.h"
#include "support/ui_test_app.h"
#include "ui/edit.h"
#include "ui/win_form.h"

namespace {

constexpr wchar_t kCaption[] = L"信息: Tonvexa (message) test";

// Waits for the box (a dialog with our caption) from another thread, reads its text, and answers it the way
// a user does: with the Return key, through the X server.
struct Answerer {
  std::wstring seenText;
  bool sawIcon = false;
  bool answered = false;
  std::thread thread;

  void Start() {
    thread = std::thread([this] {
      HWND box = nullptr;
      for (int i = 0; i < 1000 && !box; ++i) {
        box = FindWindowW(L"#32770", kCaption);
        if (!box) Sleep(10);
      }
      if (!box) return;
      wchar_t text[256] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 256);
      seenText = text;
      for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) sawIcon = true;
      }
      answered = TypeKeysIntoWindow(kCaption, "Return");
      // Never leave the test hanging in the box.
      if (!answered) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
  }
  void Join() { thread.join(); }
};

TEST(ShowMessage, ReturnsTheButtonPressedAndGivesTheFocusBack) {
  UiTestApp app;
  SizedForm form;
  ASSERT_TRUE(form.CreateDefault());
  CVolEdit edit;
  ASSERT_TRUE(edit.CreateChild(form, 10, 10, 100, 24, 101));
  SetFocus(edit.GetHwnd());

  Answerer answerer;
  answerer.Start();
  const int32_t result = form.ShowMessage(CWString(L"需要同意用户许可协议！"), MB_OK | MB_ICONEXCLAMATION, CWString(kCaption));
  answerer.Join();
  EXPECT_TRUE(answerer.answered);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(answerer.seenText, L"需要同意用户许可协议！");
  EXPECT_TRUE(answerer.sawIcon);
  EXPECT_EQ(GetFocus(), edit.GetHwnd());
}

TEST(ShowMessage, FailureGivesZero) {
  // An invalid owner makes MessageBoxW fail.
  EXPECT_EQ(ShowMessage(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF1234)), CWString(L"x"), MB_OK, CWString(L"y")), 0);
}

}  // namespace
