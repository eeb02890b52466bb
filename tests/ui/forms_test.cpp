// Forms: preparation, default placement, shapes, the created hook and events, closing, modal runs and the
// end of event delivery when a form is destroyed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/message_pump.h"
#include "support/ui_test_app.h"
#include "ui/win_form.h"

namespace {

class TestForm : public CVolWinForm {
 public:
  int32_t clientWidth = 600;
  int32_t clientHeight = 400;
  std::vector<std::string> log;
  CVolEventContainer child;

  ~TestForm() override { BeginDestruction(); }
  int32_t DefaultClientWidth() override { return clientWidth; }
  int32_t DefaultClientHeight() override { return clientHeight; }
  void CreatedHook() override {
    log.push_back("hook");
    BindEvent(kCreated, &TestForm::Created, EventHolder());
    BindEvent(kChildCreated, &TestForm::ChildCreated, EventHolder());
    child.CreateChild(*this, 0, 0, 50, 50, 101);
  }

  static int Created(CVolObject* self, CVolObject*, int32_t) {
    static_cast<TestForm*>(self)->log.push_back("created");
    return 0;
  }
  static int ChildCreated(CVolObject* self, CVolObject*, int32_t, int32_t id) {
    static_cast<TestForm*>(self)->log.push_back("child " + std::to_string(id));
    return 0;
  }
};

// Forms without border or control box, the way the installer's window is made.
void MakeBorderless(CVolWinForm& form) {
  form.SetControlBox(false);
  form.SetBorderStyle(0);
}

// Whether two regions cover the same pixels (the window manager may split a region into other bands).
bool SamePixels(HRGN a, HRGN b) {
  HRGN difference = CreateRectRgn(0, 0, 0, 0);
  const int kind = CombineRgn(difference, a, b, RGN_XOR);
  DeleteObject(difference);
  return kind == NULLREGION;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

TEST(Forms, DefaultSizeIsTheClientSizeAndTheFormIsCentred) {
  UiTestApp app;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  {
    TestForm form;
    MakeBorderless(form);
    ASSERT_TRUE(form.CreateDefault());
    const RECT rect = WindowRect(form.GetHwnd());
    EXPECT_EQ(rect.right - rect.left, 600);
    EXPECT_EQ(rect.bottom - rect.top, 400);
    EXPECT_EQ(rect.left, (screenWidth - 600) / 2);
    EXPECT_EQ(rect.top, (screenHeight - 400) / 2);
    // The caption the system gives an overlapped window was taken away again.
    EXPECT_EQ(GetWindowLongPtrW(form.GetHwnd(), GWL_STYLE) & WS_CAPTION, 0);
  }
  {
    TestForm form;  // fixed border with a caption: the client area keeps the default size
    ASSERT_TRUE(form.CreateDefault());
    RECT client;
    GetClientRect(form.GetHwnd(), &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 400);
    const RECT rect = WindowRect(form.GetHwnd());
    EXPECT_EQ(rect.left, (screenWidth - (rect.right - rect.left)) / 2);
    // An empty title with a control box shows the application's title.
    EXPECT_FALSE(form.GetTitle().IsDifferent(kApplicationTitle));
  }
  {
    TestForm form;  // no default client size: a window size of 0 x 0 is asked for
    form.clientWidth = 0;
    CreateParams params;
    form.Prepare(params);
    form.ApplyDefaultPlacement(params);
    EXPECT_EQ(params.width, 0);
    EXPECT_EQ(params.height, 0);
  }
}

TEST(Forms, PreparationTurnsPropertiesIntoStyles) {
  struct Case {
    int border;
    bool controlBox, minBox, maxBox;
    int startMode;
    DWORD styleOn, styleOff, exOn;
  } cases[] = {
      {0, false, true, true, 0, 0, WS_CAPTION | WS_DLGFRAME | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, 0},
      {1, true, true, false, 0, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, WS_MAXIMIZEBOX, 0},
      {2, true, false, true, 2, WS_CAPTION | WS_MAXIMIZEBOX | WS_MINIMIZE, WS_THICKFRAME | WS_MINIMIZEBOX, 0},
      {3, true, false, false, 3, WS_THICKFRAME | WS_MAXIMIZE, 0, WS_EX_TOOLWINDOW},
      {4, true, false, false, 0, WS_DLGFRAME, WS_THICKFRAME, WS_EX_TOOLWINDOW},
      {5, true, false, false, 0, WS_THICKFRAME, 0, WS_EX_CLIENTEDGE},
      {6, true, false, false, 0, WS_DLGFRAME, WS_THICKFRAME, WS_EX_CLIENTEDGE},
  };
  for (const Case& c : cases) {
    CVolWinForm form;
    form.SetBorderStyle(c.border);
    form.SetControlBox(c.controlBox);
    form.SetMinBox(c.minBox);
    form.SetMaxBox(c.maxBox);
    form.SetStartMode(c.startMode);
    CreateParams params;
    form.Prepare(params);
    EXPECT_EQ(params.style & c.styleOn, c.styleOn) << "border style " << c.border;
    EXPECT_EQ(params.style & c.styleOff, 0u) << "border style " << c.border;
    EXPECT_EQ(params.exStyle & c.exOn, c.exOn) << "border style " << c.border;
    EXPECT_TRUE(params.style & WS_CLIPCHILDREN);
    EXPECT_TRUE(params.exStyle & WS_EX_CONTROLPARENT);
    EXPECT_FALSE(params.style & WS_CHILD);
  }
  // An owned form becomes a pop-up.
  CVolWinForm owner, owned;
  CreateParams params;
  params.parentWindow = owner.WindowObject();
  owned.Prepare(params);
  EXPECT_TRUE(params.style & WS_POPUP);
  EXPECT_FALSE(params.style & WS_CHILD);
}

TEST(Forms, RoundedShapeHasCornerEllipsesOfAFifth) {
  UiTestApp app;
  TestForm form;
  MakeBorderless(form);
  form.SetShape(5);
  EXPECT_EQ(form.GetShape(), 2);
  ASSERT_TRUE(form.CreateDefault());
  HRGN actual = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(form.GetHwnd(), actual), ERROR);
  HRGN expected = CreateRoundRectRgn(0, 0, 600, 400, 80, 80);
  HRGN other = CreateRoundRectRgn(0, 0, 600, 400, 60, 60);
  EXPECT_TRUE(SamePixels(actual, expected));
  EXPECT_FALSE(SamePixels(actual, other));

  // The region follows the size.
  SetWindowPos(form.GetHwnd(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
  HRGN resized = CreateRoundRectRgn(0, 0, 300, 200, 40, 40);
  GetWindowRgn(form.GetHwnd(), actual);
  EXPECT_TRUE(SamePixels(actual, resized));

  form.SetShape(-1);
  EXPECT_EQ(form.GetShape(), 0);
  EXPECT_EQ(GetWindowRgn(form.GetHwnd(), actual), ERROR);  // no region any more
  for (HRGN r : {actual, expected, other, resized}) DeleteObject(r);
}

TEST(Forms, CreatedHookRunsBeforeTheCreatedEventAndChildrenAnnounceThemselves) {
  UiTestApp app;
  TestForm form;
  ASSERT_TRUE(form.CreateDefault());
  EXPECT_EQ(form.log, (std::vector<std::string>{"hook", "child 101", "created"}));
  EXPECT_EQ(GetParent(form.child.GetHwnd()), form.GetHwnd());
  EXPECT_EQ(GetDlgCtrlID(form.child.GetHwnd()), 101);
}

struct CloseReceiver : CVolObject {
  CloseReceiver() : events(this) {}
  ~CloseReceiver() override { events.Detach(); }
  static int MayClose(CVolObject* self, CVolObject*, int32_t) { return static_cast<CloseReceiver*>(self)->allow; }
  static int Request(CVolObject* self, CVolObject*, int32_t) { return static_cast<CloseReceiver*>(self)->refuse; }
  static int Limits(CVolObject*, CVolObject*, int32_t, CVolMinMaxInfo* limits) {
    limits->minTrackSize = CVolSize(321, 123);
    return 0;
  }
  static int Mouse(CVolObject* self, CVolObject*, int32_t, int32_t, int32_t, int32_t) {
    ++static_cast<CloseReceiver*>(self)->mouse;
    return 0;
  }
  EventReceiver events;
  int allow = 1, refuse = 0, mouse = 0;
};

TEST(Forms, ClosingAsksTheRequestAndTheMayCloseQuery) {
  UiTestApp app;
  TestForm form;
  CloseReceiver receiver;
  form.BindEvent(kMayClose, &CloseReceiver::MayClose, receiver.events.Holder());
  form.BindEvent(kCloseRequest, &CloseReceiver::Request, receiver.events.Holder());
  ASSERT_TRUE(form.CreateDefault());
  HWND window = form.GetHwnd();

  receiver.refuse = 1;
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window));
  receiver.refuse = 0;
  receiver.allow = 0;
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), FALSE);
  receiver.allow = 1;
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
}

