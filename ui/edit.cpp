#include "ui/edit.h"

#include <cwchar>
#include <string>

namespace {

enum class NumberKind { kNone, kSigned, kUnsigned, kDecimal };

NumberKind KindOf(int32_t inputMode) {
  switch (inputMode) {
    case 3:
    case 6:
    case 7:
    case 8:
      return NumberKind::kSigned;
    case 5:
      return NumberKind::kUnsigned;
    case 4:
    case 9:
    case 10:
      return NumberKind::kDecimal;
    default:
      return NumberKind::kNone;
  }
}

bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

}  // namespace

// --- CEditSpin ---

LRESULT CEditSpin::OnDeltaPosition(const NMUPDOWN& change) {
  m_edit.OnSpinDelta(change.iDelta);
  return 0;
}

// --- CVWnd_Edit ---

CVWnd_Edit::~CVWnd_Edit() {
  // The spin button goes first; it refers to this edit.
  m_spin.reset();
  if (Exists()) DestroyWindow();
}

DWORD CVWnd_Edit::StyleBits() const {
  DWORD style = 0;
  if (multiLine) {
    style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    if (scrollBars == kHorizontal || scrollBars == kBothScrollBars) style |= WS_HSCROLL | ES_AUTOHSCROLL;
    if (scrollBars == kVertical || scrollBars == kBothScrollBars) style |= WS_VSCROLL;
  } else {
    style |= ES_AUTOHSCROLL;
  }
  if (inputMode == kReadOnly) style |= ES_READONLY;
  if (inputMode == kPassword) style |= ES_PASSWORD;
  return style;
}

bool CVWnd_Edit::AcceptsCharacter(wchar_t c) const {
  switch (KindOf(inputMode)) {
    case NumberKind::kSigned: return IsDigit(c) || c == L'-';
    case NumberKind::kUnsigned: return IsDigit(c);
    case NumberKind::kDecimal: return IsDigit(c) || c == L'-' || c == L'.';
    default: return true;
  }
}

std::wstring CVWnd_Edit::NormalisedText(const std::wstring& text) const {
  const NumberKind kind = KindOf(inputMode);
  if (kind == NumberKind::kNone || text.empty()) return text;
  if (kind == NumberKind::kDecimal) {
    CWString number;
    number.AddDouble(std::wcstod(text.c_str(), nullptr));
    return number.GetText();
  }
  long long value = std::wcstoll(text.c_str(), nullptr, 10);
  if (kind == NumberKind::kUnsigned && value < 0) value = 0;
  return std::to_wstring(value);
}

void CVWnd_Edit::ApplyAfterCreation(const CreateParams& params) {
  LimitText(maxLength);
  if (inputMode == kPassword) SetPasswordChar(passwordChar);
  if (spinMode == kNoSpin || multiLine) return;

  RECT rect;
  GetWindowRect(Handle(), &rect);
  HWND parent = GetParent(Handle());
  if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  const int width = GetSystemMetrics(SM_CXVSCROLL);
  const DWORD style = (params.style & (WS_VISIBLE | WS_DISABLED)) | WS_CHILD;
  m_spin = std::make_unique<CEditSpin>(*this);
  if (!m_spin->CreateSpin(style, RECT{rect.right, rect.top, rect.right + width, rect.bottom}, parent,
                          static_cast<UINT>(params.id + kSpinIdOffset))) {
    m_spin.reset();
    spinMode = kNoSpin;
    return;
  }
  m_spin->SetRange(std::min(spinMinimum, spinMaximum), std::max(spinMinimum, spinMaximum));
}

