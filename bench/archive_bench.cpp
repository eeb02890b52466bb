// Extracts one archive with extractArchive and prints the time it took (the driver script bench/archive_bench
// compares it with the codec library's own 7z.exe on the same archive).
//   archive_bench.exe ARCHIVE DESTINATION
#include <windows.h>

#include <shellapi.h>

#include <chrono>
#include <cstdio>

#include "data/archive_reader.h"

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 3) {
    std::fprintf(stderr, "usage: archive_bench ARCHIVE DESTINATION\n");
    return 2;
  }
  ArchiveReader reader;
  CWString error;
  const auto start = std::chrono::steady_clock::now();
  const int result =
      reader.extractArchive(CWString(argv[1]), CVolMem(), CWString(), error, CWString(argv[2]));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (result != 1) {
    std::fwprintf(stderr, L"extraction failed: %ls\n", error.GetText());
    return 1;
  }
  LocalFree(argv);
  std::printf("extractArchive: %.3f s\n", seconds);
  return 0;
}
