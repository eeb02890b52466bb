#include "data/archive_reader.h"

#include <windows.h>

#include "data/archive_codec_library.h"
#include "data/sevenzip/archive_error.h"

namespace {

std::wstring WideFromUtf8(const char* text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (size <= 1) return {};
  std::wstring result(size - 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), size);
  return result;
}

}  // namespace

QelArchiveReader::~QelArchiveReader() {
  close();
}

int32_t QelArchiveReader::onProgress(const wchar_t*, uint32_t, uint64_t, uint64_t, int32_t) {
  return 0;
}

bool QelArchiveReader::openFile(const CWString& path, const CWString& password,
                                const sevenzip::ArchiveFormat& format) {
  return openWith([&] {
    return std::make_unique<sevenzip::InputArchive>(requireCodecLibrary(), path.GetText(), format,
                                                    password.GetText());
  });
}

bool QelArchiveReader::openMemory(const CVolMem& bytes, const CWString& password,
                                  const sevenzip::ArchiveFormat& format) {
  return openWith([&] {
    m_buffer = std::make_unique<std::vector<uint8_t>>(bytes.Bytes(), bytes.Bytes() + bytes.GetSize());
    return std::make_unique<sevenzip::InputArchive>(requireCodecLibrary(), m_buffer->data(), m_buffer->size(),
                                                    format, password.GetText());
  });
}

bool QelArchiveReader::openWith(const std::function<std::unique_ptr<sevenzip::InputArchive>()>& open) {
  close();
  try {
    m_reader = open();
    registerCallbacks();
  } catch (const sevenzip::ArchiveError& error) {
    close();
    setLastErrorUtf8(error.what());
    return false;
  }
  setLastError(L"OK");
  return true;
}

void QelArchiveReader::registerCallbacks() {
  sevenzip::ExtractCallbacks& callbacks = m_reader->Callbacks();
  callbacks.total = [this](uint64_t total) { m_total = total; };
  callbacks.ratio = [this](uint64_t packed, uint64_t unpacked) {
    if (unpacked != 0) m_ratio = static_cast<int32_t>(packed * 100 / unpacked);
  };
  callbacks.progress = [this](uint64_t processed) {
    if (processed == 0 || m_total == 0) return true;
    const uint32_t percent = static_cast<uint32_t>(processed * 100 / m_total);
    return onProgress(m_currentFile.c_str(), percent, m_total, processed, m_ratio) == 0;
  };
  callbacks.file = [this](const std::wstring& item) { m_currentFile = item; };
}

bool QelArchiveReader::extractToDirectory(const CWString& directory) {
  if (!m_reader) {
    setLastError(L"未打开压缩文件.");
    return false;
  }
  try {
    m_reader->ExtractTo(directory.GetText());
  } catch (const sevenzip::ArchiveError& error) {
    setLastErrorUtf8(error.what());
    return false;
  }
  setLastError(L"OK");
  return true;
}

CWString QelArchiveReader::lastErrorText() const {
  return m_lastError.empty() ? CWString() : CWString(m_lastError.c_str());
}

void QelArchiveReader::close() {
  m_reader.reset();
  m_buffer.reset();
}

// Kept as UTF-16: the cause names files, and no code page holds every character a file name may have.
void QelArchiveReader::setLastError(const std::wstring& text) {
  m_lastError = text;
}

void QelArchiveReader::setLastErrorUtf8(const char* text) {
  const std::wstring wide = text && *text ? WideFromUtf8(text) : std::wstring();
  setLastError(wide.empty() ? L"Unknown exception" : wide);
}

int32_t ArchiveReader::onProgress(const wchar_t* fileName, uint32_t percent, uint64_t total,
                                  uint64_t processed, int32_t ratio) {
  const CWString name(fileName);
  return m_progressEvent.Fire<int32_t, const CWString&, uint32_t, uint64_t, uint64_t, int32_t>(
      this, 0, name, percent, total, processed, ratio);
}

int ArchiveReader::extractArchive(const CWString& archivePath, const CVolMem& archiveBytes,
                                  const CWString& password, CWString& errorText,
                                  const CWString& destination) {
  const bool opened = archivePath.IsEmpty() ? openMemory(archiveBytes, password, sevenzip::kZipFormat)
                                            : openFile(archivePath, password, sevenzip::kZipFormat);
  if (!opened) {
    errorText = lastErrorText();
    close();
    return 0;
  }
  if (extractToDirectory(destination)) {
    close();
    return 1;
  }
  errorText = lastErrorText();
  close();
  return 0;
}
