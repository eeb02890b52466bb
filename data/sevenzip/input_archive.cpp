#include "data/sevenzip/input_archive.h"

#include "data/sevenzip/archive_error.h"
#include "data/sevenzip/folder_tree.h"
#include "data/sevenzip/item_path.h"
#include "data/sevenzip/open_callback.h"
#include "data/sevenzip/streams.h"

namespace sevenzip {

namespace {

// How far into the file the library looks for the archive's start (self-extracting stubs).
constexpr uint64_t kMaxArchiveStart = uint64_t{1} << 23;

class PropertyValue {
 public:
  PropertyValue() { PropVariantInit(&m_value); }
  ~PropertyValue() { PropVariantClear(&m_value); }
  PropertyValue(const PropertyValue&) = delete;
  PropertyValue& operator=(const PropertyValue&) = delete;

  PROPVARIANT* Receive() {
    PropVariantClear(&m_value);
    return &m_value;
  }
  const PROPVARIANT& operator*() const { return m_value; }
  const PROPVARIANT* operator->() const { return &m_value; }

 private:
  PROPVARIANT m_value;
};

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (!size) return {};
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  full.resize(length < size ? length : 0);
  return full;
}

// "C:\x" -> "\\?\C:\x", "\\server\share" -> "\\?\UNC\server\share": item paths are checked by us, so the
// system must take them literally, and deep product folders may pass MAX_PATH.
std::wstring LongPathForm(std::wstring full) {
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  if (full.size() == 3 && full[1] == L':') full.pop_back();
  if (full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0) return full;
  if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// "name.z01", "name.z02", ...: the other files of an archive spanning several files (the probe for a
// self-extracting "name.exe" is not one).
bool IsSpannedVolumeName(const std::wstring& name) {
  const size_t dot = name.find_last_of(L'.');
  if (dot == std::wstring::npos || dot + 3 > name.size() ||
      (name[dot + 1] != L'z' && name[dot + 1] != L'Z')) {
    return false;
  }
  for (size_t i = dot + 2; i < name.size(); ++i) {
    if (name[i] < L'0' || name[i] > L'9') return false;
  }
  return true;
}

std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

InputArchive::InputArchive(const CodecLibrary& library, const std::wstring& path, const ArchiveFormat& format,
                           const std::wstring& password)
    : m_archive(library.CreateInArchive(format)), m_password(password) {
  const std::wstring full = FullPath(path);
  DWORD error = ERROR_FILE_NOT_FOUND;
  ComPtr<FileInStream> stream = full.empty() ? nullptr : FileInStream::Open(full, error);
  if (!stream) throw ArchiveError("Cannot open the archive " + Quoted(path) + ": " + SystemErrorText(error));
  const size_t slash = full.find_last_of(L'\\');
  Open(stream, full.substr(0, slash), full.substr(slash + 1), Quoted(FileNameOf(path)));
}

InputArchive::InputArchive(const CodecLibrary& library, const uint8_t* data, size_t size,
                           const ArchiveFormat& format, const std::wstring& password)
    : m_archive(library.CreateInArchive(format)), m_password(password) {
  Open(MakeComObject<MemoryInStream>(data, size), L"", L"", "in memory");
}

InputArchive::~InputArchive() {
  if (m_archive) m_archive->Close();
}

void InputArchive::Open(ComPtr<IInStream> stream, const std::wstring& folder, const std::wstring& fileName,
                        const std::string& displayName) {
  m_displayName = displayName;
  ComPtr<OpenCallback> callback = MakeComObject<OpenCallback>(folder, fileName, m_password);
  const HRESULT result = m_archive->Open(stream.Get(), &kMaxArchiveStart, callback.Get());
  if (result == S_OK) {
    // The library asks for exactly the volumes the archive names; one that is absent leaves items unreadable.
    for (const std::wstring& name : callback->MissingNames()) {
      if (IsSpannedVolumeName(name)) {
        m_archive->Close();
        throw ArchiveError("The archive " + m_displayName + " is incomplete: its volume " + Quoted(name) +
                           " is missing");
      }
    }
    // Opened, but with headers it could not read or volumes it could not find: not the whole archive.
    PropertyValue flags;
    if (SUCCEEDED(m_archive->GetArchiveProperty(kpidErrorFlags, flags.Receive())) && flags->vt == VT_UI4 &&
        (flags->ulVal & (kArchiveHeadersError | kArchiveUnavailableStart | kArchiveUnexpectedEnd))) {
      m_archive->Close();
      throw ArchiveError("The archive " + m_displayName +
                         " is incomplete: it is truncated, damaged or one of its volumes is missing");
    }
    return;
  }
  m_archive->Close();
  if (callback->PasswordMissing()) {
    throw ArchiveError("The archive " + m_displayName + " is encrypted and no password was given");
  }
  if (result == S_FALSE) {
    throw ArchiveError("Cannot open the archive " + m_displayName +
                       ": it is not a zip archive, or it is damaged or incomplete");
  }
  throw ArchiveError("Cannot open the archive " + m_displayName + ": " + ResultText(result));
}

uint32_t InputArchive::ItemCount() const {
  uint32_t count = 0;
  if (FAILED(m_archive->GetNumberOfItems(&count))) return 0;
  return count;
}

std::vector<ItemTarget> InputArchive::PlanItems() const {
  const uint32_t count = ItemCount();
  std::vector<ItemTarget> items(count);
  for (uint32_t i = 0; i < count; ++i) {
    ItemTarget& item = items[i];
    PropertyValue value;
    std::wstring path;
    if (SUCCEEDED(m_archive->GetProperty(i, kpidPath, value.Receive())) && value->vt == VT_BSTR) {
      path = value->bstrVal;
    }
    for (auto& c : path) c = c == kStoredBackslash ? L'\\' : c;
    if (SUCCEEDED(m_archive->GetProperty(i, kpidIsDir, value.Receive())) && value->vt == VT_BOOL) {
      item.isFolder = value->boolVal != VARIANT_FALSE;
    }
    const ItemPathProblem problem = ResolveItemPath(path, item.relative);
    if (problem != ItemPathProblem::kNone || (!item.isFolder && item.relative.empty())) {
      throw ArchiveError("Refused to extract the item " + Quoted(path) + ": its path " +
                         DescribeItemPathProblem(
                             problem == ItemPathProblem::kNone ? ItemPathProblem::kInvalidName : problem));
    }
    if (SUCCEEDED(m_archive->GetProperty(i, kpidEncrypted, value.Receive())) && value->vt == VT_BOOL) {
      item.encrypted = value->boolVal != VARIANT_FALSE;
    }
    if (SUCCEEDED(m_archive->GetProperty(i, kpidMTime, value.Receive())) && value->vt == VT_FILETIME) {
      item.hasModified = true;
      item.modified = value->filetime;
    }
    if (SUCCEEDED(m_archive->GetProperty(i, kpidAttrib, value.Receive())) && value->vt == VT_UI4) {
      item.attributes = value->ulVal;
    }
  }
  return items;
}

void InputArchive::ExtractTo(const std::wstring& folder) {
  const std::wstring full = folder.empty() ? std::wstring() : FullPath(folder);
  if (full.empty())
    throw ArchiveError("Cannot extract into the folder " + Quoted(folder) + ": not a valid path");
  // Every item is checked before the first one is written.
  std::vector<ItemTarget> items = PlanItems();
  const std::wstring root = LongPathForm(full);
  if (const DWORD error = CreateFolderTree(root)) {
    throw ArchiveError("Cannot create the folder " + Quoted(folder) + ": " + SystemErrorText(error));
  }
  ComPtr<ExtractCallback> callback =
      MakeComObject<ExtractCallback>(root, std::move(items), m_callbacks, m_password);
  const HRESULT result = m_archive->Extract(nullptr, 0xFFFFFFFF, 0, callback.Get());
  callback->Complete(result);
}

}  // namespace sevenzip
