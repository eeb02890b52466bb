#include "net/http_response_info.h"

#include <cwchar>

#include "net/value_fields.h"

namespace {

bool SameTexts(const CMStringArray& a, const CMStringArray& b) {
  if (a.GetCount() != b.GetCount()) return false;
  for (int64_t i = 0; i < a.GetCount(); ++i) {
    if (wcscmp(a.GetItemText(i), b.GetItemText(i)) != 0) return false;
  }
  return true;
}

}  // namespace

bool HttpResponseInfo::operator==(const HttpResponseInfo& o) const {
  return HeaderEquals(o) && body == o.body && cookies == o.cookies && headers == o.headers &&
         SameTexts(redirectUrls, o.redirectUrls) && redirectCount == o.redirectCount &&
         statusCode == o.statusCode && errorText == o.errorText;
}

void HttpResponseInfo::Load(SerialStream& stream) {
  body.Load(stream);
  LoadFields(stream, cookies, headers);
  if (stream.Good()) redirectUrls.Load(stream);
  LoadFields(stream, redirectCount, statusCode, errorText);
}

void HttpResponseInfo::Save(SerialStream& stream) const {
  body.Save(stream);
  SaveFields(stream, cookies, headers);
  if (stream.Good()) redirectUrls.Save(stream);
  SaveFields(stream, redirectCount, statusCode, errorText);
}
