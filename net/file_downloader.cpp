#include "net/file_downloader.h"

#include <windows.h>

#include <urlmon.h>
#include <wininet.h>

#include <cwchar>

#include "runtime/paths.h"
#include "runtime/com_ptr.h"
#include "runtime/number_text.h"
#include "runtime/serial_stream.h"

namespace {

// BINDSTATUS_ENDDOWNLOADDATA: the transfer's last notification.
constexpr uint64_t kEndOfData = 6;

// An HTTP error status as a failure code of the HTTP facility (0x80190000 + status, e.g. 0x80190194 for 404).
HRESULT HttpStatusFailure(uint32_t status) {
  constexpr uint32_t kFacilityHttp = 25;
  return MAKE_HRESULT(SEVERITY_ERROR, kFacilityHttp, status & 0xFFFF);
}

// The position of the last backslash, or -1.
int64_t LastBackslash(const CWString& path) {
  const wchar_t* text = path.GetText();
  const wchar_t* last = std::wcsrchr(text, L'\\');
  return last ? last - text : -1;
}

}  // namespace

FileDownloader::FileDownloader() {
  m_callback->BindStatus(&FileDownloader::Relay, m_receiver.Holder());
}

FileDownloader::FileDownloader(const FileDownloader& other)
    : CVolObject(other), m_downloadTag(other.m_downloadTag), m_path(other.m_path), m_fileName(other.m_fileName) {
  m_callback->BindStatus(&FileDownloader::Relay, m_receiver.Holder());
}

FileDownloader& FileDownloader::operator=(const FileDownloader& other) {
  if (&other == this) return *this;
  CVolObject::operator=(other);
  m_downloadTag = other.m_downloadTag;
  m_path = other.m_path;
  m_fileName = other.m_fileName;
  return *this;
}

FileDownloader::~FileDownloader() {
  // First, so no status event reaches a downloader whose members are going.
  m_receiver.Detach();
}

bool FileDownloader::Assign(const CVolObject& source) {
  return AssignByCopy(*this, source);
}

void FileDownloader::Reset() {
  OnChange();
  ResetHeader();
  m_downloadTag = 0;
  m_path.Clear();
  m_fileName.Clear();
}

bool FileDownloader::IsEqual(const CVolObject& other) const {
  if (!IsSameClass(ClassInfo(), other.GetClassRecord())) return false;
  const auto& o = static_cast<const FileDownloader&>(other);
  return HeaderEquals(o) && m_downloadTag == o.m_downloadTag && m_path == o.m_path && m_fileName == o.m_fileName;
}

void FileDownloader::Load(SerialStream& stream) {
  if (!stream.ReadInt32(m_downloadTag)) return;
  m_path.Load(stream);
  m_fileName.Load(stream);
}

void FileDownloader::Save(SerialStream& stream) const {
  if (!stream.WriteInt32(m_downloadTag)) return;
  m_path.Save(stream);
  m_fileName.Save(stream);
}

int64_t FileDownloader::Download(const CWString& url, CWString& destination) {
  m_downloadTag = 0;
  m_fileName.Clear();
  m_path = m_fileName;

  // A cached copy would be served instead of the server's current file.
  DeleteUrlCacheEntryW(url.GetText());

  if (destination.IsEmpty()) destination = CWString::Concat(desktopDirectory(), L"test.rar");

  const int64_t slash = LastBackslash(destination);
  if (slash > 0) createDirectoryTree(destination.Left(slash));

  m_downloadTag = 0;
  m_path = destination;
  if (slash >= 0) m_fileName.SetText(destination.GetText() + slash + 1);

  HRESULT hr;
  {
    ComApartment apartment;  // the thread's apartment for the download; one it is already in stays
    m_callback->BeginTransfer();
    hr = URLDownloadToFileW(nullptr, url.GetText(), destination.GetText(), 0, m_callback->Interface());
  }
  if (m_callback->HttpStatus() >= 400) hr = HttpStatusFailure(m_callback->HttpStatus());

  if (FAILED(hr)) {
    static const CWString empty;
    FireProgress(0, 0, 0.0, empty, empty, kFailed);
  }
  // The platform keeps a full copy of every download in the internet cache; the installed parts must not
  // exist twice on disk, and a failed transfer must not leave a partial copy behind.
  DeleteUrlCacheEntryW(url.GetText());
  return hr;
}

int32_t FileDownloader::Relay(CVolObject* self, CVolObject*, int32_t, uint64_t progress, uint64_t maximum,
                              uint64_t statusCode, const CWString& statusText) {
  auto* downloader = static_cast<FileDownloader*>(self);
  // A maximum of 0 gives an infinite percentage, not an error.
  const double percent = RoundTo2Decimals(static_cast<double>(progress) / static_cast<double>(maximum) * 100.0);
  const int32_t state = progress == maximum && statusCode == kEndOfData ? kFinished : kDownloading;
  downloader->FireProgress(progress, maximum, percent, statusText, downloader->m_fileName, state);
  return 0;
}

void FileDownloader::FireProgress(uint64_t done, uint64_t total, double percent, const CWString& statusText,
                                  const CWString& fileName, int32_t state) {
  m_progressEvent.Fire<int32_t, uint64_t, uint64_t, double, const CWString&, const CWString&, int32_t,
                       const CWString&, int32_t>(this, 0, done, total, percent, statusText, fileName, state, m_path,
                                                 m_downloadTag);
}
