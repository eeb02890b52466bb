#include "net/set_cookie.h"

#include <cwchar>

#include "runtime/string_array.h"
#include "runtime/text_utilities.h"

namespace {

constexpr const wchar_t* kAttributeNames[] = {L"Domain",  L"Path",     L"Expires",
                                              L"Max-Age", L"SameSite", L"Priority"};

bool IsAttribute(const wchar_t* piece) {
  for (const wchar_t* name : kAttributeNames) {
    if (_wcsnicmp(piece, name, wcslen(name)) == 0) return true;
  }
  return false;
}

}  // namespace

CWString ParseSetCookie(const CWString& value) {
  CWString rest(value);
  if (rest.StartsWithNoCase(L"Set-Cookie:")) rest = rest.Right(rest.GetLength() - 11);
  CMStringArray pieces;
  SplitText(rest.GetText(), L";", true, pieces);
  CWString result;
  // A result never outgrows its source, so it reallocates rarely.
  result.MakeWritable().SetGrowthStep(2 * rest.GetLength());
  for (int64_t i = 0; i < pieces.GetCount(); ++i) {
    const wchar_t* piece = pieces.GetItemText(i);
    if (!wcschr(piece, L'=') || IsAttribute(piece)) continue;
    if (!result.IsEmpty()) result.AddText(L"; ");
    result.AddText(piece);
  }
  return result;
}
