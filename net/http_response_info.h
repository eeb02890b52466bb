// HttpResponseInfo: what one HTTP request produced, filled by HttpClient::Request. A request only adds to
// the record (the body is resized or appended to, cookies appended, headers and status overwritten when a
// response arrives, the error text written only on failure), so callers use a fresh record per request.
#pragma once

#include <cstdint>

#include "runtime/byte_buffer.h"
#include "runtime/object.h"
#include "runtime/string_array.h"
#include "runtime/wide_string.h"

class HttpResponseInfo : public CVolObject {
  VOL_VALUE_CLASS(HttpResponseInfo, CVolObject, "HttpResponseInfo")
 public:
  HttpResponseInfo() { redirectUrls.SetGrowthStep(256); }
  bool operator==(const HttpResponseInfo& o) const;

  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

  CVolMem body;      // the response body as read
  CWString cookies;  // one line per Set-Cookie header (its cookies, see ParseSetCookie), CR LF ended
  CWString headers;  // the raw response headers, CR LF separated
  CMStringArray redirectUrls;  // the target of each redirect followed
  int32_t redirectCount = 0;
  int32_t statusCode = 0;  // of the final response
  CWString errorText;      // empty unless a step failed: the step's text and the system's error text
};
