#include "ui/win_form.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/modal_dialog.h"
#include "ui/gdi_scoped.h"
#include "ui/window_class.h"

namespace {

// The caption, system-menu and box bits recomputed when a form's style properties change at run time.
constexpr DWORD kCaptionAndBoxStyles = 0xCB0000;
constexpr DWORD kDialogStyleMask = 0x2DFFF7FF;
constexpr DWORD kDialogStyleBits = 0x92000800;
constexpr LRESULT kStaticDialogCode = 0x100;  // DLGC_STATIC

bool IsEditWindow(HWND window) {
  wchar_t name[16] = {};
  return window && GetClassNameW(window, name, 16) && lstrcmpiW(name, L"Edit") == 0;
}

HWND MainWindowHandle() {
  FrameworkApp* app = FrameworkApp::Current();
  return app && app->MainWindow() ? app->MainWindow()->Handle() : nullptr;
}

}  // namespace

// --- CVolMinMaxInfo ---

CVolMinMaxInfo::CVolMinMaxInfo(const MINMAXINFO& info)
    : maxSize(info.ptMaxSize.x, info.ptMaxSize.y),
      maxPosition(info.ptMaxPosition.x, info.ptMaxPosition.y),
      minTrackSize(info.ptMinTrackSize.x, info.ptMinTrackSize.y),
      maxTrackSize(info.ptMaxTrackSize.x, info.ptMaxTrackSize.y) {}

bool CVolMinMaxInfo::operator==(const CVolMinMaxInfo& o) const {
  return HeaderEquals(o) && maxSize == o.maxSize && maxPosition == o.maxPosition &&
         minTrackSize == o.minTrackSize && maxTrackSize == o.maxTrackSize;
}

void CVolMinMaxInfo::CopyTo(MINMAXINFO& info) const {
  info.ptMaxSize = {maxSize.width, maxSize.height};
  info.ptMaxPosition = {maxPosition.x, maxPosition.y};
  info.ptMinTrackSize = {minTrackSize.width, minTrackSize.height};
  info.ptMaxTrackSize = {maxTrackSize.width, maxTrackSize.height};
}

// --- CVWnd_WinForm ---

void CVWnd_WinForm::SetShape(int32_t shape) {
  m_shape = std::clamp<int32_t>(shape, kRectangle, kRoundedRectangle);
  if (Exists()) UpdateRegion();
}

void CVWnd_WinForm::UpdateRegion() {
  RECT rect;
  if (!GetWindowRect(Handle(), &rect)) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HRGN region = nullptr;
  if (m_shape == kEllipse) {
    region = CreateEllipticRgn(0, 0, width, height);
  } else if (m_shape == kRoundedRectangle) {
    const int corner = std::min(width / 5, height / 5);
    region = CreateRoundRectRgn(0, 0, width, height, corner, corner);
  }
  // The window owns the region from here on.
  if (!SetWindowRgn(Handle(), region, TRUE) && region) DeleteObject(region);
}

bool CVWnd_WinForm::IsModal() const {
  return Exists() && IsRunningModal(Handle());
}

bool CVWnd_WinForm::IsEscapeKey(const MSG* message) const {
  return message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE;
}

bool CVWnd_WinForm::StartsDrag(const MSG* message) const {
  if (message->message != WM_LBUTTONDOWN) return false;
  if (message->hwnd == Handle()) return true;
  return (SendMessageW(message->hwnd, WM_GETDLGCODE, 0, 0) & kStaticDialogCode) != 0;
}

bool CVWnd_WinForm::TranslateAccelerators(MSG* message) {
  if (!accelerators || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)) return false;
  // Clipboard and select-all keys belong to the edit box that has the focus.
  if ((GetKeyState(VK_CONTROL) & 0x8000) && IsEditWindow(GetFocus())) {
    switch (message->wParam) {
      case 'A':
      case 'C':
      case 'V':
      case 'X':
        return false;
      default:
        break;
    }
  }
  return TranslateAcceleratorW(Handle(), accelerators, message) != 0;
}