void CVWnd_Edit::ApplyInputMode() {
  if (!Exists()) return;
  SetReadOnly(inputMode == kReadOnly);
  SetPasswordChar(inputMode == kPassword ? passwordChar : 0);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void CVWnd_Edit::SetTextQuietly(const std::wstring& text) {
  const bool outer = m_settingText;
  m_settingText = true;
  SetText(text.c_str());
  m_settingText = outer;
}

void CVWnd_Edit::OnSpinDelta(int delta) {
  if (!Exists() || !IsWindowVisible(Handle()) || !IsWindowEnabled(Handle())) return;
  if (spinMode == kNotifyingSpin) {
    if (IEditEventListener* listener = EditListener()) listener->OnSpin(delta < 0 ? -1 : 1);
    return;
  }
  if (spinMode != kNumericSpin) return;
  const long long lower = std::min(spinMinimum, spinMaximum);
  const long long upper = std::max(spinMinimum, spinMaximum);
  long long value = std::wcstoll(GetText().c_str(), nullptr, 10);
  value += delta < 0 ? -1 : 1;
  if (value > upper) value = lower;
  if (value < lower) value = upper;
  SetText(std::to_wstring(value).c_str());
  SetSel(0, -1);
  ScrollCaret();
  SetFocus(Handle());
}

IEditEventListener* CVWnd_Edit::EditListener() const {
  return dynamic_cast<IEditEventListener*>(Listener());
}

HBRUSH CVWnd_Edit::BackgroundBrush() {
  if (!m_backBrush || m_brushColor != backColor) {
    m_backBrush.Reset(CreateSolidBrush(backColor & 0xFFFFFF));
    m_brushColor = backColor;
  }
  return m_backBrush.Get();
}

bool CVWnd_Edit::OnReflectedMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORSTATIC) {
    if (textColor == kDefaultColor && backColor == kDefaultColor) return false;
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (textColor != kDefaultColor) ::SetTextColor(dc, textColor & 0xFFFFFF);
    if (backColor == kDefaultColor) {
      // Only the text colour is ours: the system's background.
      const int colorIndex = message == WM_CTLCOLOREDIT ? COLOR_WINDOW : COLOR_BTNFACE;
      SetBkColor(dc, GetSysColor(colorIndex));
      *result = reinterpret_cast<LRESULT>(GetSysColorBrush(colorIndex));
    } else {
      SetBkColor(dc, backColor & 0xFFFFFF);
      *result = reinterpret_cast<LRESULT>(BackgroundBrush());
    }
    return true;
  }
  if (message != WM_COMMAND) return false;
  IEditEventListener* listener = EditListener();
  switch (HIWORD(wParam)) {
    case EN_CHANGE:
      if (!m_settingText && listener) listener->OnTextChanged();
      break;
    case EN_SETFOCUS:
      if (listener) listener->OnEditFocusGained();
      break;
    case EN_KILLFOCUS:
      if (listener) listener->OnEditFocusLost();
      break;
    default:
      return false;
  }
  *result = 0;
  return true;
}

// --- CVolEdit ---

CVolEdit::CVolEdit() : CVolWinControl(std::make_unique<CVWnd_Edit>()) {}

bool CVolEdit::Create(CreateParams& params) {
  if (!BeginCreation(params)) return false;
  params.style |= Edit()->StyleBits();
  if (!MakeRuntimeWindow(params, CVWnd_Edit::kClassName, Visibility::kAsAsked)) return false;
  Edit()->ApplyAfterCreation(params);
  return true;
}

bool CVolEdit::Dispatch(WindowMessage& message) {
  if (message.message == WM_SETFOCUS || message.message == WM_KILLFOCUS) return FireRawMessage(message);
  if (CVolWinControl::Dispatch(message)) return true;
  if (message.message == WM_CHAR && message.wParam >= 0x20 &&
      !Edit()->AcceptsCharacter(static_cast<wchar_t>(message.wParam))) {
    MessageBeep(MB_ICONEXCLAMATION);
    return true;
  }
  return false;
}

void CVolEdit::SetTitle(const CWString& title) {
  WindowObject()->SetTitle(title);
  if (HasWindow()) Edit()->SetTextQuietly(title.GetText());
}

void CVolEdit::SetInputMode(int32_t mode) {
  Edit()->inputMode = mode;
  Edit()->ApplyInputMode();
}

void CVolEdit::SetMaxLength(int32_t length) {
  Edit()->maxLength = length < 0 ? 0 : length;
  Edit()->LimitText(Edit()->maxLength);
}

void CVolEdit::SetSpinRange(int32_t minimum, int32_t maximum) {
  Edit()->spinMinimum = minimum;
  Edit()->spinMaximum = maximum;
  if (CEditSpin* spin = Edit()->Spin()) spin->SetRange(std::min(minimum, maximum), std::max(minimum, maximum));
}

void CVolEdit::SetTextColor(uint32_t color) {
  Edit()->textColor = color;
  Redraw();
}

void CVolEdit::SetBackColor(uint32_t color) {
  Edit()->backColor = color;
  Redraw();
}

int CVolEdit::OnTextChanged() {
  return m_changeEvent.Fire<int>(this, 0);
}

int CVolEdit::OnSpin(int32_t direction) {
  return m_spinEvent.Fire<int, int32_t>(this, 0, direction);
}

int CVolEdit::OnEditFocusGained() {
  return Event(kFocusGained).Fire<int>(this, 0);
}

int CVolEdit::OnEditFocusLost() {
  CVWnd_Edit* edit = Edit();
  const std::wstring text = edit->GetText();
  const std::wstring normalised = edit->NormalisedText(text);
  if (normalised != text) {
    int start = 0, end = 0;
    edit->GetSel(&start, &end);
    edit->SetTextQuietly(normalised);
    const int caret = std::min<int>(end, static_cast<int>(normalised.size()));
    edit->SetSel(caret, caret);
  }
  return Event(kFocusLost).Fire<int>(this, 0);
}
