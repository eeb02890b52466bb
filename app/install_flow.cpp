#include "app/install_flow.h"

#include <cwchar>

#include "app/exit_codes.h"
#include "app/flow_texts.h"

namespace {

constexpr int32_t kExclamationOk = 48;  // MB_OK | MB_ICONEXCLAMATION
constexpr int32_t kPlainOk = 0;

FlowEnding Ending(const CWString& text, int32_t type, const wchar_t* caption, int32_t exitCode) {
  FlowEnding ending;
  ending.text = text;
  ending.messageType = type;
  ending.caption = CWString(caption);
  ending.exitCode = exitCode;
  return ending;
}

bool IsZipExtension(const wchar_t* name) {
  const wchar_t* slash = std::wcsrchr(name, L'\\');
  const wchar_t* last = slash ? slash + 1 : name;
  const wchar_t* dot = std::wcsrchr(last, L'.');
  if (!dot) return false;
  const wchar_t* ext = dot + 1;
  static constexpr wchar_t kZip[] = L"zip";
  for (int i = 0; i < 3; ++i) {
    wchar_t c = ext[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != kZip[i]) return false;
  }
  return ext[3] == 0;
}

}  // namespace

InstallFlow::InstallFlow(int64_t stallMs) : m_stallMs(stallMs > 0 ? stallMs : kDefaultStallMs) {}

TickPlan InstallFlow::downloadingTick(DownloadFields& fields, int64_t nowMs) {
  TickPlan plan;
  if (m_ending) {
    plan.ending = m_ending;
    return plan;
  }
  if (fields.verifying) return plan;

  fields.speedText = speedText(fields.byteCounter - fields.byteCounterAtLastTick);
  fields.byteCounterAtLastTick = fields.byteCounter;
  // The platform reports progress only now and then: the status line shows each new speed at once.
  if (m_downloadStatusShown) {
    fields.statusText = downloadStatusText(fields.startedDownloads, fields.partCount, fields.speedText);
  }
  plan.abortSlots = stalledSlots(nowMs);

  if (!m_questionOpen && !m_questions.empty()) {
    m_questionOpen = true;
    plan.question = DownloadQuestion{m_questions.front().entry, m_questions.front().kind};
  }

  const bool partsToFetch = fields.startedDownloads < fields.partCount || !m_retries.empty();
  if (fields.downloadThreadLimit < 1 && partsToFetch) {
    m_ending = threadLimitEnding();
    plan.ending = m_ending;
    return plan;
  }

  const bool belowLimit = fields.activeDownloads < fields.downloadThreadLimit;
  if (belowLimit && !m_retries.empty()) {
    const PendingPart retry = m_retries.front();
    m_retries.pop_front();
    plan.start = begin(retry.entry, retry.kind, fields, nowMs);
    return plan;
  }
  // While the re-check's part is being fetched again nothing else starts or completes.
  if (fields.redownloading) return plan;

  if (belowLimit && fields.startedDownloads < fields.partCount) {
    fields.startedDownloads += 1;
    plan.start = begin(fields.startedDownloads - 1, TransferKind::kScheduled, fields, nowMs);
  }
  if (fields.completedDownloads >= fields.partCount) plan.handOver = true;
  return plan;
}

TickPlan InstallFlow::installingTick(int64_t nowMs) {
  TickPlan plan;
  if (m_ending) {
    plan.ending = m_ending;
    return plan;
  }
  plan.abortSlots = stalledSlots(nowMs);
  return plan;
}

TransferStart InstallFlow::begin(int64_t entry, TransferKind kind, DownloadFields& fields, int64_t nowMs) {
  int32_t slot = 0;
  while (m_transfers.count(slot)) ++slot;
  m_transfers[slot] = Transfer{entry, kind, 0, nowMs, false};
  // Counted at the start, so a tick before the worker runs cannot exceed the limit.
  if (kind == TransferKind::kScheduled) fields.activeDownloads += 1;
  return TransferStart{entry, slot, kind};
}

std::optional<TransferStart> InstallFlow::transferOf(int64_t entry) const {
  for (const auto& [slot, transfer] : m_transfers) {
    if (transfer.entry == entry) return TransferStart{entry, slot, transfer.kind};
  }
  return std::nullopt;
}

TransferStart InstallFlow::beginRefetch(int64_t entry, DownloadFields& fields, int64_t nowMs) {
  fields.redownloading = true;
  return begin(entry, TransferKind::kRefetch, fields, nowMs);
}

bool InstallFlow::completeIfPresent(int32_t slot, const CWString& fileDigest, const CWString& partDigest,
                                    DownloadFields& fields) {
  const auto it = m_transfers.find(slot);
  if (it == m_transfers.end() || it->second.kind != TransferKind::kScheduled) return false;
  if (fileDigest.IsEmpty() || fileDigest.IsDifferent(partDigest)) return false;
  transferEnded(slot, true, fields);
  return true;
}

