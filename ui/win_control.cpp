#include "ui/win_control.h"

#include <shellapi.h>
#include <windowsx.h>

#include <vector>

#include "ui/message_box.h"
#include "ui/window_class.h"

namespace {

// WM_GETDLGCODE bits that mean "this window wants keyboard input".
constexpr LRESULT kWantsKeys = 0x87;
// Frame styles the system may add to a window on its own (an overlapped window always gets a caption).
constexpr DWORD kFrameStyles = WS_CAPTION | WS_THICKFRAME;
constexpr DWORD kFrameExStyles = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME;

bool KeyIsDown(int key) {
  return (GetKeyState(key) & 0x8000) != 0;
}

}  // namespace

int32_t KeyModifiers() {
  int32_t modifiers = 0;
  if (KeyIsDown(VK_CONTROL)) modifiers |= kModifierCtrl;
  if (KeyIsDown(VK_MENU)) modifiers |= kModifierAlt;
  if (KeyIsDown(VK_SHIFT)) modifiers |= kModifierShift;
  return modifiers;
}

int32_t MouseModifiers(WPARAM wParam) {
  int32_t modifiers = 0;
  if (wParam & MK_CONTROL) modifiers |= kModifierCtrl;
  if (KeyIsDown(VK_MENU)) modifiers |= kModifierAlt;
  if (wParam & MK_SHIFT) modifiers |= kModifierShift;
  return modifiers;
}

CVolWinControl::CVolWinControl() : CVolWinControl(nullptr) {}

CVolWinControl::CVolWinControl(std::unique_ptr<CVolNativeWindow> native)
    : CVolRefObject(new CMfcWndObject(std::move(native))) {}

CVolWinControl::~CVolWinControl() {
  DetachListener();
  for (EventBinding& binding : m_events) binding.Unbind();
  // The window object (and with it a window that still exists) goes with the CVolRefObject base.
}

bool CVolWinControl::Create(CreateParams&) {
  return false;
}

void CVolWinControl::Prepare(CreateParams& params) {
  CMfcWndObject* window = WindowObject();
  if (params.title.IsEmpty()) params.title = window->Title();
  if (params.style == 0) params.style = window->Style();
  if (params.exStyle == 0) params.exStyle = window->ExStyle();
  if (params.parentWindow && !(params.style & WS_POPUP)) {
    params.style |= WS_CHILD;
  } else {
    params.style &= ~static_cast<uint32_t>(WS_CHILD);
  }
  params.font = window->FontOrDefault();
}

void CVolWinControl::ApplyDefaultPlacement(CreateParams&) {}

void CVolWinControl::AfterCreate(HWND window, CreateParams& params) {
  if (params.font) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(params.font), FALSE);

  LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  const LONG_PTR oldStyle = style, oldExStyle = exStyle;
  if ((SendMessageW(window, WM_GETDLGCODE, 0, 0) & kWantsKeys) && !(params.style & WS_TABSTOP)) style |= WS_TABSTOP;
  style &= ~static_cast<LONG_PTR>(kFrameStyles & ~params.style);
  exStyle &= ~static_cast<LONG_PTR>(kFrameExStyles & ~params.exStyle);
  if (style != oldStyle) SetWindowLongPtrW(window, GWL_STYLE, style);
  if (exStyle != oldExStyle) SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle);
  if ((style ^ oldStyle) & kFrameStyles || exStyle != oldExStyle) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  if (params.parentControl && params.parentControl->HasWindow()) params.parentControl->FireChildCreated(params.id);
}

void CVolWinControl::FireChildCreated(int32_t childId) {
  m_events[kChildCreated].Fire<int, int32_t>(this, 0, childId);
}

// Reading the key state is costly under some platforms: the arguments are worked out only for a bound event.
int CVolWinControl::FireMouse(BaseEvent which, const WindowMessage& message) {
  if (!m_events[which].IsBound()) return 0;
  return m_events[which].Fire<int, int32_t, int32_t, int32_t>(this, 0, GET_X_LPARAM(message.lParam),
                                                              GET_Y_LPARAM(message.lParam),
                                                              MouseModifiers(message.wParam));
}

int CVolWinControl::FireKey(BaseEvent which, const WindowMessage& message) {
  if (!m_events[which].IsBound()) return 0;
  return m_events[which].Fire<int, int32_t, int32_t>(this, 0, static_cast<int32_t>(message.wParam), KeyModifiers());
}

