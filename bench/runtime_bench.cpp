// Pool versus heap for small objects, and CWString appends versus std::wstring, measured in one run.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "runtime/block_pool.h"
#include "runtime/wide_string.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBatch = 64;
constexpr int kRounds = 200000;

template <typename Alloc, typename Free>
double AllocFreeSeconds(int threads, Alloc alloc, Free free) {
  auto work = [&] {
    void* held[kBatch];
    for (int round = 0; round < kRounds; ++round) {
      for (int i = 0; i < kBatch; ++i) held[i] = alloc(64);
      for (int i = 0; i < kBatch; ++i) free(held[i]);
    }
  };
  const auto start = Clock::now();
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) pool.emplace_back(work);
  for (auto& t : pool) t.join();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Best(int repeats, double (*run)(int), int threads) {
  double best = 1e9;
  for (int i = 0; i < repeats; ++i) best = std::min(best, run(threads));
  return best;
}

double Pool(int threads) {
  return AllocFreeSeconds(threads, [](size_t n) { return CPoolMem::Instance().AllocOrExit(n); },
                          [](void* p) { CPoolMem::Instance().Free(p); });
}
double Heap(int threads) {
  return AllocFreeSeconds(threads, [](size_t n) { return HeapAlloc(GetProcessHeap(), 0, n); },
                          [](void* p) { HeapFree(GetProcessHeap(), 0, p); });
}
double Malloc(int threads) {
  return AllocFreeSeconds(threads, [](size_t n) { return std::malloc(n); }, [](void* p) { std::free(p); });
}

template <typename Body>
double Seconds(Body body) {
  const auto start = Clock::now();
  body();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
  const double operations = 2.0 * kBatch * kRounds;
  std::printf("allocate+free of 64-byte blocks, %d x %d per thread (best of 3)\n", kRounds, kBatch);
  for (int threads : {1, 2}) {
    const double pool = Best(3, Pool, threads);
    const double heap = Best(3, Heap, threads);
    const double crt = Best(3, Malloc, threads);
    std::printf("  %d thread(s): pool %.1f ns/op, HeapAlloc %.1f ns/op, malloc %.1f ns/op; "
                "pool is %.2fx HeapAlloc, %.2fx malloc\n",
                threads, pool / operations * threads * 1e9, heap / operations * threads * 1e9,
                crt / operations * threads * 1e9, heap / pool, crt / pool);
  }

  // Typical use: texts of a few dozen units built from short pieces (paths, messages, headers).
  const wchar_t* pieces[] = {L"ab", L"安装", L"x", L"path\\", L"12345"};
  constexpr int kStrings = 200000;
  constexpr int kPiecesPerString = 16;
  double ours = 1e9, theirs = 1e9;
  for (int repeat = 0; repeat < 3; ++repeat) {
    ours = std::min(ours, Seconds([&] {
      for (int n = 0; n < kStrings; ++n) {
        CWString s;
        for (int i = 0; i < kPiecesPerString; ++i) s.AddText(pieces[i % 5]);
        if (s.GetLength() == 0) std::abort();
      }
    }));
    theirs = std::min(theirs, Seconds([&] {
      for (int n = 0; n < kStrings; ++n) {
        std::wstring s;
        for (int i = 0; i < kPiecesPerString; ++i) s.append(pieces[i % 5]);
        if (s.empty()) std::abort();
      }
    }));
  }
  const double appends = static_cast<double>(kStrings) * kPiecesPerString;
  std::printf("AddText, %d strings of %d short pieces: CWString %.1f ns/append, std::wstring %.1f ns/append; "
              "CWString takes %.2fx the time\n",
              kStrings, kPiecesPerString, ours / appends * 1e9, theirs / appends * 1e9, ours / theirs);

  // One long text: the fixed 254-byte step makes every ~60 appends a reallocation that copies the text.
  constexpr int kLongAppends = 100000;
  const double longOurs = Seconds([&] {
    CWString s;
    for (int i = 0; i < kLongAppends; ++i) s.AddText(pieces[i % 5]);
  });
  const double longTheirs = Seconds([&] {
    std::wstring s;
    for (int i = 0; i < kLongAppends; ++i) s.append(pieces[i % 5]);
  });
  std::printf("AddText, one text of %d pieces: CWString %.1f ns/append, std::wstring %.1f ns/append\n",
              kLongAppends, longOurs / kLongAppends * 1e9, longTheirs / kLongAppends * 1e9);
  return 0;
}
