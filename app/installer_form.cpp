#include "app/installer_form.h"

#include "app/configuration_url.h"
#include "app/exit_codes.h"
#include "app/installer_configuration.h"
#include "data/archive_codec_library.h"
#include "framework/pump_messages.h"
#include "resources/resource_ids.h"
#include "runtime/paths.h"
#include "runtime/serial_stream.h"
#include "ui/folder_browser.h"
#include "ui/window_messages.h"

namespace {

constexpr int32_t kHandCursor = 32649;   // IDC_HAND
constexpr int32_t kArrowCursor = 32512;  // IDC_ARROW
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);
constexpr int32_t kBarX = 10;
constexpr int32_t kBarWidth = 580;
constexpr int32_t kBarHeight = 12;
// Posted to the form when a configuration applied on a worker thread starts the slide show: timers belong
// to the window's thread.
constexpr UINT kRestartSlideShowMessage = WM_APP + 0x131;

int RelayCreated(CVolObject* self, CVolObject*, int32_t) {
  static_cast<InstallerForm*>(self)->onFormCreated();
  return 0;
}

int RelayPaint(CVolObject* self, CVolObject*, int32_t, CVolRect*) {
  static_cast<InstallerForm*>(self)->paintWindow();
  return 0;
}

int RelayMouseMove(CVolObject* self, CVolObject*, int32_t, int32_t x, int32_t y, int32_t) {
  static_cast<InstallerForm*>(self)->onPainterMouseMove(x, y);
  return 0;
}

int RelayMouseDown(CVolObject* self, CVolObject*, int32_t, int32_t x, int32_t y, int32_t) {
  static_cast<InstallerForm*>(self)->onPainterMouseDown(x, y);
  return 0;
}

int RelayMouseUp(CVolObject* self, CVolObject*, int32_t, int32_t x, int32_t y, int32_t) {
  static_cast<InstallerForm*>(self)->onPainterMouseUp(x, y);
  return 0;
}

int RelayTimer(CVolObject* self, CVolObject* timer, int32_t) {
  static_cast<InstallerForm*>(self)->onTimerTick(*static_cast<CVolTimer*>(timer));
  return 0;
}

bool IsBusy(InstallPhase phase) {
  return phase == InstallPhase::Downloading || phase == InstallPhase::Installing;
}

}  // namespace

InstallerForm::InstallerForm() : InstallerForm(TheInstallerState(), ConfigurationUrl()) {}

InstallerForm::InstallerForm(InstallerState& state, const CWString& configurationUrl)
    : licenceForm(state), m_state(state), m_configurationUrl(configurationUrl) {
  SetTitle(CWString(L"TonvexaAI"));
  SetControlBox(false);
  SetBorderStyle(CVWnd_WinForm::kNoBorder);
}

void InstallerForm::CreatedHook() {
  BindEvent(kCreated, &RelayCreated, EventHolder());
  painter.BindPaintEvent(&RelayPaint, EventHolder());
  painter.BindEvent(kMouseMove, &RelayMouseMove, EventHolder());
  painter.BindEvent(kLeftButtonDown, &RelayMouseDown, EventHolder());
  painter.BindEvent(kLeftButtonUp, &RelayMouseUp, EventHolder());
  progressTimer.BindEvent(progressTimer.TimerEvent(), &RelayTimer, EventHolder());
  slideTimer.BindEvent(slideTimer.TimerEvent(), &RelayTimer, EventHolder());

  painter.SetBackgroundColor(0xFFFFFF);
  painter.CreateChild(*this, 0, 0, 392, 272, 101);  // layoutWindow gives it the window's size
  progressTimer.SetInterval(0);
  slideTimer.SetInterval(0);
  progressTimer.CreateChild(*this, 0, 0, 0, 0, 102);
  slideTimer.CreateChild(*this, 0, 0, 0, 0, 103);
}

bool InstallerForm::Dispatch(WindowMessage& message) {
  if (message.message == kRestartSlideShowMessage) {
    slideTimer.SetInterval(kSlideIntervalMs);
    return true;
  }
  return CVolWinForm::Dispatch(message);
}

void InstallerForm::Load(SerialStream& stream) {
  CVolWinForm::Load(stream);
  painter.Load(stream);
  progressTimer.Load(stream);
  slideTimer.Load(stream);
  for (HotRect* rect : {&m_layout.closeRect, &m_layout.buttonRect, &m_layout.locationRect}) {
    for (int32_t* value : {&rect->x, &rect->y, &rect->width, &rect->height}) {
      if (!stream.ReadInt32(*value)) stream.SetError(-3);
    }
  }
  downloader.Load(stream);
  downloadWorker.Load(stream);
  extractWorker.Load(stream);
  verifyWorker.Load(stream);
  archiveReader.Load(stream);
  licenceForm.Load(stream);
}