bool CVWnd_WinForm::AnswerPreTranslate(MSG* message) {
  HWND window = Handle();
  if (auto* form = dynamic_cast<IWinFormEventListener*>(Listener())) {
    if (form->OnPreTranslate(message) || !IsWindow(window)) return true;
  }
  RelayToToolTip(message);
  if (IsEscapeKey(message) && (closeOnEsc || IsModal())) {
    if (IsModal()) {
      PostMessageW(window, kModalCloseMessage, kCloseReasonEscape, -1);
    } else {
      PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return true;
  }
  if (dragByClientArea && StartsDrag(message)) {
    PostMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(message->pt.x, message->pt.y));
    return true;
  }
  return TranslateAccelerators(message);
}

void CVWnd_WinForm::EraseBackground(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  const COLORREF color = backColor == kSystemButtonFace ? GetSysColor(COLOR_BTNFACE) : backColor & 0xFFFFFF;
  const COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  SetBkColor(dc, old);
  BITMAP bitmap;
  if (backImage && GetObjectW(backImage, sizeof bitmap, &bitmap)) {
    ScopedMemoryDc memory(dc);
    ScopedSelection selected(memory.Get(), backImage);
    if (selected.IsSelected()) BitBlt(dc, 0, 0, bitmap.bmWidth, bitmap.bmHeight, memory.Get(), 0, 0, SRCCOPY);
  }
}

LRESULT CVWnd_WinForm::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      EraseBackground(reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_SIZE:
      if (m_shape != kRectangle) UpdateRegion();
      break;
    default:
      break;
  }
  return CVWnd_Container::DefaultWindowProc(message, wParam, lParam);
}

// --- CVolWinForm ---

CVolWinForm::CVolWinForm() : CVolEventContainer(std::make_unique<CVWnd_WinForm>()), m_receiver(this) {}

CVolWinForm::~CVolWinForm() {
  BeginDestruction();
}

void CVolWinForm::BeginDestruction() {
  m_receiver.Detach();
  DetachListener();
  if (CVolNativeWindow* native = NativeWindow(); native && native->Exists()) {
    // A modal form's loop ends once its dialog is gone.
    native->DestroyWindow();
  }
}

void CVolWinForm::Prepare(CreateParams& params) {
  CVWnd_WinForm* form = Form();
  if (params.style == 0) params.style = WindowObject()->Style();
  // An owned form is a pop-up unless it asks to be a child.
  if (params.parentWindow && !(params.style & (WS_CHILD | WS_POPUP))) params.style |= WS_POPUP;
  CVolEventContainer::Prepare(params);

  params.style |= WS_CLIPCHILDREN;
  params.exStyle |= WS_EX_CONTROLPARENT;
  if (params.title.IsEmpty() && form->controlBox) params.title = CWString(kApplicationTitle);
  if (form->borderStyle != CVWnd_WinForm::kNoBorder) {
    if (!params.title.IsEmpty() || form->controlBox) params.style |= WS_CAPTION;
    if (form->controlBox) params.style |= WS_SYSMENU | WS_BORDER;
    params.style |= WS_DLGFRAME;
    if (form->maxBox) params.style |= WS_MAXIMIZEBOX;
    if (form->minBox) params.style |= WS_MINIMIZEBOX;
  }
  switch (form->borderStyle) {
    case CVWnd_WinForm::kSizable: params.style |= WS_THICKFRAME; break;
    case CVWnd_WinForm::kSizableToolWindow: params.style |= WS_THICKFRAME; params.exStyle |= WS_EX_TOOLWINDOW; break;
    case CVWnd_WinForm::kFixedToolWindow: params.exStyle |= WS_EX_TOOLWINDOW; break;
    case CVWnd_WinForm::kSizableClientEdge: params.style |= WS_THICKFRAME; params.exStyle |= WS_EX_CLIENTEDGE; break;
    case CVWnd_WinForm::kFixedClientEdge: params.exStyle |= WS_EX_CLIENTEDGE; break;
    default: break;
  }
  if (form->startMode == CVWnd_WinForm::kStartMinimised) params.style |= WS_MINIMIZE;
  if (form->startMode == CVWnd_WinForm::kStartMaximised) params.style |= WS_MAXIMIZE;
}

void CVolWinForm::ApplyDefaultPlacement(CreateParams& params) {
  CVolEventContainer::ApplyDefaultPlacement(params);
  const bool child = (params.style & WS_CHILD) != 0;
  if (params.x == CreateParams::kDefault) {
    params.x = child ? 0 : (GetSystemMetrics(SM_CXSCREEN) - params.width) / 2;
  }
  if (params.y == CreateParams::kDefault) {
    params.y = child ? 0 : (GetSystemMetrics(SM_CYSCREEN) - params.height) / 2;
  }
}

