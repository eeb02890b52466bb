#include "net/http_client.h"

#include <windows.h>
#include <winhttp.h>

#include <cstring>
#include <utility>

#include "net/last_error_text.h"
#include "net/set_cookie.h"
#include "net/url_components.h"
#include "net/value_fields.h"
#include "net/winhttp_request.h"
#include "runtime/serial_stream.h"
#include "runtime/string_array.h"

const CWConstString defaultUserAgent(
    L"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    L"Chrome/102.0.5005.124 Safari/537.36 Edg/102.0.1245.41");

namespace {

constexpr DWORD kOptionTcpFastOpen = 153;  // WINHTTP_OPTION_TCP_FAST_OPEN, newer than the platform headers
constexpr int64_t kReadBlock = 1048576;
constexpr int32_t kFetchSendTimeoutMs = 15000;

constexpr const wchar_t* kVerbs[] = {L"GET",     L"POST",  L"HEAD",    L"PUT",  L"DELETE",
                                     L"OPTIONS", L"TRACE", L"CONNECT", L"PATCH"};

// Failure texts, one per step that can fail.
constexpr const wchar_t* kSessionFailed = L"初始化失败：";
constexpr const wchar_t* kUrlFailed = L"拆分URL失败：";
constexpr const wchar_t* kConnectFailed = L"连接服务器失败：";
constexpr const wchar_t* kOpenRequestFailed = L"打开请求失败：";
constexpr const wchar_t* kSendFailed = L"发送请求失败：";
constexpr const wchar_t* kReceiveFailed = L"接收响应失败：";
constexpr const wchar_t* kBlockFailed = L"接收数据失败：";
constexpr const wchar_t* kRestFailed = L"接收数据失败： ";
constexpr const wchar_t* kAvailableFailed = L"取可用数据量失败：";
constexpr const wchar_t* kReadFailed = L"接收数据失败：";

constexpr const wchar_t* kAcceptLine = L"Accept: */*";
constexpr const wchar_t* kAcceptLanguageLine =
    L"Accept-Language: zh-CN,zh;q=0.9,en;q=0.8,en-GB;q=0.7,en-US;q=0.6,zh-TW;q=0.5";
constexpr const wchar_t* kAcceptEncodingLine = L"Accept-Encoding: gzip, deflate";
constexpr const wchar_t* kJsonContentType = L"Content-Type: application/json; charset=utf-8";
constexpr const wchar_t* kFormContentType = L"Content-Type: application/x-www-form-urlencoded; charset=utf-8";

const wchar_t* VerbText(int32_t method) {
  return method >= 0 && method <= 8 ? kVerbs[method] : L"GET";
}

// Writes the failing step's text and the thread's last error into the record; call right after the
// failing operation.
void Fail(HttpResponseInfo& response, const wchar_t* stepText) {
  response.errorText = CWString::Concat(CWConstString(stepText), LastErrorText());
}

bool SetDwordOption(WinHttpRawHandle handle, DWORD option, DWORD value) {
  return WinHttpSetOption(handle, option, &value, sizeof value);
}

wchar_t AsciiUpper(wchar_t unit) {
  return unit >= L'a' && unit <= L'z' ? static_cast<wchar_t>(unit - L'a' + L'A') : unit;
}

// Whether `pattern` (upper-case ASCII) occurs anywhere in `text`, ASCII letters compared in either case.
bool ContainsAsciiNoCase(const CWString& text, const wchar_t* pattern) {
  const wchar_t* units = text.GetText();
  const int64_t length = text.GetLength();
  const int64_t patternLength = static_cast<int64_t>(wcslen(pattern));
  for (int64_t start = 0; start + patternLength <= length; ++start) {
    int64_t i = 0;
    while (i < patternLength && AsciiUpper(units[start + i]) == pattern[i]) ++i;
    if (i == patternLength) return true;
  }
  return false;
}

bool NamesScheme(const CWString& url) {
  return ContainsAsciiNoCase(url, L"HTTP://") || ContainsAsciiNoCase(url, L"HTTPS://");
}

// Appends the cookies of every Set-Cookie header of the response on `request`, one line per header.
void CollectSetCookies(WinHttpRawHandle request, CWString& cookies) {
  int32_t index = 0;
  CWString value;
  do {
    if (!QueryHeaderText(request, value, WINHTTP_QUERY_SET_COOKIE, index)) break;
    cookies.AddText(ParseSetCookie(value));
    cookies.AddText(L"\r\n");
  } while (index >= 0);
}

// The connection and request handles of one exchange with one URL.
struct Exchange {
  WinHttpHandle connection;
  WinHttpHandle request;

  void Close() {
    request.Reset();
    connection.Reset();
  }
};

// Parses `url`, connects and opens the request handle. Returns the failed step's text, or null.
const wchar_t* OpenExchange(WinHttpRawHandle session, const CWString& url, const CWString& verb,
                            bool escapeUrl, Exchange& exchange) {
  UrlComponents parts;
  if (!ParseUrl(url, parts, escapeUrl ? kUrlEscape : 0)) return kUrlFailed;
  // The default ports become "the scheme's default", which WinHTTP takes from the secure flag: an https
  // URL naming port 80 still goes to 443, and an http URL naming 443 to 80.
  const int32_t port = parts.port == 80 || parts.port == 443 ? 0 : parts.port;
  exchange.connection =
      WinHttpHandle(WinHttpConnect(session, parts.host.GetText(), static_cast<INTERNET_PORT>(port), 0));
  if (!exchange.connection) return kConnectFailed;
  exchange.request = OpenRequest(
      exchange.connection.Get(), verb, CWString::Concat(parts.urlPath, parts.extraInfo), CWString(),
      CWString(), CMStringArray(), parts.schemeType == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
  if (!exchange.request) {
    exchange.connection.Reset();
    return kOpenRequestFailed;
  }
  return nullptr;
}

// Reads `count` bytes into `target`, several reads when one returns less; returns how many arrived. An
// end of the response before that is a failure (last error: the connection broke off).
int64_t ReadFully(WinHttpRawHandle request, uint8_t* target, int64_t count) {
  int64_t filled = 0;
  while (filled < count) {
    DWORD got = 0;
    if (!WinHttpReadData(request, target + filled, static_cast<DWORD>(count - filled), &got)) return filled;
    if (got == 0) {
      SetLastError(ERROR_WINHTTP_CONNECTION_ERROR);
      return filled;
    }
    filled += got;
  }
  return filled;
}

// The response body into the record: straight into a pre-sized buffer when its length is declared,
// otherwise appended as the platform delivers it.
void ReadBody(WinHttpRawHandle request, HttpResponseInfo& response) {
  int32_t index = 0;
  const int32_t declared = QueryHeaderNumber(request, WINHTTP_QUERY_CONTENT_LENGTH, index);
  if (declared >= 1) {
    // The body keeps its declared size whatever arrives, with zeros where nothing did. Only those
    // places are cleared, so a complete body is written once.
    uint8_t* data = static_cast<uint8_t*>(response.body.SetSize(declared));
    const int64_t blocks = declared / kReadBlock;
    const int64_t rest = declared % kReadBlock;
    const int64_t restStart = blocks * kReadBlock;
    for (int64_t i = 0; i < blocks; ++i) {
      const int64_t filled = ReadFully(request, data + i * kReadBlock, kReadBlock);
      if (filled < kReadBlock) {
        Fail(response, kBlockFailed);
        std::memset(data + i * kReadBlock + filled, 0,
                    static_cast<size_t>(restStart - i * kReadBlock - filled));
        break;
      }
    }
    if (rest >= 1) {
      const int64_t filled = ReadFully(request, data + restStart, rest);
      if (filled < rest) {
        Fail(response, kRestFailed);
        std::memset(data + restStart + filled, 0, static_cast<size_t>(rest - filled));
      }
    }
    return;
  }
  // Growing in whole blocks keeps reallocations of a large body rare.
  response.body.SetGrowthStep(kReadBlock);
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available)) {
      Fail(response, kAvailableFailed);
      return;
    }
    const int64_t before = response.body.GetSize();
    uint8_t spare = 0;
    uint8_t* target =
        available > 0 ? static_cast<uint8_t*>(response.body.SetSize(before + available)) + before : &spare;
    DWORD got = 0;
    const BOOL read = WinHttpReadData(request, target, available, &got);
    if (!read) Fail(response, kReadFailed);
    // Only what arrived is kept: a short read must not leave zeros inside the body.
    response.body.SetSize(before + (read ? got : 0));
    if (!read || got == 0 || available == 0) return;
  }
}

