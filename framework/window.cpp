#include "framework/window.h"

#include <unordered_map>

#include "framework/application.h"
#include "runtime/lock.h"

namespace {

// HWND -> object, shared by all threads.
class WindowMap {
 public:
  void Add(HWND window, FrameworkWindow* object) {
    LockGuard guard(m_lock);
    m_map[window] = object;
  }
  void Remove(HWND window, FrameworkWindow* object) {
    LockGuard guard(m_lock);
    auto found = m_map.find(window);
    if (found != m_map.end() && found->second == object) m_map.erase(found);
  }
  FrameworkWindow* Find(HWND window) {
    LockGuard guard(m_lock);
    auto found = m_map.find(window);
    return found == m_map.end() ? nullptr : found->second;
  }

 private:
  Lock m_lock;
  std::unordered_map<HWND, FrameworkWindow*> m_map;
};

WindowMap& Windows() {
  static WindowMap* map = new WindowMap();  // never destroyed: windows may go away during static destruction
  return *map;
}

// The object waiting for the window CreateEx is creating on this thread, and the thread's creation hook.
thread_local FrameworkWindow* t_pendingCreation = nullptr;
thread_local HHOOK t_creationHook = nullptr;
thread_local int t_creationDepth = 0;

HWND ReflectingChild(UINT message, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
      return lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    default:
      return nullptr;
  }
}

}  // namespace

FrameworkWindow::~FrameworkWindow() {
  if (m_hWnd && IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  // Destruction may fail (a window of another thread); never leave the window pointing at a dead object.
  if (m_hWnd) Detach();
}

bool FrameworkWindow::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x,
                               int y, int width, int height, HWND parent, HMENU menuOrId, void* createParam) {
  return CreateThrough([&] {
    return CreateWindowExW(exStyle, className, title ? title : L"", style, x, y, width, height, parent, menuOrId,
                           FrameworkApp::Instance(), createParam);
  });
}

bool FrameworkWindow::CreateThrough(const std::function<HWND()>& create) {
  if (m_hWnd) return false;
  if (t_creationDepth++ == 0) {
    t_creationHook = SetWindowsHookExW(WH_CBT, &FrameworkWindow::CreationHook, nullptr, GetCurrentThreadId());
  }
  FrameworkWindow* outer = t_pendingCreation;
  t_pendingCreation = this;
  HWND window = create();
  const DWORD error = GetLastError();
  t_pendingCreation = outer;
  if (--t_creationDepth == 0 && t_creationHook) {
    UnhookWindowsHookEx(t_creationHook);
    t_creationHook = nullptr;
  }
  if (!window) {
    // Creation may fail after the window was attached (WM_NCCREATE or WM_CREATE refused): it is gone now.
    if (m_hWnd) Detach();
    SetLastError(error);
    return false;
  }
  if (!m_hWnd) Attach(window);  // no hook ran (should not happen): attach late rather than never
  return m_hWnd == window;
}

bool FrameworkWindow::DestroyWindow() {
  return m_hWnd && ::DestroyWindow(m_hWnd);
}

bool FrameworkWindow::Attach(HWND window) {
  if (m_hWnd || !window || Windows().Find(window)) return false;
  Subclass(window);
  return true;
}

HWND FrameworkWindow::Detach() {
  HWND window = m_hWnd;
  if (!window) return nullptr;
  if (IsWindow(window) && GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Procedure)) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProcedure));
  }
  Windows().Remove(window, this);
  m_hWnd = nullptr;
  m_superProcedure = nullptr;
  return window;
}

FrameworkWindow* FrameworkWindow::FromHandle(HWND window) {
  return window ? Windows().Find(window) : nullptr;
}

bool FrameworkWindow::PreTranslateMessage(MSG*) {
  return false;
}

LRESULT FrameworkWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectToChild(message, wParam, lParam, &result)) return result;
  return DefaultProcessing(message, wParam, lParam);
}

LRESULT FrameworkWindow::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_superProcedure) return DefWindowProcW(m_hWnd, message, wParam, lParam);
  return CallWindowProcW(m_superProcedure, m_hWnd, message, wParam, lParam);
}

bool FrameworkWindow::OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT*) {
  return false;
}

bool FrameworkWindow::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  HWND child = ReflectingChild(message, lParam);
  if (!child || child == m_hWnd) return false;
  FrameworkWindow* object = FromHandle(child);
  return object && object->OnReflectedMessage(message, wParam, lParam, result);
}

void FrameworkWindow::Subclass(HWND window) {
  m_hWnd = window;
  Windows().Add(window, this);
  m_superProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameworkWindow::Procedure)));
  if (m_superProcedure == &FrameworkWindow::Procedure) m_superProcedure = nullptr;
}

LRESULT CALLBACK FrameworkWindow::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && t_pendingCreation) {
    FrameworkWindow* object = t_pendingCreation;
    t_pendingCreation = nullptr;  // windows created while this one is being created are not ours
    object->Subclass(reinterpret_cast<HWND>(wParam));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK FrameworkWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  FrameworkWindow* object = FromHandle(window);
  if (!object) return DefWindowProcW(window, message, wParam, lParam);
  const LRESULT result = object->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY && FromHandle(window) == object) {
    // The window is gone: forget it (the object may have been destroyed meanwhile, hence the lookup).
    object->Detach();
    if (FrameworkApp* app = FrameworkApp::Current()) app->OnWindowDestroyed(object);
    object->OnFinalMessage();
  }
  return result;
}