struct FormEvents : CVolObject {
  FormEvents() : events(this) {}
  ~FormEvents() override { events.Detach(); }
  static int Log(CVolObject* self, CVolObject*, int32_t extra) {
    static_cast<FormEvents*>(self)->log.push_back(extra);
    return 0;
  }
  static int LogValue(CVolObject* self, CVolObject*, int32_t extra, int32_t value) {
    static_cast<FormEvents*>(self)->log.push_back(extra * 100 + value);
    return 0;
  }
  EventReceiver events;
  std::vector<int> log;
};

TEST(Forms, ActivationTrayAndMenuNotifications) {
  UiTestApp app;
  TestForm form;
  FormEvents events;
  form.BindEvent(kFirstActivation, &FormEvents::Log, events.events.Holder(), 1);
  form.BindEvent(kActivated, &FormEvents::Log, events.events.Holder(), 2);
  form.BindEvent(kDeactivated, &FormEvents::Log, events.events.Holder(), 3);
  form.BindEvent(kTrayNotification, &FormEvents::LogValue, events.events.Holder(), 4);
  form.BindEvent(kMenuSelect, &FormEvents::LogValue, events.events.Holder(), 5);
  ASSERT_TRUE(form.CreateDefault());
  HWND window = form.GetHwnd();
  events.log.clear();  // creation may already have activated the form
  SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);
  SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
  for (LPARAM mouse : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_CONTEXTMENU, WM_MOUSEMOVE}) {
    SendMessageW(window, kTrayNotifyMessage, 0, mouse);
  }
  SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(42, MF_STRING), 1);
  SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(3, MF_POPUP), 1);
  SendMessageW(window, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  // First activation happened at most once, before this point; the rest in order.
  EXPECT_EQ(events.log, (std::vector<int>{3, 2, 401, 402, 403, 403, 542, 500, 500}));
}

