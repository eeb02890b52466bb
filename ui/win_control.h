// CVolWinControl: the base of every control (forms, containers, painters, edit boxes, timers).
//
// A control is a runtime value object whose reference target is its window object (CMfcWndObject), which
// owns the native window object. Properties set before the native window exists stay in the window object
// and apply at creation. Each control has 17 base events (BaseEvent), each an EventBinding; binding an event
// attaches the control's listener interface to its native window so that the window's messages reach the
// control's dispatcher (Dispatch), which fires the events. Handlers are static functions of the receiving
// class, called with (receiver, control, extra value, event arguments...) and returning int; the typedefs
// below give each event's signature.
//
// Thread: controls with windows are used on the user-interface thread; bindings may be changed from any
// thread. A handler must not destroy the control that raised its event (close the form instead).
//
// A class that returns a listener interface from ListenerInterface() calls DetachListener() first thing
// in its destructor: the base destructor no longer sees the derived interface.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "runtime/ref_object.h"
#include "runtime/text_array.h"
#include "runtime/value_structures.h"
#include "runtime/wide_string.h"
#include "ui/create_params.h"
#include "runtime/event_binding.h"
#include "ui/event_listeners.h"
#include "ui/native_window.h"
#include "ui/wnd_object.h"

// Base events in binding order.
enum BaseEvent : int {
  kLeftButtonDown,    // WM_LBUTTONDOWN: x, y, modifiers
  kLeftButtonUp,      // WM_LBUTTONUP
  kLeftDoubleClick,   // WM_LBUTTONDBLCLK
  kRightButtonDown,   // WM_RBUTTONDOWN
  kRightButtonUp,     // WM_RBUTTONUP
  kMiddleButtonDown,  // WM_MBUTTONDOWN
  kMiddleButtonUp,    // WM_MBUTTONUP
  kMouseMove,         // WM_MOUSEMOVE
  kMouseWheel,        // WM_MOUSEWHEEL: delta / 120, modifiers
  kKeyDown,           // WM_KEYDOWN, WM_SYSKEYDOWN: key code, modifiers
  kKeyUp,             // WM_KEYUP, WM_SYSKEYUP
  kFocusGained,       // WM_SETFOCUS
  kFocusLost,         // WM_KILLFOCUS
  kCharacter,         // WM_CHAR: character; result < 0 swallows it, > 0 replaces it
  kRawMessage,        // every message first: message, wParam, lParam; non-zero = handled, nothing else runs
  kChildCreated,      // a child control was created: its identifier; result ignored
  kFilesDropped,      // WM_DROPFILES: the paths (CVolTextArray*); fired only with at least one path
  kBaseEventCount
};

// Handler signatures. For mouse, wheel, key and focus events a non-zero result means "handled": the
// window's default processing does not run.
using MouseEventHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra, int32_t x, int32_t y,
                                  int32_t modifiers);
using WheelEventHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra, int32_t delta,
                                  int32_t modifiers);
using KeyEventHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra, int32_t key,
                                int32_t modifiers);
using NotifyEventHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra);
using CharEventHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra, int32_t character);
using RawMessageHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra, int32_t message,
                                  int64_t wParam, int64_t lParam);
using ChildCreatedHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra, int32_t childId);
using FilesDroppedHandler = int (*)(CVolObject* receiver, CVolObject* control, int32_t extra,
                                    CVolTextArray* paths);

class CVolWinControl : public CVolRefObject {
  VOL_CLASS_IDENTITY(CVolWinControl, CVolRefObject, "CVolWinControl")
 public:
  // A control without a native window class (creates nothing).
  CVolWinControl();
  // Detaches the listener, releases the bindings and the window object (destroying its window when this
  // was the last reference).
  ~CVolWinControl() override;
  CVolWinControl(const CVolWinControl&) = delete;
  CVolWinControl& operator=(const CVolWinControl&) = delete;

  // Controls own a window and bindings: they are not cloned or assigned, and equal only themselves.
  CVolObject* Clone() const override { return nullptr; }
  bool Assign(const CVolObject&) override { return false; }
  void Reset() override {}
  bool IsEqual(const CVolObject& other) const override { return &other == this; }

  // --- Operations in slot order ---
  // Creates the native window; false when it exists already or creation fails. The base creates nothing.
  virtual bool Create(CreateParams& params);
  // Fills title, style and extended style from the window object where the parameters leave them open;
  // sets the child style when there is a parent (unless pop-up) and clears it otherwise; supplies the font.
  virtual void Prepare(CreateParams& params);
  // Replaces default size and position markers (containers and forms).
  virtual void ApplyDefaultPlacement(CreateParams& params);
  // After the native window exists: font, tab stop, unasked-for borders, the parent's child-created event.
  virtual void AfterCreate(HWND window, CreateParams& params);
  // The base message dispatcher; true = handled.
  virtual bool Dispatch(WindowMessage& message);
  // Points the native window's listener at this control's listener interface (if it has one).
  virtual void AttachListener();
  virtual void DetachListener();
  virtual bool IsAttached() const;
  // The interface this control listens with; null for a control with no listener.
  virtual IBaseEventListener* ListenerInterface() { return nullptr; }