// The final response of a request: its headers, status, body (none for HEAD) and cookies.
void ReadResponse(WinHttpRawHandle request, const CWString& verb, HttpResponseInfo& response) {
  int32_t index = 0;
  QueryHeaderText(request, response.headers, WINHTTP_QUERY_RAW_HEADERS_CRLF, index);
  index = 0;
  response.statusCode = QueryHeaderNumber(request, WINHTTP_QUERY_STATUS_CODE, index);
  if (verb.IsDifferent(L"HEAD")) ReadBody(request, response);
  CollectSetCookies(request, response.cookies);
}

bool IsRedirectStatus(int32_t status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// `reference` (a Location value) resolved against `base`.
CWString ResolveUrl(const CWString& base, const CWString& reference) {
  const wchar_t* ref = reference.GetText();
  if (NamesScheme(reference) && wcsstr(ref, L"://")) return reference;
  const wchar_t* text = base.GetText();
  const wchar_t* authority = wcsstr(text, L"://");
  if (!authority) return reference;
  if (ref[0] == L'/' && ref[1] == L'/') return CWString::Concat(base.Left(authority - text + 1), reference);
  const wchar_t* pathStart = wcschr(authority + 3, L'/');
  const int64_t rootLength = pathStart ? pathStart - text : base.GetLength();
  if (ref[0] == L'/') return CWString::Concat(base.Left(rootLength), reference);
  // A relative path replaces the last segment of the base path (its query left out).
  int64_t end = base.GetLength();
  for (int64_t i = rootLength; i < base.GetLength(); ++i) {
    if (text[i] == L'?' || text[i] == L'#') {
      end = i;
      break;
    }
  }
  int64_t lastSlash = -1;
  for (int64_t i = rootLength; i < end; ++i) {
    if (text[i] == L'/') lastSlash = i;
  }
  CWString directory =
      lastSlash < 0 ? CWString::Concat(base.Left(rootLength), L"/") : base.Left(lastSlash + 1);
  return CWString::Concat(directory, reference);
}

// The notification for one redirect being followed: counts it, records the target and collects the
// cookies the redirect response set.
void OnRedirect(HttpResponseInfo& response, WinHttpRawHandle redirectResponse, const CWString& newUrl) {
  response.redirectCount += 1;
  response.redirectUrls.Append(newUrl);
  CollectSetCookies(redirectResponse, response.cookies);
}

}  // namespace

