// An archive opened for reading through the codec library, and its extraction into a folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/sevenzip/codec_library.h"
#include "data/sevenzip/extract_callback.h"

namespace sevenzip {

class InputArchive {
 public:
  // Opens the archive file at `path` as `format`. An archive spanning several files is opened by its last
  // file (name.zip); the library asks for the others (name.z01, name.z02, ...) beside it. Throws
  // ArchiveError. The library must outlive the archive.
  InputArchive(const CodecLibrary& library, const std::wstring& path, const ArchiveFormat& format,
               const std::wstring& password);
  // Opens an archive held in memory; the bytes must stay alive and unchanged while the archive is open.
  InputArchive(const CodecLibrary& library, const uint8_t* data, size_t size, const ArchiveFormat& format,
               const std::wstring& password);
  ~InputArchive();
  InputArchive(const InputArchive&) = delete;
  InputArchive& operator=(const InputArchive&) = delete;

  ExtractCallbacks& Callbacks() { return m_callbacks; }
  uint32_t ItemCount() const;

  // Extracts every item below `folder` (created when missing), recreating the archive's folders and
  // replacing existing files. Items whose paths would leave the folder are refused before anything is
  // written. Throws ArchiveError; a file being written when the extraction fails is removed.
  void ExtractTo(const std::wstring& folder);

 private:
  void Open(ComPtr<IInStream> stream, const std::wstring& folder, const std::wstring& fileName,
            const std::string& displayName);
  std::vector<ItemTarget> PlanItems() const;

  ComPtr<IInArchive> m_archive;
  std::wstring m_password;
  std::string m_displayName;
  ExtractCallbacks m_callbacks;
};

}  // namespace sevenzip