bool CVolWinControl::Dispatch(WindowMessage& message) {
  if (FireRawMessage(message)) return true;
  int result = 0;
  switch (message.message) {
    case WM_LBUTTONDOWN: result = FireMouse(kLeftButtonDown, message); break;
    case WM_LBUTTONUP: result = FireMouse(kLeftButtonUp, message); break;
    case WM_LBUTTONDBLCLK: result = FireMouse(kLeftDoubleClick, message); break;
    case WM_RBUTTONDOWN: result = FireMouse(kRightButtonDown, message); break;
    case WM_RBUTTONUP: result = FireMouse(kRightButtonUp, message); break;
    case WM_MBUTTONDOWN: result = FireMouse(kMiddleButtonDown, message); break;
    case WM_MBUTTONUP: result = FireMouse(kMiddleButtonUp, message); break;
    case WM_MOUSEMOVE: result = FireMouse(kMouseMove, message); break;
    case WM_MOUSEWHEEL:
      if (!m_events[kMouseWheel].IsBound()) break;
      result = m_events[kMouseWheel].Fire<int, int32_t, int32_t>(
          this, 0, GET_WHEEL_DELTA_WPARAM(message.wParam) / WHEEL_DELTA, MouseModifiers(GET_KEYSTATE_WPARAM(message.wParam)));
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: result = FireKey(kKeyDown, message); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: result = FireKey(kKeyUp, message); break;
    case WM_SETFOCUS: result = m_events[kFocusGained].Fire<int>(this, 0); break;
    case WM_KILLFOCUS: result = m_events[kFocusLost].Fire<int>(this, 0); break;
    case WM_CHAR: {
      const int replacement = m_events[kCharacter].Fire<int, int32_t>(this, 0, static_cast<int32_t>(message.wParam));
      if (replacement < 0) return true;  // swallowed
      if (replacement > 0) message.wParam = static_cast<WPARAM>(replacement);
      return false;
    }
    case WM_DROPFILES: return DispatchDroppedFiles(message);
    case WM_SETCURSOR:
      // Only over the client area: borders keep their sizing cursors.
      if (HCURSOR cursor = WindowObject()->Cursor(); cursor && LOWORD(message.lParam) == HTCLIENT) {
        ::SetCursor(cursor);
        message.result = TRUE;
        return true;
      }
      return false;
    default: return false;
  }
  return result != 0;
}

bool CVolWinControl::FireRawMessage(const WindowMessage& message) {
  return m_events[kRawMessage].Fire<int, int32_t, int64_t, int64_t>(this, 0, static_cast<int32_t>(message.message),
                                                                      static_cast<int64_t>(message.wParam),
                                                                      static_cast<int64_t>(message.lParam)) != 0;
}

bool CVolWinControl::DispatchDroppedFiles(WindowMessage& message) {
  HDROP drop = reinterpret_cast<HDROP>(message.wParam);
  CVolTextArray paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::vector<wchar_t> path(length + 1);
    if (DragQueryFileW(drop, i, path.data(), length + 1) > 0) paths.Append(path.data());
  }
  DragFinish(drop);
  if (paths.GetCount() > 0) m_events[kFilesDropped].Fire<int, CVolTextArray*>(this, 0, &paths);
  return true;  // the drop handle is released
}

void CVolWinControl::AttachListener() {
  CVolNativeWindow* native = NativeWindow();
  IBaseEventListener* listener = ListenerInterface();
  if (native && listener) native->SetListener(listener);
}

void CVolWinControl::DetachListener() {
  CVolNativeWindow* native = NativeWindow();
  IBaseEventListener* listener = ListenerInterface();
  if (native && listener && native->Listener() == listener) native->SetListener(nullptr);
}

bool CVolWinControl::IsAttached() const {
  CVolNativeWindow* native = NativeWindow();
  IBaseEventListener* listener = const_cast<CVolWinControl*>(this)->ListenerInterface();
  return native && listener && native->Listener() == listener;
}

bool CVolWinControl::CreateRuntimeWindow(CreateParams& params, const wchar_t* className, Visibility visibility) {
  return BeginCreation(params) && MakeRuntimeWindow(params, className, visibility);
}

