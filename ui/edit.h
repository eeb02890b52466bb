// CVolEdit: an edit box over the system "EDIT" class (native window CVWnd_Edit), with input modes that
// filter typed characters, an optional spin button (CEditSpin, an up-down control beside the edit box),
// text and background colours, and a change event that fires for the user's edits only.
//
// Properties are set before creation and applied when the window is made; the input mode and the colours
// also apply to an existing window. Notifications the edit box sends its parent (EN_CHANGE, EN_SETFOCUS,
// EN_KILLFOCUS, colour queries, the spin button's UDN_DELTAPOS) come back to the edit through the
// framework's reflection, so the edit's parent must be a framework window (a form or container).
#pragma once

#include <memory>

#include "framework/edit_box.h"
#include "framework/spin_button.h"
#include "ui/gdi_scoped.h"
#include "ui/win_control.h"

class CVWnd_Edit;

// The spin button of an edit box; hands its arrow clicks to the edit.
class CEditSpin : public SpinButton {
 public:
  explicit CEditSpin(CVWnd_Edit& edit) : m_edit(edit) {}

 protected:
  LRESULT OnDeltaPosition(const NMUPDOWN& change) override;

 private:
  CVWnd_Edit& m_edit;
};

class CVWnd_Edit : public EditBoxT<CVolNativeWindow> {
 public:
  enum InputMode : int32_t {
    kNormal = 0,
    kReadOnly = 1,
    kPassword = 2,
    kSignedInteger = 3,  // also 6, 7 and 8
    kDecimal = 4,        // also 9 and 10
    kUnsignedInteger = 5
  };
  enum SpinMode : int32_t { kNoSpin = 0, kNumericSpin = 1, kNotifyingSpin = 2 };
  enum ScrollBars : int32_t { kNoScrollBars = 0, kHorizontal = 1, kVertical = 2, kBothScrollBars = 3 };
  static constexpr uint32_t kDefaultColor = 0xFF000000;  // the system's colour
  static constexpr int kSpinIdOffset = 1000;

  ~CVWnd_Edit() override;

  bool multiLine = false;
  int32_t scrollBars = kNoScrollBars;  // multi-line only
  int32_t inputMode = kNormal;
  int32_t maxLength = 0;  // 0: the system's limit
  wchar_t passwordChar = L'*';
  int32_t spinMode = kNoSpin;  // single-line only
  int32_t spinMinimum = 0;
  int32_t spinMaximum = 100;
  uint32_t textColor = kDefaultColor;
  uint32_t backColor = kDefaultColor;

  // The EDIT styles for the properties.
  DWORD StyleBits() const;
  // Whether the input mode lets `character` (0x20 and above) be typed.
  bool AcceptsCharacter(wchar_t character) const;
  // The text as the input mode wants it when the edit loses the focus (numbers written canonically).
  std::wstring NormalisedText(const std::wstring& text) const;

  // After the window exists: length limit, password character, spin button. A spin button that cannot
  // be made switches the spin property off.
  void ApplyAfterCreation(const CreateParams& params);
  // Sends the input mode's read-only state and password character to the window.
  void ApplyInputMode();

  // Sets the text; the change event does not fire for it.
  void SetTextQuietly(const std::wstring& text);
  bool IsSettingText() const { return m_settingText; }

  CEditSpin* Spin() const { return m_spin.get(); }
  // An arrow of the spin button was clicked (delta < 0: down). Only while the edit is visible and enabled.
  void OnSpinDelta(int delta);

 protected:
  bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  IEditEventListener* EditListener() const;
  HBRUSH BackgroundBrush();

  std::unique_ptr<CEditSpin> m_spin;
  ScopedGdiObject<HBRUSH> m_backBrush;
  uint32_t m_brushColor = kDefaultColor;
  bool m_settingText = false;
};

class CVolEdit : public CVolWinControl, public virtual IEditEventListener {
  VOL_CLASS_IDENTITY(CVolEdit, CVolWinControl, "CVolEdit")
 public:
  CVolEdit();
  ~CVolEdit() override { DetachListener(); }

  // Makes the "EDIT" window with the property styles, then the length limit, password character and spin.
  bool Create(CreateParams& params) override;
  // Filters typed characters by the input mode (a refused one beeps); focus changes are reported through
  // the edit's own notifications instead of WM_SETFOCUS / WM_KILLFOCUS.
  bool Dispatch(WindowMessage& message) override;
  IBaseEventListener* ListenerInterface() override { return static_cast<IEditEventListener*>(this); }
  // Sets the text without raising the change event.
  void SetTitle(const CWString& title) override;

  // The change event: NotifyEventHandler. The spin event (notifying spin): SpinEventHandler.
  EventBinding& ChangeEvent() { return m_changeEvent; }
  EventBinding& SpinEvent() { return m_spinEvent; }

  // --- Properties ---
  void SetMultiLine(bool on) { Edit()->multiLine = on; }
  void SetScrollBars(int32_t bars) { Edit()->scrollBars = bars; }
  void SetInputMode(int32_t mode);
  int32_t GetInputMode() const { return Edit()->inputMode; }
  void SetMaxLength(int32_t length);
  void SetPasswordChar(wchar_t character) { Edit()->passwordChar = character; }
  void SetSpinMode(int32_t mode) { Edit()->spinMode = mode; }
  int32_t GetSpinMode() const { return Edit()->spinMode; }
  void SetSpinRange(int32_t minimum, int32_t maximum);
  void SetTextColor(uint32_t color);
  void SetBackColor(uint32_t color);
  CVWnd_Edit* Edit() const { return NativeAs<CVWnd_Edit>(); }

  // --- IEditEventListener ---
  bool OnRawMessage(WindowMessage& message) override { return Dispatch(message); }
  int OnTextChanged() override;
  int OnSpin(int32_t direction) override;
  int OnEditFocusGained() override;
  // Normalises the text for the input mode first.
  int OnEditFocusLost() override;

 private:
  EventBinding m_changeEvent;
  EventBinding m_spinEvent;
};

using SpinEventHandler = int (*)(CVolObject* receiver, CVolObject* edit, int32_t extra, int32_t direction);
