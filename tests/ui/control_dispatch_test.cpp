// Base events of a control: what handlers receive and how their results steer the window's default
// processing; the native window procedure's private messages and filters.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/ui_test_app.h"
#include "ui/win_container.h"

namespace {

// Records what reaches the window's default processing.
class RecordingNative : public CVWnd_Container {
 public:
  std::vector<std::pair<UINT, WPARAM>> defaults;
  bool SawDefault(UINT message) const {
    for (const auto& d : defaults) {
      if (d.first == message) return true;
    }
    return false;
  }

 protected:
  LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    defaults.emplace_back(message, wParam);
    return CVWnd_Container::DefaultWindowProc(message, wParam, lParam);
  }
};

class TestContainer : public CVolEventContainer {
 public:
  TestContainer() : CVolEventContainer(std::make_unique<RecordingNative>()) {}
  RecordingNative& Native() { return *NativeAs<RecordingNative>(); }

  bool CreateTopLevel(int64_t userValue = -1) {
    CreateParams params;
    params.x = 20;
    params.y = 20;
    params.width = 200;
    params.height = 150;
    params.userValue = userValue;
    return Create(params);
  }
};

struct Receiver : CVolObject {
  Receiver() : events(this) {}
  ~Receiver() override { events.Detach(); }

  static int Mouse(CVolObject* self, CVolObject* control, int32_t, int32_t x, int32_t y, int32_t modifiers) {
    auto* r = static_cast<Receiver*>(self);
    r->sender = control;
    r->mouse.push_back({x, y, modifiers});
    return r->result;
  }
  static int Wheel(CVolObject* self, CVolObject*, int32_t, int32_t delta, int32_t) {
    static_cast<Receiver*>(self)->wheel.push_back(delta);
    return 0;
  }
  static int Char(CVolObject* self, CVolObject*, int32_t, int32_t character) {
    auto* r = static_cast<Receiver*>(self);
    r->chars.push_back(character);
    return r->result;
  }
  static int Raw(CVolObject* self, CVolObject*, int32_t, int32_t message, int64_t, int64_t) {
    auto* r = static_cast<Receiver*>(self);
    return message == static_cast<int32_t>(r->swallowRaw) ? 1 : 0;
  }
  static int Dropped(CVolObject* self, CVolObject*, int32_t, CVolTextArray* paths) {
    auto* r = static_cast<Receiver*>(self);
    std::vector<std::wstring> list;
    for (int64_t i = 0; i < paths->GetCount(); ++i) list.push_back(paths->GetItemText(i));
    r->drops.push_back(list);
    return 0;
  }
  static int Count(CVolObject* self, CVolObject*, int32_t, int32_t, int32_t, int32_t) {
    ++static_cast<Receiver*>(self)->counted;
    return 0;
  }

  EventReceiver events;
  int result = 0;
  UINT swallowRaw = 0;
  CVolObject* sender = nullptr;
  struct Mouse3 {
    int x, y, modifiers;
  };
  std::vector<Mouse3> mouse;
  std::vector<int> wheel, chars;
  std::vector<std::vector<std::wstring>> drops;
  std::atomic<int> counted{0};
};

class ControlDispatch : public ::testing::Test {
 protected:
  UiTestApp app;
  TestContainer control;
  Receiver receiver;
  void SetUp() override { ASSERT_TRUE(control.CreateTopLevel(77)); }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(control.GetHwnd(), message, wParam, lParam);
  }
};

TEST_F(ControlDispatch, MouseHandlerResultDecidesDefaultProcessing) {
  control.BindEvent(kLeftButtonDown, &Receiver::Mouse, receiver.events.Holder());
  // Signed 16-bit client coordinates; Ctrl and Shift from wParam.
  Send(WM_LBUTTONDOWN, MK_CONTROL | MK_SHIFT, MAKELPARAM(static_cast<WORD>(-5), 7));
  ASSERT_EQ(receiver.mouse.size(), 1u);
  EXPECT_EQ(receiver.mouse[0].x, -5);
  EXPECT_EQ(receiver.mouse[0].y, 7);
  EXPECT_EQ(receiver.mouse[0].modifiers, kModifierCtrl | kModifierShift);
  EXPECT_EQ(receiver.sender, &control);
  EXPECT_TRUE(control.Native().SawDefault(WM_LBUTTONDOWN));

  control.Native().defaults.clear();
  receiver.result = 1;
  Send(WM_LBUTTONDOWN, 0, MAKELPARAM(1, 2));
  EXPECT_EQ(receiver.mouse.size(), 2u);
  EXPECT_FALSE(control.Native().SawDefault(WM_LBUTTONDOWN));
}