HttpClient::HttpClient() : proxyBypass(L"<local>"), m_openSession(&WinHttpOpen) {}

HttpClient::HttpClient(const HttpClient& other)
    : CVolObject(other),
      userAgent(other.userAgent),
      accessType(other.accessType),
      proxyServer(other.proxyServer),
      proxyBypass(other.proxyBypass),
      escapeUrl(other.escapeUrl),
      autoCookies(other.autoCookies),
      m_openSession(other.m_openSession) {
  LockGuard guard(other.m_sessionLock);
  m_session = other.m_session;
}

HttpClient& HttpClient::operator=(const HttpClient& other) {
  if (this == &other) return *this;
  CVolObject::operator=(other);
  userAgent = other.userAgent;
  accessType = other.accessType;
  proxyServer = other.proxyServer;
  proxyBypass = other.proxyBypass;
  escapeUrl = other.escapeUrl;
  autoCookies = other.autoCookies;
  m_openSession = other.m_openSession;
  std::shared_ptr<WinHttpHandle> session;
  {
    LockGuard guard(other.m_sessionLock);
    session = other.m_session;
  }
  LockGuard guard(m_sessionLock);
  m_session = std::move(session);
  return *this;
}

bool HttpClient::Assign(const CVolObject& source) {
  return AssignByCopy(*this, source);
}

void HttpClient::Reset() {
  OnChange();
  *this = HttpClient();
}

bool HttpClient::IsEqual(const CVolObject& other) const {
  return IsEqualByValue(*this, other);
}

bool HttpClient::operator==(const HttpClient& o) const {
  return HeaderEquals(o) && userAgent == o.userAgent && accessType == o.accessType &&
         proxyServer == o.proxyServer && proxyBypass == o.proxyBypass && escapeUrl == o.escapeUrl &&
         autoCookies == o.autoCookies && Session() == o.Session();
}

