// The install flow's wiring: InstallFlow decides, this file carries the decisions out with the form's
// timer, workers, downloaders, archive reader and message boxes. Workers never wait for the window's
// thread: what they find is written to the state (under its lock) and the next tick acts on it.
#include "app/installer_form.h"

#include <cstdlib>

#include "app/exit_codes.h"
#include "app/flow_texts.h"
#include "app/part_digests.h"
#include "data/file_hasher.h"
#include "data/file_listing.h"
#include "data/program_launch.h"
#include "data/shell_link.h"
#include "runtime/paths.h"

namespace {

constexpr int32_t kDownloadTickMs = 1000;
constexpr int32_t kInstallTickMs = 300;

int64_t Now() {
  return static_cast<int64_t>(GetTickCount64());
}

CWString Md5Of(const CWString& path) {
  return FileHasher().hashFile(path, CWString(L"MD5"));
}

// The fields InstallFlow works on, copied out of the state and back; the caller holds the state's lock.
DownloadFields FieldsOf(const InstallerState& state) {
  DownloadFields f;
  f.verifying = state.verifying;
  f.redownloading = state.redownloading;
  f.byteCounter = state.byteCounter;
  f.byteCounterAtLastTick = state.byteCounterAtLastTick;
  f.startedDownloads = state.startedDownloads;
  f.activeDownloads = state.activeDownloads;
  f.completedDownloads = state.completedDownloads;
  f.downloadThreadLimit = state.downloadThreadLimit;
  f.partCount = static_cast<int64_t>(state.partNames.size());
  f.progressPercent = state.progressPercent;
  f.speedText = state.speedText;
  f.statusText = state.statusText;
  return f;
}

void Store(const DownloadFields& f, InstallerState& state) {
  state.verifying = f.verifying;
  state.redownloading = f.redownloading;
  state.byteCounter = f.byteCounter;
  state.byteCounterAtLastTick = f.byteCounterAtLastTick;
  state.startedDownloads = f.startedDownloads;
  state.activeDownloads = f.activeDownloads;
  state.completedDownloads = f.completedDownloads;
  state.progressPercent = f.progressPercent;
  state.speedText = f.speedText;
  state.statusText = f.statusText;
}

uint32_t RelayWorkerStarted(CVolObject* self, CVolObject* worker, int32_t, uint64_t value) {
  static_cast<InstallerForm*>(self)->onWorkerStarted(*static_cast<WorkerThread*>(worker), value);
  return 0;
}

int32_t RelayDownloadProgress(CVolObject* self, CVolObject*, int32_t slot, uint64_t done, uint64_t,
                              double percent, const CWString&, const CWString&, int32_t, const CWString&,
                              int32_t) {
  static_cast<InstallerForm*>(self)->onDownloadProgress(slot, done, percent);
  return 0;
}

int32_t RelayExtractProgress(CVolObject* self, CVolObject*, int32_t, const CWString& itemName,
                             uint32_t percent, uint64_t, uint64_t, int32_t) {
  static_cast<InstallerForm*>(self)->onExtractProgress(itemName, percent);
  return 0;  // never cancels
}

}  // namespace

int64_t StallTimeSetting() {
  static const int64_t stallMs = [] {
    const wchar_t* text = _wgetenv(L"TONVEXA_STALL_MS");
    const long long value = text ? std::wcstoll(text, nullptr, 10) : 0;
    return value > 0 ? static_cast<int64_t>(value) : InstallFlow::kDefaultStallMs;
  }();
  return stallMs;
}

void InstallerForm::bindFlowEvents() {
  if (m_flowBound) return;
  m_flowBound = true;
  verifyWorker.BindRun(&RelayWorkerStarted, EventHolder());
  downloadWorker.BindRun(&RelayWorkerStarted, EventHolder());
  extractWorker.BindRun(&RelayWorkerStarted, EventHolder());
  downloader.BindProgress(&RelayDownloadProgress, EventHolder(), 0);
  archiveReader.bindProgressEvent(&RelayExtractProgress, EventHolder());
}

void InstallerForm::startInstallation() {
  bindFlowEvents();
  {
    LockGuard guard(m_state.lock);
    m_state.statusText = CWString(L"开始校验本地文件,请稍侯......");
  }
  verifyWorker.Start(0);
  {
    LockGuard guard(m_state.lock);
    m_state.phase = InstallPhase::Downloading;
  }
  progressTimer.SetInterval(kDownloadTickMs);
  painter.Redraw();
}

