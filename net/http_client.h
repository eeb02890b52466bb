// HttpClient: synchronous HTTP and HTTPS requests over WinHTTP that return the whole response body in
// memory. One WinHTTP session per client, opened by its first request and kept until the client (and every
// copy sharing the session) is gone; each request opens and closes its own connection and request handles.
// A request never throws and shows nothing: failures are written into the caller's HttpResponseInfo.
//
// Threads: the session opening is locked, so one client may serve requests from several threads at once;
// changing a client's fields while it serves a request is not allowed.
#pragma once

#include <cstdint>
#include <memory>

#include "net/http_response_info.h"
#include "net/winhttp_handle.h"
#include "runtime/byte_buffer.h"
#include "runtime/lock.h"
#include "runtime/object.h"
#include "runtime/wide_string.h"

// The agent text of every session whose client names none.
extern const CWConstString defaultUserAgent;

// Whether a server certificate the platform cannot verify is accepted.
enum class CertificatePolicy { kVerify, kAcceptAny };
// Whether redirect responses are followed (up to HttpRequestOptions::maxRedirects) or returned as they are.
enum class RedirectPolicy { kReturn, kFollow };

// Everything one request sends and how it is carried out. A non-empty `bodyText` is sent as UTF-8 instead
// of `bodyBytes`. `extraHeaders` (CR LF separated lines) replace same-named headers chosen by the client;
// `cookieText` is sent as the Cookie header. `proxy` names a proxy for this request. `acceptEncoding`
// carrying the null-object mark asks for no compression; empty offers gzip and deflate.
struct HttpRequestOptions {
  int32_t method = 0;  // HttpClient::Method
  CWString bodyText;
  CVolMem bodyBytes;
  CWString extraHeaders;
  CWString cookieText;
  RedirectPolicy redirects = RedirectPolicy::kReturn;
  int32_t maxRedirects = 0;
  CWString proxy;
  CWString proxyUser;
  CWString proxyPassword;
  int32_t sendTimeoutMs = 0;
  CertificatePolicy certificates = CertificatePolicy::kVerify;
  CWString acceptEncoding;
};

class HttpClient : public CVolObject {
  VOL_CLASS_IDENTITY(HttpClient, CVolObject, "HttpClient")
 public:
  // Request methods: indices into the verb table; any other value sends "GET".
  enum Method : int32_t { kGet = 0, kPost, kHead, kPut, kDelete, kOptions, kTrace, kConnect, kPatch };

  HttpClient();
  // Copies share the session (it closes with the last of them).
  HttpClient(const HttpClient& other);
  HttpClient& operator=(const HttpClient& other);
  ~HttpClient() override = default;

  CVolObject* Clone() const override { return new HttpClient(*this); }
  bool Assign(const CVolObject& source) override;
  void Reset() override;
  bool IsEqual(const CVolObject& other) const override;
  bool operator==(const HttpClient& o) const;
  // The session handle is saved as its value; loading reads it back but never adopts it (a handle means
  // nothing outside the process that opened it), so a loaded client opens its own session.
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

  // Sends one request and returns a copy of the response body (empty when no request handle could be
  // made). `url` without "http://" or "https://" anywhere in it (ASCII letters in any case) is rewritten in
  // place with "http://" in front. A non-empty `bodyText` is sent as UTF-8 instead of `bodyBytes`; a body
  // starting with '{' or '[' is labelled JSON, any other non-empty body as a form. `extraHeaders` (CR LF
  // separated lines) replace same-named headers chosen here. `cookieText` is sent as the Cookie header
  // ("Cookie:" is added in front unless present). `maxRedirects` > 0 follows up to that many redirects,
  // otherwise a redirect response is the final response. `requestProxy` names a proxy for this request,
  // `proxyUser`/`proxyPassword` its credentials. `sendTimeout` in ms; `ignoreCertErrors` exactly 1 accepts
  // any server certificate. `acceptEncoding` carrying the null-object mark asks for no compression;
  // otherwise gzip and deflate are offered with it (or "Accept-Encoding: gzip, deflate" when it is empty)
  // when the platform can decode them, and not offered at all when it cannot. `cookiesOut` and
  // `headersOut` receive copies of the record's cookies and headers once a request handle existed.
  // This is an adapter over Send, which takes the arguments as one HttpRequestOptions record.
  virtual CVolMem Request(CWString& url, int32_t method, const CWString& bodyText, const CVolMem& bodyBytes,
                          const CWString& extraHeaders, const CWString& cookieText, int32_t maxRedirects,
                          CWString& cookiesOut, CWString& headersOut, const CWString& requestProxy,
                          const CWString& proxyUser, const CWString& proxyPassword, int32_t sendTimeout,
                          int32_t ignoreCertErrors, const CWString& acceptEncoding,
                          HttpResponseInfo& response);