bool CVolWinForm::Create(CreateParams& params) {
  if (!BeginCreation(params)) return false;
  HWND parent = params.parentWindow ? params.parentWindow->Handle() : nullptr;
  const CVolRect monitor = GetMonitorRect(parent ? parent : MainWindowHandle());
  if (Form()->startMode == CVWnd_WinForm::kStartCentred) {
    params.x = monitor.left + (monitor.right - monitor.left - params.width) / 2;
    params.y = monitor.top + (monitor.bottom - monitor.top - params.height) / 2;
  } else {
    params.x += monitor.left;
    params.y += monitor.top;
  }
  if (params.modal) return RunModal(params);
  return MakeRuntimeWindow(params, kFormWindowClass, Visibility::kAsAsked);
}

bool CVolWinForm::RunModal(CreateParams& params) {
  HWND owner = params.parentWindow ? params.parentWindow->Handle() : nullptr;
  if (!owner) owner = GetActiveWindow();
  if (!owner) owner = MainWindowHandle();
  HWND focus = GetFocus();
  params.style = CVolEnvelopeDialog::DialogStyle(params.style);
  m_modalResult = IDCANCEL;
  m_modalCreation = &params;
  AttachListener();
  INT_PTR result = -1;
  const bool ran = CVolEnvelopeDialog::Run(*Form(), params, owner, &result);
  m_modalCreation = nullptr;
  if (focus && IsWindow(focus)) SetFocus(focus);
  if (!ran) return false;
  params.modalResult = result;
  m_modalResult = result;
  return true;
}

void CVolWinForm::AfterCreate(HWND window, CreateParams& params) {
  CVolEventContainer::AfterCreate(window, params);
  if (!Form()->movable) {
    if (HMENU menu = GetSystemMenu(window, FALSE)) DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
  }
  if (Form()->GetShape() != CVWnd_WinForm::kRectangle) Form()->UpdateRegion();
}

bool CVolWinForm::Dispatch(WindowMessage& message) {
  if (message.message == WM_INITDIALOG && m_modalCreation) {
    // The modal form's dialog exists now: finish it as CreateEx would.
    SetWindowLongPtrW(message.window, GWLP_USERDATA, kRuntimeWindowMarker);
    AfterCreate(message.window, *m_modalCreation);
  }
  if (CVolEventContainer::Dispatch(message)) return true;
  switch (message.message) {
    case WM_CLOSE:
      return HandleClose(static_cast<INT_PTR>(m_modalResult));
    case kModalCloseMessage:
      return HandleClose(static_cast<INT_PTR>(message.lParam));
    case WM_QUERYENDSESSION:
      message.result = OnMayClose() ? TRUE : FALSE;
      return true;
    case WM_ACTIVATE:
      if (!m_activatedOnce) {
        m_activatedOnce = true;
        OnFirstActivation();
      }
      if (LOWORD(message.wParam) != WA_INACTIVE) {
        OnActivated();
      } else {
        OnDeactivated();
      }
      return false;
    case kTrayNotifyMessage: {
      int32_t kind = 0;
      switch (message.lParam) {
        case WM_LBUTTONUP: kind = 1; break;
        case WM_LBUTTONDBLCLK: kind = 2; break;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU: kind = 3; break;
        default: break;
      }
      if (kind) OnTrayNotification(kind);
      return true;
    }
    case WM_MENUSELECT: {
      const UINT flags = HIWORD(message.wParam);
      const bool none = (flags == 0xFFFF && message.lParam == 0) || (flags & (MF_POPUP | MF_SEPARATOR));
      OnMenuSelect(none ? 0 : LOWORD(message.wParam));
      return false;
    }
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(message.lParam);
      CVolMinMaxInfo limits(*info);
      OnSizeLimits(limits);
      limits.CopyTo(*info);
      return true;
    }
    default:
      return false;
  }
}

bool CVolWinForm::HandleClose(INT_PTR modalResult) {
  HWND window = GetHwnd();
  if (OnCloseRequest() != 0 || !IsWindow(window)) return true;
  if (!OnMayClose() || !IsWindow(window)) return true;
  if (IsModal()) {
    EndModalDialog(window, modalResult);
    return true;
  }
  return false;  // default processing destroys the window
}