void InstallerForm::onWorkerStarted(WorkerThread& worker, uint64_t value) {
  if (&worker == &verifyWorker) {
    verifyLocalParts();
  } else if (&worker == &extractWorker) {
    archiveStep();
  } else if (&worker == &downloadWorker && value >= 1) {
    downloadPart(static_cast<int64_t>(value) - 1);
  }
}

void InstallerForm::verifyLocalParts() {
  CWString installDir;
  {
    LockGuard guard(m_state.lock);
    installDir = m_state.installDir;
  }
  if (!pathExists(installDir)) {
    LockGuard guard(m_state.lock);
    m_state.verifying = false;
    return;
  }
  CVolTextArray files, directories;
  findFiles(installDir, CWString(L"*"), files, directories, true, true);

  LocalCheckSteps steps;
  steps.fileStarted = [this](int64_t number, int64_t count) {
    LockGuard guard(m_state.lock);
    m_state.statusText = localCheckStatusText(number, count);
    m_state.progressPercent = static_cast<int32_t>(number * 100 / count);
  };
  steps.digestOf = [](const CWString& path) { return Md5Of(path); };
  steps.dropEntry = [this](const CWString& digest) {
    LockGuard guard(m_state.lock);
    const int64_t j = entryWithDigest(m_state.partMd5s, digest);
    if (j < 0) return;
    m_state.partMd5s.erase(m_state.partMd5s.begin() + j);
    m_state.partNames.erase(m_state.partNames.begin() + j);
    m_state.partUrls.erase(m_state.partUrls.begin() + j);
  };
  checkLocalFiles(files, steps);

  LockGuard guard(m_state.lock);
  m_state.statusText = CWString(L"校验完成，开始下载。");
  m_state.verifying = false;
}

FileDownloader& InstallerForm::downloaderFor(int32_t slot) {
  if (slot <= 0) return downloader;
  LockGuard guard(m_state.lock);
  while (m_moreDownloaders.size() < static_cast<size_t>(slot)) {
    auto more = std::make_unique<FileDownloader>();
    more->BindProgress(&RelayDownloadProgress, EventHolder(),
                       static_cast<int32_t>(m_moreDownloaders.size()) + 1);
    m_moreDownloaders.push_back(std::move(more));
  }
  return *m_moreDownloaders[static_cast<size_t>(slot) - 1];
}

void InstallerForm::downloadPart(int64_t entry) {
  std::optional<TransferStart> transfer;
  CWString url, path, digest;
  {
    LockGuard guard(m_state.lock);
    transfer = m_flow.transferOf(entry);
    if (!transfer || static_cast<size_t>(entry) >= m_state.partNames.size()) return;
    url = m_state.partUrls[static_cast<size_t>(entry)];
    path = CWString::Concat(m_state.installDir, m_state.partNames[static_cast<size_t>(entry)]);
    digest = m_state.partMd5s[static_cast<size_t>(entry)];
  }
  bool counted = false;
  // A part whose file is already complete (the re-check fetched it again) is not downloaded again.
  if (transfer->kind == TransferKind::kScheduled && pathExists(path)) {
    const CWString onDisk = Md5Of(path);
    LockGuard guard(m_state.lock);
    DownloadFields f = FieldsOf(m_state);
    counted = m_flow.completeIfPresent(transfer->slot, onDisk, digest, f);
    Store(f, m_state);
  }
  if (!counted) {
    const int64_t result = downloaderFor(transfer->slot).Download(url, path);
    LockGuard guard(m_state.lock);
    DownloadFields f = FieldsOf(m_state);
    // The download has returned, so the file is closed: only now does it count as complete.
    counted = m_flow.transferEnded(transfer->slot, result >= 0, f);
    Store(f, m_state);
  }
  if (counted) createDesktopShortcut();
}

void InstallerForm::onDownloadProgress(int32_t slot, uint64_t done, double percent) {
  LockGuard guard(m_state.lock);
  DownloadFields f = FieldsOf(m_state);
  m_flow.transferProgress(slot, done, percent, f, Now());
  Store(f, m_state);
}

