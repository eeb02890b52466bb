// Operations on WinHTTP connection and request handles used by the HTTP client: opening a request,
// adding headers (a header of the same name already present is replaced) and reading response headers.
#pragma once

#include <cstdint>

#include "net/winhttp_handle.h"
#include "runtime/string_array.h"
#include "runtime/wide_string.h"

// WinHttpOpenRequest. An empty version or referrer is passed as null (the platform's defaults); an empty
// accept-type list as null, otherwise as a null-terminated list (an empty entry stays the empty text).
// The result is empty when the platform refused.
WinHttpHandle OpenRequest(WinHttpRawHandle connection, const CWString& verb, const CWString& objectName,
                          const CWString& version, const CWString& referrer, const CMStringArray& acceptTypes,
                          uint32_t flags);

// Adds one or more CR LF separated header lines, replacing headers of the same name.
bool AddHeader(WinHttpRawHandle request, const CWString& text);

// Adds the entries as one block of header lines (joined with CR LF, trailing white space trimmed).
bool AddHeaderLines(WinHttpRawHandle request, const CMStringArray& lines);

// Reads the header `infoLevel` at `index` into `out` (cleared first). On success the index moves to the
// next occurrence. False when the header is absent; when a later occurrence (index not 0) was asked for
// and there is none, the index becomes -1.
bool QueryHeaderText(WinHttpRawHandle request, CWString& out, uint32_t infoLevel, int32_t& index);

// Reads the header `infoLevel` at `index` as a number; 0 when absent or not a number (the index then
// becomes -1 under the same condition as for QueryHeaderText).
int32_t QueryHeaderNumber(WinHttpRawHandle request, uint32_t infoLevel, int32_t& index);