void InstallFlow::transferProgress(int32_t slot, uint64_t done, double percent, DownloadFields& fields,
                                   int64_t nowMs) {
  const auto it = m_transfers.find(slot);
  if (it == m_transfers.end()) return;
  Transfer& transfer = it->second;
  if (done > transfer.bytesDone) {
    fields.byteCounter += static_cast<int64_t>(done - transfer.bytesDone);
    transfer.bytesDone = done;
    transfer.lastBytesAt = nowMs;
  }
  fields.progressPercent = downloadBarPercent(percent, fields.progressPercent);
  fields.statusText = downloadStatusText(fields.startedDownloads, fields.partCount, fields.speedText);
  m_downloadStatusShown = true;
}

bool InstallFlow::transferEnded(int32_t slot, bool succeeded, DownloadFields& fields) {
  const auto it = m_transfers.find(slot);
  if (it == m_transfers.end()) return false;
  const Transfer transfer = it->second;
  m_transfers.erase(it);
  const bool scheduled = transfer.kind == TransferKind::kScheduled;
  if (scheduled) fields.activeDownloads -= 1;

  if (succeeded) {
    m_failedTries.erase(transfer.entry);
    if (!scheduled) {
      fields.redownloading = false;
      return false;
    }
    fields.completedDownloads += 1;
    return true;
  }
  const int32_t tries = ++m_failedTries[transfer.entry];
  const PendingPart part{transfer.entry, transfer.kind};
  if (tries < kTriesPerRound) {
    m_retries.push_back(part);
  } else {
    m_questions.push_back(part);
  }
  return false;
}

std::optional<FlowEnding> InstallFlow::answer(bool retry) {
  if (!m_questionOpen || m_questions.empty()) return std::nullopt;
  const PendingPart part = m_questions.front();
  m_questions.pop_front();
  m_questionOpen = false;
  if (retry) {
    m_failedTries[part.entry] = 0;
    m_retries.push_back(part);
    return std::nullopt;
  }
  endWith(Ending(CWString(), kPlainOk, L"", kExitDownload));
  return m_ending;
}

bool InstallFlow::refetchDamagedPart(const CWString& name) {
  return ++m_damagedFindings[std::wstring(name.GetText())] <= kRefetchesPerPart;
}

void InstallFlow::endWith(const FlowEnding& ending) {
  if (!m_ending) m_ending = ending;
}

std::vector<int32_t> InstallFlow::stalledSlots(int64_t nowMs) {
  std::vector<int32_t> slots;
  for (auto& [slot, transfer] : m_transfers) {
    if (transfer.aborting || nowMs - transfer.lastBytesAt < m_stallMs) continue;
    transfer.aborting = true;
    slots.push_back(slot);
  }
  return slots;
}

int64_t archivePartIndex(const std::vector<CWString>& partNames) {
  for (size_t i = 0; i < partNames.size(); ++i) {
    if (IsZipExtension(partNames[i].GetText())) return static_cast<int64_t>(i);
  }
  return -1;
}

CWString downloadFailedText(const CWString& partName) {
  CWString text(L"下载失败：");
  return text.AddText(partName).AddText(L"\r\n请检查网络连接后重试。");
}

FlowEnding threadLimitEnding() {
  return Ending(CWString(L"配置文件中的下载线程限制无效，无法下载。"), kExclamationOk, L"失败",
                kExitConfiguration);
}

FlowEnding noArchivePartEnding() {
  return Ending(CWString(L"下载文件出现问题，无法解压。"), kPlainOk, L"信息:", kExitArchiveParts);
}

FlowEnding archiveCountEnding() {
  FlowEnding ending = Ending(CWString(L"目录中存在多余的zip文件，请删除之后重启安装软件。"), kExclamationOk,
                             L"警告", kExitArchiveParts);
  ending.openInstallDir = true;
  return ending;
}

FlowEnding digestEnding(const CWString& partName) {
  return Ending(CWString::Concat(CWString(L"文件校验失败："), partName), kExclamationOk, L"失败",
                kExitDigest);
}

FlowEnding extractionEnding(const CWString& errorText) {
  FlowEnding ending = Ending(errorText, kExclamationOk, L"失败", kExitExtraction);
  ending.deletePartFiles = true;
  return ending;
}

LaunchStep launchStep(const CWString& runFileName, bool chineseDirAllowed, bool installDirHasCjk) {
  if (runFileName.IsEmpty()) return LaunchStep::kReportSuccess;
  if (!chineseDirAllowed && installDirHasCjk) return LaunchStep::kRefuseCjk;
  return LaunchStep::kRun;
}
