// hashFile throughput on one file: `hash_bench FILE [RUNS]` hashes FILE with MD5 RUNS times (default 1) and
// prints the best time, the digest and the process's peak working set, which streaming keeps near one
// chunk whatever the file size. Run by bench/hash_bench, which alternates it with md5sum on the same file.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>

#include "data/file_hasher.h"
#include "runtime/external_binding.h"

namespace {

double MiB(uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

uint64_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS memory{};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  return memory.PeakWorkingSetSize;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) {
    std::fprintf(stderr, "usage: hash_bench FILE [RUNS]\n");
    return 2;
  }
  const CWString path(argv[1]);
  const int runs = argc > 2 ? std::max(1, static_cast<int>(std::wcstol(argv[2], nullptr, 10))) : 1;
  LocalFree(argv);
  BindExternalFunctions();

  const uint64_t peakBefore = PeakWorkingSet();
  const FileHasher hasher;
  CWString digest;
  double best = 1e9;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    digest = hasher.hashFile(path, CWString(L"MD5"));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds < best) best = seconds;
  }
  char narrow[64] = {};
  for (int i = 0; i < 32 && digest.GetText()[i]; ++i) narrow[i] = static_cast<char>(digest.GetText()[i]);
  std::printf("digest %s\n", narrow);
  std::printf("seconds %.4f\n", best);
  std::printf("peak_working_set_mib %.1f\n", MiB(PeakWorkingSet()));
  std::printf("peak_working_set_before_mib %.1f\n", MiB(peakBefore));
  return 0;
}