void InstallerForm::createDesktopShortcut() {
  CWString target, name;
  {
    LockGuard guard(m_state.lock);
    target = CWString::Concat(m_state.installDir, m_state.runFileName);
    name = m_state.shortcutName;
  }
  if (name.IsEmpty()) return;
  const CWString link = CWString::Concat(CWString::Concat(desktopDirectory(), name), L".lnk");
  createShortcut(target, link, CWString(), CWString(), CWString(), directoryOf(target));
}

void InstallerForm::onProgressTimerTick() {
  InstallPhase phase;
  {
    LockGuard guard(m_state.lock);
    phase = m_state.phase;
  }
  if (phase == InstallPhase::Done) {
    deletePartFiles();
    progressTimer.SetInterval(0);
    painter.Redraw();
    return;
  }
  if (phase != InstallPhase::Downloading && phase != InstallPhase::Installing) return;

  TickPlan plan;
  {
    LockGuard guard(m_state.lock);
    if (phase == InstallPhase::Downloading) {
      DownloadFields f = FieldsOf(m_state);
      plan = m_flow.downloadingTick(f, Now());
      Store(f, m_state);
    } else {
      plan = m_flow.installingTick(Now());
    }
  }
  if (plan.ending) {
    finishWith(*plan.ending);
    return;
  }
  for (int32_t slot : plan.abortSlots) downloaderFor(slot).Abort();
  if (plan.start && !downloadWorker.Start(static_cast<uint64_t>(plan.start->entry) + 1)) {
    LockGuard guard(m_state.lock);
    DownloadFields f = FieldsOf(m_state);
    m_flow.transferEnded(plan.start->slot, false, f);
    Store(f, m_state);
  }
  // Back from a re-check's re-fetch the timer still runs at the extraction's pace: the speed is per second.
  if (phase == InstallPhase::Downloading && progressTimer.GetInterval() != kDownloadTickMs &&
      !plan.handOver) {
    progressTimer.SetInterval(kDownloadTickMs);
  }
  if (plan.handOver) handOver();
  painter.Redraw();
  // Last: the box is modal, and the ticks it lets through go on scheduling the other parts.
  if (plan.question) askAboutFailedPart(*plan.question);
}

void InstallerForm::handOver() {
  {
    LockGuard guard(m_state.lock);
    m_state.progressPercent = 100;
    m_state.statusText = CWString(L"下载完成。");
  }
  applyConfiguration();
  int64_t archive;
  {
    LockGuard guard(m_state.lock);
    archive = archivePartIndex(m_state.partNames);
    if (archive >= 0) m_state.phase = InstallPhase::Installing;
  }
  if (archive < 0) {
    finishWith(noArchivePartEnding());
    return;
  }
  progressTimer.SetInterval(kInstallTickMs);
  if (!extractWorker.Start(0)) {
    LockGuard guard(m_state.lock);
    FlowEnding ending;  // no thread for the extraction: nothing to show but the exit code
    ending.exitCode = kExitExtraction;
    m_flow.endWith(ending);
  }
}

void InstallerForm::askAboutFailedPart(const DownloadQuestion& question) {
  CWString name;
  {
    LockGuard guard(m_state.lock);
    if (static_cast<size_t>(question.entry) < m_state.partNames.size()) {
      name = m_state.partNames[static_cast<size_t>(question.entry)];
    }
  }
  const bool retry = ShowMessage(downloadFailedText(name), kRetryCancelBox, CWString(L"失败")) == IDRETRY;
  std::optional<FlowEnding> ending;
  {
    LockGuard guard(m_state.lock);
    ending = m_flow.answer(retry);
  }
  if (ending) finishWith(*ending);
}

void InstallerForm::finishWith(const FlowEnding& ending) {
  progressTimer.SetInterval(0);
  if (!ending.text.IsEmpty()) ShowMessage(ending.text, ending.messageType, ending.caption);
  if (ending.openInstallDir) {
    CWString installDir;
    {
      LockGuard guard(m_state.lock);
      installDir = m_state.installDir;
    }
    openInstallDir(installDir);
  }
  if (ending.deletePartFiles) deletePartFiles();
  endProcess(static_cast<UINT>(ending.exitCode));
}

void InstallerForm::archiveStep() {
  CWString installDir;
  {
    LockGuard guard(m_state.lock);
    installDir = m_state.installDir;
  }
  CVolTextArray zips, directories;
  if (findFiles(installDir, CWString(L"*.zip"), zips, directories, false, false) != 1) {
    LockGuard guard(m_state.lock);
    m_flow.endWith(archiveCountEnding());
    return;
  }
  verifyAndExtract(CWString(zips.GetItemText(0)));
}

