// Listing a folder's entries by wildcard (through the bound Kernel32 find functions; BindExternalFunctions
// must have run), and deleting files. Failures show only in the results.
#pragma once

#include <cstdint>

#include "runtime/text_array.h"
#include "runtime/wide_string.h"

struct _WIN32_FIND_DATAW;

// A platform file time: 100-nanosecond intervals since 1601-01-01 (UTC).
struct FileTimeValue {
  uint64_t value = 0;
};

// The runtime's copy of one find result.
struct FindDataRecord {
  static constexpr uint32_t kDirectoryAttribute = 0x10;
  static constexpr uint32_t kHiddenAttribute = 0x2;

  FindDataRecord() = default;
  explicit FindDataRecord(const _WIN32_FIND_DATAW& found);

  uint32_t attributes = 0;
  FileTimeValue creationTime;
  FileTimeValue lastAccessTime;
  FileTimeValue lastWriteTime;
  uint32_t sizeHigh = 0;
  uint32_t sizeLow = 0;
  uint32_t reserved0 = 0;
  uint32_t reserved1 = 0;
  wchar_t fileName[260] = {};
  wchar_t shortName[14] = {};
};

// Lists the entries of `directory` (a trailing backslash is optional; empty means the current directory)
// that match the wildcard `pattern`. `files` is cleared and receives the files, `directories` is appended
// to; "." and ".." are left out, and hidden entries too unless `includeHidden`. Entries are the bare
// names, or directory + name when `fullPath`. Returns the number of entries in `files`.
int64_t findFiles(const CWString& directory, const CWString& pattern, CVolTextArray& files,
                  CVolTextArray& directories, bool fullPath, bool includeHidden);

// DeleteFileW: true when the file was deleted.
bool deleteFile(const CWString& path);