void InstallerForm::Save(SerialStream& stream) const {
  CVolWinForm::Save(stream);
  painter.Save(stream);
  progressTimer.Save(stream);
  slideTimer.Save(stream);
  for (const HotRect* rect : {&m_layout.closeRect, &m_layout.buttonRect, &m_layout.locationRect}) {
    for (int32_t value : {rect->x, rect->y, rect->width, rect->height}) stream.WriteInt32(value);
  }
  downloader.Save(stream);
  downloadWorker.Save(stream);
  extractWorker.Save(stream);
  verifyWorker.Save(stream);
  archiveReader.Save(stream);
  licenceForm.Save(stream);
}

void InstallerForm::onFormCreated() {
  layoutWindow();
  paintWindow();
  RECT bounds;
  if (GetWindowRect(GetHwnd(), &bounds)) {
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    // The window owns the region from here on.
    if (HRGN region = CreateRoundRectRgn(0, 0, width + 1, height + 1, 15, 15)) {
      if (!SetWindowRgn(GetHwnd(), region, TRUE)) DeleteObject(region);
    }
  }
  applyConfiguration();
}

void InstallerForm::layoutWindow() {
  m_layout = LayoutFor(GetWidth(), GetHeight());
  painter.MoveTo(0, 0, m_layout.width, m_layout.height);
  CWString installDir = CWString::Concat(programFilesX86Directory(), L"\\TonVexa\\");
  {
    LockGuard guard(m_state.lock);
    m_state.slideIndex = 0;
    m_state.installDir = installDir;
  }
  CWString libraryPath;
  moduleDirectory(nullptr, libraryPath);
  libraryPath.AddText(L"7z.dll");
  writeCodecLibraryFile(libraryPath, IDR_CODEC_LIBRARY);  // a failure shows when the archive is extracted
  PumpMessagesFor(10);  // the window stays responsive while the file settles
}

const CVolPicture& InstallerForm::ResourcePicture(int id) {
  CVolPicture& picture = m_resourcePictures[id - IDR_PICTURE_CLOSE_NORMAL];
  if (!picture.IsValid()) picture.LoadPictureFromResource(id);
  return picture;
}

void InstallerForm::paintWindow() {
  const WindowSnapshot view = SnapshotForPainting(m_state, m_backgroundKnown ? &m_background : nullptr);
  const WindowLayout& l = m_layout;
  painter.ClearCanvas();

  // backgroundImage is the picture drawn last: it is decoded (or copied) only when the background changes.
  CVolPicture& background = m_state.backgroundImage;
  if (!m_backgroundKnown || m_background != view.slide) {
    if (view.builtInBackground) {
      background = ResourcePicture(IDR_PICTURE_BACKGROUND);
    } else {
      background.Clear();  // a picture that cannot be decoded draws nothing
      background.LoadPictureFromMemory(view.slidePicture.GetData(), static_cast<size_t>(view.slidePicture.GetSize()));
    }
    m_background = view.slide;
    m_backgroundKnown = true;
  }
  if (background.IsValid()) painter.DrawPicture(background, 0, 0, l.width, l.height);

  paintCloseButton(view.closeButtonState);

  const HotRect& button = l.buttonRect;
  const int32_t barY = l.locationRect.y;
  const int32_t fillWidth = (view.progressPercent * kBarWidth) / 100;
  switch (view.phase) {
    case InstallPhase::Ready: {
      const int id = view.installButtonState == ButtonState::Hover ? IDR_PICTURE_INSTALL_HOVER
                                                                    : IDR_PICTURE_INSTALL_NORMAL;
      painter.DrawPicture(ResourcePicture(id), button.x, button.y, button.width, button.height);
      const HotRect& box = l.checkboxRect;
      painter.DrawPicture(ResourcePicture(view.agreed ? IDR_PICTURE_CHECKBOX_ON : IDR_PICTURE_CHECKBOX_OFF), box.x,
                          box.y, 18, 18);
      painter.SetTextColor(kBlack);
      painter.DrawTextAt(40, l.bottomBand + 23, L"同意", 0);
      painter.SetTextColor(kLinkBlue);
      painter.DrawTextAt(70, l.bottomBand + 23, L"《用户许可协议》", 0);
      painter.DrawTextAt(l.locationRect.x, l.locationRect.y, L"自定义安装位置", 0);
      break;
    }
    case InstallPhase::Downloading:
      painter.DrawPicture(ResourcePicture(IDR_PICTURE_DOWNLOADING), button.x, button.y, button.width, button.height);
      painter.DrawPicture(ResourcePicture(IDR_PICTURE_PROGRESS_TRACK), kBarX, barY, kBarWidth, kBarHeight);
      painter.DrawPicture(ResourcePicture(IDR_PICTURE_PROGRESS_FILL), kBarX, barY, fillWidth, kBarHeight);
      painter.SetTextColor(kBlack);
      painter.DrawTextAt(12, barY + 15, view.statusText, 2);
      break;
    case InstallPhase::Installing:
      painter.DrawPicture(ResourcePicture(IDR_PICTURE_PROGRESS_TRACK), kBarX, barY, kBarWidth, kBarHeight);
      painter.DrawPicture(ResourcePicture(IDR_PICTURE_PROGRESS_FILL), kBarX, barY, fillWidth, kBarHeight);
      painter.DrawPicture(ResourcePicture(IDR_PICTURE_INSTALLING), button.x, button.y, button.width, button.height);
      painter.SetTextColor(kBlack);
      painter.DrawTextAt(12, barY + 15, view.statusText, 2);
      break;
    case InstallPhase::Done:
      painter.DrawPicture(ResourcePicture(IDR_PICTURE_LAUNCH), button.x, button.y, button.width, button.height);
      break;
  }
}

