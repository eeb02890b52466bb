#include "runtime/listing_dump.h"

#include "runtime/wide_string.h"

int64_t StartListingDump(CWString& text, int64_t total, int limit, int64_t defaultLimit, const wchar_t* allFormat,
                         const wchar_t* partFormat) {
  int64_t shown = limit < 0 ? total : (limit == 0 ? defaultLimit : limit);
  if (shown > total) shown = total;
  if (shown == total) {
    text.Format(allFormat, static_cast<int>(total));
  } else {
    text.Format(partFormat, static_cast<int>(total), static_cast<int>(shown), static_cast<int>(total - shown));
  }
  return shown;
}
