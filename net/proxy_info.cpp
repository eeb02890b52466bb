#include "net/proxy_info.h"

#include "net/value_fields.h"

void ProxyInfo::ToText(CWString& out, int) const {
  WriteLabelDump(out, L"<网络代理信息类_> 总共 3 个成员:\r\n",
                 {L"1.访问类型: ", L"2.代理服务器: ", L"3.代理跳过列表: "});
}

void ProxyInfo::Load(SerialStream& stream) {
  LoadFields(stream, accessType, proxyServer, proxyBypass);
}

void ProxyInfo::Save(SerialStream& stream) const {
  SaveFields(stream, accessType, proxyServer, proxyBypass);
}
