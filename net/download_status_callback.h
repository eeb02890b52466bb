// DownloadStatusCallback: the status-callback object a URL moniker download reports to. It turns the
// platform's progress notifications into its status event and watches the HTTP response, so an error page
// is never taken for the file. A reference-counted COM object: the platform may hold it for as long as it
// likes, and once its receiver is gone its status events are simply dropped.
#pragma once

#include <urlmon.h>

#include <atomic>
#include <cstdint>

#include "runtime/lock.h"
#include "runtime/object.h"
#include "runtime/event_binding.h"

class CWString;

class DownloadStatusCallback : public CVolObject {
  VOL_CLASS_IDENTITY(DownloadStatusCallback, CVolObject, "DownloadStatusCallback")
 public:
  // Called with (receiver, the callback, extra value, done, expected, status code, status text); the three
  // numbers are the platform's unsigned 32-bit values. The result is ignored.
  using StatusHandler = int32_t (*)(CVolObject* receiver, CVolObject* sender, int32_t extra, uint64_t progress,
                                    uint64_t maximum, uint64_t statusCode, const CWString& statusText);

  // Reference count 1, owned by the creator. Heap objects only: destroyed by the last Release.
  DownloadStatusCallback();
  // A fresh callback: copies share nothing, not even the status event's binding.
  DownloadStatusCallback(const DownloadStatusCallback&) : DownloadStatusCallback() {}
  DownloadStatusCallback& operator=(const DownloadStatusCallback&) = delete;

  CVolObject* Clone() const override { return new DownloadStatusCallback(); }
  bool Assign(const CVolObject& source) override;
  bool IsEqual(const CVolObject& other) const override;

  void AddRef() { m_references.fetch_add(1, std::memory_order_relaxed); }
  // Drops one reference (the owner's or the platform's); the last one destroys the object.
  void Release() override;
  int64_t ReferenceCount() const { return m_references.load(std::memory_order_relaxed); }

  void BindStatus(StatusHandler handler, CVolEventObjectPointer* holder, int32_t extra = 0) {
    m_statusEvent.Bind(handler, holder, extra);
  }
  EventBinding& StatusEvent() { return m_statusEvent; }

  // What URLDownloadToFileW is given. Answers IUnknown, IBindStatusCallback and IHttpNegotiate.
  IBindStatusCallback* Interface() { return &m_interface; }

  // Forgets the previous transfer's HTTP status and abort request; call before each transfer.
  void BeginTransfer();
  // Ends the current transfer from any thread: the platform's binding is aborted, so the download returns
  // E_ABORT at once, even when the server sends nothing. A transfer not yet bound is refused when it binds.
  // Does nothing between transfers.
  void Abort();
  // The HTTP status of the current transfer's response; 0 before one arrived (or for other schemes).
  uint32_t HttpStatus() const { return m_httpStatus; }

  // One progress notification. Notifications before the first byte (progress 0) raise nothing. Once the
  // server has answered with an HTTP error the transfer is aborted, so the error page never becomes the file.
  HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, const wchar_t* statusText);

 private:
  ~DownloadStatusCallback() override;

  class ComInterface : public IBindStatusCallback, public IHttpNegotiate {
   public:
    explicit ComInterface(DownloadStatusCallback& owner) : m_owner(owner) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
      return m_owner.OnStartBinding(binding);
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                         LPCWSTR statusText) override {
      return m_owner.OnProgress(progress, progressMax, statusCode, statusText);
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override {
      m_owner.OnStopBinding();
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved,
                                                   LPWSTR* additionalHeaders) override;
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                                         LPWSTR* additionalHeaders) override;

   private:
    DownloadStatusCallback& m_owner;
  };

  // Keeps the transfer's binding so that another thread can abort it.
  HRESULT OnStartBinding(IBinding* binding);
  void OnStopBinding();

  std::atomic<int64_t> m_references{1};
  ComInterface m_interface{*this};
  EventBinding m_statusEvent;
  std::atomic<uint32_t> m_httpStatus{0};
  Lock m_bindingLock;            // guards the two fields below
  IBinding* m_binding = nullptr;  // the running transfer's binding, one reference held
  bool m_abortRequested = false;
};

// Owns one reference to a DownloadStatusCallback.
class DownloadStatusCallbackRef {
 public:
  DownloadStatusCallbackRef() : m_callback(new DownloadStatusCallback()) {}
  ~DownloadStatusCallbackRef() { m_callback->Release(); }
  DownloadStatusCallbackRef(const DownloadStatusCallbackRef&) = delete;
  DownloadStatusCallbackRef& operator=(const DownloadStatusCallbackRef&) = delete;

  DownloadStatusCallback* operator->() const { return m_callback; }
  DownloadStatusCallback& operator*() const { return *m_callback; }

 private:
  DownloadStatusCallback* m_callback;
};
