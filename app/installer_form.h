// InstallerForm: the installer's one window, a borderless 600 x 400 form with rounded corners titled
// "TonvexaAI" (the title shows on the taskbar button). One painter covers it: paintWindow draws the
// background slide, the close button, the install button (later the download, install and launch faces),
// the licence checkbox and links, or the progress bar and status line; the mouse handlers find the drawn
// controls again by hit-testing (window_layout.h). Anywhere else a press drags the window.
//
// Threads: the handlers run on the window's thread. Workers of the install flow reach the window only
// through InstallerState (under its lock) and Redraw.
#pragma once

#include <memory>
#include <vector>

#include "app/install_flow.h"
#include "app/installer_state.h"
#include "app/licence_form.h"
#include "app/window_layout.h"
#include "data/archive_reader.h"
#include "net/file_downloader.h"
#include "net/worker_thread.h"
#include "ui/painter.h"
#include "ui/timer.h"
#include "ui/win_form.h"

// How long a download may receive nothing before it counts as a failed try: 60 s, or the milliseconds in the
// environment variable TONVEXA_STALL_MS (tests shorten it). Read once.
int64_t StallTimeSetting();

class InstallerForm : public CVolWinForm {
  VOL_CLASS_IDENTITY(InstallerForm, CVolWinForm, "InstallerForm")
 public:
  static constexpr int32_t kWidth = 600;
  static constexpr int32_t kHeight = 400;
  static constexpr int32_t kSlideIntervalMs = 3000;

  // The installer's window: the process-wide state, the configuration from the built-in address.
  InstallerForm();
  // A window over `state` whose configuration comes from `configurationUrl` (test builds).
  InstallerForm(InstallerState& state, const CWString& configurationUrl);
  ~InstallerForm() override { BeginDestruction(); }

  int32_t DefaultClientWidth() override { return kWidth; }
  int32_t DefaultClientHeight() override { return kHeight; }
  // Binds the form's and the children's events, makes the painter and the two (stopped) timers.
  void CreatedHook() override;
  // Restarts the slide show when a configuration applied on a worker thread asked for it.
  bool Dispatch(WindowMessage& message) override;

  // The stream form: the base form, painter and timers, the three rectangles (x, y, width, height; 4 bytes
  // each; a short read marks the stream with error -3), the downloader, the three workers, the archive
  // reader and the licence form.
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

  // --- Window behaviour ---
  // Lays out, paints the first screen, rounds the corners and applies the configuration (which may end the
  // process).
  void onFormCreated();
  // Rectangles, painter size, slide index 0, default install folder, codec library beside the executable.
  void layoutWindow();
  void paintWindow();
  void paintCloseButton(ButtonState state);
  void onPainterMouseMove(int32_t x, int32_t y);
  void onPainterMouseDown(int32_t x, int32_t y);
  void onPainterMouseUp(int32_t x, int32_t y);
  // Timer event of both timers: the slide show here, the progress timer in onProgressTimerTick.
  void onTimerTick(CVolTimer& timer);
  void onSlideTimerTick();
  // Whether installDir holds a CJK unified ideograph (U+4E00 to U+9FA5).
  bool containsCjk();
  // Applies the configuration; a missing or unusable configuration, or an unsafe file name in it, is shown
  // and ends the process with kExitConfiguration. Any thread.
  void applyConfiguration();
  // The custom-location link: the folder browser, then installDir = chosen folder + "Tonvexa\", created.
  void chooseInstallDirectory();

  // --- Install flow (installer_form_flow.cpp) ---
  // The install button released in Ready with the licence ticked: the local check starts on verifyWorker,
  // the phase becomes Downloading and the progress timer ticks every second.
  void startInstallation();
  // The launch button released in Done: the product is started with a normal window (or the folder opened
  // when nothing is configured to run), the shortcut written, and the installer ends.
  void launchProduct();
  // The progress timer's tick: scheduling, speed and hand-over while Downloading; endings left by workers and
  // stalled transfers while Installing; the part files deleted and the timer stopped once Done.
  void onProgressTimerTick();
  // The run event of the three workers, on the new thread: the local check (verifyWorker), the archive step
  // (extractWorker) or the download of part `value` (downloadWorker, 1-based).
  void onWorkerStarted(WorkerThread& worker, uint64_t value);
  // On verifyWorker: drops the parts whose digest a file of the install folder has.
  void verifyLocalParts();
  // On extractWorker: exactly one zip in the install folder, then verifyAndExtract.
  void archiveStep();
  // On extractWorker: re-checks every part (fetching a damaged one again) and extracts the archive.
  void verifyAndExtract(const CWString& zipName);
  // A download's progress notification, on its thread; `slot` names the transfer's downloader.
  void onDownloadProgress(int32_t slot, uint64_t done, double percent);
  // The archive reader's progress, on extractWorker: bar and "正在抽取:" status line.
  void onExtractProgress(const CWString& itemName, uint32_t percent);
  // Writes the desktop shortcut to installDir + runFileName when a shortcut name is configured. Any thread.
  void createDesktopShortcut();
  // Re-applies the configuration, then deletes every listed part file from installDir. Any thread.
  void deletePartFiles();

  const WindowLayout& Layout() const { return m_layout; }
  InstallerState& State() { return m_state; }

  CVolPainter painter;
  CVolTimer progressTimer;
  CVolTimer slideTimer;
  FileDownloader downloader;
  WorkerThread downloadWorker;
  WorkerThread extractWorker;
  WorkerThread verifyWorker;
  ArchiveReader archiveReader;
  LicenceForm licenceForm;

 protected:
  // Ends the process at once with `code` (ExitProcess). Test builds observe it instead.
  virtual void endProcess(UINT code);
  // The shell's folder browser owned by this window; empty when cancelled. Test builds answer it.
  virtual CWString browseFolder(const CWString& title);

 private:
  // An installer picture (resources 500 to 512), decoded once.
  const CVolPicture& ResourcePicture(int id);
  void setSlideInterval();

  // --- Install flow (installer_form_flow.cpp) ---
  void bindFlowEvents();
  // Carries out the transfer the flow started for `entry` (0-based), on its download thread.
  void downloadPart(int64_t entry);
  // The downloader of a transfer slot: `downloader` for slot 0, one more object per further slot, so
  // concurrent downloads never share one. Takes the state's lock.
  FileDownloader& downloaderFor(int32_t slot);
  void handOver();
  void askAboutFailedPart(const DownloadQuestion& question);
  // Stops the timer, shows the ending's message, opens the folder or deletes the parts as it says, and ends
  // the process with its code. Window thread.
  void finishWith(const FlowEnding& ending);

  InstallerState& m_state;
  CWString m_configurationUrl;
  // The flow's decisions and bookkeeping; used only under m_state.lock.
  InstallFlow m_flow{StallTimeSetting()};
  std::vector<std::unique_ptr<FileDownloader>> m_moreDownloaders;  // slots 1, 2, ...; under m_state.lock
  bool m_flowBound = false;
  WindowLayout m_layout;
  int32_t m_cursor = 0;  // the system cursor last set on the painter
  SlideKey m_background;  // what backgroundImage holds, once m_backgroundKnown
  bool m_backgroundKnown = false;
  CVolPicture m_resourcePictures[13];
};

// The install folder for a folder chosen by the user: a backslash added when missing, then "Tonvexa\".
CWString CustomInstallDirectory(const CWString& chosen);
// Whether `text` holds a code unit in U+4E00 to U+9FA5.
bool HasCjkCharacter(const CWString& text);
