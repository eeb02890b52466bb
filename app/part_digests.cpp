#include "app/part_digests.h"

#include <map>
#include <string>

int64_t entryWithDigest(const std::vector<CWString>& digests, const CWString& digest) {
  // An empty digest means the hash could not be computed: it matches nothing, not an empty checksum.
  if (digest.IsEmpty()) return -1;
  for (size_t j = 0; j < digests.size(); ++j) {
    if (!digest.IsDifferent(digests[j])) return static_cast<int64_t>(j);
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

int64_t firstDamagedEntry(const std::vector<CWString>& names, const std::vector<CWString>& digests,
                          const std::function<CWString(const CWString& name)>& digestOfName) {
  std::map<std::wstring, CWString> known;
  for (size_t i = 0; i < names.size() && i < digests.size(); ++i) {
    const std::wstring name(names[i].GetText());
    auto it = known.find(name);
    if (it == known.end()) it = known.emplace(name, digestOfName(names[i])).first;
    if (it->second.IsEmpty() || it->second.IsDifferent(digests[i])) return static_cast<int64_t>(i);
  }
  return -1;
}
