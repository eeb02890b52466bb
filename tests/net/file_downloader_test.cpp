#include "net/file_downloader.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/paths.h"
#include "net/worker_thread.h"
#include "support/local_server.h"
#include "support/serial_round_trip.h"
#include "support/test_environment.h"

namespace {

// Receives progress events and keeps a copy of each.
class ProgressLog : public CVolObject {
 public:
  struct Event {
    uint64_t done, total;
    double percent;
    std::wstring statusText, fileName;
    int32_t state;
    std::wstring path;
    int32_t tag;
    CVolObject* sender;
    DWORD threadId;
  };

  ProgressLog() : receiver(this) {}
  ~ProgressLog() override { receiver.Detach(); }

  void Listen(FileDownloader& downloader) { downloader.BindProgress(&ProgressLog::Record, receiver.Holder()); }

  std::vector<Event> Events() {
    std::lock_guard<std::mutex> lock(mutex);
    return events;
  }
  std::vector<Event> EventsInState(int32_t state) {
    std::vector<Event> matching;
    for (const Event& event : Events()) {
      if (event.state == state) matching.push_back(event);
    }
    return matching;
  }

  EventReceiver receiver;

 private:
  static int32_t Record(CVolObject* self, CVolObject* sender, int32_t, uint64_t done, uint64_t total, double percent,
                        const CWString& statusText, const CWString& fileName, int32_t state, const CWString& path,
                        int32_t tag) {
    auto* log = static_cast<ProgressLog*>(self);
    std::lock_guard<std::mutex> lock(log->mutex);
    log->events.push_back({done, total, percent, statusText.GetText(), fileName.GetText(), state, path.GetText(), tag,
                           sender, GetCurrentThreadId()});
    return 0;
  }

  std::mutex mutex;
  std::vector<Event> events;
};

bool InInternetCache(const std::wstring& url) {
  DWORD size = 0;
  if (GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size)) return true;
  return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string PatternBytes(int64_t count) {
  std::string bytes(static_cast<size_t>(count), '\0');
  for (int64_t i = 0; i < count; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(ServerPatternByte(i));
  return bytes;
}

// A URL on a local port nobody listens on.
std::wstring RefusedUrl() {
  return L"http://127.0.0.1:" + std::to_wstring(RefusingPort()) + L"/part.bin";
}

// Downloads into `destination` and returns the result.
int64_t Download(FileDownloader& downloader, const std::wstring& url, const std::wstring& destination) {
  CWString target(destination.c_str());
  return downloader.Download(CWString(url.c_str()), target);
}

class FileDownloaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.IsRunning()) << server.Diagnostics(); }

  LocalServer server;
  ScratchDirectory scratch;
};

TEST(FileDownloaderRelay, TurnsNotificationsIntoProgressEvents) {
  struct Case {
    ULONG progress, maximum, statusCode;
    const wchar_t* text;
    bool raises;
    int32_t state;
    double percent;
  };
  const double kInfinite = HUGE_VAL;
  const Case cases[] = {
      {0, 100, 2, L"connecting", false, 0, 0},
      {0, 0, 13, L"text/html", false, 0, 0},
      {1, 3, 5, L"downloading", true, FileDownloader::kDownloading, 33.33},
      {2, 3, 5, nullptr, true, FileDownloader::kDownloading, 66.67},
      {3, 3, 5, L"all bytes, not yet the end", true, FileDownloader::kDownloading, 100},
      {3, 3, 6, L"end", true, FileDownloader::kFinished, 100},
      {4, 3, 6, L"more than expected", true, FileDownloader::kDownloading, 133.33},
      {5, 0, 5, L"size unknown", true, FileDownloader::kDownloading, kInfinite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : L"(null)");
    FileDownloader downloader;
    ProgressLog log;
    log.Listen(downloader);
    EXPECT_EQ(downloader.Callback().Interface()->OnProgress(c.progress, c.maximum, c.statusCode, c.text), S_OK);
    const auto events = log.Events();
    ASSERT_EQ(events.size(), c.raises ? 1u : 0u);
    if (!c.raises) continue;
    EXPECT_EQ(events[0].done, c.progress);
    EXPECT_EQ(events[0].total, c.maximum);
    EXPECT_EQ(events[0].state, c.state);
    if (std::isinf(c.percent)) {
      EXPECT_FALSE(std::isfinite(events[0].percent));
    } else {
      EXPECT_DOUBLE_EQ(events[0].percent, c.percent);
    }
    EXPECT_EQ(events[0].statusText, c.text ? c.text : L"");
    EXPECT_EQ(events[0].sender, &downloader);
  }
}

