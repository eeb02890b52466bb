// Digests of files and byte buffers as upper-case hexadecimal text, by the platform's cryptography
// provider (see data/cng_hash.h; BindExternalFunctions must have run). Files are read and hashed piece by
// piece, so memory use stays at one chunk whatever the file size. No state: calls from different threads
// do not interfere.
#pragma once

#include "runtime/byte_buffer.h"
#include "runtime/object.h"
#include "runtime/wide_string.h"

class FileHasher : public CVolObject {
  VOL_VALUE_CLASS(FileHasher, CVolObject, "FileHasher")
 public:
  // Bytes read and hashed at a time.
  static constexpr size_t kChunkSize = 1 << 20;

  bool operator==(const FileHasher& other) const { return HeaderEquals(other); }

  // The digest of the file's contents, e.g. 32 hexadecimal digits for "MD5". A missing or unreadable
  // file, or an empty path, hashes as empty input; an algorithm the provider does not know (or any
  // provider failure) gives empty text.
  CWString hashFile(const CWString& path, const CWString& algorithm) const;
  // The digest bytes of `data`; empty on any provider failure.
  CVolMem hashData(const CVolMem& data, const CWString& algorithm) const;
};
