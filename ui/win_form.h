// Forms: top-level (or owned / child) windows of class "VolWindow" that hold controls and receive their
// events.
//   CVWnd_WinForm       the form's native window: the form properties (border style, boxes, start mode,
//                       close on Esc, drag by client area, shape, background), the window region, and the
//                       form's answer to the runtime's pre-translation;
//   CVolWinForm         the form control: form preparation and creation (modeless, or modal through
//                       CVolEnvelopeDialog), form events, and the event receiver holder of the form;
//   CVolMinMaxInfo      the argument of the size-limits event;
//   CVolEnvelopeDialog  runs a form modally as a dialog built from an in-memory template.
//
// A form is normally the receiver of its controls' events: its handlers are bound with EventHolder(). A
// class derived from CVolWinForm calls BeginDestruction() first thing in its destructor, so that no
// handler runs while its members are being destroyed.
#pragma once

#include "runtime/value_structures.h"
#include "ui/win_container.h"

// The title a form with a control box shows when its own title is empty.
constexpr const wchar_t* kApplicationTitle = L"TonvexaAI";

class CVolMinMaxInfo : public CVolObject {
  VOL_VALUE_CLASS(CVolMinMaxInfo, CVolObject, "CVolMinMaxInfo")
 public:
  CVolMinMaxInfo() = default;
  explicit CVolMinMaxInfo(const MINMAXINFO& info);
  bool operator==(const CVolMinMaxInfo& o) const;
  void CopyTo(MINMAXINFO& info) const;

  CVolSize maxSize;        // size of the maximised window
  CVolPoint maxPosition;   // position of the maximised window
  CVolSize minTrackSize;   // smallest size the user can drag to
  CVolSize maxTrackSize;   // largest size the user can drag to
};

class CVWnd_WinForm : public CVWnd_Container {
 public:
  // Border styles.
  enum Border : int32_t {
    kNoBorder = 0,
    kSizable = 1,
    kFixed = 2,
    kSizableToolWindow = 3,
    kFixedToolWindow = 4,
    kSizableClientEdge = 5,
    kFixedClientEdge = 6
  };
  // Start modes.
  enum StartMode : int32_t { kStartNormal = 0, kStartCentred = 1, kStartMinimised = 2, kStartMaximised = 3 };
  // Shapes.
  enum Shape : int32_t { kRectangle = 0, kEllipse = 1, kRoundedRectangle = 2 };
  static constexpr uint32_t kSystemButtonFace = 0xFF000000;

  int32_t borderStyle = kFixed;
  bool controlBox = true;
  bool maxBox = false;
  bool minBox = true;
  bool movable = true;
  int32_t startMode = kStartNormal;
  bool closeOnEsc = false;
  bool dragByClientArea = false;
  uint32_t backColor = kSystemButtonFace;  // RGB, or kSystemButtonFace
  HBITMAP backImage = nullptr;             // drawn at the top-left corner; not owned
  HACCEL accelerators = nullptr;           // the menu's accelerators; not owned

  int32_t GetShape() const { return m_shape; }
  // Values above 2 are stored as 2, negative ones as 0. With a window the region is rebuilt at once.
  void SetShape(int32_t shape);
  // Applies the shape to the window: no region, an ellipse, or a rectangle with corner ellipses of
  // min(w / 5, h / 5).
  void UpdateRegion();

  // True while the form runs modally.
  bool IsModal() const;

 protected:
  // The form's answer to the runtime's pre-translation (see RelayRuntimePreTranslate).
  bool AnswerPreTranslate(MSG* message) override;
  LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool IsEscapeKey(const MSG* message) const;
  bool StartsDrag(const MSG* message) const;
  bool TranslateAccelerators(MSG* message);
  void EraseBackground(HDC dc);

  int32_t m_shape = kRectangle;
};

// Form events in binding order (after the container events).
enum FormEvent : int {
  kPreTranslate,        // PreTranslateHandler; non-zero = consumed
  kMayClose,            // NotifyEventHandler; 0 keeps the form open
  kCloseRequest,        // NotifyEventHandler; non-zero keeps the form open
  kFirstActivation,     // NotifyEventHandler
  kActivated,           // NotifyEventHandler
  kDeactivated,         // NotifyEventHandler
  kTrayNotification,    // TrayEventHandler: 1, 2 or 3
  kMenuSelect,          // MenuSelectHandler: item id or 0
  kSizeLimits,          // SizeLimitsHandler
  kFormNotification,    // NotifyEventHandler; not raised by this program
  kFormMenuCommand,     // CommandEventHandler (a form's menu commands come here, not to kMenuCommand)
  kFormEventCount
};

using PreTranslateHandler = int (*)(CVolObject* receiver, CVolObject* form, int32_t extra, int32_t message,
                                    int64_t wParam, int64_t lParam);
using TrayEventHandler = int (*)(CVolObject* receiver, CVolObject* form, int32_t extra, int32_t kind);
using MenuSelectHandler = int (*)(CVolObject* receiver, CVolObject* form, int32_t extra, int32_t itemId);
using SizeLimitsHandler = int (*)(CVolObject* receiver, CVolObject* form, int32_t extra, CVolMinMaxInfo* limits);