TEST(FileDownloaderRelay, TheCallbackIsCountedAndDropsNotificationsOnceItsDownloaderIsGone) {
  ProgressLog log;
  IBindStatusCallback* callback = nullptr;
  {
    FileDownloader downloader;
    log.Listen(downloader);
    IUnknown* unknown = nullptr;
    IHttpNegotiate* negotiate = nullptr;
    IBindStatusCallback* self = nullptr;
    ASSERT_EQ(downloader.Callback().Interface()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IID_IHttpNegotiate, reinterpret_cast<void**>(&negotiate)), S_OK);
    ASSERT_EQ(negotiate->QueryInterface(IID_IBindStatusCallback, reinterpret_cast<void**>(&self)), S_OK);
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(unknown->QueryInterface(IID_IStream, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(downloader.Callback().ReferenceCount(), 4);
    unknown->Release();
    negotiate->Release();
    EXPECT_EQ(downloader.Callback().ReferenceCount(), 2);
    callback = self;  // still held, as the platform might
  }
  EXPECT_EQ(callback->OnProgress(5, 10, 5, L"late"), S_OK);
  EXPECT_TRUE(log.Events().empty());
  EXPECT_EQ(callback->Release(), 0u);
}

TEST(FileDownloaderRelay, CopiesCompareAndSerialiseTagPathAndFileNameButNotTheBinding) {
  FileDownloader downloader;
  ProgressLog log;
  log.Listen(downloader);
  ScratchDirectory scratch;
  EXPECT_LT(Download(downloader, RefusedUrl(), scratch / L"part.bin"), 0);
  ASSERT_EQ(log.Events().size(), 1u);

  std::unique_ptr<CVolObject> clone(downloader.Clone());
  EXPECT_TRUE(clone->IsEqual(downloader));
  EXPECT_FALSE(static_cast<FileDownloader&>(*clone).ProgressEvent().IsBound());
  bool good = false;
  const FileDownloader loaded = SavedAndLoaded(downloader, &good);
  EXPECT_TRUE(good);
  EXPECT_TRUE(loaded.IsEqual(downloader));
  EXPECT_EQ(std::wstring(loaded.FileName().GetText()), L"part.bin");
  clone->Reset();
  EXPECT_TRUE(clone->IsEqual(FileDownloader()));
}

TEST_F(FileDownloaderTest, DownloadsIntoNewFoldersWithRisingProgressAndOneFinish) {
  constexpr int64_t kSize = 5 * 1024 * 1024;
  const std::wstring url = server.Url(L"/bytes?n=" + std::to_wstring(kSize));
  const std::wstring destination = scratch / L"a\\b\\c\\part.bin";
  FileDownloader downloader;
  ProgressLog log;
  log.Listen(downloader);

  EXPECT_GE(Download(downloader, url, destination), 0);
  EXPECT_TRUE(ReadWholeFile(destination) == PatternBytes(kSize));
  EXPECT_EQ(std::wstring(downloader.Path().GetText()), destination);
  EXPECT_EQ(std::wstring(downloader.FileName().GetText()), L"part.bin");

  const auto events = log.Events();
  ASSERT_GT(events.size(), 2u);
  uint64_t previous = 0;
  for (const auto& event : events) {
    EXPECT_GT(event.done, 0u);
    EXPECT_GE(event.done, previous);
    previous = event.done;
    EXPECT_EQ(event.total, static_cast<uint64_t>(kSize));
    EXPECT_EQ(event.fileName, L"part.bin");
    EXPECT_EQ(event.path, destination);
    EXPECT_EQ(event.tag, 0);
    EXPECT_EQ(event.sender, &downloader);
    EXPECT_EQ(event.threadId, GetCurrentThreadId());
  }
  ASSERT_EQ(log.EventsInState(FileDownloader::kFinished).size(), 1u);
  EXPECT_EQ(events.back().state, FileDownloader::kFinished);
  EXPECT_EQ(events.back().done, static_cast<uint64_t>(kSize));
  EXPECT_DOUBLE_EQ(events.back().percent, 100.0);
  EXPECT_EQ(log.EventsInState(FileDownloader::kFailed).size(), 0u);

  // No second copy stays behind in the internet cache, neither its entry nor a file the platform named.
  EXPECT_FALSE(InInternetCache(url));
  for (const auto& event : events) {
    if (event.statusText.find(L"\\INetCache\\") != std::wstring::npos) {
      EXPECT_FALSE(FileExists(event.statusText));
    }
  }
}

TEST_F(FileDownloaderTest, FailuresRaiseOneFailedEventWithZerosAndReturnANegativeResult) {
  const std::wstring urls[] = {server.Url(L"/status/404"), RefusedUrl()};
  for (const std::wstring& url : urls) {
    SCOPED_TRACE(url);
    const std::wstring destination = scratch / L"failed\\part.bin";
    FileDownloader downloader;
    ProgressLog log;
    log.Listen(downloader);

    EXPECT_LT(Download(downloader, url, destination), 0);
    const auto events = log.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].state, FileDownloader::kFailed);
    EXPECT_EQ(events[0].done, 0u);
    EXPECT_EQ(events[0].total, 0u);
    EXPECT_EQ(events[0].percent, 0.0);
    EXPECT_EQ(events[0].statusText, L"");
    EXPECT_EQ(events[0].fileName, L"");
    EXPECT_EQ(events[0].path, destination);
    EXPECT_EQ(events[0].tag, 0);
    // The error page is not taken for the file, and nothing stays in the cache.
    EXPECT_FALSE(FileExists(destination));
    EXPECT_FALSE(InInternetCache(url));
  }
}

