// The shared start of the listing dumps (byte buffers, object arrays): how many items a limit shows, and
// the header that says so.
#pragma once

#include <cstdint>

class CWString;

// Items shown for `limit` (negative = all, 0 = `defaultLimit`, otherwise that many, never more than
// `total`). Writes the header into `text`: `allFormat` with the total when everything is shown, otherwise
// `partFormat` with the total, the shown and the left-out counts.
int64_t StartListingDump(CWString& text, int64_t total, int limit, int64_t defaultLimit, const wchar_t* allFormat,
                         const wchar_t* partFormat);
