// The interfaces through which a native window talks to the control that listens to it.
//
// A native window keeps a pointer to one IBaseEventListener (the control's interface) and hands it every
// message (OnRawMessage, which runs the control's dispatcher). The derived interfaces add the operations
// of each control kind; a control implements them by running its default behaviour and then firing the
// event's binding. The tree: IBaseEventListener <- IContainerEventListener <- IWinFormEventListener,
// and IBaseEventListener <- IEditEventListener, IPainterEventListener, ITimerEventListener. Bases are
// virtual so that a form, which is a container and a form listener, has one of each.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/window_messages.h"

class CVolMinMaxInfo;
class CVolRect;

class IBaseEventListener {
 public:
  // Every message of the native window; true = handled (result in message.result) and the window's
  // default processing does not run.
  virtual bool OnRawMessage(WindowMessage& message) = 0;

 protected:
  ~IBaseEventListener() = default;
};

// Events of a container window. Each returns the event's result (0 = continue with default processing).
class IContainerEventListener : public virtual IBaseEventListener {
 public:
  virtual int OnCreated() = 0;                       // WM_CREATE, after the container's created hook
  virtual int OnDestroyed() = 0;                     // WM_DESTROY
  virtual int OnContainerNotification() = 0;         // no sender in this program
  virtual int OnResized(int32_t width, int32_t height) = 0;  // WM_SIZE, client size
  virtual int OnShown() = 0;                         // WM_SHOWWINDOW, shown
  virtual int OnHidden() = 0;                        // WM_SHOWWINDOW, hidden
  virtual int OnMoved(int32_t x, int32_t y) = 0;     // WM_MOVE, client origin
  virtual int OnMenuCommand(int32_t commandId) = 0;  // WM_COMMAND without a control; non-zero = handled

 protected:
  ~IContainerEventListener() = default;
};

class IWinFormEventListener : public virtual IContainerEventListener {
 public:
  // A queued message on its way to this form or a window inside it; true = consumed.
  virtual bool OnPreTranslate(MSG* message) = 0;
  // False keeps the form open (WM_CLOSE, WM_QUERYENDSESSION).
  virtual bool OnMayClose() = 0;
  // Asked first on WM_CLOSE; non-zero keeps the form open.
  virtual int OnCloseRequest() = 0;
  virtual int OnFirstActivation() = 0;
  virtual int OnActivated() = 0;
  virtual int OnDeactivated() = 0;
  // 1 left button up, 2 left double click, 3 right button up or context menu.
  virtual int OnTrayNotification(int32_t kind) = 0;
  // The highlighted menu item, 0 for a popup, a separator or the menu closing.
  virtual int OnMenuSelect(int32_t itemId) = 0;
  // WM_GETMINMAXINFO; the handler may change the limits.
  virtual int OnSizeLimits(CVolMinMaxInfo& limits) = 0;
  virtual int OnFormNotification() = 0;  // no sender in this program

 protected:
  ~IWinFormEventListener() = default;
};

class IEditEventListener : public virtual IBaseEventListener {
 public:
  virtual int OnTextChanged() = 0;         // EN_CHANGE not caused by the program
  virtual int OnSpin(int32_t direction) = 0;  // notifying spin: -1 or +1
  // EN_SETFOCUS / EN_KILLFOCUS of the edit box.
  virtual int OnEditFocusGained() = 0;
  virtual int OnEditFocusLost() = 0;

 protected:
  ~IEditEventListener() = default;
};

class IPainterEventListener : public virtual IBaseEventListener {
 public:
  // The dirty rectangle, in logical coordinates.
  virtual void OnPaintEvent(const CVolRect& dirty) = 0;

 protected:
  ~IPainterEventListener() = default;
};

class ITimerEventListener : public virtual IBaseEventListener {
 public:
  virtual int OnTimerEvent() = 0;

 protected:
  ~ITimerEventListener() = default;
};
