#include "net/download_status_callback.h"

#include <cwchar>

#include "runtime/wide_string.h"

namespace {

// Asked of every request, so no proxy or cache on the way answers with an old copy.
constexpr wchar_t kNoCacheHeaders[] = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";

bool IsHttpError(uint32_t status) {
  return status >= 400;
}

}  // namespace

DownloadStatusCallback::DownloadStatusCallback() = default;

DownloadStatusCallback::~DownloadStatusCallback() {
  if (m_binding) m_binding->Release();
}

bool DownloadStatusCallback::Assign(const CVolObject& source) {
  if (!source.IsKindOf(ClassInfo())) return false;
  if (&source == this) return true;
  OnChange();
  m_flags = source.Flags();
  m_value = source.ValueWord();
  return true;
}

bool DownloadStatusCallback::IsEqual(const CVolObject& other) const {
  return IsSameClass(ClassInfo(), other.GetClassRecord()) && HeaderEquals(other);
}

void DownloadStatusCallback::Release() {
  if (m_references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

void DownloadStatusCallback::BeginTransfer() {
  m_httpStatus = 0;
  LockGuard guard(m_bindingLock);
  m_abortRequested = false;
}

void DownloadStatusCallback::Abort() {
  IBinding* binding;
  {
    LockGuard guard(m_bindingLock);
    m_abortRequested = true;
    binding = m_binding;
    if (binding) binding->AddRef();
  }
  // Outside the lock: the platform may report the stop from inside Abort.
  if (binding) {
    binding->Abort();
    binding->Release();
  }
}

HRESULT DownloadStatusCallback::OnStartBinding(IBinding* binding) {
  LockGuard guard(m_bindingLock);
  if (m_abortRequested) return E_ABORT;
  if (m_binding) m_binding->Release();
  m_binding = binding;
  if (m_binding) m_binding->AddRef();
  return S_OK;
}

void DownloadStatusCallback::OnStopBinding() {
  IBinding* binding;
  {
    LockGuard guard(m_bindingLock);
    binding = m_binding;
    m_binding = nullptr;
  }
  if (binding) binding->Release();
}

HRESULT DownloadStatusCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                           const wchar_t* statusText) {
  if (IsHttpError(m_httpStatus)) return E_ABORT;
  {
    LockGuard guard(m_bindingLock);
    if (m_abortRequested) return E_ABORT;
  }
  if (progress == 0) return S_OK;
  const CWString text(statusText);
  m_statusEvent.Fire<int32_t, uint64_t, uint64_t, uint64_t, const CWString&>(this, 0, progress, progressMax,
                                                                              statusCode, text);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DownloadStatusCallback::ComInterface::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IBindStatusCallback) {
    *object = static_cast<IBindStatusCallback*>(this);
  } else if (iid == IID_IHttpNegotiate) {
    *object = static_cast<IHttpNegotiate*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  m_owner.AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE DownloadStatusCallback::ComInterface::AddRef() {
  m_owner.AddRef();
  return static_cast<ULONG>(m_owner.ReferenceCount());
}

ULONG STDMETHODCALLTYPE DownloadStatusCallback::ComInterface::Release() {
  // Read before releasing: the last release destroys the owner and this interface with it.
  const ULONG remaining = static_cast<ULONG>(m_owner.ReferenceCount() - 1);
  m_owner.Release();
  return remaining;
}

HRESULT STDMETHODCALLTYPE DownloadStatusCallback::ComInterface::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                                                     LPWSTR* additionalHeaders) {
  if (!additionalHeaders) return S_OK;
  *additionalHeaders = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof kNoCacheHeaders));
  if (*additionalHeaders) std::wmemcpy(*additionalHeaders, kNoCacheHeaders, sizeof kNoCacheHeaders / sizeof(wchar_t));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DownloadStatusCallback::ComInterface::OnResponse(DWORD responseCode, LPCWSTR, LPCWSTR,
                                                                           LPWSTR* additionalHeaders) {
  if (additionalHeaders) *additionalHeaders = nullptr;
  m_owner.m_httpStatus = responseCode;
  return IsHttpError(responseCode) ? E_ABORT : S_OK;
}
