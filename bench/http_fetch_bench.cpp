// Downloading one large body under Wine, the three ways taking turns: a bare WinHTTP loop (open, send,
// receive, 1 MiB reads into one reused buffer, nothing else); the same loop reading into one buffer of the
// body's size (what any client that keeps the body pays for fresh memory); and FetchBytes. Then the
// process's peak working set. Run by the bench/http_fetch_bench script, which starts the local server:
//   http_fetch_bench.exe <url of the body> <expected size in bytes> [runs]
#include <windows.h>
// (after windows.h)
#include <psapi.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/http_client.h"
#include "net/winhttp_handle.h"

namespace {

using Clock = std::chrono::steady_clock;

// Reads the body with nothing but WinHTTP calls: into `whole` (sized to the body) when given, else into
// one reused 1 MiB buffer. Returns the byte count, -1 on failure.
int64_t BareWinHttpDownload(const wchar_t* host, INTERNET_PORT port, const wchar_t* path, char* whole) {
  WinHttpHandle session(WinHttpOpen(L"bench", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0));
  WinHttpHandle connection(WinHttpConnect(session.Get(), host, port, 0));
  WinHttpHandle request(WinHttpOpenRequest(connection.Get(), L"GET", path, nullptr, nullptr, nullptr, 0));
  if (!WinHttpSendRequest(request.Get(), nullptr, 0, nullptr, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.Get(), nullptr)) {
    return -1;
  }
  std::vector<char> buffer(whole ? 0 : 1048576);
  int64_t total = 0;
  DWORD got = 0;
  while (WinHttpReadData(request.Get(), whole ? whole + total : buffer.data(), 1048576, &got) && got > 0) {
    total += got;
  }
  return total;
}

double PeakWorkingSetMiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakWorkingSetSize) / 1048576.0;
}

struct Series {
  const char* name;
  std::vector<double> rates;  // MB/s (10^6 bytes per second)

  double Best() const { return *std::max_element(rates.begin(), rates.end()); }
  double Median() const {
    std::vector<double> sorted = rates;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: http_fetch_bench <url> <size> [runs] (run bench/http_fetch_bench)\n");
    return 2;
  }
  const std::string narrowUrl = argv[1];
  const std::wstring url(narrowUrl.begin(), narrowUrl.end());
  const int64_t size = std::atoll(argv[2]);
  const int runs = argc > 3 ? std::atoi(argv[3]) : 7;

  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return 2;
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                            std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  auto rate = [size](Clock::time_point start) {
    return static_cast<double>(size) / std::chrono::duration<double>(Clock::now() - start).count() / 1e6;
  };

  Series bare{"bare WinHTTP loop, 1 MiB buffer", {}};
  Series whole{"bare WinHTTP loop, whole body", {}};
  Series fetch{"FetchBytes", {}};
  const double startMiB = PeakWorkingSetMiB();
  double barePeakMiB = 0;
  double fetchPeakMiB = 0;
  for (int run = 0; run < runs; ++run) {
    Clock::time_point start = Clock::now();
    if (BareWinHttpDownload(host.c_str(), parts.nPort, path.c_str(), nullptr) != size) return 1;
    bare.rates.push_back(rate(start));
    if (run == 0) barePeakMiB = PeakWorkingSetMiB();

    {
      start = Clock::now();
      const CVolMem body = FetchBytes(CWString(url.c_str()));
      fetch.rates.push_back(rate(start));
      if (body.GetSize() != size) {
        std::fprintf(stderr, "FetchBytes returned %lld bytes\n", static_cast<long long>(body.GetSize()));
        return 1;
      }
    }
    if (run == 0) fetchPeakMiB = PeakWorkingSetMiB();

    // Fresh memory each time, like FetchBytes gets.
    start = Clock::now();
    char* buffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(size)));
    const int64_t received = BareWinHttpDownload(host.c_str(), parts.nPort, path.c_str(), buffer);
    whole.rates.push_back(rate(start));
    HeapFree(GetProcessHeap(), 0, buffer);
    if (received != size) return 1;
  }

  std::printf("body: %.0f MiB, %d runs of each, taking turns (MB = 10^6 bytes)\n", size / 1048576.0, runs);
  for (const Series* series : {&bare, &whole, &fetch}) {
    std::printf(
        "%-34s best %6.1f MB/s, median %6.1f MB/s; median %.2fx the 1 MiB loop, %.2fx the whole-body loop\n",
        series->name, series->Best(), series->Median(), series->Median() / bare.Median(),
        series->Median() / whole.Median());
  }
  std::printf(
      "peak working set: %.0f MiB at start, %.0f MiB after a bare download, %.0f MiB after FetchBytes "
      "(%.2f body sizes above the bare download's peak)\n",
      startMiB, barePeakMiB, fetchPeakMiB, (fetchPeakMiB - barePeakMiB) / (size / 1048576.0));
  return 0;
}
