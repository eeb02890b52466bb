#include "net/winhttp_request.h"

#include <windows.h>
#include <winhttp.h>

#include <vector>

namespace {

constexpr DWORD kReplaceFlags = WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE;

const wchar_t* NullWhenEmpty(const CWString& text) {
  return text.IsEmpty() ? nullptr : text.GetText();
}

// A missing later occurrence ends an index walk.
void EndWalkIfPastLast(int32_t& index) {
  if (index != 0 && GetLastError() == ERROR_WINHTTP_HEADER_NOT_FOUND) index = -1;
}

}  // namespace

WinHttpHandle OpenRequest(WinHttpRawHandle connection, const CWString& verb, const CWString& objectName,
                          const CWString& version, const CWString& referrer, const CMStringArray& acceptTypes,
                          uint32_t flags) {
  std::vector<const wchar_t*> types;
  for (int64_t i = 0; i < acceptTypes.GetCount(); ++i) types.push_back(acceptTypes.GetItemText(i));
  types.push_back(nullptr);
  return WinHttpHandle(WinHttpOpenRequest(
      connection, verb.GetText(), objectName.GetText(), NullWhenEmpty(version), NullWhenEmpty(referrer),
      acceptTypes.GetCount() ? types.data() : WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
}

bool AddHeader(WinHttpRawHandle request, const CWString& text) {
  return WinHttpAddRequestHeaders(request, text.GetText(), static_cast<DWORD>(text.GetLength()),
                                  kReplaceFlags);
}

bool AddHeaderLines(WinHttpRawHandle request, const CMStringArray& lines) {
  CWString block;
  for (int64_t i = 0; i < lines.GetCount(); ++i) {
    block.AddText(lines.GetItemText(i));
    block.AddText(L"\r\n");
  }
  int64_t length = block.GetLength();
  while (length > 0 && block.GetText()[length - 1] <= 0x20) --length;
  block = block.Left(length);
  return AddHeader(request, block);
}

bool QueryHeaderText(WinHttpRawHandle request, CWString& out, uint32_t infoLevel, int32_t& index) {
  out.Clear();
  DWORD bytes = 0;
  DWORD position = static_cast<DWORD>(index);
  WinHttpQueryHeaders(request, infoLevel, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                      &position);
  if (bytes == 0) {
    EndWalkIfPastLast(index);
    return false;
  }
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
  position = static_cast<DWORD>(index);
  if (!WinHttpQueryHeaders(request, infoLevel, WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &bytes,
                           &position)) {
    return false;
  }
  index = static_cast<int32_t>(position);
  out.SetText(buffer.data(), bytes / sizeof(wchar_t));
  return true;
}

int32_t QueryHeaderNumber(WinHttpRawHandle request, uint32_t infoLevel, int32_t& index) {
  DWORD value = 0;
  DWORD bytes = sizeof value;
  DWORD position = static_cast<DWORD>(index);
  if (!WinHttpQueryHeaders(request, infoLevel | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                           &value, &bytes, &position)) {
    EndWalkIfPastLast(index);
    return 0;
  }
  index = static_cast<int32_t>(position);
  return static_cast<int32_t>(value);
}