void InstallerForm::verifyAndExtract(const CWString& zipName) {
  CWString installDir;
  std::vector<CWString> names, digests;
  {
    LockGuard guard(m_state.lock);
    m_state.phase = InstallPhase::Installing;
    m_state.statusText = CWString(L"正在校验,请稍后....");
    installDir = m_state.installDir;
    names = m_state.partNames;
    digests = m_state.partMd5s;
  }
  const int64_t damaged = firstDamagedEntry(names, digests, [&](const CWString& name) {
    const CWString digest = Md5Of(CWString::Concat(installDir, name));
    Sleep(10);
    return digest;
  });

  if (damaged >= 0) {
    const CWString& name = names[static_cast<size_t>(damaged)];
    const CWString path = CWString::Concat(installDir, name);
    TransferStart transfer;
    CWString url;
    {
      LockGuard guard(m_state.lock);
      if (!m_flow.refetchDamagedPart(name)) {
        m_flow.endWith(digestEnding(name));
        transfer.slot = -1;
      } else {
        DownloadFields f = FieldsOf(m_state);
        transfer = m_flow.beginRefetch(damaged, f, Now());
        Store(f, m_state);
        url = m_state.partUrls[static_cast<size_t>(damaged)];
      }
    }
    if (transfer.slot < 0) {
      // Fetched again twice and still wrong: the file is of no use to a later run either.
      deleteFile(path);
      return;
    }
    CWString destination = path;
    const int64_t result = downloaderFor(transfer.slot).Download(url, destination);
    LockGuard guard(m_state.lock);
    DownloadFields f = FieldsOf(m_state);
    m_flow.transferEnded(transfer.slot, result >= 0, f);
    Store(f, m_state);
    m_state.phase = InstallPhase::Downloading;
    return;
  }

  CWString errorText;
  const int extracted = archiveReader.extractArchive(CWString::Concat(installDir, zipName), CVolMem(),
                                                     CWString(), errorText, installDir);
  if (!extracted) {
    LockGuard guard(m_state.lock);
    m_flow.endWith(extractionEnding(errorText));
    return;
  }
  {
    // Done once the extraction has returned: every file is written before the launch button shows.
    LockGuard guard(m_state.lock);
    m_state.phase = InstallPhase::Done;
    m_state.progressPercent = 100;
  }
  deletePartFiles();
}

void InstallerForm::onExtractProgress(const CWString& itemName, uint32_t percent) {
  LockGuard guard(m_state.lock);
  m_state.progressPercent = static_cast<int32_t>(percent);
  m_state.statusText = extractionStatusText(itemName, static_cast<int32_t>(percent));
}

void InstallerForm::deletePartFiles() {
  applyConfiguration();
  CWString installDir;
  std::vector<CWString> names;
  {
    LockGuard guard(m_state.lock);
    installDir = m_state.installDir;
    names = m_state.partNames;
  }
  for (const CWString& name : names) deleteFile(CWString::Concat(installDir, name));
}

void InstallerForm::launchProduct() {
  deletePartFiles();
  CWString installDir, runFileName, shortcutName;
  bool chineseAllowed;
  {
    LockGuard guard(m_state.lock);
    installDir = m_state.installDir;
    runFileName = m_state.runFileName;
    shortcutName = m_state.shortcutName;
    chineseAllowed = m_state.chineseDirAllowed;
  }
  switch (launchStep(runFileName, chineseAllowed, HasCjkCharacter(installDir))) {
    case LaunchStep::kRefuseCjk:
      ShowMessage(CWString(L"软件不支持中文目录，请重新选择！"), MB_ICONEXCLAMATION, CWString(L"警告"));
      return;
    case LaunchStep::kReportSuccess:
      ShowMessage(CWString(L"安装成功"), MB_OK, CWString(L"信息:"));
      openInstallDir(installDir);
      break;
    case LaunchStep::kRun:
      // A normal window: the user pressed the button to see the product.
      runProgram(CWString::Concat(installDir, runFileName), CWString(), installDir, SW_SHOWNORMAL);
      break;
  }
  if (!shortcutName.IsEmpty()) createDesktopShortcut();
  endProcess(kExitInstalled);
}