void InstallerForm::paintCloseButton(ButtonState state) {
  int id = IDR_PICTURE_CLOSE_NORMAL;
  if (state == ButtonState::Hover) id = IDR_PICTURE_CLOSE_HOVER;
  if (state == ButtonState::Pressed) id = IDR_PICTURE_CLOSE_PRESSED;
  const HotRect& close = m_layout.closeRect;
  painter.DrawPicture(ResourcePicture(id), close.x, close.y, close.width, close.height);
}

void InstallerForm::onPainterMouseMove(int32_t x, int32_t y) {
  bool redraw = false;
  int32_t cursor = 0;
  {
    LockGuard guard(m_state.lock);
    switch (HitTest(m_layout, x, y)) {
      case HotArea::Close:
        if (m_state.closeButtonState != ButtonState::Hover) {
          m_state.closeButtonState = ButtonState::Hover;
          redraw = true;
          cursor = kHandCursor;
        }
        break;
      case HotArea::Button:
        if (!IsBusy(m_state.phase) && m_state.installButtonState != ButtonState::Hover) {
          m_state.installButtonState = ButtonState::Hover;
          redraw = true;
          cursor = kHandCursor;
        }
        break;
      case HotArea::Location:
      case HotArea::Checkbox:
      case HotArea::LicenceLink:
        if (m_state.phase == InstallPhase::Ready) cursor = kHandCursor;
        break;
      case HotArea::None:
        redraw = m_state.closeButtonState != ButtonState::Normal || m_state.installButtonState != ButtonState::Normal;
        m_state.closeButtonState = ButtonState::Normal;
        m_state.installButtonState = ButtonState::Normal;
        cursor = kArrowCursor;
        break;
    }
  }
  if (redraw) painter.Redraw();
  // Setting a cursor moves the pointer onto itself, which comes back here as a mouse move: set it only when
  // it changes, or the two would feed each other.
  if (cursor && cursor != m_cursor) {
    m_cursor = cursor;
    painter.SetCursorShape(cursor);
  }
}

