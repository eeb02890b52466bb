// FrameworkWindow: the C++ object behind one native window.
//
// A framework window is attached to its HWND while the window is being created (before WM_NCCREATE), so it
// sees every message of the window. Attaching subclasses the window: the procedure the window class
// registered (DefWindowProcW for our own classes, the system procedure for "EDIT" and the up-down control)
// is remembered and our procedure put in its place. Every message then reaches the object's WindowProc;
// what the object does not handle goes to DefaultProcessing, which calls the remembered procedure.
//
// The framework keeps a process-wide map from HWND to object. Notifications a child control sends its
// parent (WM_COMMAND with a control window, WM_NOTIFY, WM_CTLCOLOR*) are reflected back to the child's own
// object first (OnReflectedMessage) when the parent does not handle them itself.
//
// Thread: a window and its object belong to the thread that created the window. The map may be read from
// any thread.
#pragma once

#include <windows.h>

#include <functional>

class FrameworkWindow {
 public:
  FrameworkWindow() = default;
  // Destroys a window that still exists.
  virtual ~FrameworkWindow();
  FrameworkWindow(const FrameworkWindow&) = delete;
  FrameworkWindow& operator=(const FrameworkWindow&) = delete;

  HWND Handle() const { return m_hWnd; }
  bool Exists() const { return m_hWnd != nullptr; }

  // Creates the native window with this object attached from its first message on. `menuOrId` is the menu of
  // a top-level window or the identifier of a child. False when this object already has a window or
  // creation fails (GetLastError tells why).
  bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                int width, int height, HWND parent, HMENU menuOrId, void* createParam = nullptr);
  // Runs `create` (which creates one window on this thread and returns it) with this object attached to the
  // window it creates, as CreateEx does; for windows made by other creation functions (dialogs).
  bool CreateThrough(const std::function<HWND()>& create);
  // Destroys the window; the object stays and may create a window again.
  bool DestroyWindow();

  // Attaches this object to a window created elsewhere (subclassing it). False when either side is taken.
  bool Attach(HWND window);
  // Gives the window its remembered procedure back and forgets it.
  HWND Detach();

  // The object attached to `window`, or null.
  static FrameworkWindow* FromHandle(HWND window);

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
  }
  bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam) != FALSE;
  }

  // Called by the application's run loop for queued messages of this window and its children before they
  // are dispatched; true = handled, do not dispatch.
  virtual bool PreTranslateMessage(MSG* message);

 protected:
  // Every message of the window. The base reflects child notifications, then runs DefaultProcessing.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The window class's own procedure (the one replaced when attaching).
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);
  // A notification this window sent its parent, handed back to it; true when handled (result in *result).
  virtual bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Hands a child's notification to the child's object; true when it handled it.
  bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Runs after the last message (WM_NCDESTROY), once the object has been detached. An object that deletes
  // itself with its window does it here.
  virtual void OnFinalMessage() {}

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
  void Subclass(HWND window);

  HWND m_hWnd = nullptr;
  WNDPROC m_superProcedure = nullptr;
};
