#include "data/archive_codec_library.h"

#include <windows.h>

#include <cstdio>
#include <memory>

#include "data/sevenzip/archive_error.h"
#include "runtime/byte_buffer.h"
#include "runtime/lock.h"

namespace {

// The embedded library's bytes; false when the executable carries none.
bool LoadEmbeddedLibrary(int resourceId, CVolMem& bytes) {
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!resource) return false;
  HGLOBAL loaded = LoadResource(nullptr, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(nullptr, resource);
  if (data && size) bytes.AppendBytes(data, size);
  if (loaded) FreeResource(loaded);
  return data && size;
}

Lock g_libraryLock;
std::unique_ptr<sevenzip::CodecLibrary> g_library;

}  // namespace

bool writeCodecLibraryFile(const CWString& path, int resourceId) {
  CVolMem bytes;
  const bool embedded = LoadEmbeddedLibrary(resourceId, bytes);
  if (path.IsEmpty()) return false;
  if (embedded) {
    if (FILE* file = _wfopen(path.GetText(), L"wb")) {
      const bool written =
          std::fwrite(bytes.GetData(), 1, bytes.GetSize(), file) == static_cast<size_t>(bytes.GetSize());
      const bool closed = std::fclose(file) == 0;
      // A short write (full disk) would leave a library that cannot load: better none at all.
      if (!written || !closed) DeleteFileW(path.GetText());
    }
  }
  return GetFileAttributesW(path.GetText()) != INVALID_FILE_ATTRIBUTES;
}

const sevenzip::CodecLibrary& requireCodecLibrary() {
  LockGuard guard(g_libraryLock);
  if (!g_library) {
    auto library = std::make_unique<sevenzip::CodecLibrary>(L"7z.dll");
    try {
      library->SetLargePageMode();
    } catch (const sevenzip::ArchiveError&) {
      // Large pages are an optimisation; the library works without them.
    }
    g_library = std::move(library);
  }
  return *g_library;
}

const sevenzip::CodecLibrary* codecLibrary() {
  try {
    return &requireCodecLibrary();
  } catch (const sevenzip::ArchiveError&) {
    return nullptr;
  }
}