TEST(Forms, StylePropertiesApplyToALiveWindow) {
  UiTestApp app;
  TestForm form;
  form.SetMovable(false);
  form.SetTitle(CWString(L"styled"));
  ASSERT_TRUE(form.CreateDefault());
  HWND window = form.GetHwnd();
  EXPECT_EQ(GetMenuState(GetSystemMenu(window, FALSE), SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
  auto style = [&] { return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)); };
  EXPECT_EQ(style() & (WS_CAPTION | WS_SYSMENU), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
  form.SetMaxBox(true);
  EXPECT_TRUE(style() & WS_MAXIMIZEBOX);
  form.SetBorderStyle(0);
  EXPECT_EQ(style() & (WS_CAPTION | WS_THICKFRAME | WS_DLGFRAME), 0u);
  form.SetBorderStyle(2);
  EXPECT_EQ(style() & (WS_CAPTION | WS_SYSMENU), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
}

TEST(Forms, SizeLimitsHandlerChangesTheLimits) {
  UiTestApp app;
  TestForm form;
  CloseReceiver receiver;
  form.BindEvent(kSizeLimits, &CloseReceiver::Limits, receiver.events.Holder());
  ASSERT_TRUE(form.CreateDefault());
  MINMAXINFO info{};
  SendMessageW(form.GetHwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 321);
  EXPECT_EQ(info.ptMinTrackSize.y, 123);
}

TEST(Forms, NoHandlerOfAFormRunsOnceItsDestructionBegan) {
  UiTestApp app;
  CVolEventContainer panel;
  CreateParams params;
  params.x = params.y = 0;
  params.width = params.height = 50;
  ASSERT_TRUE(panel.Create(params));
  auto* form = new TestForm();
  panel.BindEvent(kLeftButtonDown, &CloseReceiver::Mouse, form->EventHolder());
  form->BeginDestruction();
  EXPECT_EQ(form->EventHolder(), nullptr);
  EXPECT_TRUE(form->Flags() & CVolObject::kDestroyingFlag);
  SendMessageW(panel.GetHwnd(), WM_LBUTTONDOWN, 0, 0);  // would write into the form: must be dropped
  delete form;
  SendMessageW(panel.GetHwnd(), WM_LBUTTONDOWN, 0, 0);
}

TEST(Forms, ModalFormRunsUntilEscapeAndGivesTheFocusBack) {
  UiTestApp app;
  TestForm owner;
  ASSERT_TRUE(owner.CreateDefault());
  CVolEventContainer focusTarget;
  ASSERT_TRUE(focusTarget.CreateChild(owner, 0, 0, 20, 20, 7));
  SetFocus(focusTarget.GetHwnd());
  ASSERT_EQ(GetFocus(), focusTarget.GetHwnd());

  TestForm modal;
  modal.clientWidth = 200;
  modal.clientHeight = 100;
  CreateParams params;
  params.parentWindow = owner.WindowObject();
  params.modal = true;
  // Once the modal loop runs, press Esc in the modal form.
  SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND dialog = FindWindowW(L"#32770", kApplicationTitle);
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  });
  ASSERT_TRUE(modal.Create(params));
  EXPECT_EQ(params.modalResult, -1);
  EXPECT_EQ(modal.GetModalResult(), -1);
  EXPECT_FALSE(modal.HasWindow());
  EXPECT_EQ(modal.log, (std::vector<std::string>{"hook", "child 101", "created"}));
  EXPECT_TRUE(IsWindowEnabled(owner.GetHwnd()));
  EXPECT_EQ(GetFocus(), focusTarget.GetHwnd());
}

}  // namespace