void HttpClient::Load(SerialStream& stream) {
  LoadFields(stream, userAgent, accessType, proxyServer, proxyBypass, escapeUrl, autoCookies);
  int64_t savedSession = 0;
  if (stream.Good()) stream.ReadInt64(savedSession);
}

void HttpClient::Save(SerialStream& stream) const {
  SaveFields(stream, userAgent, accessType, proxyServer, proxyBypass, escapeUrl, autoCookies);
  if (stream.Good()) stream.WriteInt64(static_cast<int64_t>(reinterpret_cast<uintptr_t>(Session())));
}

WinHttpRawHandle HttpClient::Session() const {
  LockGuard guard(m_sessionLock);
  return m_session ? m_session->Get() : nullptr;
}

std::shared_ptr<WinHttpHandle> HttpClient::EnsureSession() {
  DWORD error = 0;
  {
    LockGuard guard(m_sessionLock);
    if (m_session) return m_session;
    const wchar_t* agent = userAgent.IsNullObject() ? nullptr
                           : userAgent.IsEmpty()    ? defaultUserAgent.GetText()
                                                    : userAgent.GetText();
    const bool named = accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    WinHttpRawHandle session =
        m_openSession(agent, static_cast<DWORD>(accessType), named ? proxyServer.GetText() : nullptr,
                      named ? proxyBypass.GetText() : nullptr, 0);
    if (session) {
      // Requested once for the whole session; platforms without them simply refuse.
      SetDwordOption(session, WINHTTP_OPTION_IPV6_FAST_FALLBACK, 1);
      SetDwordOption(session, kOptionTcpFastOpen, 1);
      // Fail fast on names and connections; allow slow sending and receiving.
      WinHttpSetTimeouts(session, 5000, 2000, 30000, 30000);
      m_session = std::make_shared<WinHttpHandle>(session);
      return m_session;
    }
    error = GetLastError();
  }
  SetLastError(error);
  return nullptr;
}

CVolMem HttpClient::Request(CWString& url, int32_t method, const CWString& bodyText, const CVolMem& bodyBytes,
                            const CWString& extraHeaders, const CWString& cookieText, int32_t maxRedirects,
                            CWString& cookiesOut, CWString& headersOut, const CWString& requestProxy,
                            const CWString& proxyUser, const CWString& proxyPassword, int32_t sendTimeout,
                            int32_t ignoreCertErrors, const CWString& acceptEncoding,
                            HttpResponseInfo& response) {
  HttpRequestOptions options;
  options.method = method;
  options.bodyText = bodyText;
  options.bodyBytes = bodyBytes;
  options.extraHeaders = extraHeaders;
  options.cookieText = cookieText;
  options.redirects = maxRedirects > 0 ? RedirectPolicy::kFollow : RedirectPolicy::kReturn;
  options.maxRedirects = maxRedirects;
  options.proxy = requestProxy;
  options.proxyUser = proxyUser;
  options.proxyPassword = proxyPassword;
  options.sendTimeoutMs = sendTimeout;
  options.certificates = ignoreCertErrors == 1 ? CertificatePolicy::kAcceptAny : CertificatePolicy::kVerify;
  options.acceptEncoding = acceptEncoding;
  if (!Send(url, options, response)) return CVolMem();
  cookiesOut = response.cookies;
  headersOut = response.headers;
  return response.body;
}

