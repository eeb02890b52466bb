// FileDownloader: downloads one URL straight into a file with the platform's URL moniker download, always
// fresh from the server, and reports progress through its progress event. Blocking; meant for worker threads.
// One object describes one download at a time: downloads that run at the same time need one object each.
#pragma once

#include <cstdint>

#include "net/download_status_callback.h"
#include "runtime/object.h"
#include "runtime/wide_string.h"
#include "runtime/event_binding.h"

class FileDownloader : public CVolObject {
  VOL_CLASS_IDENTITY(FileDownloader, CVolObject, "FileDownloader")
 public:
  // States carried by the progress event.
  static constexpr int32_t kDownloading = 1;
  static constexpr int32_t kFinished = 2;
  static constexpr int32_t kFailed = -1;

  // Called on the downloading thread with (receiver, the downloader, extra value, bytes done, bytes expected
  // (0 when unknown), percent rounded to two decimals, status text, file name, state, path, tag). The result is
  // ignored. A failed download raises exactly one event: zeros, empty texts and kFailed.
  using ProgressHandler = int32_t (*)(CVolObject* receiver, CVolObject* sender, int32_t extra, uint64_t done,
                                      uint64_t total, double percent, const CWString& statusText,
                                      const CWString& fileName, int32_t state, const CWString& path, int32_t tag);

  FileDownloader();
  // Copies the tag, path and file name; the copy has its own callback and an unbound progress event.
  FileDownloader(const FileDownloader& other);
  FileDownloader& operator=(const FileDownloader& other);
  // Waits for a status event still being handled on another thread, then drops all events.
  ~FileDownloader() override;

  CVolObject* Clone() const override { return new FileDownloader(*this); }
  bool Assign(const CVolObject& source) override;
  void Reset() override;
  bool IsEqual(const CVolObject& other) const override;
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

  void BindProgress(ProgressHandler handler, CVolEventObjectPointer* holder, int32_t extra = 0) {
    m_progressEvent.Bind(handler, holder, extra);
  }
  EventBinding& ProgressEvent() { return m_progressEvent; }

  // Downloads `url` into `destination`, creating its missing folders, and returns the platform's HRESULT
  // (negative on failure; an HTTP error status also fails). An empty destination becomes "test.rar" on the
  // desktop and is written back. No copy of the URL is left in the internet cache, whatever the outcome.
  int64_t Download(const CWString& url, CWString& destination);

  // Ends the running download from any thread: Download returns E_ABORT (a failure, with its failed event)
  // without waiting for the server. Does nothing when no download runs.
  void Abort() { m_callback->Abort(); }

  int32_t DownloadTag() const { return m_downloadTag; }
  // Of the download started last: the destination, and its text after the last backslash.
  const CWString& Path() const { return m_path; }
  const CWString& FileName() const { return m_fileName; }
  DownloadStatusCallback& Callback() const { return *m_callback; }

 private:
  static int32_t Relay(CVolObject* self, CVolObject* sender, int32_t extra, uint64_t progress, uint64_t maximum,
                       uint64_t statusCode, const CWString& statusText);
  void FireProgress(uint64_t done, uint64_t total, double percent, const CWString& statusText,
                    const CWString& fileName, int32_t state);

  DownloadStatusCallbackRef m_callback;
  int32_t m_downloadTag = 0;
  CWString m_path;
  CWString m_fileName;
  EventBinding m_progressEvent;
  EventReceiver m_receiver{this};
};
