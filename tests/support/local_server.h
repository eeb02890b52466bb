// LocalServer: the project's local HTTP/HTTPS test server (tests/support/servers/test_http_server.py, whose
// header lists its routes) running on 127.0.0.1 with ephemeral ports for the lifetime of the object.
// The server is a Linux python3 process; it keeps a control connection to this object and ends when the
// object stops it or when the test process is gone, so a crashed test never leaves it running.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/test_environment.h"

// One response of a scripted route; the k-th request to the route's path gets the k-th response.
struct ScriptedResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;      // bytes
  std::wstring file;     // when set: this file (Windows path) is served instead of `body`
  bool chunked = false;  // chunked transfer instead of Content-Length
  int delayMs = 0;       // wait before answering
};

// One line of the server's request log.
struct LoggedRequest {
  std::string listener;  // "http" or "https"
  std::string method;    // "GET", "CONNECT", ...
  std::string target;    // as sent: "/path?query", "http://host:port/path" (proxy) or "host:port" (CONNECT)
};

struct LocalServerOptions {
  bool https = false;     // also listen for HTTPS (a self-signed certificate is made at start-up)
  std::wstring fileRoot;  // when set: GET /files/<relative path> serves files of this folder
  // HTTP on port 80 and HTTPS on port 443 of a random loopback address instead of ephemeral ports on
  // 127.0.0.1 (binding them needs privileges; see BindDenied).
  bool defaultPorts = false;
  // HTTP on this port of 127.0.0.1 instead of an ephemeral one (0). The port is shared with every other
  // worktree on the machine: the server holds the lock file /tmp/tonvexa-port-<port>.lock while it runs,
  // so starting waits until no other holder uses the port.
  uint16_t httpPort = 0;
};

class LocalServer {
 public:
  explicit LocalServer(const LocalServerOptions& options = {});
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  // False when the server did not come up; Diagnostics() then says why.
  bool IsRunning() const { return m_control != ~uintptr_t(0); }
  std::string Diagnostics() const;
  // True when the server could not start because it may not bind the default ports.
  bool BindDenied() const { return m_failure == "bind-denied"; }
  // Where the server keeps its ports, logs, certificate and scripted routes.
  const std::wstring& ControlDirectory() const { return m_controlDirectory.Path(); }

  // The listening address ("127.0.0.1" unless the default ports were asked for) and ports.
  const std::wstring& Host() const { return m_host; }
  uint16_t HttpPort() const { return m_httpPort; }
  uint16_t HttpsPort() const { return m_httpsPort; }
  // "http://<host>:<port>" + path (path starts with '/').
  std::wstring Url(const std::wstring& path) const;
  std::wstring HttpsUrl(const std::wstring& path) const;
  // "<host>:<http port>": the server also acts as a proxy.
  std::wstring ProxyAddress() const;

  // Replaces the scripted responses of `path` (the path without query, e.g. "/config.json").
  void SetResponses(const std::string& path, const std::vector<ScriptedResponse>& responses);

  // Every request received so far, in order.
  std::vector<LoggedRequest> Requests() const;
  // Requests whose target's path part (query dropped, proxy form reduced to its path) equals `path`.
  int RequestCount(const std::string& path) const;

 private:
  void Start(const LocalServerOptions& options);
  void WriteRoutes() const;

  ScratchDirectory m_controlDirectory;
  uintptr_t m_control = ~uintptr_t(0);  // the control connection (a SOCKET)
  std::wstring m_host = L"127.0.0.1";
  uint16_t m_httpPort = 0;
  uint16_t m_httpsPort = 0;
  std::string m_failure;
  std::vector<std::pair<std::string, std::vector<ScriptedResponse>>> m_routes;
};

// The byte at position i of the server's pattern bodies (/bytes, /chunked, /truncated, ...).
inline uint8_t ServerPatternByte(int64_t i) {
  return static_cast<uint8_t>(i % 251);
}

// A port on 127.0.0.1 where nothing listens (one just released), for connections that must be refused.
uint16_t RefusingPort();
