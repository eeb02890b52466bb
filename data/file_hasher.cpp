#include "data/file_hasher.h"

#include <share.h>

#include <cstdio>
#include <memory>

#include "data/cng_hash.h"

namespace {

struct CloseFile {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FileStream = std::unique_ptr<FILE, CloseFile>;

// Feeds the whole file to `hash`. False when the file cannot be opened or a read fails part way.
bool HashFileContents(const CWString& path, CngHash& hash) {
  if (path.IsEmpty()) return false;
  // Other readers and writers of the file are not locked out while it is hashed.
  FileStream file(_wfsopen(path.GetText(), L"rb", _SH_DENYNO));
  if (!file) return false;
  std::setvbuf(file.get(), nullptr, _IONBF, 0);  // the chunk buffer is the only buffer
  CVolMem chunk;
  chunk.SetSize(FileHasher::kChunkSize);
  for (;;) {
    const size_t n = std::fread(chunk.GetData(), 1, FileHasher::kChunkSize, file.get());
    if (n > 0 && !hash.Update(chunk.GetData(), n)) return false;
    if (n < FileHasher::kChunkSize) return !std::ferror(file.get());
  }
}

}  // namespace

CWString FileHasher::hashFile(const CWString& path, const CWString& algorithm) const {
  CVolMem digest;
  {
    CngHash hash(algorithm.GetText());
    if (HashFileContents(path, hash) || !hash.IsUsable()) {
      digest = hash.Finish();
    } else {
      // Contents that cannot be read count as no contents at all.
      CngHash empty(algorithm.GetText());
      digest = empty.Finish();
    }
  }
  CWString text;
  digest.ToHexText(text);
  return text;
}

CVolMem FileHasher::hashData(const CVolMem& data, const CWString& algorithm) const {
  CngHash hash(algorithm.GetText());
  hash.Update(data.GetData(), static_cast<uint64_t>(data.GetSize()));
  return hash.Finish();
}
