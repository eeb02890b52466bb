// ProxyInfo: a proxy description in the form WinHTTP takes it (access type, proxy list, bypass list).
#pragma once

#include <cstdint>

#include "runtime/object.h"
#include "runtime/wide_string.h"

class ProxyInfo : public CVolObject {
  VOL_VALUE_CLASS(ProxyInfo, CVolObject, "ProxyInfo")
 public:
  static constexpr int32_t kNamedProxy = 3;  // WINHTTP_ACCESS_TYPE_NAMED_PROXY

  ProxyInfo() : proxyBypass(L"<local>") {}
  bool operator==(const ProxyInfo& o) const {
    return HeaderEquals(o) && accessType == o.accessType && proxyServer == o.proxyServer &&
           proxyBypass == o.proxyBypass;
  }

  // Replaces `out` with the class header and the field labels, one per line, without the values.
  void ToText(CWString& out, int limit = 0) const override;
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

  int32_t accessType = 0;
  CWString proxyServer;
  CWString proxyBypass;  // "<local>": every host name without a dot is reached directly
};
