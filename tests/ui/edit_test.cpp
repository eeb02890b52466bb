// Edit boxes: styles from their properties, character filters, spin buttons, change and focus
// notifications coming back from the parent, text normalisation and colours.
#include "ui/edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/message_pump.h"
#include "support/ui_test_app.h"
#include "ui/win_form.h"

namespace {

struct Receiver : CVolObject {
  Receiver() : events(this) {}
  ~Receiver() override { events.Detach(); }
  static int Changed(CVolObject* self, CVolObject*, int32_t) {
    static_cast<Receiver*>(self)->log.push_back("change");
    return 0;
  }
  static int Spun(CVolObject* self, CVolObject*, int32_t, int32_t direction) {
    static_cast<Receiver*>(self)->log.push_back("spin " + std::to_string(direction));
    return 0;
  }
  static int Gained(CVolObject* self, CVolObject*, int32_t) {
    static_cast<Receiver*>(self)->log.push_back("gained");
    return 0;
  }
  static int Lost(CVolObject* self, CVolObject* control, int32_t) {
    auto* edit = static_cast<CVolEdit*>(control);
    static_cast<Receiver*>(self)->log.push_back("lost " + std::to_string(edit->GetTitle().GetLength()));
    return 0;
  }
  EventReceiver events;
  std::vector<std::string> log;
};

class Edit : public ::testing::Test {
 protected:
  UiTestApp app;
  SizedForm form;
  CVolEdit edit;
  Receiver receiver;

  void SetUp() override { ASSERT_TRUE(form.CreateDefault()); }
  bool CreateEdit() { return edit.CreateChild(form, 10, 10, 120, 24, 101); }
  std::wstring Text() const { return edit.Edit()->GetText(); }
  void Type(const std::wstring& keys) {
    for (wchar_t c : keys) SendMessageW(edit.GetHwnd(), WM_CHAR, c, 1);
  }
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongPtrW(edit.GetHwnd(), GWL_STYLE)); }
  // An arrow of the edit's spin button, as the button reports it to its parent.
  void Spin(int delta) {
    HWND spin = edit.Edit()->Spin()->Handle();
    NMUPDOWN change{};
    change.hdr.hwndFrom = spin;
    change.hdr.idFrom = GetDlgCtrlID(spin);
    change.hdr.code = UDN_DELTAPOS;
    change.iDelta = delta;
    EXPECT_EQ(SendMessageW(GetParent(spin), WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change)), 0);
  }
};

TEST_F(Edit, PropertiesBecomeStyles) {
  struct Case {
    bool multiLine;
    int scrollBars, mode;
    DWORD on, off;
  } cases[] = {
      {false, 3, 0, ES_AUTOHSCROLL, ES_MULTILINE | WS_VSCROLL | WS_HSCROLL},
      {true, 0, 1, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_READONLY, WS_VSCROLL | ES_AUTOHSCROLL},
      {true, 1, 0, ES_MULTILINE | WS_HSCROLL | ES_AUTOHSCROLL, WS_VSCROLL},
      {true, 2, 0, ES_MULTILINE | WS_VSCROLL, WS_HSCROLL | ES_AUTOHSCROLL},
      {true, 3, 2, WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL | ES_PASSWORD, 0},
  };
  for (const Case& c : cases) {
    CVolEdit box;
    box.SetMultiLine(c.multiLine);
    box.SetScrollBars(c.scrollBars);
    box.SetInputMode(c.mode);
    ASSERT_TRUE(box.CreateChild(form, 0, 0, 100, 60, 102));
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(box.GetHwnd(), GWL_STYLE));
    EXPECT_EQ(style & c.on, c.on) << c.multiLine << " " << c.scrollBars << " " << c.mode;
    EXPECT_EQ(style & c.off, 0u) << c.multiLine << " " << c.scrollBars << " " << c.mode;
    EXPECT_TRUE(style & WS_TABSTOP);  // an edit box wants keys
  }
}

TEST_F(Edit, LengthLimitAndPasswordCharacter) {
  edit.SetMaxLength(3);
  edit.SetInputMode(CVWnd_Edit::kPassword);
  edit.SetPasswordChar(L'#');
  ASSERT_TRUE(CreateEdit());
  Type(L"abcdef");
  EXPECT_EQ(Text(), L"abc");
  EXPECT_EQ(SendMessageW(edit.GetHwnd(), EM_GETPASSWORDCHAR, 0, 0), L'#');
  // Switching to read-only on a live window clears the password character and refuses typing.
  edit.SetInputMode(CVWnd_Edit::kReadOnly);
  EXPECT_EQ(SendMessageW(edit.GetHwnd(), EM_GETPASSWORDCHAR, 0, 0), 0);
  EXPECT_TRUE(Style() & ES_READONLY);
  Type(L"x");
  EXPECT_EQ(Text(), L"abc");
}