void HttpClient::ApplyOptions(WinHttpRawHandle request, const HttpRequestOptions& options,
                              const CVolMem& body) const {
  if (!options.proxy.IsEmpty()) {
    WINHTTP_PROXY_INFO record{WINHTTP_ACCESS_TYPE_NAMED_PROXY, const_cast<wchar_t*>(options.proxy.GetText()),
                              const_cast<wchar_t*>(proxyBypass.GetText())};
    WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &record, sizeof record);
  }
  if (!options.proxyUser.IsEmpty()) {
    WinHttpSetOption(request, WINHTTP_OPTION_PROXY_USERNAME, const_cast<wchar_t*>(options.proxyUser.GetText()),
                     static_cast<DWORD>(options.proxyUser.GetLength()));
    WinHttpSetOption(request, WINHTTP_OPTION_PROXY_PASSWORD,
                     const_cast<wchar_t*>(options.proxyPassword.GetText()),
                     static_cast<DWORD>(options.proxyPassword.GetLength()));
  }
  CMStringArray defaults;
  defaults.AppendStrings(2, kAcceptLine, kAcceptLanguageLine);
  AddHeaderLines(request, defaults);
  // Compression is offered only when the platform will decode it: an undecodable body would reach the
  // caller still compressed.
  if (!options.acceptEncoding.IsNullObject() &&
      SetDwordOption(request, WINHTTP_OPTION_DECOMPRESSION, WINHTTP_DECOMPRESSION_FLAG_ALL)) {
    AddHeader(request, options.acceptEncoding.IsEmpty() ? CWConstString(kAcceptEncodingLine)
                                                        : options.acceptEncoding);
  }
  if (autoCookies == 0) SetDwordOption(request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES);
  if (!options.cookieText.IsEmpty()) {
    AddHeader(request, options.cookieText.StartsWithNoCase(L"Cookie:")
                           ? options.cookieText
                           : CWString::Concat(CWConstString(L"Cookie: "), options.cookieText));
  }
  if (static_cast<int32_t>(body.GetSize()) >= 1) {
    const uint8_t first = body.Bytes()[0];
    AddHeader(request, CWConstString(first == '{' || first == '[' ? kJsonContentType : kFormContentType));
  }
  if (!options.extraHeaders.IsEmpty()) AddHeader(request, options.extraHeaders);
  // Redirects are followed here rather than by WinHTTP, whose redirect notification does not let the
  // redirect response's headers (its cookies) be read everywhere.
  SetDwordOption(request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS);
  SetDwordOption(request, WINHTTP_OPTION_SEND_TIMEOUT, static_cast<DWORD>(options.sendTimeoutMs));
  if (options.certificates == CertificatePolicy::kAcceptAny) {
    SetDwordOption(request, WINHTTP_OPTION_SECURITY_FLAGS,
                   SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE |
                       SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID);
  }
}

bool HttpClient::SendOnce(WinHttpRawHandle request, const CVolMem& body, bool redirected,
                          HttpResponseInfo& response) {
  // Once a redirect is being followed, failures belong to receiving the response, as when the platform
  // follows it.
  if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, const_cast<void*>(body.GetData()),
                          static_cast<DWORD>(body.GetSize()), static_cast<DWORD>(body.GetSize()),
                          reinterpret_cast<DWORD_PTR>(&response))) {
    Fail(response, redirected ? kReceiveFailed : kSendFailed);
    return false;
  }
  if (!WinHttpReceiveResponse(request, nullptr)) {
    Fail(response, kReceiveFailed);
    return false;
  }
  return true;
}

HttpClient::Received HttpClient::CheckRedirect(WinHttpRawHandle request, const HttpRequestOptions& options,
                                               const CWString& currentUrl, int32_t followed,
                                               HttpResponseInfo& response, int32_t& status, CWString& target) {
  if (options.redirects != RedirectPolicy::kFollow || options.maxRedirects <= 0) return Received::kFinal;
  int32_t index = 0;
  status = QueryHeaderNumber(request, WINHTTP_QUERY_STATUS_CODE, index);
  CWString location;
  index = 0;
  if (!IsRedirectStatus(status) || !QueryHeaderText(request, location, WINHTTP_QUERY_LOCATION, index)) {
    return Received::kFinal;
  }
  target = ResolveUrl(currentUrl, location);
  // From https to plain http is not followed: that response is the final one.
  if (ContainsAsciiNoCase(currentUrl.Left(8), L"HTTPS://") && !ContainsAsciiNoCase(target.Left(8), L"HTTPS://")) {
    return Received::kFinal;
  }
  if (followed == options.maxRedirects) {
    SetLastError(ERROR_WINHTTP_REDIRECT_FAILED);
    Fail(response, kReceiveFailed);
    return Received::kFailed;
  }
  return Received::kRedirect;
}

