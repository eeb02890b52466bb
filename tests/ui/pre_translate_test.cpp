// The runtime's pre-translation: queued mouse and keyboard messages reach the nearest runtime window on
// their window's parent chain; forms answer with their pre-translate event, Esc, dragging and accelerators.
#include <gtest/gtest.h>

#include <vector>

#include "support/message_pump.h"
#include "support/ui_test_app.h"
#include "ui/pre_translate.h"
#include "ui/win_form.h"

namespace {

struct Receiver : CVolObject {
  Receiver() : events(this) {}
  ~Receiver() override { events.Detach(); }
  static int PreTranslate(CVolObject* self, CVolObject*, int32_t, int32_t message, int64_t, int64_t) {
    auto* r = static_cast<Receiver*>(self);
    r->preTranslated.push_back(static_cast<UINT>(message));
    return r->consume;
  }
  static int Raw(CVolObject* self, CVolObject*, int32_t, int32_t message, int64_t wParam, int64_t) {
    auto* r = static_cast<Receiver*>(self);
    r->raw.push_back(static_cast<UINT>(message));
    // A caption drag would start the system's move loop: note it and stop there.
    return message == WM_NCLBUTTONDOWN && wParam == HTCAPTION ? 1 : 0;
  }
  static int Command(CVolObject* self, CVolObject*, int32_t, int32_t id) {
    static_cast<Receiver*>(self)->commands.push_back(id);
    return 1;
  }
  EventReceiver events;
  int consume = 0;
  std::vector<UINT> preTranslated, raw;
  std::vector<int> commands;
};

bool Saw(const std::vector<UINT>& list, UINT message) {
  for (UINT m : list) {
    if (m == message) return true;
  }
  return false;
}

class PreTranslate : public ::testing::Test {
 protected:
  UiTestApp app;
  SizedForm form;
  CVolEventContainer panel;
  HWND inner = nullptr;  // a plain child window inside the panel (not a runtime window)
  Receiver receiver;

  void SetUp() override {
    form.SetControlBox(false);
    form.SetBorderStyle(0);
    ASSERT_TRUE(form.CreateDefault());
    ASSERT_TRUE(panel.CreateChild(form, 10, 10, 100, 100, 5));
    inner = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, panel.GetHwnd(), nullptr,
                            nullptr, nullptr);
    ASSERT_NE(inner, nullptr);
    form.BindEvent(kPreTranslate, &Receiver::PreTranslate, receiver.events.Holder());
    form.BindEvent(kRawMessage, &Receiver::Raw, receiver.events.Holder());
    panel.BindEvent(kRawMessage, &Receiver::Raw, receiver.events.Holder());
  }
  static MSG Message(HWND window, UINT message, WPARAM wParam = 0) {
    MSG msg{window, message, wParam, 0, GetTickCount(), {0, 0}};
    return msg;
  }
};

TEST_F(PreTranslate, ReachesTheRuntimeWindowsOnTheParentChain) {
  MSG key = Message(inner, WM_KEYDOWN, 'K');
  EXPECT_FALSE(RelayRuntimePreTranslate(&key));
  // The panel was asked first (it only relays to a tooltip), then the form, whose handler saw the message.
  EXPECT_TRUE(Saw(receiver.raw, kPreTranslateMessage));
  EXPECT_EQ(receiver.preTranslated, std::vector<UINT>{WM_KEYDOWN});

  receiver.consume = 1;
  EXPECT_TRUE(RelayRuntimePreTranslate(&key));

  // Only mouse and keyboard messages take this road.
  MSG timer = Message(inner, WM_TIMER);
  EXPECT_FALSE(RelayRuntimePreTranslate(&timer));
  EXPECT_EQ(receiver.preTranslated.size(), 2u);
}

TEST_F(PreTranslate, WindowsOutsideTheRuntimeAreLeftAlone) {
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, plain, nullptr, nullptr, nullptr);
  receiver.consume = 1;
  MSG key = Message(child, WM_KEYDOWN, 'K');
  EXPECT_FALSE(RelayRuntimePreTranslate(&key));
  EXPECT_TRUE(receiver.preTranslated.empty());
  DestroyWindow(plain);
}

TEST_F(PreTranslate, EscapeClosesAFormThatClosesOnEscape) {
  HWND window = form.GetHwnd();
  PostMessageW(inner, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PumpTestMessagesFor(100);
  EXPECT_TRUE(IsWindow(window));  // not asked to

  form.SetCloseOnEsc(true);
  PostMessageW(inner, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  EXPECT_TRUE(PumpMessagesUntil([&] { return !IsWindow(window); }));
}

TEST_F(PreTranslate, DragByClientAreaTurnsAPressIntoACaptionDrag) {
  MSG press = Message(form.GetHwnd(), WM_LBUTTONDOWN);
  EXPECT_FALSE(RelayRuntimePreTranslate(&press));
  form.SetDragByClientArea(true);
  EXPECT_TRUE(RelayRuntimePreTranslate(&press));
  PumpMessagesUntil([&] { return Saw(receiver.raw, WM_NCLBUTTONDOWN); }, 2000);
  EXPECT_TRUE(Saw(receiver.raw, WM_NCLBUTTONDOWN));
  // A press on a child that is not a static control stays with the child.
  MSG onPanel = Message(panel.GetHwnd(), WM_LBUTTONDOWN);
  EXPECT_FALSE(RelayRuntimePreTranslate(&onPanel));
}

TEST_F(PreTranslate, AcceleratorsLeaveClipboardKeysToEditBoxes) {
  ACCEL table[] = {{FVIRTKEY | FCONTROL, 'C', 300}};
  HACCEL accelerators = CreateAcceleratorTableW(table, 1);
  form.SetAccelerators(accelerators);
  form.BindEvent(kFormMenuCommand, &Receiver::Command, receiver.events.Holder());
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 30, 80, 20, form.GetHwnd(), nullptr,
                              nullptr, nullptr);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);

  SetFocus(edit);
  MSG copyInEdit = Message(edit, WM_KEYDOWN, 'C');
  EXPECT_FALSE(RelayRuntimePreTranslate(&copyInEdit));
  EXPECT_TRUE(receiver.commands.empty());

  SetFocus(inner);
  MSG copy = Message(inner, WM_KEYDOWN, 'C');
  EXPECT_TRUE(RelayRuntimePreTranslate(&copy));
  EXPECT_EQ(receiver.commands, std::vector<int>{300});

  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  DestroyAcceleratorTable(accelerators);
}

}  // namespace