  // --- Events ---
  EventBinding& Event(BaseEvent which) { return m_events[which]; }
  // Binds `binding` (an event of this control) to a handler of the receiver owning `holder`, then
  // attaches the listener.
  template <typename Handler>
  void BindEvent(EventBinding& binding, Handler handler, CVolEventObjectPointer* holder, int32_t extra = 0) {
    binding.Bind(handler, holder, extra);
    AttachListener();
  }
  template <typename Handler>
  void BindEvent(BaseEvent which, Handler handler, CVolEventObjectPointer* holder, int32_t extra = 0) {
    BindEvent(m_events[which], handler, holder, extra);
  }
  // Raised on a parent by a child's AfterCreate.
  void FireChildCreated(int32_t childId);

  // --- Window object and native window ---
  CMfcWndObject* WindowObject() const { return static_cast<CMfcWndObject*>(m_target); }
  CVolNativeWindow* NativeWindow() const { return WindowObject() ? WindowObject()->Native() : nullptr; }
  HWND GetHwnd() const { return WindowObject() ? WindowObject()->Handle() : nullptr; }
  bool HasWindow() const { return GetHwnd() != nullptr; }

  const CWString& Name() const { return m_name; }
  void SetName(const CWString& name) { m_name = name; }

  // Creates this control as a child of `parent` at (x, y) with the given size and identifier.
  bool CreateChild(CVolWinControl& parent, int32_t x, int32_t y, int32_t width, int32_t height, int32_t id);

  // --- Window utilities ---
  // With a window: its text, then a repaint unless the control redraws itself (containers with events).
  // The text is also kept in the window object for a later creation.
  virtual void SetTitle(const CWString& title);
  // The window's text, or the stored title without a window.
  CWString GetTitle() const;
  // Loads system cursor `id` (e.g. 32649 hand, 32512 arrow) for the window; shown at once. False when
  // the cursor cannot be loaded.
  bool SetCursorShape(int32_t id);
  // Width and height of the window rectangle; 0 without a window.
  int32_t GetWidth() const;
  int32_t GetHeight() const;
  // Invalidates the whole client area (erasing the background).
  void Redraw();
  // Moves the window, in its parent's client coordinates; nothing moves when it already has that rectangle.
  void MoveTo(int32_t x, int32_t y, int32_t width, int32_t height);
  // Creates as a top-level window with default placement and the window object's styles.
  bool CreateDefault(HMENU menu = nullptr);
  // The monitor rectangle nearest to the window, or (0, 0, screen width, screen height).
  CVolRect GetMonitorRect() const;
  static CVolRect GetMonitorRect(HWND window);
  // A message box owned by this control's window; returns the button pressed (0 on failure).
  int32_t ShowMessage(const CWString& text, int32_t type, const CWString& caption) const;

 protected:
  // A control whose window object owns `native`.
  explicit CVolWinControl(std::unique_ptr<CVolNativeWindow> native);

  // Fires the raw-message event (base event 14); true when its handler returned non-zero.
  bool FireRawMessage(const WindowMessage& message);
  // Containers with events repaint themselves when their title changes; other controls are invalidated.
  virtual bool RedrawsItselfOnTitleChange() const { return false; }

  enum class Visibility { kAsAsked, kCreateHidden };
  // The window creation shared by containers, painters, timers and non-modal forms: user value, prepare,
  // default placement, class registration (className; null = "VolWindow"), CreateEx, the runtime marker and
  // AfterCreate. With kCreateHidden the window is made without WS_VISIBLE; params.style keeps the bit asked
  // for, so the caller can show it afterwards.
  bool CreateRuntimeWindow(CreateParams& params, const wchar_t* className,
                           Visibility visibility = Visibility::kAsAsked);
  // Its two halves. BeginCreation stores the user value and runs prepare and default placement; false when
  // the window exists already. MakeRuntimeWindow registers the class and makes the window.
  bool BeginCreation(CreateParams& params);
  bool MakeRuntimeWindow(CreateParams& params, const wchar_t* className, Visibility visibility);
  // The native window, as the class the control made it with.
  template <typename Native>
  Native* NativeAs() const {
    return static_cast<Native*>(NativeWindow());
  }

 private:
  int FireMouse(BaseEvent which, const WindowMessage& message);
  int FireKey(BaseEvent which, const WindowMessage& message);
  bool DispatchDroppedFiles(WindowMessage& message);

  CWString m_name;
  EventBinding m_events[kBaseEventCount];
};

// Modifiers from the key state (Ctrl, Alt, Shift).
int32_t KeyModifiers();
// Modifiers of a mouse message: Ctrl and Shift from its wParam, Alt from the key state.
int32_t MouseModifiers(WPARAM wParam);