bool HttpClient::Send(CWString& url, const HttpRequestOptions& options, HttpResponseInfo& response) {
  CWString verb(VerbText(options.method));
  if (!NamesScheme(url)) url = CWString::Concat(CWConstString(L"http://"), url);

  const std::shared_ptr<WinHttpHandle> sessionOwner = EnsureSession();
  if (!sessionOwner) {
    Fail(response, kSessionFailed);
    return false;
  }
  const WinHttpRawHandle session = sessionOwner->Get();
  Exchange exchange;
  if (const wchar_t* failedStep = OpenExchange(session, url, verb, escapeUrl != 0, exchange)) {
    Fail(response, failedStep);
    return false;
  }

  CVolMem body = options.bodyText.IsEmpty() ? options.bodyBytes : options.bodyText.ToUtf8Bytes();
  CWString currentUrl = url;
  int32_t followed = 0;
  bool received = false;
  for (;;) {
    const WinHttpRawHandle request = exchange.request.Get();
    ApplyOptions(request, options, body);
    if (!SendOnce(request, body, followed > 0, response)) break;
    int32_t status = 0;
    CWString target;
    const Received outcome = CheckRedirect(request, options, currentUrl, followed, response, status, target);
    if (outcome == Received::kFailed) break;
    if (outcome == Received::kFinal) {
      received = true;
      break;
    }
    // Follow the redirect on a new connection.
    ++followed;
    OnRedirect(response, request, target);
    if ((status == 301 || status == 302 || status == 303) && !verb.IsDifferent(L"POST")) {
      verb = CWString(L"GET");
      body.Clear();
    }
    exchange.Close();
    currentUrl = target;
    if (OpenExchange(session, currentUrl, verb, escapeUrl != 0, exchange)) {
      Fail(response, kReceiveFailed);
      break;
    }
  }

  if (received) ReadResponse(exchange.request.Get(), verb, response);
  exchange.Close();
  return true;
}

HttpClient& ProcessHttpClient() {
  static HttpClient client;
  return client;
}

namespace {

// The installer's fetches: GET, redirects returned as they are, 15 s send time-out, any certificate.
HttpRequestOptions FetchOptions() {
  HttpRequestOptions options;
  options.method = HttpClient::kGet;
  options.redirects = RedirectPolicy::kReturn;
  options.sendTimeoutMs = kFetchSendTimeoutMs;
  options.certificates = CertificatePolicy::kAcceptAny;
  return options;
}

}  // namespace

CVolMem FetchBytes(CWString& url, const CWString& bodyText, const CVolMem& bodyBytes,
                   const CWString& extraHeaders, const CWString& cookieText, CWString& cookiesOut,
                   CWString& headersOut, const CWString& requestProxy, const CWString& proxyUser,
                   const CWString& proxyPassword, const CWString& acceptEncoding,
                   HttpResponseInfo& response) {
  HttpRequestOptions options = FetchOptions();
  options.bodyText = bodyText;
  options.bodyBytes = bodyBytes;
  options.extraHeaders = extraHeaders;
  options.cookieText = cookieText;
  options.proxy = requestProxy;
  options.proxyUser = proxyUser;
  options.proxyPassword = proxyPassword;
  options.acceptEncoding = acceptEncoding;
  if (!ProcessHttpClient().Send(url, options, response)) return CVolMem();
  cookiesOut = response.cookies;
  headersOut = response.headers;
  return response.body;
}

CWString FetchText(CWString& url, const CWString& bodyText, const CVolMem& bodyBytes,
                   const CWString& extraHeaders, const CWString& cookieText, CWString& cookiesOut,
                   CWString& headersOut, const CWString& requestProxy, const CWString& proxyUser,
                   const CWString& proxyPassword, const CWString& acceptEncoding,
                   HttpResponseInfo& response) {
  CWString text;
  text.FromUtf8Bytes(FetchBytes(url, bodyText, bodyBytes, extraHeaders, cookieText, cookiesOut, headersOut,
                                requestProxy, proxyUser, proxyPassword, acceptEncoding, response));
  return text;
}

CVolMem FetchBytes(const CWString& url) {
  CWString target(url);
  HttpResponseInfo response;
  // The record is ours and goes with this call, so its body is handed over instead of copied.
  if (!ProcessHttpClient().Send(target, FetchOptions(), response)) return CVolMem();
  return std::move(response.body);
}

CWString FetchText(const CWString& url) {
  CWString text;
  text.FromUtf8Bytes(FetchBytes(url));
  return text;
}