TEST_F(FileDownloaderTest, AFileServedAgainWithNewContentIsDownloadedFresh) {
  // Both answers claim the same date and length and allow an hour of caching: only a fresh request gets
  // the second one.
  const std::vector<std::pair<std::string, std::string>> headers = {
      {"Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT"}, {"Cache-Control", "max-age=3600"}};
  server.SetResponses("/part.bin", {{200, headers, std::string(4096, 'A')}, {200, headers, std::string(4096, 'B')}});
  const std::wstring url = server.Url(L"/part.bin");
  const std::wstring destination = scratch / L"part.bin";
  FileDownloader downloader;

  ASSERT_GE(Download(downloader, url, destination), 0);
  EXPECT_EQ(ReadWholeFile(destination), std::string(4096, 'A'));
  ASSERT_GE(Download(downloader, url, destination), 0);
  EXPECT_EQ(ReadWholeFile(destination), std::string(4096, 'B'));
  EXPECT_EQ(server.RequestCount("/part.bin"), 2);

  // Caches on the way are asked for a fresh copy too.
  ASSERT_GE(Download(downloader, server.Url(L"/echo"), destination), 0);
  EXPECT_NE(ReadWholeFile(destination).find("Cache-Control: no-cache"), std::string::npos);
}

TEST_F(FileDownloaderTest, ADestinationWithoutABackslashIsAFileInTheCurrentFolderWithNoFileName) {
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(scratch.Path().c_str()));
  FileDownloader downloader;
  ProgressLog log;
  log.Listen(downloader);

  const int64_t result = Download(downloader, server.Url(L"/bytes?n=1000"), L"plain.bin");
  SetCurrentDirectoryW(previous);
  EXPECT_GE(result, 0);
  EXPECT_EQ(ReadWholeFile(scratch / L"plain.bin"), PatternBytes(1000));
  EXPECT_EQ(std::wstring(downloader.Path().GetText()), L"plain.bin");
  EXPECT_TRUE(downloader.FileName().IsEmpty());
  const auto events = log.Events();
  ASSERT_FALSE(events.empty());
  for (const auto& event : events) EXPECT_EQ(event.fileName, L"");
}

TEST_F(FileDownloaderTest, AnEmptyDestinationBecomesTestRarOnTheDesktop) {
  const std::wstring expected = std::wstring(desktopDirectory().GetText()) + L"test.rar";
  ASSERT_NE(expected, L"test.rar");
  DeleteFileW(expected.c_str());
  FileDownloader downloader;
  CWString destination;

  EXPECT_GE(downloader.Download(CWString(server.Url(L"/bytes?n=300").c_str()), destination), 0);
  EXPECT_EQ(std::wstring(destination.GetText()), expected);
  EXPECT_EQ(std::wstring(downloader.FileName().GetText()), L"test.rar");
  EXPECT_EQ(ReadWholeFile(expected), PatternBytes(300));
  DeleteFileW(expected.c_str());
}

// Two downloads at once, each with its own downloader, each started by its own worker.
class ParallelDownloads : public CVolObject {
 public:
  struct Job {
    WorkerThread worker;
    FileDownloader downloader;
    ProgressLog log;
    std::wstring url, destination;
    std::atomic<int64_t> result{1};
    std::atomic<DWORD> threadId{0};
  };