TEST_F(ControlDispatch, CharacterHandlerSwallowsOrReplaces) {
  control.BindEvent(kCharacter, &Receiver::Char, receiver.events.Holder());
  struct Case {
    int result;
    bool reachesDefault;
    WPARAM seen;
  } cases[] = {{0, true, 'x'}, {-1, false, 0}, {0x41, true, 'A'}};
  for (const Case& c : cases) {
    control.Native().defaults.clear();
    receiver.result = c.result;
    Send(WM_CHAR, 'x', 1);
    bool reached = false;
    for (const auto& d : control.Native().defaults) {
      if (d.first == WM_CHAR) {
        reached = true;
        EXPECT_EQ(d.second, c.seen) << "handler result " << c.result;
      }
    }
    EXPECT_EQ(reached, c.reachesDefault) << "handler result " << c.result;
  }
  EXPECT_EQ(receiver.chars, (std::vector<int>{'x', 'x', 'x'}));
}

TEST_F(ControlDispatch, RawMessageHandlerComesFirstAndCanEndProcessing) {
  control.BindEvent(kRawMessage, &Receiver::Raw, receiver.events.Holder());
  control.BindEvent(kMouseMove, &Receiver::Mouse, receiver.events.Holder());
  receiver.swallowRaw = WM_MOUSEMOVE;
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
  EXPECT_TRUE(receiver.mouse.empty());
  EXPECT_FALSE(control.Native().SawDefault(WM_MOUSEMOVE));
  receiver.swallowRaw = 0;
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
  EXPECT_EQ(receiver.mouse.size(), 1u);
}

TEST_F(ControlDispatch, WheelDeltaIsCountedInNotches) {
  control.BindEvent(kMouseWheel, &Receiver::Wheel, receiver.events.Holder());
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0);
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  EXPECT_EQ(receiver.wheel, (std::vector<int>{-2, 1}));
}

HGLOBAL MakeDrop(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const auto& p : paths) list += p + L'\0';
  list += L'\0';
  if (paths.empty()) list += L'\0';  // an empty list is two zeros too
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return memory;
}

TEST_F(ControlDispatch, DroppedFilesArriveOnceWithAllPathsAndEmptyDropsFireNothing) {
  control.BindEvent(kFilesDropped, &Receiver::Dropped, receiver.events.Holder());
  Send(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({L"C:\\a.txt", L"C:\\dir\\b.txt"})));
  ASSERT_EQ(receiver.drops.size(), 1u);
  EXPECT_EQ(receiver.drops[0], (std::vector<std::wstring>{L"C:\\a.txt", L"C:\\dir\\b.txt"}));
  Send(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({})));
  EXPECT_EQ(receiver.drops.size(), 1u);
}

TEST_F(ControlDispatch, EventsOfADestroyedReceiverAreDropped) {
  auto* gone = new Receiver();
  gone->result = 1;
  control.BindEvent(kLeftButtonDown, &Receiver::Mouse, gone->events.Holder());
  delete gone;
  Send(WM_LBUTTONDOWN, 0, 0);
  EXPECT_TRUE(control.Native().SawDefault(WM_LBUTTONDOWN));
}

TEST_F(ControlDispatch, RebindingOnAWorkerWhileTheWindowDispatches) {
  Receiver other;
  control.BindEvent(kMouseMove, &Receiver::Count, receiver.events.Holder());
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < 5000; ++i) {
      control.BindEvent(kMouseMove, &Receiver::Count, (i % 2 ? receiver : other).events.Holder());
    }
    done = true;
  });
  int sent = 0;
  while (!done || sent < 100) {
    Send(WM_MOUSEMOVE, 0, 0);
    ++sent;
  }
  worker.join();
  EXPECT_EQ(receiver.counted + other.counted, sent);
}