bool CVolWinControl::BeginCreation(CreateParams& params) {
  CVolNativeWindow* native = NativeWindow();
  if (!native) return false;
  native->SetUserValue(params.userValue);
  if (native->Exists()) return false;
  Prepare(params);
  ApplyDefaultPlacement(params);
  return true;
}

bool CVolWinControl::MakeRuntimeWindow(CreateParams& params, const wchar_t* className, Visibility visibility) {
  CVolNativeWindow* native = NativeWindow();
  if (!RegisterRuntimeWindowClass(className)) return false;
  if (!className) className = kFormWindowClass;

  DWORD style = params.style;
  if (visibility == Visibility::kCreateHidden) style &= ~static_cast<DWORD>(WS_VISIBLE);
  HWND parent = params.parentWindow ? params.parentWindow->Handle() : nullptr;
  HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(params.id)) : params.menu;
  // The listener hears the window's creation messages too.
  AttachListener();
  if (!native->CreateEx(params.exStyle, className, params.title.GetText(), style, params.x, params.y, params.width,
                        params.height, parent, menuOrId)) {
    return false;
  }
  HWND window = native->Handle();
  SetWindowLongPtrW(window, GWLP_USERDATA, kRuntimeWindowMarker);
  AfterCreate(window, params);
  return native->Exists();
}

bool CVolWinControl::CreateChild(CVolWinControl& parent, int32_t x, int32_t y, int32_t width, int32_t height,
                                 int32_t id) {
  CreateParams params;
  params.parentWindow = parent.WindowObject();
  params.parentControl = &parent;
  params.x = x;
  params.y = y;
  params.width = width;
  params.height = height;
  params.id = id;
  return Create(params);
}

bool CVolWinControl::CreateDefault(HMENU menu) {
  CreateParams params;
  params.menu = menu;
  return Create(params);
}

void CVolWinControl::SetTitle(const CWString& title) {
  WindowObject()->SetTitle(title);
  HWND window = GetHwnd();
  if (!window) return;
  SetWindowTextW(window, title.GetText());
  if (!RedrawsItselfOnTitleChange()) InvalidateRect(window, nullptr, TRUE);
}

CWString CVolWinControl::GetTitle() const {
  HWND window = GetHwnd();
  if (!window) return WindowObject()->Title();
  const int length = GetWindowTextLengthW(window);
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
  GetWindowTextW(window, text.data(), length + 1);
  return CWString(text.data());
}

bool CVolWinControl::SetCursorShape(int32_t id) {
  HCURSOR cursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(id & 0xFFFF));
  if (!cursor) return false;
  WindowObject()->SetCursor(cursor);
  if (!IsAttached()) AttachListener();
  // Moving the pointer where it is makes the window ask for its cursor again.
  POINT position;
  if (GetCursorPos(&position)) SetCursorPos(position.x, position.y);
  return true;
}

int32_t CVolWinControl::GetWidth() const {
  RECT rect;
  HWND window = GetHwnd();
  return window && GetWindowRect(window, &rect) ? rect.right - rect.left : 0;
}

int32_t CVolWinControl::GetHeight() const {
  RECT rect;
  HWND window = GetHwnd();
  return window && GetWindowRect(window, &rect) ? rect.bottom - rect.top : 0;
}

void CVolWinControl::Redraw() {
  if (HWND window = GetHwnd()) InvalidateRect(window, nullptr, TRUE);
}

void CVolWinControl::MoveTo(int32_t x, int32_t y, int32_t width, int32_t height) {
  HWND window = GetHwnd();
  if (!window) return;
  RECT rect;
  GetWindowRect(window, &rect);
  if (HWND parent = GetParent(window); parent && (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) {
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  if (rect.left == x && rect.top == y && rect.right - rect.left == width && rect.bottom - rect.top == height) return;
  MoveWindow(window, x, y, width, height, TRUE);
}

CVolRect CVolWinControl::GetMonitorRect() const {
  return GetMonitorRect(GetHwnd());
}

CVolRect CVolWinControl::GetMonitorRect(HWND window) {
  if (window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info)) {
      return CVolRect(info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom);
    }
  }
  return CVolRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

int32_t CVolWinControl::ShowMessage(const CWString& text, int32_t type, const CWString& caption) const {
  return ::ShowMessage(GetHwnd(), text, type, caption);
}