TEST_F(Edit, InputModesFilterCharacters) {
  struct Case {
    int mode;
    const wchar_t* typed;
    const wchar_t* kept;
  } cases[] = {
      {CVWnd_Edit::kUnsignedInteger, L"-12a.3", L"123"},
      {CVWnd_Edit::kSignedInteger, L"-12a.3", L"-123"},
      {7, L"-1x", L"-1"},
      {CVWnd_Edit::kDecimal, L"-1.5e", L"-1.5"},
      {10, L"2.", L"2."},
      {CVWnd_Edit::kNormal, L"a-1.", L"a-1."},
  };
  for (const Case& c : cases) {
    CVolEdit box;
    box.SetInputMode(c.mode);
    ASSERT_TRUE(box.CreateChild(form, 0, 0, 100, 24, 103));
    for (const wchar_t* p = c.typed; *p; ++p) SendMessageW(box.GetHwnd(), WM_CHAR, *p, 1);
    SendMessageW(box.GetHwnd(), WM_CHAR, VK_BACK, 1);  // control characters always pass
    std::wstring expected = c.kept;
    expected.pop_back();
    EXPECT_EQ(box.Edit()->GetText(), expected) << "mode " << c.mode;
  }
}

TEST_F(Edit, NumericSpinWrapsAround) {
  edit.SetSpinMode(CVWnd_Edit::kNumericSpin);
  edit.SetSpinRange(8, 1);  // either order
  ASSERT_TRUE(CreateEdit());
  ASSERT_NE(edit.Edit()->Spin(), nullptr);
  EXPECT_EQ(GetDlgCtrlID(edit.Edit()->Spin()->Handle()), 1101);
  int lower = 0, upper = 0;
  edit.Edit()->Spin()->GetRange(&lower, &upper);
  EXPECT_EQ(lower, 1);
  EXPECT_EQ(upper, 8);

  edit.SetTitle(CWString(L"8"));
  Spin(1);
  EXPECT_EQ(Text(), L"1");
  Spin(-1);
  EXPECT_EQ(Text(), L"8");
  Spin(-1);
  EXPECT_EQ(Text(), L"7");
  int start = -1, end = -1;
  edit.Edit()->GetSel(&start, &end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 1);
  EXPECT_EQ(GetFocus(), edit.GetHwnd());

  // A hidden edit box ignores its spin button.
  ShowWindow(edit.GetHwnd(), SW_HIDE);
  Spin(1);
  EXPECT_EQ(Text(), L"7");
}

TEST_F(Edit, NotifyingSpinRaisesTheSpinEvent) {
  edit.SetSpinMode(CVWnd_Edit::kNotifyingSpin);
  edit.BindEvent(edit.SpinEvent(), &Receiver::Spun, receiver.events.Holder());
  ASSERT_TRUE(CreateEdit());
  edit.SetTitle(CWString(L"5"));
  Spin(3);
  Spin(-2);
  EXPECT_EQ(receiver.log, (std::vector<std::string>{"spin 1", "spin -1"}));
  EXPECT_EQ(Text(), L"5");
}

TEST_F(Edit, ChangeEventFiresForTheUserOnly) {
  edit.BindEvent(edit.ChangeEvent(), &Receiver::Changed, receiver.events.Holder());
  ASSERT_TRUE(CreateEdit());
  edit.SetTitle(CWString(L"set by the program"));
  EXPECT_TRUE(receiver.log.empty());
  Type(L"!");
  EXPECT_EQ(receiver.log, std::vector<std::string>{"change"});
}

TEST_F(Edit, LosingTheFocusNormalisesNumbersThenReportsIt) {
  edit.SetInputMode(CVWnd_Edit::kDecimal);
  edit.BindEvent(kFocusGained, &Receiver::Gained, receiver.events.Holder());
  edit.BindEvent(kFocusLost, &Receiver::Lost, receiver.events.Holder());
  ASSERT_TRUE(CreateEdit());
  CVolEdit other;
  ASSERT_TRUE(other.CreateChild(form, 10, 50, 120, 24, 104));
  SetFocus(edit.GetHwnd());
  Type(L"01.50");
  SetFocus(other.GetHwnd());
  EXPECT_EQ(Text(), L"1.5");
  // One report per focus change, and the text was normalised before the loss was reported.
  EXPECT_EQ(receiver.log, (std::vector<std::string>{"gained", "lost 3"}));

  other.SetInputMode(CVWnd_Edit::kSignedInteger);
  SetFocus(other.GetHwnd());
  SendMessageW(other.GetHwnd(), WM_CHAR, L'-', 1);
  SendMessageW(other.GetHwnd(), WM_CHAR, L'0', 1);
  SendMessageW(other.GetHwnd(), WM_CHAR, L'7', 1);
  SetFocus(edit.GetHwnd());
  EXPECT_EQ(other.Edit()->GetText(), L"-7");
}

TEST_F(Edit, ColoursAnswerTheParentsColourQuery) {
  edit.SetInputMode(CVWnd_Edit::kReadOnly);  // read-only boxes ask with WM_CTLCOLORSTATIC
  ASSERT_TRUE(CreateEdit());
  HDC dc = GetDC(edit.GetHwnd());
  edit.SetTextColor(0x0000FF);
  edit.SetBackColor(0xFFFFFF);
  const auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(form.GetHwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit.GetHwnd())));
  ASSERT_NE(brush, nullptr);
  LOGBRUSH info{};
  GetObjectW(brush, sizeof info, &info);
  EXPECT_EQ(info.lbColor, 0xFFFFFFu);
  EXPECT_EQ(GetTextColor(dc), 0x0000FFu);
  EXPECT_EQ(GetBkColor(dc), 0xFFFFFFu);
  ReleaseDC(edit.GetHwnd(), dc);
}

}  // namespace
