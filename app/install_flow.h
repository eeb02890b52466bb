// InstallFlow: the install flow's decisions as plain data. The form feeds it the progress timer's ticks,
// the downloads' progress and ends, the re-check's findings and the user's answers, and carries out what it
// decides: start or abort a download, ask the user, hand over to extraction, end the process. It holds no
// window, thread, timer or socket; the caller serialises every call with the installer state's lock.
//
// Downloads are identified by their entry (0-based index in the part lists) and carried by a numbered
// downloader slot, one per concurrent transfer. A failed transfer is tried again on a later tick, up to
// three tries in all; then the user is asked to retry (three new tries) or cancel. A transfer that receives
// no bytes for the stall time is to be aborted, which ends it as a failed try.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runtime/wide_string.h"

// The installer-state fields the download flow reads and writes. The caller copies them out of the state
// and back under the state's lock around each call.
struct DownloadFields {
  bool verifying = true;
  bool redownloading = false;
  int64_t byteCounter = 0;
  int64_t byteCounterAtLastTick = 0;
  int32_t startedDownloads = 0;
  int32_t activeDownloads = 0;
  int32_t completedDownloads = 0;
  int32_t downloadThreadLimit = 0;
  int64_t partCount = 0;  // the current length of the part lists; read only
  int32_t progressPercent = 0;
  CWString speedText;
  CWString statusText;
};

// How the installer ends: the message (none when `text` is empty), then the process exits with `exitCode`.
struct FlowEnding {
  CWString text;
  int32_t messageType = 0;
  CWString caption;
  int32_t exitCode = 0;
  bool openInstallDir = false;   // after the message
  bool deletePartFiles = false;  // after the message
};

enum class TransferKind {
  kScheduled,  // a part of the lists, counted when it completes
  kRefetch,    // a damaged part fetched again for the re-check; not counted
};

struct TransferStart {
  int64_t entry = -1;
  int32_t slot = -1;
  TransferKind kind = TransferKind::kScheduled;
};

// A part whose download failed three times: the user decides.
struct DownloadQuestion {
  int64_t entry = -1;
  TransferKind kind = TransferKind::kScheduled;
};

// What one progress-timer tick does; `ending`, when set, is all it does.
struct TickPlan {
  std::optional<FlowEnding> ending;
  std::vector<int32_t> abortSlots;           // stalled transfers to abort now
  std::optional<TransferStart> start;        // at most one start per tick
  std::optional<DownloadQuestion> question;  // show the retry/cancel box; answer with `answer`
  bool handOver = false;  // every part is complete: re-apply the configuration, then `handOverTo`
};

class InstallFlow {
 public:
  static constexpr int32_t kTriesPerRound = 3;
  static constexpr int32_t kRefetchesPerPart = 2;
  static constexpr int64_t kDefaultStallMs = 60000;

  // `stallMs`: how long a transfer may receive nothing before it counts as failed (non-positive: default).
  explicit InstallFlow(int64_t stallMs = kDefaultStallMs);

  // The tick in phase Downloading, at `nowMs` on a monotonic millisecond clock: the speed text, stalled
  // transfers, a pending question, at most one start within the thread limit, the hand-over.
  TickPlan downloadingTick(DownloadFields& fields, int64_t nowMs);
  // The tick in phase Installing: an ending a worker left, stalled transfers (the re-check's re-fetch).
  TickPlan installingTick(int64_t nowMs);

  // The transfer the tick started for `entry`, for the worker that carries it out.
  std::optional<TransferStart> transferOf(int64_t entry) const;
  // The re-check fetches `entry` again: registers the transfer and sets `redownloading`.
  TransferStart beginRefetch(int64_t entry, DownloadFields& fields, int64_t nowMs);
  // Before a scheduled transfer downloads: when the file already on disk has the part's digest (exact,
  // case-sensitive), the transfer is complete without a download. Returns true in that case.
  bool completeIfPresent(int32_t slot, const CWString& fileDigest, const CWString& partDigest,
                         DownloadFields& fields);
  // One progress notification: `done` bytes of this transfer so far. Adds the newly received bytes to
  // `byteCounter`, restarts the stall clock when bytes arrived, sets the bar and the status line.
  void transferProgress(int32_t slot, uint64_t done, double percent, DownloadFields& fields, int64_t nowMs);
  // The transfer's download has returned. True when a counted part completed (the shortcut is written).
  bool transferEnded(int32_t slot, bool succeeded, DownloadFields& fields);

  // The user's answer to the open question: retry gives the part three new tries; cancel ends the process
  // (the ending is returned and kept).
  std::optional<FlowEnding> answer(bool retry);

  // The re-check found the part `name` damaged. True: fetch it again; false: it was fetched again twice
  // already, so the installation fails (`digestEnding`).
  bool refetchDamagedPart(const CWString& name);

  // Remembers how the installer is to end; the next tick carries it out. The first ending wins.
  void endWith(const FlowEnding& ending);
  const std::optional<FlowEnding>& ending() const { return m_ending; }

  int64_t stallMs() const { return m_stallMs; }

 private:
  struct Transfer {
    int64_t entry;
    TransferKind kind;
    uint64_t bytesDone;
    int64_t lastBytesAt;
    bool aborting;
  };
  struct PendingPart {
    int64_t entry;
    TransferKind kind;
  };

  TransferStart begin(int64_t entry, TransferKind kind, DownloadFields& fields, int64_t nowMs);
  std::vector<int32_t> stalledSlots(int64_t nowMs);

  int64_t m_stallMs;
  std::map<int32_t, Transfer> m_transfers;   // by slot
  std::map<int64_t, int32_t> m_failedTries;  // by entry, in the current round of tries
  std::deque<PendingPart> m_retries;
  std::deque<PendingPart> m_questions;
  bool m_questionOpen = false;
  std::map<std::wstring, int32_t> m_damagedFindings;  // by part name
  std::optional<FlowEnding> m_ending;
  bool m_downloadStatusShown = false;  // a download's progress has written the status line
};

// The first entry whose extension, the text after the last full stop of the name's last component, is
// "zip" in any ASCII case; -1 when there is none.
int64_t archivePartIndex(const std::vector<CWString>& partNames);

// The box shown after a part's third failed try: the text (type 53, retry and cancel with an exclamation
// icon, caption "失败").
CWString downloadFailedText(const CWString& partName);
constexpr int32_t kRetryCancelBox = 53;

FlowEnding threadLimitEnding();
FlowEnding noArchivePartEnding();
FlowEnding archiveCountEnding();
FlowEnding digestEnding(const CWString& partName);
FlowEnding extractionEnding(const CWString& errorText);

// What releasing the launch button does.
enum class LaunchStep {
  kReportSuccess,  // nothing to run: "安装成功", the install folder opened, then as kRun without the start
  kRefuseCjk,      // "软件不支持中文目录，请重新选择！"; the installer stays in Done
  kRun,            // start the program, write the shortcut, end
};
LaunchStep launchStep(const CWString& runFileName, bool chineseDirAllowed, bool installDirHasCjk);