TEST_F(ControlDispatch, CursorShapeAppliesOverTheClientArea) {
  EXPECT_TRUE(control.SetCursorShape(32649));  // the hand
  HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  EXPECT_EQ(control.WindowObject()->Cursor(), hand);
  EXPECT_EQ(Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(control.GetHwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
  EXPECT_EQ(GetCursor(), hand);
  EXPECT_FALSE(control.SetCursorShape(1));  // no such system cursor
}

// A filter that handles one message with a fixed result.
struct Filter : IWindowProcFilter {
  Filter(UINT m, LRESULT r) : message(m), result(r) {}
  bool FilterMessage(HWND, UINT m, WPARAM, LPARAM, LRESULT* out) override {
    ++seen;
    if (m != message) return false;
    *out = result;
    return true;
  }
  UINT message;
  LRESULT result;
  int seen = 0;
};

TEST_F(ControlDispatch, PrivateMessagesAndFilters) {
  HWND window = control.GetHwnd();
  EXPECT_TRUE(IsRuntimeWindow(window));
  int64_t userValue = 0;
  EXPECT_EQ(Send(kQueryUserValueMessage, reinterpret_cast<WPARAM>(&userValue), kRuntimeWindowMarker),
            kRuntimeWindowMarker);
  EXPECT_EQ(userValue, 77);

  Filter older(WM_APP, 5), newer(WM_APP, 6);
  EXPECT_EQ(Send(kAddFilterMessage, reinterpret_cast<WPARAM>(&older), kRuntimeWindowMarker), kRuntimeWindowMarker);
  Send(kAddFilterMessage, reinterpret_cast<WPARAM>(&newer), kRuntimeWindowMarker);
  Send(kAddFilterMessage, reinterpret_cast<WPARAM>(&older), kRuntimeWindowMarker);  // no duplicate
  EXPECT_EQ(control.NativeWindow()->Filters().Count(), 2u);
  EXPECT_EQ(Send(WM_APP), 6);  // newest first
  EXPECT_FALSE(control.Native().SawDefault(WM_APP));
  Send(kRemoveFilterMessage, reinterpret_cast<WPARAM>(&newer), kRuntimeWindowMarker);
  EXPECT_EQ(Send(WM_APP), 5);
  // Without the marker the private message is an ordinary one.
  Send(kRemoveFilterMessage, reinterpret_cast<WPARAM>(&older), 0);
  EXPECT_EQ(control.NativeWindow()->Filters().Count(), 1u);
  control.NativeWindow()->DestroyWindow();
  EXPECT_EQ(control.NativeWindow()->Filters().Count(), 0u);
}

TEST(ControlUtilities, WithoutAWindowPropertiesAreKeptForCreation) {
  UiTestApp app;
  TestContainer control;
  EXPECT_EQ(control.GetWidth(), 0);
  EXPECT_EQ(control.GetHeight(), 0);
  control.Redraw();  // nothing to do
  control.SetTitle(CWString(L"stored"));
  EXPECT_FALSE(control.GetTitle().IsDifferent(L"stored"));
  ASSERT_TRUE(control.CreateTopLevel());
  EXPECT_FALSE(control.CreateTopLevel());  // exists already
  wchar_t text[16] = {};
  GetWindowTextW(control.GetHwnd(), text, 16);
  EXPECT_STREQ(text, L"stored");
  EXPECT_EQ(control.GetWidth(), 200);
  EXPECT_EQ(control.GetHeight(), 150);
  control.SetTitle(CWString(L"live"));
  EXPECT_FALSE(control.GetTitle().IsDifferent(L"live"));
  const CVolRect monitor = control.GetMonitorRect();
  EXPECT_EQ(monitor.right - monitor.left, GetSystemMetrics(SM_CXSCREEN));
}

}  // namespace
