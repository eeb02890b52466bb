// The codec library's COM-style interfaces, declared from their documented layout: every interface derives
// from IUnknown, methods return HRESULT and appear here in vtable order. Interface identifiers follow the
// library's scheme {23170F69-40C1-278A-0000-00gg00nn0000} (gg = group, nn = interface within the group).
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <cstdint>

namespace sevenzip {

constexpr GUID MakeInterfaceId(uint8_t group, uint8_t number) {
  return GUID{0x23170F69, 0x40C1, 0x278A, {0x00, 0x00, 0x00, group, 0x00, number, 0x00, 0x00}};
}

// Each interface names its identifier and the interface it extends (IUnknown for first-level ones).
struct IProgress : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIid = MakeInterfaceId(0x00, 0x05);
  virtual HRESULT STDMETHODCALLTYPE SetTotal(uint64_t total) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCompleted(const uint64_t* completed) = 0;
};

struct ISequentialInStream : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIid = MakeInterfaceId(0x03, 0x01);
  // Reads up to `size` bytes; fewer only at the end of the stream.
  virtual HRESULT STDMETHODCALLTYPE Read(void* data, uint32_t size, uint32_t* processed) = 0;
};

struct ISequentialOutStream : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIid = MakeInterfaceId(0x03, 0x02);
  virtual HRESULT STDMETHODCALLTYPE Write(const void* data, uint32_t size, uint32_t* processed) = 0;
};

struct IInStream : ISequentialInStream {
  using Parent = ISequentialInStream;
  static constexpr GUID kIid = MakeInterfaceId(0x03, 0x03);
  // origin: STREAM_SEEK_SET, STREAM_SEEK_CUR or STREAM_SEEK_END.
  virtual HRESULT STDMETHODCALLTYPE Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) = 0;
};

struct IStreamGetSize : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIid = MakeInterfaceId(0x03, 0x06);
  virtual HRESULT STDMETHODCALLTYPE GetSize(uint64_t* size) = 0;
};

// Asked of the extraction callback: packed and unpacked byte counts so far.
struct ICompressProgressInfo : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIid = MakeInterfaceId(0x04, 0x04);
  virtual HRESULT STDMETHODCALLTYPE SetRatioInfo(const uint64_t* inSize, const uint64_t* outSize) = 0;
};

struct ICryptoGetTextPassword : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIid = MakeInterfaceId(0x05, 0x10);
  // The password as a BSTR the library frees.
  virtual HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* password) = 0;
};

struct IArchiveOpenCallback : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIid = MakeInterfaceId(0x06, 0x10);
  virtual HRESULT STDMETHODCALLTYPE SetTotal(const uint64_t* files, const uint64_t* bytes) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCompleted(const uint64_t* files, const uint64_t* bytes) = 0;
};

struct IArchiveExtractCallback : IProgress {
  using Parent = IProgress;
  static constexpr GUID kIid = MakeInterfaceId(0x06, 0x20);
  // The stream for item `index`, or null to skip its data; askMode is one of ExtractAskMode.
  virtual HRESULT STDMETHODCALLTYPE GetStream(uint32_t index, ISequentialOutStream** stream,
                                              int32_t askMode) = 0;
  virtual HRESULT STDMETHODCALLTYPE PrepareOperation(int32_t askMode) = 0;
  // result is one of OperationResult.
  virtual HRESULT STDMETHODCALLTYPE SetOperationResult(int32_t result) = 0;
};

// Asked of the open callback when an archive spans several files: the first file's properties and the
// other volumes, requested by file name.
struct IArchiveOpenVolumeCallback : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIid = MakeInterfaceId(0x06, 0x30);
  virtual HRESULT STDMETHODCALLTYPE GetProperty(PROPID property, PROPVARIANT* value) = 0;
  // S_FALSE and a null stream when the volume does not exist.
  virtual HRESULT STDMETHODCALLTYPE GetStream(const wchar_t* name, IInStream** stream) = 0;
};

struct IInArchive : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIid = MakeInterfaceId(0x06, 0x60);
  // S_FALSE when the stream is not an archive of the handler's format.
  virtual HRESULT STDMETHODCALLTYPE Open(IInStream* stream, const uint64_t* maxCheckStartPosition,
                                         IArchiveOpenCallback* callback) = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNumberOfItems(uint32_t* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetProperty(uint32_t index, PROPID property, PROPVARIANT* value) = 0;
  // indices null and count 0xFFFFFFFF: every item.
  virtual HRESULT STDMETHODCALLTYPE Extract(const uint32_t* indices, uint32_t count, int32_t testMode,
                                            IArchiveExtractCallback* callback) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetArchiveProperty(PROPID property, PROPVARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNumberOfProperties(uint32_t* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPropertyInfo(uint32_t index, BSTR* name, PROPID* property,
                                                    VARTYPE* type) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNumberOfArchiveProperties(uint32_t* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetArchivePropertyInfo(uint32_t index, BSTR* name, PROPID* property,
                                                           VARTYPE* type) = 0;
};

// Item and archive property identifiers used here.
enum ItemProperty : PROPID {
  kpidPath = 3,        // VT_BSTR, folders separated by backslashes
  kpidName = 4,        // VT_BSTR (asked of the volume callback: the first volume's file name)
  kpidIsDir = 6,       // VT_BOOL
  kpidSize = 7,        // VT_UI8
  kpidAttrib = 9,      // VT_UI4, Windows attributes in the low 16 bits
  kpidMTime = 12,      // VT_FILETIME
  kpidEncrypted = 15,  // VT_BOOL
  kpidErrorFlags = 71,
};

// Archive error flags (kpidErrorFlags) that make an opened archive incomplete.
enum ArchiveErrorFlag : uint32_t {
  kArchiveHeadersError = 1u << 1,
  kArchiveUnavailableStart = 1u << 3,
  kArchiveUnexpectedEnd = 1u << 5,
};

// Properties of the library's format handlers (GetHandlerProperty2).
enum HandlerProperty : PROPID {
  kHandlerName = 0,     // VT_BSTR, e.g. "zip"
  kHandlerClassId = 1,  // VT_BSTR holding the 16 bytes of the class identifier
};

enum ExtractAskMode : int32_t {
  kAskExtract = 0,
  kAskTest = 1,
  kAskSkip = 2,
};

enum OperationResult : int32_t {
  kResultOk = 0,
  kResultUnsupportedMethod = 1,
  kResultDataError = 2,
  kResultCrcError = 3,
  kResultUnavailable = 4,
  kResultUnexpectedEnd = 5,
  kResultDataAfterEnd = 6,
  kResultIsNotArchive = 7,
  kResultHeadersError = 8,
  kResultWrongPassword = 9,
};

// The library's exported functions.
using CreateObjectFunction = HRESULT(WINAPI*)(const GUID* classId, const GUID* interfaceId, void** object);
using GetNumberOfFormatsFunction = HRESULT(WINAPI*)(uint32_t* count);
using GetHandlerProperty2Function = HRESULT(WINAPI*)(uint32_t format, PROPID property, PROPVARIANT* value);
using SetLargePageModeFunction = HRESULT(WINAPI*)();

}  // namespace sevenzip
