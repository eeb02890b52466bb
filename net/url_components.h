// UrlComponents: a URL split into its parts by the platform's URL cracker, and ParseUrl, which fills it.
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/wide_string.h"

class UrlComponents : public CVolObject {
  VOL_VALUE_CLASS(UrlComponents, CVolObject, "UrlComponents")
 public:
  bool operator==(const UrlComponents& o) const;

  // Replaces `out` with the class header and the field labels, one per line, without the values.
  void ToText(CWString& out, int limit = 0) const override;
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

  CWString scheme;         // "http"
  int32_t schemeType = 0;  // 1 http, 2 https (the platform's scheme numbers)
  CWString host;
  int32_t port = 0;  // the explicit port, else the scheme's default
  CWString userName;
  CWString password;
  CWString urlPath;    // from the slash after the host up to the query
  CWString extraInfo;  // query and fragment, with their leading '?' or '#'
};

// Flags for ParseUrl (the platform's values).
constexpr uint32_t kUrlEscape = 0x80000000;              // ICU_ESCAPE
constexpr uint32_t kUrlDecode = 0x10000000;              // ICU_DECODE
constexpr uint32_t kUrlRejectUserPassword = 0x00004000;  // ICU_REJECT_USERPWD

// Splits `url`. The components are reset first and filled only on success; on failure the reason is the
// thread's last error. With exactly kUrlEscape or kUrlDecode the parts are converted into buffers of fixed
// size (scheme 10, host 256, path and extra info 2048, user name and password 256 units), and a longer part
// makes the parse fail.
bool ParseUrl(const CWString& url, UrlComponents& components, uint32_t flags);