class CVolWinForm : public CVolEventContainer, public virtual IWinFormEventListener {
  VOL_CLASS_IDENTITY(CVolWinForm, CVolEventContainer, "CVolWinForm")
 public:
  CVolWinForm();
  ~CVolWinForm() override;

  // Stops all event delivery to this form (handlers bound with EventHolder() no longer run; running ones on
  // other threads are waited for) and destroys its window. Idempotent.
  void BeginDestruction();
  // The holder to bind this form's handlers with; null once destruction has begun.
  CVolEventObjectPointer* EventHolder() const { return m_receiver.Holder(); }

  // Modeless: a "VolWindow" window placed by the start mode. Modal (params.modal): runs the form as a
  // dialog owned by the parent, else the active window or the main window, and returns when it has been
  // closed, with params.modalResult set; the focus is restored afterwards.
  bool Create(CreateParams& params) override;
  void Prepare(CreateParams& params) override;
  // Container placement, then a default x or y: 0 for a child form, centred on the primary screen otherwise.
  void ApplyDefaultPlacement(CreateParams& params) override;
  // Removes the Move command from the system menu of an unmovable form and applies the shape.
  void AfterCreate(HWND window, CreateParams& params) override;
  bool Dispatch(WindowMessage& message) override;
  IBaseEventListener* ListenerInterface() override { return static_cast<IWinFormEventListener*>(this); }
  // Whether the form takes part in the runtime's pre-translation at all.
  virtual bool PreTranslateHook(MSG*) { return true; }
  // Where a derived form binds its handlers (called from its created hook).
  virtual void ConnectEvents() {}

  EventBinding& Event(FormEvent which) { return m_formEvents[which]; }
  using CVolEventContainer::BindEvent;
  using CVolEventContainer::Event;
  template <typename Handler>
  void BindEvent(FormEvent which, Handler handler, CVolEventObjectPointer* holder, int32_t extra = 0) {
    BindEvent(Event(which), handler, holder, extra);
  }

  // --- Properties (kept by the native window; style properties apply at once to an existing window) ---
  int32_t GetBorderStyle() const { return Form()->borderStyle; }
  void SetBorderStyle(int32_t style);
  bool HasControlBox() const { return Form()->controlBox; }
  void SetControlBox(bool on);
  bool HasMaxBox() const { return Form()->maxBox; }
  void SetMaxBox(bool on);
  bool HasMinBox() const { return Form()->minBox; }
  void SetMinBox(bool on);
  bool IsMovable() const { return Form()->movable; }
  void SetMovable(bool on) { Form()->movable = on; }
  int32_t GetStartMode() const { return Form()->startMode; }
  void SetStartMode(int32_t mode) { Form()->startMode = mode; }
  bool ClosesOnEsc() const { return Form()->closeOnEsc; }
  void SetCloseOnEsc(bool on) { Form()->closeOnEsc = on; }
  bool DragsByClientArea() const { return Form()->dragByClientArea; }
  void SetDragByClientArea(bool on) { Form()->dragByClientArea = on; }
  int32_t GetShape() const { return Form()->GetShape(); }
  void SetShape(int32_t shape) { Form()->SetShape(shape); }
  uint32_t GetBackColor() const { return Form()->backColor; }
  void SetBackColor(uint32_t color);
  void SetAccelerators(HACCEL accelerators) { Form()->accelerators = accelerators; }
  // The result a modal form ends with when it is closed (WM_CLOSE); IDCANCEL unless set.
  int64_t GetModalResult() const { return m_modalResult; }
  void SetModalResult(int64_t result) { m_modalResult = result; }
  bool IsModal() const { return Form()->IsModal(); }

  // --- IWinFormEventListener ---
  bool OnPreTranslate(MSG* message) override;
  bool OnMayClose() override;
  int OnCloseRequest() override;
  int OnFirstActivation() override;
  int OnActivated() override;
  int OnDeactivated() override;
  int OnTrayNotification(int32_t kind) override;
  int OnMenuSelect(int32_t itemId) override;
  int OnSizeLimits(CVolMinMaxInfo& limits) override;
  int OnFormNotification() override;
  int OnMenuCommand(int32_t commandId) override;

 protected:
  CVWnd_WinForm* Form() const { return NativeAs<CVWnd_WinForm>(); }

 private:
  // WM_CLOSE and kModalCloseMessage: the close request and may-close query, then the end of the modal loop
  // (modal) or default processing, which destroys the window (modeless). True = handled.
  bool HandleClose(INT_PTR modalResult);
  void ApplyStyleChange();
  bool RunModal(CreateParams& params);

  EventBinding m_formEvents[kFormEventCount];
  EventReceiver m_receiver;
  bool m_activatedOnce = false;
  int64_t m_modalResult = IDCANCEL;
  CreateParams* m_modalCreation = nullptr;  // while a modal form's dialog is being set up
};

class CVolEnvelopeDialog {
 public:
  // The dialog style for a form style: the form's style masked with 0x2DFFF7FF plus 0x92000800, and
  // DS_MODALFRAME when the form has no thick frame.
  static DWORD DialogStyle(DWORD formStyle);
  // Runs `native` modally at the rectangle of `params`, owned by `owner`. False when the dialog could not
  // be created; otherwise *result receives the dialog's result.
  static bool Run(CVWnd_WinForm& native, const CreateParams& params, HWND owner, INT_PTR* result);
};
