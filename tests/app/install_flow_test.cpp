#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/exit_codes.h"
#include "app/install_flow.h"

namespace {

std::wstring Text(const CWString& s) {
  return s.GetText();
}

// One installation's download phase, driven as the form drives it: verification done, then ticks one
// second apart; `ms` is the clock.
struct DownloadRun {
  explicit DownloadRun(int64_t parts, int32_t limit, int64_t stallMs = 60000) : flow(stallMs) {
    fields.partCount = parts;
    fields.downloadThreadLimit = limit;
    fields.verifying = false;
  }
  TickPlan Tick() {
    ms += 1000;
    return flow.downloadingTick(fields, ms);
  }
  // Ticks until the plan starts something; the started transfer.
  TransferStart TickUntilStart() {
    for (int i = 0; i < 10; ++i) {
      const TickPlan plan = Tick();
      if (plan.start) return *plan.start;
    }
    ADD_FAILURE() << "nothing started";
    return {};
  }
  bool End(const TransferStart& t, bool ok) { return flow.transferEnded(t.slot, ok, fields); }

  InstallFlow flow;
  DownloadFields fields;
  int64_t ms = 0;
};

TEST(InstallFlow, EverythingPresentHandsOverAtOnce) {
  DownloadRun run(0, 2);
  const TickPlan plan = run.Tick();
  EXPECT_FALSE(plan.start);
  EXPECT_TRUE(plan.handOver);
  EXPECT_EQ(run.fields.startedDownloads, 0);
}

TEST(InstallFlow, SpeedTextStaysEmptyWhileVerifying) {
  DownloadRun run(3, 2);
  run.fields.verifying = true;
  run.fields.byteCounter = 5000;
  for (int i = 0; i < 3; ++i) {
    const TickPlan plan = run.Tick();
    EXPECT_FALSE(plan.start);
    EXPECT_FALSE(plan.handOver);
  }
  EXPECT_TRUE(run.fields.speedText.IsEmpty());
  run.fields.verifying = false;
  EXPECT_TRUE(run.Tick().start);
  EXPECT_EQ(Text(run.fields.speedText), L"网速：4.88KB/s");
  EXPECT_EQ(run.fields.byteCounterAtLastTick, 5000);
  run.Tick();
  EXPECT_EQ(Text(run.fields.speedText), L"网速：0B/s");
}

TEST(InstallFlow, LimitTwoWithFivePartsStartsOnePerTick) {
  DownloadRun run(5, 2);
  std::vector<int64_t> startedAtTick;  // entry started at tick i, -1 for none
  auto tick = [&] {
    const TickPlan plan = run.Tick();
    startedAtTick.push_back(plan.start ? plan.start->entry : -1);
    return plan;
  };
  const TransferStart first = *tick().start;
  tick();
  tick();
  tick();
  EXPECT_EQ(run.fields.activeDownloads, 2);
  run.End(first, true);
  tick();
  tick();
  EXPECT_EQ(startedAtTick, (std::vector<int64_t>{0, 1, -1, -1, 2, -1}));
  EXPECT_EQ(run.fields.startedDownloads, 3);
  EXPECT_EQ(run.fields.completedDownloads, 1);
}

TEST(InstallFlow, StatusCountsStartedDownloads) {
  DownloadRun run(3, 2);
  const TransferStart first = run.TickUntilStart();
  const TransferStart second = run.TickUntilStart();
  run.flow.transferProgress(second.slot, 4096, 12.5, run.fields, run.ms);
  EXPECT_EQ(Text(run.fields.statusText), L"正在下载:(2/3) 网速：0B/s");
  EXPECT_EQ(run.fields.progressPercent, 12);
  run.flow.transferProgress(first.slot, 8192, 50.0, run.fields, run.ms);
  EXPECT_EQ(run.fields.progressPercent, 50);
  // Each tick shows its speed on the status line, also without a notification in between.
  run.Tick();
  EXPECT_EQ(Text(run.fields.statusText), L"正在下载:(2/3) 网速：12KB/s");
}

TEST(InstallFlow, StatusLineKeepsTheCheckTextUntilTheFirstProgress) {
  DownloadRun run(2, 1);
  run.fields.statusText = CWString(L"校验完成，开始下载。");
  const TransferStart t = run.TickUntilStart();
  run.Tick();
  EXPECT_EQ(Text(run.fields.statusText), L"校验完成，开始下载。");
  run.flow.transferProgress(t.slot, 1, 0.5, run.fields, run.ms);
  EXPECT_EQ(Text(run.fields.statusText), L"正在下载:(1/2) 网速：0B/s");
}

TEST(InstallFlow, ByteCounterGrowsByEachDownloadsNewBytes) {
  DownloadRun run(2, 2);
  const TransferStart a = run.TickUntilStart();
  const TransferStart b = run.TickUntilStart();
  struct Step {
    const TransferStart* transfer;
    uint64_t done;
    int64_t counter;
  };
  const Step steps[] = {
      {&a, 1000, 1000}, {&b, 500, 1500},  {&a, 1000, 1500},  // a repeated count adds nothing
      {&a, 3000, 3500}, {&b, 2500, 5500},
  };
  for (const Step& s : steps) {
    run.flow.transferProgress(s.transfer->slot, s.done, 1.0, run.fields, run.ms);
    EXPECT_EQ(run.fields.byteCounter, s.counter) << s.done;
  }
  // The next tick shows the bytes since the last one.
  run.fields.byteCounterAtLastTick = 0;
  run.Tick();
  EXPECT_EQ(Text(run.fields.speedText), L"网速：5.37KB/s");
}

TEST(InstallFlow, CompletionCountsAndHandsOver) {
  DownloadRun run(2, 2);
  const TransferStart a = run.TickUntilStart();
  const TransferStart b = run.TickUntilStart();
  EXPECT_TRUE(run.End(a, true));
  EXPECT_FALSE(run.Tick().handOver);
  EXPECT_TRUE(run.End(b, true));
  const TickPlan plan = run.Tick();
  EXPECT_TRUE(plan.handOver);
  EXPECT_EQ(run.fields.activeDownloads, 0);
  EXPECT_EQ(run.fields.completedDownloads, 2);
}

TEST(InstallFlow, ArchivePartIsTheFirstZipByExtension) {
  struct Case {
    std::vector<const wchar_t*> names;
    int64_t expected;
  };
  const Case cases[] = {
      {{L"product.z01", L"product.z02", L"product.zip"}, 2},
      {{L"PRODUCT.ZIP", L"b.zip"}, 0},
      {{L"a.Zip"}, 0},
      {{L"a.zipx", L"zip", L"a.zip.bak", L".zip"}, 3},
      {{L"dir.zip\\data", L"x"}, -1},  // the extension comes from the last component only
      {{L"sub\\part.zip"}, 0},
      {{}, -1},
  };
  for (const Case& c : cases) {
    std::vector<CWString> names;
    for (const wchar_t* n : c.names) names.emplace_back(n);
    EXPECT_EQ(archivePartIndex(names), c.expected) << (c.names.empty() ? L"" : c.names[0]);
  }
}

// A download that fails is tried again on a later tick, three tries in all; then the user decides.
TEST(InstallFlow, FailedDownloadIsRetriedThenTheUserDecides) {
  DownloadRun run(2, 1);
  TransferStart t = run.TickUntilStart();
  ASSERT_EQ(t.entry, 0);
  for (int attempt = 1; attempt < InstallFlow::kTriesPerRound; ++attempt) {
    EXPECT_FALSE(run.End(t, false));
    EXPECT_EQ(run.fields.activeDownloads, 0);
    t = run.TickUntilStart();
    EXPECT_EQ(t.entry, 0) << "a retry comes before the next part";
    EXPECT_EQ(t.kind, TransferKind::kScheduled);
  }
  EXPECT_EQ(run.fields.startedDownloads, 1);
  run.End(t, false);

  // Third failure: the question, once, while the next part goes on.
  TickPlan plan = run.Tick();
  ASSERT_TRUE(plan.question);
  EXPECT_EQ(plan.question->entry, 0);
  ASSERT_TRUE(plan.start);
  EXPECT_EQ(plan.start->entry, 1);
  const TransferStart other = *plan.start;
  plan = run.Tick();
  EXPECT_FALSE(plan.question) << "one box at a time";
  EXPECT_FALSE(plan.handOver);

  // Retry: three new tries.
  EXPECT_FALSE(run.flow.answer(true));
  run.End(other, true);
  for (int attempt = 0; attempt < InstallFlow::kTriesPerRound; ++attempt) {
    t = run.TickUntilStart();
    EXPECT_EQ(t.entry, 0);
    run.End(t, false);
  }
  plan = run.Tick();
  ASSERT_TRUE(plan.question);
  EXPECT_FALSE(plan.start);

  // Cancel: the process ends with the download code, without a further message.
  const auto ending = run.flow.answer(false);
  ASSERT_TRUE(ending);
  EXPECT_EQ(ending->exitCode, kExitDownload);
  EXPECT_TRUE(ending->text.IsEmpty());
  EXPECT_EQ(run.Tick().ending->exitCode, kExitDownload);
}

TEST(InstallFlow, SuccessResetsTheTries) {
  DownloadRun run(1, 1);
  TransferStart t = run.TickUntilStart();
  run.End(t, false);
  t = run.TickUntilStart();
  run.End(t, false);
  t = run.TickUntilStart();
  run.End(t, true);
  EXPECT_EQ(run.fields.completedDownloads, 1);
  EXPECT_TRUE(run.Tick().handOver);
}

TEST(InstallFlow, FailuresOfSeveralPartsAreAskedOneAfterTheOther) {
  DownloadRun run(2, 2);
  for (int round = 0; round < InstallFlow::kTriesPerRound; ++round) {
    const TransferStart a = run.TickUntilStart();
    const TransferStart b = run.TickUntilStart();
    EXPECT_NE(a.entry, b.entry);
    run.End(a, false);
    run.End(b, false);
  }
  TickPlan plan = run.Tick();
  ASSERT_TRUE(plan.question);
  EXPECT_EQ(plan.question->entry, 0);
  EXPECT_FALSE(run.Tick().question);
  run.flow.answer(true);
  plan = run.Tick();
  ASSERT_TRUE(plan.question);
  EXPECT_EQ(plan.question->entry, 1);
  ASSERT_TRUE(plan.start) << "the retried part starts meanwhile";
  EXPECT_EQ(plan.start->entry, 0);
}

TEST(InstallFlow, StalledTransferIsAbortedOnceAndCountsAsFailedTry) {
  DownloadRun run(2, 2, 5000);
  const TransferStart quiet = run.TickUntilStart();  // at 1 s
  const TransferStart busy = run.TickUntilStart();   // at 2 s
  std::vector<std::vector<int32_t>> aborts;
  for (int i = 0; i < 6; ++i) {  // ticks at 3..8 s; bytes keep arriving for `busy`
    run.flow.transferProgress(busy.slot, 1000 * (i + 1), 1.0, run.fields, run.ms);
    aborts.push_back(run.Tick().abortSlots);
  }
  const std::vector<int32_t> none;
  EXPECT_EQ(aborts, (std::vector<std::vector<int32_t>>{none, none, none, {quiet.slot}, none, none}));
  // The aborted download returns as a failure: tried again.
  run.End(quiet, false);
  const TransferStart retry = run.TickUntilStart();
  EXPECT_EQ(retry.entry, quiet.entry);
}

TEST(InstallFlow, BytesRestartTheStallClock) {
  DownloadRun run(1, 1, 3000);
  const TransferStart t = run.TickUntilStart();  // 1 s
  run.Tick();                                    // 2 s
  run.Tick();                                    // 3 s
  run.flow.transferProgress(t.slot, 10, 1.0, run.fields, run.ms);
  run.flow.transferProgress(t.slot, 10, 1.0, run.fields, run.ms + 500);  // no new bytes: no restart
  EXPECT_TRUE(run.Tick().abortSlots.empty());                            // 4 s
  EXPECT_TRUE(run.Tick().abortSlots.empty());                            // 5 s
  EXPECT_EQ(run.Tick().abortSlots, std::vector<int32_t>{t.slot});        // 6 s
}

TEST(InstallFlow, ThreadLimitBelowOneWithPartsIsAConfigurationError) {
  for (int32_t limit : {0, -1}) {
    DownloadRun run(3, limit);
    const TickPlan plan = run.Tick();
    ASSERT_TRUE(plan.ending) << limit;
    EXPECT_EQ(Text(plan.ending->text), L"配置文件中的下载线程限制无效，无法下载。");
    EXPECT_EQ(plan.ending->messageType, 48);
    EXPECT_EQ(Text(plan.ending->caption), L"失败");
    EXPECT_EQ(plan.ending->exitCode, kExitConfiguration);
    EXPECT_FALSE(plan.start);
  }
  DownloadRun nothingToFetch(0, 0);
  EXPECT_TRUE(nothingToFetch.Tick().handOver);
}

// The re-check's part is fetched again on the extraction worker; the scheduler waits for it.
TEST(InstallFlow, RefetchIsNotCountedAndBlocksTheScheduler) {
  DownloadRun run(1, 2);
  run.End(run.TickUntilStart(), true);
  ASSERT_TRUE(run.Tick().handOver);
  run.fields.partCount = 2;  // the configuration was applied again before the hand-over

  const TransferStart refetch = run.flow.beginRefetch(0, run.fields, run.ms);
  EXPECT_TRUE(run.fields.redownloading);
  EXPECT_EQ(refetch.kind, TransferKind::kRefetch);
  TickPlan plan = run.Tick();
  EXPECT_FALSE(plan.start);
  EXPECT_FALSE(plan.handOver);

  // A failed re-fetch is tried again like any download, though `redownloading` holds the scheduler.
  EXPECT_FALSE(run.End(refetch, false));
  EXPECT_TRUE(run.fields.redownloading);
  const TransferStart again = run.TickUntilStart();
  EXPECT_EQ(again.kind, TransferKind::kRefetch);
  EXPECT_EQ(again.entry, 0);
  EXPECT_EQ(run.flow.transferOf(0)->slot, again.slot);
  EXPECT_FALSE(run.End(again, true));
  EXPECT_FALSE(run.fields.redownloading);
  EXPECT_EQ(run.fields.completedDownloads, 1);
  EXPECT_EQ(run.fields.activeDownloads, 0);

  // Then the appended entry is scheduled.
  const TransferStart appended = run.TickUntilStart();
  EXPECT_EQ(appended.entry, 1);
  EXPECT_EQ(run.fields.startedDownloads, 2);
}

// After a re-fetch the appended entries whose files already match are complete without a download.
TEST(InstallFlow, PartAlreadyOnDiskCompletesWithoutDownload) {
  DownloadRun run(2, 1);
  const CWString digest(L"0123456789ABCDEF0123456789ABCDEF");
  TransferStart t = run.TickUntilStart();
  EXPECT_TRUE(run.flow.completeIfPresent(t.slot, digest, digest, run.fields));
  EXPECT_EQ(run.fields.completedDownloads, 1);
  EXPECT_EQ(run.fields.activeDownloads, 0);
  EXPECT_FALSE(run.flow.transferOf(0));

  t = run.TickUntilStart();
  struct Case {
    const wchar_t* file;
    const wchar_t* part;
  };
  const Case mismatches[] = {
      {L"0123456789ABCDEF0123456789ABCDEF", L"0123456789abcdef0123456789abcdef"},  // lower case: fetched
      {L"FFFF", L"0123456789ABCDEF0123456789ABCDEF"},
      {L"", L""},  // the file could not be hashed
  };
  for (const Case& c : mismatches) {
    EXPECT_FALSE(run.flow.completeIfPresent(t.slot, CWString(c.file), CWString(c.part), run.fields))
        << c.part;
  }
  EXPECT_EQ(run.fields.completedDownloads, 1);
  EXPECT_TRUE(run.flow.transferOf(1));
  // A re-fetch is never skipped: its file is the damaged one.
  const TransferStart refetch = run.flow.beginRefetch(0, run.fields, run.ms);
  EXPECT_FALSE(run.flow.completeIfPresent(refetch.slot, digest, digest, run.fields));
}

TEST(InstallFlow, DamagedPartIsFetchedAgainTwiceThenFails) {
  InstallFlow flow;
  const CWString a(L"product.z01"), b(L"product.zip");
  EXPECT_TRUE(flow.refetchDamagedPart(a));
  EXPECT_TRUE(flow.refetchDamagedPart(b));
  EXPECT_TRUE(flow.refetchDamagedPart(a));
  EXPECT_FALSE(flow.refetchDamagedPart(a));
  EXPECT_TRUE(flow.refetchDamagedPart(b));

  const FlowEnding ending = digestEnding(a);
  EXPECT_EQ(Text(ending.text), L"文件校验失败：product.z01");
  EXPECT_EQ(ending.messageType, 48);
  EXPECT_EQ(Text(ending.caption), L"失败");
  EXPECT_EQ(ending.exitCode, kExitDigest);
}

TEST(InstallFlow, WorkerEndingIsCarriedOutByTheNextTickFirstOneWins) {
  DownloadRun run(2, 2);
  run.TickUntilStart();
  run.flow.endWith(extractionEnding(CWString(L"broken archive")));
  run.flow.endWith(archiveCountEnding());
  TickPlan plan = run.Tick();
  ASSERT_TRUE(plan.ending);
  EXPECT_FALSE(plan.start);
  EXPECT_EQ(plan.ending->exitCode, kExitExtraction);
  plan = run.flow.installingTick(run.ms);
  ASSERT_TRUE(plan.ending);
  EXPECT_EQ(Text(plan.ending->text), L"broken archive");
}

TEST(InstallFlow, Endings) {
  struct Case {
    FlowEnding ending;
    const wchar_t* text;
    int32_t type;
    const wchar_t* caption;
    int32_t code;
    bool openFolder;
    bool deleteParts;
  };
  const Case cases[] = {
      {noArchivePartEnding(), L"下载文件出现问题，无法解压。", 0, L"信息:", kExitArchiveParts, false, false},
      {archiveCountEnding(), L"目录中存在多余的zip文件，请删除之后重启安装软件。", 48, L"警告",
       kExitArchiveParts, true, false},
      {extractionEnding(CWString(L"Unsupported archive")), L"Unsupported archive", 48, L"失败",
       kExitExtraction, false, true},
      {threadLimitEnding(), L"配置文件中的下载线程限制无效，无法下载。", 48, L"失败", kExitConfiguration,
       false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(c.ending.text), c.text);
    EXPECT_EQ(c.ending.messageType, c.type) << c.text;
    EXPECT_EQ(Text(c.ending.caption), c.caption) << c.text;
    EXPECT_EQ(c.ending.exitCode, c.code) << c.text;
    EXPECT_EQ(c.ending.openInstallDir, c.openFolder) << c.text;
    EXPECT_EQ(c.ending.deletePartFiles, c.deleteParts) << c.text;
  }
  EXPECT_EQ(Text(downloadFailedText(CWString(L"product.z02"))),
            L"下载失败：product.z02\r\n请检查网络连接后重试。");
  EXPECT_EQ(kRetryCancelBox, MB_RETRYCANCEL | MB_ICONEXCLAMATION);
}

TEST(InstallFlow, StallsOfTheRefetchAreSeenWhileInstalling) {
  InstallFlow flow(2000);
  DownloadFields fields;
  const TransferStart refetch = flow.beginRefetch(3, fields, 0);
  EXPECT_TRUE(flow.installingTick(1000).abortSlots.empty());
  EXPECT_EQ(flow.installingTick(2000).abortSlots, std::vector<int32_t>{refetch.slot});
  EXPECT_TRUE(flow.installingTick(3000).abortSlots.empty());
}

TEST(InstallFlow, LaunchSteps) {
  struct Case {
    const wchar_t* runFile;
    bool chineseAllowed;
    bool cjk;
    LaunchStep expected;
  };
  const Case cases[] = {
      {L"", false, true, LaunchStep::kReportSuccess},    {L"", true, false, LaunchStep::kReportSuccess},
      {L"app.exe", false, true, LaunchStep::kRefuseCjk}, {L"app.exe", true, true, LaunchStep::kRun},
      {L"bin\\app.exe", false, false, LaunchStep::kRun},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(launchStep(CWString(c.runFile), c.chineseAllowed, c.cjk), c.expected) << c.runFile << c.cjk;
  }
}

}  // namespace
