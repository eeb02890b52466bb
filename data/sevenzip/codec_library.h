// The codec library (7z.dll) loaded into the process, and the archive formats it is asked for by class.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "data/sevenzip/com_object.h"
#include "data/sevenzip/interfaces.h"
#include "runtime/scoped_handle.h"

namespace sevenzip {

// An archive format the library handles, named by its handler's class identifier (no format detection).
struct ArchiveFormat {
  const char* name;
  GUID classId;
};

extern const ArchiveFormat kZipFormat;

class CodecLibrary {
 public:
  // Loads the library by path, or by bare file name from the executable's folder (else the system folder),
  // and reads its format table. Throws ArchiveError when the file cannot be loaded or is not the codec
  // library.
  explicit CodecLibrary(const std::wstring& fileName);
  CodecLibrary(const CodecLibrary&) = delete;
  CodecLibrary& operator=(const CodecLibrary&) = delete;

  // Asks the library to allocate its large buffers in large pages. Throws ArchiveError when it refuses.
  void SetLargePageMode() const;

  bool Supports(const ArchiveFormat& format) const;
  // A new, unopened reader of the format. Throws ArchiveError.
  ComPtr<IInArchive> CreateInArchive(const ArchiveFormat& format) const;

 private:
  ScopedModule m_module;
  CreateObjectFunction m_createObject = nullptr;
  SetLargePageModeFunction m_setLargePageMode = nullptr;
  std::vector<GUID> m_formatClasses;
};

}  // namespace sevenzip
