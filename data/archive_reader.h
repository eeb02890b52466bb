// Reading a ZIP archive and extracting all of it into a folder, with per-file progress.
//
// QelArchiveReader keeps the open archive (and, when opened from memory, its own copy of the bytes), the
// last error text and the progress state, and turns the codec library's reports into one virtual progress
// notification. ArchiveReader is the runtime object over it that raises that notification as an event.
// Extraction and its notifications run on the calling thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/sevenzip/codec_library.h"
#include "data/sevenzip/input_archive.h"
#include "runtime/byte_buffer.h"
#include "runtime/object.h"
#include "runtime/wide_string.h"
#include "runtime/event_binding.h"

class QelArchiveReader {
 public:
  QelArchiveReader() = default;
  virtual ~QelArchiveReader();
  QelArchiveReader(const QelArchiveReader&) = delete;
  QelArchiveReader& operator=(const QelArchiveReader&) = delete;

  // Called for each progress report while extracting: the item being written, processed * 100 / total,
  // the byte counts and the last packed-to-unpacked ratio in percent. Nonzero asks to cancel.
  virtual int32_t onProgress(const wchar_t* fileName, uint32_t percent, uint64_t total, uint64_t processed,
                             int32_t ratio);

  // Open an archive (closing any open one) from a file or from a copy of `bytes`; false with the error text
  // set when it cannot be opened. A spanned archive is opened by its .zip file, the other volumes beside it.
  bool openFile(const CWString& path, const CWString& password,
                const sevenzip::ArchiveFormat& format = sevenzip::kZipFormat);
  bool openMemory(const CVolMem& bytes, const CWString& password,
                  const sevenzip::ArchiveFormat& format = sevenzip::kZipFormat);
  // Extracts every item below `directory`, replacing existing files; false with the error text set.
  bool extractToDirectory(const CWString& directory);
  // "OK" after a successful open or extraction, else the cause of the last failure.
  CWString lastErrorText() const;
  void close();

  bool isOpen() const { return m_reader != nullptr; }

 private:
  // Closes, then opens through `open` (which may fill the buffer); the common failure handling.
  bool openWith(const std::function<std::unique_ptr<sevenzip::InputArchive>()>& open);
  void setLastError(const std::wstring& text);
  void setLastErrorUtf8(const char* text);
  void registerCallbacks();

  std::unique_ptr<sevenzip::InputArchive> m_reader;
  std::unique_ptr<std::vector<uint8_t>> m_buffer;
  std::wstring m_lastError;
  uint64_t m_total = 0;
  int32_t m_ratio = 0;
  std::wstring m_currentFile;
};

class ArchiveReader : public CVolObject, public QelArchiveReader {
  VOL_CLASS_IDENTITY(ArchiveReader, CVolObject, "ArchiveReader")
 public:
  // The progress event's handler: receiver, sender (this reader), the binding's extra value, then the
  // item name, percent, total, processed and ratio. A nonzero result cancels the extraction.
  using ProgressHandler = int32_t (*)(CVolObject* receiver, CVolObject* sender, int32_t extra,
                                      const CWString& fileName, uint32_t percent, uint64_t total,
                                      uint64_t processed, int32_t ratio);

  ArchiveReader() = default;
  ~ArchiveReader() override = default;

  // A copy is a fresh, closed reader with no handler bound.
  CVolObject* Clone() const override { return new ArchiveReader(); }

  void bindProgressEvent(ProgressHandler handler, CVolEventObjectPointer* holder, int32_t extra = 0) {
    m_progressEvent.Bind(handler, holder, extra);
  }
  void unbindProgressEvent() { m_progressEvent.Unbind(); }

  // Raises the progress event; 0 when no handler takes it.
  int32_t onProgress(const wchar_t* fileName, uint32_t percent, uint64_t total, uint64_t processed,
                     int32_t ratio) override;

  // Opens the ZIP archive at `archivePath` (or, when the path is empty, held in `archiveBytes`) and extracts
  // all of it into `destination` (the installer passes its install folder). Returns 1 on success (the
  // error text untouched), else 0 with `errorText` set. The reader is closed afterwards in either case.
  int extractArchive(const CWString& archivePath, const CVolMem& archiveBytes, const CWString& password,
                     CWString& errorText, const CWString& destination);

 private:
  EventBinding m_progressEvent;
};
