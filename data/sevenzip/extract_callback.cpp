#include "data/sevenzip/extract_callback.h"

#include "data/sevenzip/archive_error.h"
#include "data/sevenzip/folder_tree.h"

namespace sevenzip {

ExtractCallback::ExtractCallback(std::wstring root, std::vector<ItemTarget> items,
                                 const ExtractCallbacks& callbacks, std::wstring password)
    : m_root(std::move(root)),
      m_items(std::move(items)),
      m_callbacks(callbacks),
      m_password(std::move(password)) {
  m_knownFolders.insert(m_root);
}

HRESULT ExtractCallback::SetTotal(uint64_t total) {
  if (m_callbacks.total) m_callbacks.total(total);
  return S_OK;
}

HRESULT ExtractCallback::SetCompleted(const uint64_t* completed) {
  if (completed && m_callbacks.progress && !m_callbacks.progress(*completed)) {
    return Fail("The extraction was cancelled");
  }
  return S_OK;
}

HRESULT ExtractCallback::GetStream(uint32_t index, ISequentialOutStream** stream, int32_t askMode) {
  *stream = nullptr;
  if (index >= m_items.size()) return E_INVALIDARG;
  m_currentIndex = index;
  if (askMode != kAskExtract) return S_OK;

  const ItemTarget& item = CurrentItem();
  if (m_callbacks.file) m_callbacks.file(item.relative);
  const std::wstring path = item.relative.empty() ? m_root : m_root + L"\\" + item.relative;
  if (item.isFolder) {
    if (const DWORD error = EnsureFolder(path)) {
      return Fail("Cannot create the folder " + Quoted(item.relative) + ": " + SystemErrorText(error));
    }
    return S_OK;
  }
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  if (const DWORD error = EnsureFolder(folder)) {
    return Fail("Cannot create the folder for " + Quoted(item.relative) + ": " + SystemErrorText(error));
  }
  DWORD error = 0;
  m_current = FileOutStream::Create(path, error);
  if (!m_current) {
    return Fail("Cannot create the output file " + Quoted(item.relative) + ": " + SystemErrorText(error));
  }
  *stream = m_current.AddRefForCaller();
  return S_OK;
}

HRESULT ExtractCallback::PrepareOperation(int32_t) {
  return S_OK;
}

HRESULT ExtractCallback::SetOperationResult(int32_t result) {
  ComPtr<FileOutStream> stream = std::move(m_current);
  if (result != kResultOk) {
    if (stream) stream->Discard();
    return Fail(DescribeResult(result));
  }
  if (!stream) return S_OK;
  const ItemTarget& item = CurrentItem();
  DWORD error = stream->WriteError();
  if (!error) error = stream->Finish(item.hasModified ? &item.modified : nullptr, item.attributes);
  if (error) {
    stream->Discard();
    return Fail("Cannot write the output file " + Quoted(item.relative) + ": " + SystemErrorText(error));
  }
  return S_OK;
}

HRESULT ExtractCallback::SetRatioInfo(const uint64_t* inSize, const uint64_t* outSize) {
  if (inSize && outSize && m_callbacks.ratio) m_callbacks.ratio(*inSize, *outSize);
  return S_OK;
}

HRESULT ExtractCallback::CryptoGetTextPassword(BSTR* password) {
  *password = nullptr;
  if (m_password.empty()) {
    return Fail("The item " + Quoted(CurrentItem().relative) + " is encrypted and no password was given");
  }
  *password = SysAllocString(m_password.c_str());
  return *password ? S_OK : E_OUTOFMEMORY;
}

void ExtractCallback::Complete(HRESULT result) {
  if (ComPtr<FileOutStream> stream = std::move(m_current)) {
    // The library stopped inside an item: a write failure explains it; the partial file goes.
    if (const DWORD error = stream->WriteError()) {
      Fail("Cannot write the output file " + Quoted(CurrentItem().relative) + ": " + SystemErrorText(error));
    }
    stream->Discard();
  }
  if (m_failure.empty() && FAILED(result)) Fail("The extraction failed: " + ResultText(result));
  if (!m_failure.empty()) throw ArchiveError(m_failure);
}

HRESULT ExtractCallback::Fail(const std::string& description) {
  if (m_failure.empty()) m_failure = description;
  return E_ABORT;
}

DWORD ExtractCallback::EnsureFolder(const std::wstring& path) {
  if (m_knownFolders.count(path)) return 0;
  const DWORD error = CreateFolderTree(path);
  if (!error) m_knownFolders.insert(path);
  return error;
}

std::string ExtractCallback::DescribeResult(int32_t result) const {
  const std::string item = Quoted(CurrentItem().relative);
  const bool encrypted = CurrentItem().encrypted;
  switch (result) {
    case kResultUnsupportedMethod:
      return "Unsupported compression method in " + item;
    case kResultDataError:
      return encrypted ? "Wrong password for " + item + " (data error)"
                       : "Data error in " + item + ": the archive is damaged";
    case kResultCrcError:
      return encrypted ? "Wrong password for " + item + " (CRC error)"
                       : "CRC error in " + item + ": the archive is damaged";
    case kResultUnavailable:
      return "The data of " + item + " is unavailable: a volume of the archive is missing";
    case kResultUnexpectedEnd:
      return "Unexpected end of data in " + item + ": the archive is truncated or a volume is missing";
    case kResultDataAfterEnd:
      return "There is unexpected data after the end of " + item;
    case kResultIsNotArchive:
      return "The data of " + item + " is not an archive";
    case kResultHeadersError:
      return "Headers error in " + item + ": the archive is damaged";
    case kResultWrongPassword:
      return "Wrong password for " + item;
    default:
      return "Extracting " + item + " failed (result " + std::to_string(result) + ")";
  }
}

}  // namespace sevenzip
