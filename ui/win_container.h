// Containers: controls that hold child controls.
//   CVolWinContainer    the container base: default client size (0 x 0 here), default placement, focus
//                       handling, the created hook;
//   CVolEventContainer  a container window of class "VolContainer" with container events;
//   CVWnd_Container     the native window of containers and forms: relays mouse messages to its tooltip
//                       during pre-translation.
#pragma once

#include "ui/win_control.h"

class CVWnd_Container : public CVolNativeWindow {
 public:
  // A tooltip control (not owned) that should see the mouse messages of this window; null for none.
  void SetToolTip(HWND toolTip) { m_toolTip = toolTip; }
  HWND ToolTip() const { return m_toolTip; }

  // Relays a mouse message to the tooltip when it has tools.
  void RelayToToolTip(const MSG* message);

 protected:
  // Answers kPreTranslateMessage: true = consumed. A container only relays to its tooltip.
  virtual bool AnswerPreTranslate(MSG* message);
  LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND m_toolTip = nullptr;
};

class CVolWinContainer : public CVolWinControl {
  VOL_CLASS_IDENTITY(CVolWinContainer, CVolWinControl, "CVolWinContainer")
 public:
  CVolWinContainer();

  // Adds WS_EX_CONTROLPARENT, clears WS_TABSTOP, adds WS_EX_TRANSPARENT for a transparent container.
  void Prepare(CreateParams& params) override;
  // With a default width or height: the default client size grown to a window size by AdjustWindowRectEx;
  // 0 x 0 when the client size is not positive or the adjustment fails.
  void ApplyDefaultPlacement(CreateParams& params) override;
  // Adds the focus hand-over on WM_SETFOCUS.
  bool Dispatch(WindowMessage& message) override;

  // Client size used when the creator leaves the size open.
  virtual int32_t DefaultClientWidth() { return 0; }
  virtual int32_t DefaultClientHeight() { return 0; }
  // Runs on WM_CREATE before the created event; where containers create their child controls.
  virtual void CreatedHook() {}

  bool IsTransparent() const { return m_transparent; }
  void SetTransparent(bool transparent) { m_transparent = transparent; }

  // Gives the focus to the first visible, enabled descendant (depth first) that wants keys, else the first
  // with WS_TABSTOP, else the first child. False when there is none.
  bool FocusFirstDescendant();

 protected:
  explicit CVolWinContainer(std::unique_ptr<CVolNativeWindow> native);

 private:
  bool m_transparent = false;
};

// Container events in binding order.
enum ContainerEvent : int {
  kCreated,                // NotifyEventHandler
  kDestroyed,              // NotifyEventHandler
  kContainerNotification,  // NotifyEventHandler; not raised by this program
  kResized,                // SizeEventHandler: client width, height
  kShown,                  // NotifyEventHandler
  kHidden,                 // NotifyEventHandler
  kMoved,                  // PositionEventHandler: client origin x, y
  kMenuCommand,            // CommandEventHandler: command id; non-zero = handled
  kContainerEventCount
};

using SizeEventHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra, int32_t width,
                                 int32_t height);
using PositionEventHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra, int32_t x, int32_t y);
using CommandEventHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra, int32_t commandId);

class CVolEventContainer : public CVolWinContainer, public virtual IContainerEventListener {
  VOL_CLASS_IDENTITY(CVolEventContainer, CVolWinContainer, "CVolEventContainer")
 public:
  CVolEventContainer();
  ~CVolEventContainer() override { DetachListener(); }

  // Creates a "VolContainer" window.
  bool Create(CreateParams& params) override;
  bool Dispatch(WindowMessage& message) override;
  IBaseEventListener* ListenerInterface() override { return static_cast<IContainerEventListener*>(this); }

  EventBinding& Event(ContainerEvent which) { return m_containerEvents[which]; }
  using CVolWinControl::Event;
  using CVolWinControl::BindEvent;
  template <typename Handler>
  void BindEvent(ContainerEvent which, Handler handler, CVolEventObjectPointer* holder, int32_t extra = 0) {
    BindEvent(Event(which), handler, holder, extra);
  }

  // IContainerEventListener: each fires its binding (default result 0).
  bool OnRawMessage(WindowMessage& message) override { return Dispatch(message); }
  int OnCreated() override;
  int OnDestroyed() override;
  int OnContainerNotification() override;
  int OnResized(int32_t width, int32_t height) override;
  int OnShown() override;
  int OnHidden() override;
  int OnMoved(int32_t x, int32_t y) override;
  int OnMenuCommand(int32_t commandId) override;

 protected:
  explicit CVolEventContainer(std::unique_ptr<CVolNativeWindow> native);
  bool RedrawsItselfOnTitleChange() const override { return true; }

 private:
  EventBinding m_containerEvents[kContainerEventCount];
};
