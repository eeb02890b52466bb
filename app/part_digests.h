// Matching files against the parts' digests, each file's digest computed once. The digest source is the
// caller's (hashing a file, in the installer), so the loops run without files in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "runtime/text_array.h"
#include "runtime/wide_string.h"

// Index of the first entry of `digests` that equals `digest` exactly (case-sensitive), or -1. An empty
// digest (the hash failed) matches nothing.
int64_t entryWithDigest(const std::vector<CWString>& digests, const CWString& digest);

// The local check over the files of the install folder: for file i (0-based) of n, `fileStarted`(i + 1, n),
// then its digest once from `digestOf`, then `dropEntry`(digest), which removes the first part entry with
// that digest, if any. A file whose content matches a part counts whatever its name; each file removes at
// most one entry.
struct LocalCheckSteps {
  std::function<void(int64_t fileNumber, int64_t fileCount)> fileStarted;
  std::function<CWString(const CWString& path)> digestOf;
  std::function<void(const CWString& digest)> dropEntry;
};
void checkLocalFiles(const CVolTextArray& files, const LocalCheckSteps& steps);

// The re-check before extraction: the first entry whose file does not have its digest, or -1 when every
// entry matches; an empty digest (the hash failed) never matches. A name listed several times is hashed once.
int64_t firstDamagedEntry(const std::vector<CWString>& names, const std::vector<CWString>& digests,
                          const std::function<CWString(const CWString& name)>& digestOfName);
