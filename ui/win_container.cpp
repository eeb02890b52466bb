#include "ui/win_container.h"

#include <commctrl.h>

#include "ui/window_class.h"

namespace {

constexpr LRESULT kWantsKeys = 0x87;

bool IsMouseMessage(UINT message) {
  return message >= WM_MOUSEFIRST && message <= 0x20E;
}

bool CanTakeFocus(HWND window) {
  return IsWindowVisible(window) && IsWindowEnabled(window);
}

// Depth-first search below `parent` for the first visible, enabled window that satisfies `wanted`.
template <typename Predicate>
HWND FindDescendant(HWND parent, const Predicate& wanted) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!CanTakeFocus(child)) continue;
    if (wanted(child)) return child;
    if (HWND inner = FindDescendant(child, wanted)) return inner;
  }
  return nullptr;
}

}  // namespace

void CVWnd_Container::RelayToToolTip(const MSG* message) {
  if (!m_toolTip || !IsMouseMessage(message->message) || !IsWindow(m_toolTip)) return;
  if (SendMessageW(m_toolTip, TTM_GETTOOLCOUNT, 0, 0) > 0) {
    SendMessageW(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(message));
  }
}

bool CVWnd_Container::AnswerPreTranslate(MSG* message) {
  RelayToToolTip(message);
  return false;
}

LRESULT CVWnd_Container::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPreTranslateMessage && lParam == kRuntimeWindowMarker && wParam) {
    return AnswerPreTranslate(reinterpret_cast<MSG*>(wParam)) ? kRuntimeWindowMarker : 0;
  }
  return CVolNativeWindow::DefaultWindowProc(message, wParam, lParam);
}

CVolWinContainer::CVolWinContainer() : CVolWinContainer(std::make_unique<CVWnd_Container>()) {}

CVolWinContainer::CVolWinContainer(std::unique_ptr<CVolNativeWindow> native) : CVolWinControl(std::move(native)) {}

void CVolWinContainer::Prepare(CreateParams& params) {
  CVolWinControl::Prepare(params);
  params.style &= ~static_cast<uint32_t>(WS_TABSTOP);
  params.exStyle |= WS_EX_CONTROLPARENT;
  if (m_transparent) params.exStyle |= WS_EX_TRANSPARENT;
}

void CVolWinContainer::ApplyDefaultPlacement(CreateParams& params) {
  if (params.width != CreateParams::kDefault && params.height != CreateParams::kDefault) return;
  const int32_t clientWidth = DefaultClientWidth();
  const int32_t clientHeight = DefaultClientHeight();
  RECT rect{0, 0, clientWidth, clientHeight};
  const BOOL hasMenu = !params.parentWindow && params.menu;
  if (clientWidth <= 0 || clientHeight <= 0 || !AdjustWindowRectEx(&rect, params.style, hasMenu, params.exStyle)) {
    params.width = params.height = 0;
    return;
  }
  params.width = rect.right - rect.left;
  params.height = rect.bottom - rect.top;
}

bool CVolWinContainer::Dispatch(WindowMessage& message) {
  if (CVolWinControl::Dispatch(message)) return true;
  if (message.message == WM_SETFOCUS && FocusFirstDescendant()) return true;
  return false;
}

bool CVolWinContainer::FocusFirstDescendant() {
  HWND window = GetHwnd();
  if (!window) return false;
  HWND target = FindDescendant(window, [](HWND w) { return (SendMessageW(w, WM_GETDLGCODE, 0, 0) & kWantsKeys) != 0; });
  if (!target) target = FindDescendant(window, [](HWND w) { return (GetWindowLongPtrW(w, GWL_STYLE) & WS_TABSTOP) != 0; });
  if (!target) target = GetWindow(window, GW_CHILD);
  if (!target) return false;
  SetFocus(target);
  return true;
}

CVolEventContainer::CVolEventContainer() : CVolEventContainer(std::make_unique<CVWnd_Container>()) {}

CVolEventContainer::CVolEventContainer(std::unique_ptr<CVolNativeWindow> native)
    : CVolWinContainer(std::move(native)) {}

bool CVolEventContainer::Create(CreateParams& params) {
  return CreateRuntimeWindow(params, kContainerWindowClass);
}

bool CVolEventContainer::Dispatch(WindowMessage& message) {
  if (CVolWinContainer::Dispatch(message)) return true;
  switch (message.message) {
    case WM_CREATE:
      CreatedHook();
      OnCreated();
      return false;
    case WM_DESTROY:
      OnDestroyed();
      return false;
    case WM_SIZE:
      OnResized(LOWORD(message.lParam), HIWORD(message.lParam));
      return false;
    case WM_SHOWWINDOW:
      if (message.wParam) {
        OnShown();
      } else {
        OnHidden();
      }
      return false;
    case WM_MOVE:
      OnMoved(static_cast<int16_t>(LOWORD(message.lParam)), static_cast<int16_t>(HIWORD(message.lParam)));
      return false;
    case WM_COMMAND:
      if (message.lParam == 0) return OnMenuCommand(LOWORD(message.wParam)) != 0;
      return false;
    default:
      return false;
  }
}

int CVolEventContainer::OnCreated() {
  return m_containerEvents[kCreated].Fire<int>(this, 0);
}

int CVolEventContainer::OnDestroyed() {
  return m_containerEvents[kDestroyed].Fire<int>(this, 0);
}

int CVolEventContainer::OnContainerNotification() {
  return m_containerEvents[kContainerNotification].Fire<int>(this, 0);
}

int CVolEventContainer::OnResized(int32_t width, int32_t height) {
  return m_containerEvents[kResized].Fire<int, int32_t, int32_t>(this, 0, width, height);
}

int CVolEventContainer::OnShown() {
  return m_containerEvents[kShown].Fire<int>(this, 0);
}

int CVolEventContainer::OnHidden() {
  return m_containerEvents[kHidden].Fire<int>(this, 0);
}

int CVolEventContainer::OnMoved(int32_t x, int32_t y) {
  return m_containerEvents[kMoved].Fire<int, int32_t, int32_t>(this, 0, x, y);
}

int CVolEventContainer::OnMenuCommand(int32_t commandId) {
  return m_containerEvents[kMenuCommand].Fire<int, int32_t>(this, 0, commandId);
}