  // Sends one request as `options` say (`url` rewritten as for Request). False when it ended before a
  // request handle existed (nothing arrived); true when `response` holds what arrived, its body included.
  bool Send(CWString& url, const HttpRequestOptions& options, HttpResponseInfo& response);

  // The session, null until a request opened it.
  WinHttpRawHandle Session() const;

  // How sessions are opened (WinHttpOpen's signature); tests replace it to make an opening fail.
  using SessionOpener = WinHttpRawHandle(__stdcall*)(const wchar_t* agent, unsigned long accessType,
                                                     const wchar_t* proxy, const wchar_t* bypass,
                                                     unsigned long flags);
  void SetSessionOpener(SessionOpener opener) { m_openSession = opener; }

  CWString userAgent;       // empty: defaultUserAgent; carrying the null-object mark: no agent text
  int32_t accessType = 1;   // for WinHttpOpen: 0 default proxy, 1 no proxy, 3 named proxy
  CWString proxyServer;     // the session's proxy list when accessType is 3
  CWString proxyBypass;     // bypass list for the session's and every per-request proxy
  int32_t escapeUrl = 0;    // non-zero: URLs are parsed with escaping
  int32_t autoCookies = 1;  // 0: WinHTTP's own cookie handling is off for every request

 private:
  // The steps of Send: the options of one request handle, one send and receive, and whether the response
  // received is a redirect to follow (`target` then holds where to).
  void ApplyOptions(WinHttpRawHandle request, const HttpRequestOptions& options, const CVolMem& body) const;
  static bool SendOnce(WinHttpRawHandle request, const CVolMem& body, bool redirected,
                       HttpResponseInfo& response);
  enum class Received { kFinal, kRedirect, kFailed };
  static Received CheckRedirect(WinHttpRawHandle request, const HttpRequestOptions& options,
                                const CWString& currentUrl, int32_t followed, HttpResponseInfo& response,
                                int32_t& status, CWString& target);
  // Opens the session unless it is open; null (last error set) when the platform refused. The caller's
  // reference keeps the session open while it is in use.
  std::shared_ptr<WinHttpHandle> EnsureSession();

  mutable Lock m_sessionLock;
  std::shared_ptr<WinHttpHandle> m_session;
  SessionOpener m_openSession;
};

// The process-wide client the installer's fetches go through.
HttpClient& ProcessHttpClient();

// GET `url` with the process-wide client: redirects not followed, 15 s send time-out, any server
// certificate accepted. FetchBytes returns the body; FetchText the body decoded as UTF-8 (empty for an
// empty or invalid body). Failures leave the result empty or partial and are described in `response`.
CVolMem FetchBytes(CWString& url, const CWString& bodyText, const CVolMem& bodyBytes,
                   const CWString& extraHeaders, const CWString& cookieText, CWString& cookiesOut,
                   CWString& headersOut, const CWString& requestProxy, const CWString& proxyUser,
                   const CWString& proxyPassword, const CWString& acceptEncoding, HttpResponseInfo& response);
CWString FetchText(CWString& url, const CWString& bodyText, const CVolMem& bodyBytes,
                   const CWString& extraHeaders, const CWString& cookieText, CWString& cookiesOut,
                   CWString& headersOut, const CWString& requestProxy, const CWString& proxyUser,
                   const CWString& proxyPassword, const CWString& acceptEncoding, HttpResponseInfo& response);
// The same with nothing but the URL: no body, headers, cookies or proxy; compression offered.
CVolMem FetchBytes(const CWString& url);
CWString FetchText(const CWString& url);
