#include "ui/native_window.h"

#include "ui/wnd_object.h"

namespace {

// Holds one reference to a window object for the duration of a call.
class OwnerGuard {
 public:
  explicit OwnerGuard(CMfcWndObject* owner) : m_owner(AddRefTo(owner)) {}
  ~OwnerGuard() {
    if (m_owner) m_owner->Release();
  }
  OwnerGuard(const OwnerGuard&) = delete;
  OwnerGuard& operator=(const OwnerGuard&) = delete;

 private:
  CMfcWndObject* m_owner;
};

}  // namespace

CVolNativeWindow::~CVolNativeWindow() {
  // Destroy the window while this class's procedure still applies (the base destructor would run the
  // remaining messages without the listener anyway, but the filters must not see a half-destroyed object).
  SetListener(nullptr);
  m_filters.Clear();
  if (Exists()) DestroyWindow();
}

LRESULT CVolNativeWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) SetWindowLongPtrW(Handle(), GWLP_USERDATA, kRuntimeWindowMarker);

  if (lParam == kRuntimeWindowMarker && wParam) {
    switch (message) {
      case kRemoveFilterMessage:
        m_filters.Remove(reinterpret_cast<IWindowProcFilter*>(wParam));
        return kRuntimeWindowMarker;
      case kAddFilterMessage:
        m_filters.Add(reinterpret_cast<IWindowProcFilter*>(wParam));
        return kRuntimeWindowMarker;
      case kQueryUserValueMessage:
        *reinterpret_cast<int64_t*>(wParam) = m_userValue;
        return kRuntimeWindowMarker;
      default:
        break;
    }
  }

  HWND window = Handle();
  LRESULT result = 0;
  const bool filtered = m_filters.Run(window, message, wParam, lParam, &result);
  if (message == WM_NCDESTROY) m_filters.Clear();
  if (filtered) return result;

  if (IBaseEventListener* listener = Listener()) {
    OwnerGuard keepAlive(m_owner);
    WindowMessage record{window, message, wParam, lParam, 0};
    const bool handled = listener->OnRawMessage(record);
    if (handled) return record.result;
    if (!IsWindow(window) || Handle() != window) return 0;
    return DefaultWindowProc(message, record.wParam, record.lParam);
  }
  return DefaultWindowProc(message, wParam, lParam);
}

LRESULT CVolNativeWindow::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return FrameworkWindow::WindowProc(message, wParam, lParam);
}
