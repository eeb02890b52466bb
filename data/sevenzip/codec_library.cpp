#include "data/sevenzip/codec_library.h"

#include <cstring>
#include <utility>

#include "data/sevenzip/archive_error.h"

namespace sevenzip {

const ArchiveFormat kZipFormat = {
    "zip", {0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x01, 0x00, 0x00}}};

namespace {

template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The class identifiers of every format handler in the library.
std::vector<GUID> ReadFormatClasses(GetNumberOfFormatsFunction getCount,
                                    GetHandlerProperty2Function getProperty) {
  std::vector<GUID> classes;
  uint32_t count = 0;
  if (FAILED(getCount(&count))) return classes;
  for (uint32_t i = 0; i < count; ++i) {
    PROPVARIANT value;
    PropVariantInit(&value);
    if (SUCCEEDED(getProperty(i, kHandlerClassId, &value)) && value.vt == VT_BSTR &&
        SysStringByteLen(value.bstrVal) == sizeof(GUID)) {
      GUID classId;
      std::memcpy(&classId, value.bstrVal, sizeof classId);
      classes.push_back(classId);
    }
    PropVariantClear(&value);
  }
  return classes;
}

}  // namespace

CodecLibrary::CodecLibrary(const std::wstring& fileName) {
  // A bare name is looked for beside the executable and among the system's libraries only: the current
  // folder and PATH are no places to load code from in an installer running as administrator.
  const bool bareName = fileName.find_first_of(L"\\/:") == std::wstring::npos;
  ScopedModule module(bareName
                         ? LoadLibraryExW(fileName.c_str(), nullptr,
                                          LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)
                         : LoadLibraryW(fileName.c_str()));
  if (!module) {
    throw ArchiveError("Cannot load the codec library " + Quoted(fileName) + ": " +
                       SystemErrorText(GetLastError()));
  }
  m_createObject = Export<CreateObjectFunction>(module.Get(), "CreateObject");
  m_setLargePageMode = Export<SetLargePageModeFunction>(module.Get(), "SetLargePageMode");
  auto getCount = Export<GetNumberOfFormatsFunction>(module.Get(), "GetNumberOfFormats");
  auto getProperty = Export<GetHandlerProperty2Function>(module.Get(), "GetHandlerProperty2");
  if (!m_createObject || !m_setLargePageMode || !getCount || !getProperty) {
    throw ArchiveError(Quoted(fileName) + " is not the 7-Zip codec library (its functions are missing)");
  }
  m_formatClasses = ReadFormatClasses(getCount, getProperty);
  m_module = std::move(module);
}

void CodecLibrary::SetLargePageMode() const {
  const HRESULT result = m_setLargePageMode();
  if (FAILED(result)) throw ArchiveError("The codec library refused large-page mode: " + ResultText(result));
}

bool CodecLibrary::Supports(const ArchiveFormat& format) const {
  for (const GUID& classId : m_formatClasses) {
    if (IsEqualGUID(classId, format.classId)) return true;
  }
  return false;
}

ComPtr<IInArchive> CodecLibrary::CreateInArchive(const ArchiveFormat& format) const {
  if (!Supports(format)) {
    throw ArchiveError(std::string("The codec library has no handler for the ") + format.name + " format");
  }
  ComPtr<IInArchive> archive;
  const HRESULT result =
      m_createObject(&format.classId, &IInArchive::kIid, reinterpret_cast<void**>(archive.Receive()));
  if (FAILED(result) || !archive) {
    throw ArchiveError(std::string("The codec library cannot create a ") + format.name +
                       " reader: " + ResultText(result));
  }
  return archive;
}

}  // namespace sevenzip