void InstallerForm::onPainterMouseDown(int32_t x, int32_t y) {
  const HotArea area = HitTest(m_layout, x, y);
  if (area == HotArea::None) {
    // The system's move command with the caption hit code: the window follows the mouse.
    SendMessageTimeoutA(GetHwnd(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0, SMTO_NORMAL, 0, nullptr);
    return;
  }
  bool redraw = false;
  bool warn = false;
  {
    LockGuard guard(m_state.lock);
    if (area == HotArea::Close) {
      redraw = m_state.closeButtonState != ButtonState::Pressed;
      m_state.closeButtonState = ButtonState::Pressed;
    } else if (area == HotArea::Button && m_state.phase != InstallPhase::Downloading) {
      if (!m_state.agreed) {
        warn = true;
      } else if (m_state.installButtonState != ButtonState::Hover) {
        m_state.installButtonState = ButtonState::Hover;
        redraw = true;
      }
    }
  }
  if (redraw) painter.Redraw();
  if (warn) ShowMessage(CWString(L"需要同意用户许可协议！"), MB_ICONEXCLAMATION, CWString(L"警告"));
}

void InstallerForm::onPainterMouseUp(int32_t x, int32_t y) {
  const HotArea area = HitTest(m_layout, x, y);
  if (area == HotArea::Close) {
    endProcess(kExitInstalled);
    return;
  }
  InstallPhase phase;
  bool agreed;
  {
    LockGuard guard(m_state.lock);
    phase = m_state.phase;
    agreed = m_state.agreed;
    if (area == HotArea::Checkbox && phase == InstallPhase::Ready) m_state.agreed = !m_state.agreed;
  }
  switch (area) {
    case HotArea::Button:
      if (phase == InstallPhase::Ready && agreed) startInstallation();
      if (phase == InstallPhase::Done) launchProduct();
      break;
    case HotArea::Location:
      if (phase == InstallPhase::Ready) chooseInstallDirectory();
      break;
    case HotArea::Checkbox:
      if (phase == InstallPhase::Ready) painter.Redraw();
      break;
    case HotArea::LicenceLink:
      if (phase == InstallPhase::Ready) {
        if (!licenceForm.HasWindow()) licenceForm.CreateDefault();
        painter.Redraw();
      }
      break;
    default:
      break;
  }
}

void InstallerForm::chooseInstallDirectory() {
  bool chineseAllowed;
  {
    LockGuard guard(m_state.lock);
    chineseAllowed = m_state.chineseDirAllowed;
  }
  const CWString chosen =
      browseFolder(CWString(chineseAllowed ? L"请选择安装目录" : L"请选择安装目录(不支持中文目录)"));
  if (chosen.IsEmpty()) return;
  const CWString installDir = CustomInstallDirectory(chosen);
  {
    LockGuard guard(m_state.lock);
    m_state.installDir = installDir;
  }
  painter.Redraw();
  // A folder that cannot be made shows when the parts are written.
  if (!pathExists(installDir)) createDirectoryTree(installDir);
  if (!chineseAllowed && containsCjk()) {
    ShowMessage(CWString(L"软件不支持中文目录，请重新选择！"), MB_ICONEXCLAMATION, CWString(L"警告"));
  }
}

bool InstallerForm::containsCjk() {
  LockGuard guard(m_state.lock);
  return HasCjkCharacter(m_state.installDir);
}

void InstallerForm::onTimerTick(CVolTimer& timer) {
  if (&timer == &slideTimer) {
    onSlideTimerTick();
  } else {
    onProgressTimerTick();
  }
}

void InstallerForm::onSlideTimerTick() {
  bool redraw;
  {
    LockGuard guard(m_state.lock);
    const size_t count = SlideList(m_state, m_state.phase).size();
    m_state.slideIndex = NextSlideIndex(m_state.slideIndex, static_cast<int64_t>(count));
    redraw = count != 0;
  }
  if (redraw) InvalidateRect(painter.GetHwnd(), nullptr, TRUE);
}

void InstallerForm::applyConfiguration() {
  const ConfigurationOutcome outcome = ApplyConfigurationTo(m_state, m_configurationUrl);
  switch (outcome.result) {
    case ConfigurationResult::Unusable:
      ShowMessage(CWString(L"无法获取配置文件，无法安装软件！"), MB_ICONEXCLAMATION, CWString(L"失败"));
      endProcess(kExitConfiguration);
      return;
    case ConfigurationResult::UnsafeName:
      ShowMessage(UnsafeNameMessage(outcome.unsafeName), MB_ICONEXCLAMATION, CWString(L"失败"));
      endProcess(kExitConfiguration);
      return;
    case ConfigurationResult::Applied:
      if (outcome.hasPictures) setSlideInterval();
      return;
  }
}

void InstallerForm::setSlideInterval() {
  HWND window = GetHwnd();
  if (window && GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
    PostMessageW(window, kRestartSlideShowMessage, 0, 0);
  } else {
    slideTimer.SetInterval(kSlideIntervalMs);
  }
}

void InstallerForm::endProcess(UINT code) {
  ExitProcess(code);
}

CWString InstallerForm::browseFolder(const CWString& title) {
  return browseForFolder(title, GetHwnd());
}

CWString CustomInstallDirectory(const CWString& chosen) {
  CWString directory = chosen;
  const int64_t length = directory.GetLength();
  if (length == 0 || directory.GetText()[length - 1] != L'\\') directory.AddChar(L'\\');
  directory.AddText(L"Tonvexa\\");
  return directory;
}

bool HasCjkCharacter(const CWString& text) {
  const wchar_t* p = text.GetText();
  for (int64_t i = 0; i < text.GetLength(); ++i) {
    if (p[i] >= 0x4E00 && p[i] < 0x9FA6) return true;
  }
  return false;
}
