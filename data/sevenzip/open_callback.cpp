#include "data/sevenzip/open_callback.h"

#include "data/sevenzip/streams.h"

namespace sevenzip {

OpenCallback::OpenCallback(std::wstring folder, std::wstring fileName, std::wstring password)
    : m_folder(std::move(folder)), m_fileName(std::move(fileName)), m_password(std::move(password)) {}

HRESULT OpenCallback::SetTotal(const uint64_t*, const uint64_t*) {
  return S_OK;
}

HRESULT OpenCallback::SetCompleted(const uint64_t*, const uint64_t*) {
  return S_OK;
}

HRESULT OpenCallback::GetProperty(PROPID property, PROPVARIANT* value) {
  PropVariantInit(value);
  if (property == kpidName && !m_fileName.empty()) {
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(m_fileName.c_str());
    if (!value->bstrVal) {
      value->vt = VT_EMPTY;
      return E_OUTOFMEMORY;
    }
  }
  return S_OK;
}

HRESULT OpenCallback::GetStream(const wchar_t* name, IInStream** stream) {
  *stream = nullptr;
  if (m_folder.empty() || !name || !*name) return S_FALSE;
  // Volumes are siblings of the first file: a name that reaches elsewhere is not one of them.
  for (const wchar_t* p = name; *p; ++p) {
    if (*p == L'\\' || *p == L'/' || *p == L':') return S_FALSE;
  }
  DWORD error = 0;
  ComPtr<FileInStream> volume = FileInStream::Open(m_folder + L"\\" + name, error);
  if (!volume) {
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return HRESULT_FROM_WIN32(error);
    m_missingNames.push_back(name);
    return S_FALSE;
  }
  *stream = volume.AddRefForCaller();
  return S_OK;
}

HRESULT OpenCallback::CryptoGetTextPassword(BSTR* password) {
  *password = nullptr;
  if (m_password.empty()) {
    m_passwordMissing = true;
    return E_ABORT;
  }
  *password = SysAllocString(m_password.c_str());
  return *password ? S_OK : E_OUTOFMEMORY;
}

}  // namespace sevenzip
