// CVolNativeWindow: the base of every native window class of the runtime (CVWnd_Container,
// CVWnd_WinForm, CVWnd_Painter, CVWnd_Edit, CVWnd_Dummy, CVWnd_Timer). It is the framework window that
// a control's window object (CMfcWndObject) owns, and it keeps:
//   - the listener: the interface of the control that receives this window's messages (null = none);
//   - the user value copied from the creation parameters;
//   - the list of window-procedure filters.
// Its window procedure, for every message:
//   1. answers the private messages kRemoveFilterMessage, kAddFilterMessage and kQueryUserValueMessage
//      (lParam = kRuntimeWindowMarker, wParam non-null) with the marker;
//   2. offers the message to the filters (the first that handles it decides the result); WM_NCDESTROY
//      empties the list;
//   3. hands it to the listener; when the listener handles it, or the window is destroyed meanwhile, the
//      result is the listener's (0 unless it set one);
//   4. otherwise runs DefaultWindowProc: the window's own behaviour, then the framework's default
//      processing (reflection of child notifications, the window class's procedure).
// The window marks itself as a runtime window (GWLP_USERDATA = kRuntimeWindowMarker) on WM_NCCREATE.
//
// Derived native classes put window behaviour that does not depend on a listener in DefaultWindowProc
// and call the base for everything else.
//
// Thread: the window's thread; the listener pointer may be changed from any thread (rebinding).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "framework/window.h"
#include "ui/event_listeners.h"
#include "ui/window_proc_filters.h"

class CMfcWndObject;

class CVolNativeWindow : public FrameworkWindow {
 public:
  CVolNativeWindow() = default;
  ~CVolNativeWindow() override;

  IBaseEventListener* Listener() const { return m_listener.load(std::memory_order_acquire); }
  void SetListener(IBaseEventListener* listener) { m_listener.store(listener, std::memory_order_release); }

  int64_t UserValue() const { return m_userValue; }
  void SetUserValue(int64_t value) { m_userValue = value; }

  CVolWindowProcFilters& Filters() { return m_filters; }

  // The window object that owns this native window; kept alive while a message is with the listener, so a
  // handler that drops the last reference to the control does not delete the window under its own message.
  CMfcWndObject* Owner() const { return m_owner; }
  void SetOwner(CMfcWndObject* owner) { m_owner = owner; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Step 4 of the window procedure. The base runs the framework's default processing.
  virtual LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  std::atomic<IBaseEventListener*> m_listener{nullptr};
  int64_t m_userValue = -1;
  CVolWindowProcFilters m_filters;
  CMfcWndObject* m_owner = nullptr;
};

// A hidden helper window of class "VolDummyWnd" (timers).
class CVWnd_Dummy : public CVolNativeWindow {};
