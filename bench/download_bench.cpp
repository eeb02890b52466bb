// Throughput of FileDownloader against the bare URL moniker download of the same file, to show what the
// progress events cost. Run by bench/download_bench, which serves the file: download_bench.exe URL FOLDER.
#include <windows.h>

#include <urlmon.h>
#include <wininet.h>

#include <atomic>
#include <chrono>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "net/file_downloader.h"

namespace {

using Clock = std::chrono::steady_clock;

class EventCounter : public CVolObject {
 public:
  EventCounter() : receiver(this) {}
  ~EventCounter() override { receiver.Detach(); }
  static int32_t Count(CVolObject* self, CVolObject*, int32_t, uint64_t done, uint64_t, double, const CWString&,
                       const CWString&, int32_t, const CWString&, int32_t) {
    auto* counter = static_cast<EventCounter*>(self);
    counter->events++;
    counter->lastDone = done;
    return 0;
  }
  EventReceiver receiver;
  std::atomic<int64_t> events{0};
  std::atomic<uint64_t> lastDone{0};
};

int64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

double Best(std::vector<double> seconds) {
  return *std::min_element(seconds.begin(), seconds.end());
}

double Median(std::vector<double> seconds) {
  std::sort(seconds.begin(), seconds.end());
  return seconds[seconds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: download_bench URL FOLDER\n");
    return 2;
  }
  // Both arguments are ASCII: a local URL and a Z: path.
  const std::string urlBytes = argv[1], folderBytes = argv[2];
  const std::wstring url(urlBytes.begin(), urlBytes.end());
  const std::wstring folder(folderBytes.begin(), folderBytes.end());
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  // Alternating rounds, so both meet the same machine load.
  constexpr int kRounds = 5;
  std::vector<double> bare, wrapped;
  int64_t size = 0, events = 0;
  for (int round = 0; round < kRounds; ++round) {
    const std::wstring bareTarget = folder + L"\\bare.bin";
    DeleteUrlCacheEntryW(url.c_str());
    auto start = Clock::now();
    if (FAILED(URLDownloadToFileW(nullptr, url.c_str(), bareTarget.c_str(), 0, nullptr))) return 1;
    bare.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    DeleteUrlCacheEntryW(url.c_str());
    size = FileSize(bareTarget);
    DeleteFileW(bareTarget.c_str());

    FileDownloader downloader;
    EventCounter counter;
    downloader.BindProgress(&EventCounter::Count, counter.receiver.Holder());
    CWString target((folder + L"\\downloader.bin").c_str());
    start = Clock::now();
    if (downloader.Download(CWString(url.c_str()), target) < 0) return 1;
    wrapped.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    if (FileSize(target.GetText()) != size || counter.lastDone != static_cast<uint64_t>(size)) return 1;
    events += counter.events;
    DeleteFileW(target.GetText());
  }
  DWORD entrySize = 0;
  const bool cached = GetUrlCacheEntryInfoW(url.c_str(), nullptr, &entrySize) ||
                      GetLastError() == ERROR_INSUFFICIENT_BUFFER;
  const double mb = size / 1e6;
  std::printf("file %.1f MB, %d alternating rounds (MB/s = 10^6 B/s)\n", mb, kRounds);
  std::printf("URLDownloadToFileW alone: best %.1f MB/s, median %.1f MB/s\n", mb / Best(bare), mb / Median(bare));
  std::printf("FileDownloader:           best %.1f MB/s, median %.1f MB/s, %.1f progress events per download\n",
              mb / Best(wrapped), mb / Median(wrapped), static_cast<double>(events) / kRounds);
  std::printf("median time ratio FileDownloader / bare: %.2fx\n", Median(wrapped) / Median(bare));
  std::printf("left in the internet cache afterwards: %s\n", cached ? "yes" : "no");
  CoUninitialize();
  return 0;
}