void CVolWinForm::SetBorderStyle(int32_t style) {
  Form()->borderStyle = style;
  ApplyStyleChange();
}

void CVolWinForm::SetControlBox(bool on) {
  Form()->controlBox = on;
  ApplyStyleChange();
}

void CVolWinForm::SetMaxBox(bool on) {
  Form()->maxBox = on;
  ApplyStyleChange();
}

void CVolWinForm::SetMinBox(bool on) {
  Form()->minBox = on;
  ApplyStyleChange();
}

void CVolWinForm::SetBackColor(uint32_t color) {
  Form()->backColor = color;
  Redraw();
}

void CVolWinForm::ApplyStyleChange() {
  HWND window = GetHwnd();
  if (!window) return;
  const CVWnd_WinForm* form = Form();
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & ~kCaptionAndBoxStyles;
  DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  if (form->borderStyle != CVWnd_WinForm::kNoBorder) {
    if (GetTitle().IsDifferent(kApplicationTitle)) style |= WS_CAPTION;
    style |= WS_DLGFRAME;
    // The system menu is part of the recomputed bits: keep it while the form has a control box.
    if (form->controlBox) style |= WS_SYSMENU;
    if (form->maxBox) style |= WS_MAXIMIZEBOX;
    if (form->minBox) style |= WS_MINIMIZEBOX;
  } else {
    style &= ~static_cast<DWORD>(WS_THICKFRAME | WS_DLGFRAME);
    exStyle &= ~static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE);
  }
  SetWindowLongPtrW(window, GWL_STYLE, style);
  SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle);
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_DRAWFRAME | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CVolWinForm::OnPreTranslate(MSG* message) {
  if (!PreTranslateHook(message)) return false;
  return m_formEvents[kPreTranslate].Fire<int, int32_t, int64_t, int64_t>(
             this, 0, static_cast<int32_t>(message->message), static_cast<int64_t>(message->wParam),
             static_cast<int64_t>(message->lParam)) != 0;
}

bool CVolWinForm::OnMayClose() {
  return m_formEvents[kMayClose].Fire<int>(this, 1) != 0;
}

int CVolWinForm::OnCloseRequest() {
  return m_formEvents[kCloseRequest].Fire<int>(this, 0);
}

int CVolWinForm::OnFirstActivation() {
  return m_formEvents[kFirstActivation].Fire<int>(this, 0);
}

int CVolWinForm::OnActivated() {
  return m_formEvents[kActivated].Fire<int>(this, 0);
}

int CVolWinForm::OnDeactivated() {
  return m_formEvents[kDeactivated].Fire<int>(this, 0);
}

int CVolWinForm::OnTrayNotification(int32_t kind) {
  return m_formEvents[kTrayNotification].Fire<int, int32_t>(this, 0, kind);
}

int CVolWinForm::OnMenuSelect(int32_t itemId) {
  return m_formEvents[kMenuSelect].Fire<int, int32_t>(this, 0, itemId);
}

int CVolWinForm::OnSizeLimits(CVolMinMaxInfo& limits) {
  return m_formEvents[kSizeLimits].Fire<int, CVolMinMaxInfo*>(this, 0, &limits);
}

int CVolWinForm::OnFormNotification() {
  return m_formEvents[kFormNotification].Fire<int>(this, 0);
}

int CVolWinForm::OnMenuCommand(int32_t commandId) {
  return m_formEvents[kFormMenuCommand].Fire<int, int32_t>(this, 0, commandId);
}

// --- CVolEnvelopeDialog ---

DWORD CVolEnvelopeDialog::DialogStyle(DWORD formStyle) {
  DWORD style = (formStyle & kDialogStyleMask) | kDialogStyleBits;
  if (!(formStyle & WS_THICKFRAME)) style |= DS_MODALFRAME;
  return style;
}

bool CVolEnvelopeDialog::Run(CVWnd_WinForm& native, const CreateParams& params, HWND owner, INT_PTR* result) {
  ModalDialogLayout layout;
  layout.style = params.style;
  layout.exStyle = params.exStyle;
  layout.x = params.x;
  layout.y = params.y;
  layout.width = params.width;
  layout.height = params.height;
  layout.title = params.title.GetText();
  return RunModalDialog(native, layout, owner, result);
}