  ParallelDownloads() : receiver(this) {}
  ~ParallelDownloads() override { receiver.Detach(); }

  static uint32_t Run(CVolObject* self, CVolObject*, int32_t, uint64_t index) {
    Job& job = static_cast<ParallelDownloads*>(self)->jobs[index];
    job.threadId = GetCurrentThreadId();
    job.result = Download(job.downloader, job.url, job.destination);
    return 0;
  }

  EventReceiver receiver;
  Job jobs[2];
};

TEST_F(FileDownloaderTest, TwoDownloadersOnTwoWorkersAtTheSameTime) {
  ParallelDownloads parallel;
  const int64_t sizes[] = {3 * 1024 * 1024 + 17, 2 * 1024 * 1024 + 5};
  for (uint64_t i = 0; i < 2; ++i) {
    auto& job = parallel.jobs[i];
    job.url = server.Url(L"/bytes?n=" + std::to_wstring(sizes[i]));
    job.destination = scratch / (L"job" + std::to_wstring(i) + L"\\part.bin");
    job.log.Listen(job.downloader);
    job.worker.BindRun(&ParallelDownloads::Run, parallel.receiver.Holder());
  }
  ASSERT_TRUE(parallel.jobs[0].worker.Start(0));
  ASSERT_TRUE(parallel.jobs[1].worker.Start(1));
  for (auto& job : parallel.jobs) {
    ASSERT_EQ(WaitForSingleObject(job.worker.ThreadHandle(), 120000), WAIT_OBJECT_0);
  }

  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    auto& job = parallel.jobs[i];
    EXPECT_GE(job.result, 0);
    EXPECT_TRUE(ReadWholeFile(job.destination) == PatternBytes(sizes[i]));
    const auto finished = job.log.EventsInState(FileDownloader::kFinished);
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].done, static_cast<uint64_t>(sizes[i]));
    EXPECT_EQ(finished[0].path, job.destination);
    for (const auto& event : job.log.Events()) EXPECT_EQ(event.threadId, job.threadId);
  }
  EXPECT_NE(parallel.jobs[0].threadId, parallel.jobs[1].threadId);
}

// A transfer the server stops feeding (or never answers) is ended by Abort from another thread; the
// downloader works normally afterwards, and an Abort while nothing runs changes nothing.
TEST_F(FileDownloaderTest, AbortEndsAStalledDownloadFromAnotherThread) {
  struct Case {
    const wchar_t* what;
    std::wstring path;
    bool bytesFirst;
  };
  const Case cases[] = {
      {L"part of the body, then nothing", L"/trickle?n=10000000&chunk=65536&interval_ms=120000", true},
      {L"no answer at all", L"/slow?delay_ms=120000&n=100", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ParallelDownloads parallel;
    auto& job = parallel.jobs[0];
    job.url = server.Url(c.path);
    job.destination = scratch / L"stalled\\part.bin";
    job.log.Listen(job.downloader);
    job.worker.BindRun(&ParallelDownloads::Run, parallel.receiver.Holder());
    ASSERT_TRUE(job.worker.Start(0));
    const ULONGLONG started = GetTickCount64();
    if (c.bytesFirst) {
      while (job.log.Events().empty() && GetTickCount64() - started < 30000) Sleep(20);
      ASSERT_FALSE(job.log.Events().empty());
    }
    Sleep(1000);
    ASSERT_EQ(WaitForSingleObject(job.worker.ThreadHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "stalled";

    const ULONGLONG aborted = GetTickCount64();
    job.downloader.Abort();
    ASSERT_EQ(WaitForSingleObject(job.worker.ThreadHandle(), 20000), WAIT_OBJECT_0);
    EXPECT_LT(GetTickCount64() - aborted, 10000u);
    EXPECT_EQ(job.result, E_ABORT);
    ASSERT_EQ(job.log.EventsInState(FileDownloader::kFailed).size(), 1u);
    EXPECT_EQ(job.log.EventsInState(FileDownloader::kFinished).size(), 0u);

    const std::wstring next = scratch / L"next\\part.bin";
    EXPECT_GE(Download(job.downloader, server.Url(L"/bytes?n=70000"), next), 0);
    EXPECT_TRUE(ReadWholeFile(next) == PatternBytes(70000));
    job.downloader.Abort();
    EXPECT_GE(Download(job.downloader, server.Url(L"/bytes?n=300"), next), 0);
    EXPECT_TRUE(ReadWholeFile(next) == PatternBytes(300));
  }
}

}  // namespace
