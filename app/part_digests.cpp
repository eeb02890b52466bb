#include "app/part_digests.h"

#include <map>
#include <string>

int64_t entryWithDigest(const CMStringArray& digests, const CWString& digest) {
  // An empty digest means the hash could not be computed: it matches nothing, not an empty checksum.
  if (digest.IsEmpty()) return -1;
  for (int64_t j = 0; j < digests.GetCount(); ++j) {
    if (!digest.IsDifferent(digests.GetItemText(j))) return j;
  }
  return -1;
}

void checkLocalFiles(const CVolTextArray& files, const LocalCheckSteps& steps) {
  const int64_t count = files.GetCount();
  for (int64_t i = 0; i < count; ++i) {
    steps.fileStarted(i + 1, count);
    const CWString path(files.GetItemText(i));
    steps.dropEntry(steps.digestOf(path));
  }
}

int64_t firstDamagedEntry(const CMStringArray& names, const CMStringArray& digests,
                          const std::function<CWString(const CWString& name)>& digestOfName) {
  std::map<std::wstring, CWString> known;
  for (int64_t i = 0; i < names.GetCount(); ++i) {
    const std::wstring name(names.GetItemText(i));
    auto it = known.find(name);
    if (it == known.end()) it = known.emplace(name, digestOfName(CWString(name.c_str()))).first;
    if (it->second.IsEmpty() || it->second.IsDifferent(digests.GetItemText(i))) return i;
  }
  return -1;
}
