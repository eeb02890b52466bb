#include "net/url_components.h"

#include <windows.h>
#include <winhttp.h>

#include <cwchar>
#include <vector>

#include "net/value_fields.h"

namespace {

constexpr DWORD kSchemeUnits = 10;
constexpr DWORD kHostUnits = 256;
constexpr DWORD kPathUnits = 2048;
constexpr DWORD kExtraUnits = 2048;
constexpr DWORD kUserUnits = 256;
constexpr DWORD kPasswordUnits = 256;

void CopyPart(CWString& field, const wchar_t* text, DWORD length) {
  if (length != 0) field.SetText(text, length);
}

// Some URL crackers split the extra information only at "?", leaving a "#fragment" in the path: the
// path ends at the first "?" or "#", and what follows belongs in front of the extra information.
void MoveExtraInfoOutOfPath(UrlComponents& components) {
  const wchar_t* path = components.urlPath.GetText();
  const size_t split = std::wcscspn(path, L"?#");
  if (path[split] == 0) return;
  CWString extra = CWString::Concat(components.urlPath.Right(components.urlPath.GetLength() - static_cast<int64_t>(split)),
                                    components.extraInfo);
  components.urlPath = components.urlPath.Left(static_cast<int64_t>(split));
  components.extraInfo = extra;
}

}  // namespace

bool UrlComponents::operator==(const UrlComponents& o) const {
  return HeaderEquals(o) && scheme == o.scheme && schemeType == o.schemeType && host == o.host &&
         port == o.port && userName == o.userName && password == o.password && urlPath == o.urlPath &&
         extraInfo == o.extraInfo;
}

void UrlComponents::ToText(CWString& out, int) const {
  WriteLabelDump(out, L"<网络URL组件信息类_> 总共 8 个成员:\r\n",
                 {L"1.协议: ", L"2.协议类型: ", L"3.域名: ", L"4.端口: ", L"5.用户名: ", L"6.密码: ",
                  L"7.路径: ", L"8.附加信息: "});
}

void UrlComponents::Load(SerialStream& stream) {
  LoadFields(stream, scheme, schemeType, host, port, userName, password, urlPath, extraInfo);
}

void UrlComponents::Save(SerialStream& stream) const {
  SaveFields(stream, scheme, schemeType, host, port, userName, password, urlPath, extraInfo);
}

bool ParseUrl(const CWString& url, UrlComponents& components, uint32_t flags) {
  components.Reset();
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = kSchemeUnits;
  parts.dwHostNameLength = kHostUnits;
  parts.dwUrlPathLength = kPathUnits;
  parts.dwExtraInfoLength = kExtraUnits;
  if (flags != kUrlRejectUserPassword) {
    parts.dwUserNameLength = kUserUnits;
    parts.dwPasswordLength = kPasswordUnits;
  }
  // Escaping or decoding makes new text, which needs buffers of our own; otherwise the parts point into
  // the URL itself.
  std::vector<wchar_t> buffers;
  if (flags == kUrlDecode || flags == kUrlEscape) {
    buffers.resize(kSchemeUnits + kHostUnits + kPathUnits + kExtraUnits + kUserUnits + kPasswordUnits);
    wchar_t* next = buffers.data();
    auto take = [&next](DWORD units) {
      wchar_t* start = next;
      next += units;
      return units ? start : nullptr;
    };
    parts.lpszScheme = take(parts.dwSchemeLength);
    parts.lpszHostName = take(parts.dwHostNameLength);
    parts.lpszUrlPath = take(parts.dwUrlPathLength);
    parts.lpszExtraInfo = take(parts.dwExtraInfoLength);
    parts.lpszUserName = take(parts.dwUserNameLength);
    parts.lpszPassword = take(parts.dwPasswordLength);
  }
  if (!WinHttpCrackUrl(url.GetText(), static_cast<DWORD>(url.GetLength()), flags, &parts)) return false;
  components.Reset();
  CopyPart(components.scheme, parts.lpszScheme, parts.dwSchemeLength);
  components.schemeType = static_cast<int32_t>(parts.nScheme);
  CopyPart(components.host, parts.lpszHostName, parts.dwHostNameLength);
  components.port = static_cast<int32_t>(static_cast<uint16_t>(parts.nPort));
  CopyPart(components.userName, parts.lpszUserName, parts.dwUserNameLength);
  CopyPart(components.password, parts.lpszPassword, parts.dwPasswordLength);
  CopyPart(components.urlPath, parts.lpszUrlPath, parts.dwUrlPathLength);
  CopyPart(components.extraInfo, parts.lpszExtraInfo, parts.dwExtraInfoLength);
  MoveExtraInfoOutOfPath(components);
  return true;
}
