#include "support/local_server.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>
// (then the rest of the platform)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <type_traits>

#include "support/unix_process.h"

namespace {

constexpr int kStartTimeoutMs = 60000;
constexpr DWORD kStopTimeoutMs = 15000;

// A JSON string literal; every unit outside printable ASCII is written as \uXXXX, so bytes (0-255) and
// UTF-16 paths both pass through unchanged.
template <typename Unit>
std::string JsonString(const std::basic_string<Unit>& text) {
  std::string out = "\"";
  for (Unit unit : text) {
    const unsigned value = static_cast<unsigned>(static_cast<std::make_unsigned_t<Unit>>(unit));
    if (value >= 0x20 && value < 0x7F && value != '"' && value != '\\') {
      out += static_cast<char>(value);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", value);
      out += escaped;
    }
  }
  return out + "\"";
}

std::wstring UnixPathOf(const std::wstring& windowsPath) {
  std::wstring path = windowsPath;
  if (path.size() >= 2 && (path[0] == L'Z' || path[0] == L'z') && path[1] == L':') path = path.substr(2);
  for (auto& c : path) {
    if (c == L'\\') c = L'/';
  }
  return path;
}

// Single-quoted for /bin/sh.
std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

void EnsureWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

}  // namespace

LocalServer::LocalServer(const LocalServerOptions& options) {
  Start(options);
}

void LocalServer::Start(const LocalServerOptions& options) {
  const std::string control = UnixPathFromWindows(m_controlDirectory.Path());
  const std::string script = UnixPathFromWindows(SourcePath(L"tests/support/servers/test_http_server.py"));
  std::string command = "exec ";
  if (options.httpPort != 0) {
    command += "flock " + ShellQuoted("/tmp/tonvexa-port-" + std::to_string(options.httpPort) + ".lock") + " ";
  }
  command += "/usr/bin/python3 " + ShellQuoted(script) + " --control-dir " + ShellQuoted(control);
  if (options.httpPort != 0) command += " --http-port " + std::to_string(options.httpPort);
  if (options.https) command += " --https";
  if (options.defaultPorts) command += " --default-ports";
  if (!options.fileRoot.empty()) command += " --root " + ShellQuoted(UnixPathFromWindows(options.fileRoot));
  // The server must not hold the test runner's output pipes: all of its standard streams are redirected.
  command += " </dev/null >>" + ShellQuoted(control + "/server.log") + " 2>&1";
  if (!StartUnixShellCommand(command)) {
    m_failure = "the server process could not be started";
    return;
  }

  std::string ports;
  // Waiting for a shared port's lock may take as long as another worktree's test holds it.
  const int startTimeoutMs = options.httpPort != 0 ? 4 * kStartTimeoutMs : kStartTimeoutMs;
  for (int waited = 0; ports.empty() && waited < startTimeoutMs; waited += 20) {
    Sleep(20);
    ports = ReadWholeFile(m_controlDirectory / L"ports.txt");
    // A server that could not even start leaves its complaint in the log; no need to wait it out.
    if (ports.empty() &&
        ReadWholeFile(m_controlDirectory / L"server.log").find("rror") != std::string::npos) {
      m_failure = "the server failed to start";
      return;
    }
  }
  if (ports.empty()) {
    m_failure = "the server wrote no ports within the start time-out";
    return;
  }
  uint16_t controlPort = 0;
  std::istringstream lines(ports);
  std::string name;
  std::string value;
  while (lines >> name >> value) {
    const uint16_t port = static_cast<uint16_t>(std::atoi(value.c_str()));
    if (name == "error") {
      m_failure = value;
      return;
    }
    if (name == "address") m_host = std::wstring(value.begin(), value.end());
    if (name == "http") m_httpPort = port;
    if (name == "https") m_httpsPort = port;
    if (name == "control") controlPort = port;
  }

  EnsureWinsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(controlPort);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // the control port is always on 127.0.0.1
  if (s == INVALID_SOCKET || connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (s != INVALID_SOCKET) closesocket(s);
    m_failure = "the control connection failed";
    return;
  }
  m_control = static_cast<uintptr_t>(s);
}

LocalServer::~LocalServer() {
  if (!IsRunning()) return;
  const SOCKET s = static_cast<SOCKET>(m_control);
  // Ask the server to stop and wait until it closes the control connection: by then it has stopped
  // listening and no longer touches its control folder.
  send(s, "stop\n", 5, 0);
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kStopTimeoutMs),
             sizeof kStopTimeoutMs);
  char buffer[64];
  while (recv(s, buffer, sizeof buffer, 0) > 0) {
  }
  closesocket(s);
}

std::string LocalServer::Diagnostics() const {
  return m_failure + "; server log:\n" + ReadWholeFile(m_controlDirectory / L"server.log");
}

std::wstring LocalServer::Url(const std::wstring& path) const {
  return L"http://" + ProxyAddress() + path;
}

std::wstring LocalServer::HttpsUrl(const std::wstring& path) const {
  return L"https://" + m_host + L":" + std::to_wstring(m_httpsPort) + path;
}

std::wstring LocalServer::ProxyAddress() const {
  return m_host + L":" + std::to_wstring(m_httpPort);
}

void LocalServer::SetResponses(const std::string& path, const std::vector<ScriptedResponse>& responses) {
  bool replaced = false;
  for (auto& route : m_routes) {
    if (route.first == path) {
      route.second = responses;
      replaced = true;
    }
  }
  if (!replaced) m_routes.emplace_back(path, responses);
  WriteRoutes();
}

void LocalServer::WriteRoutes() const {
  std::string json = "{";
  for (size_t r = 0; r < m_routes.size(); ++r) {
    if (r) json += ",";
    json += "\n" + JsonString(m_routes[r].first) + ": [";
    const auto& responses = m_routes[r].second;
    for (size_t i = 0; i < responses.size(); ++i) {
      const ScriptedResponse& response = responses[i];
      if (i) json += ", ";
      json += "{\"status\": " + std::to_string(response.status) + ", \"headers\": [";
      for (size_t h = 0; h < response.headers.size(); ++h) {
        if (h) json += ", ";
        json +=
            "[" + JsonString(response.headers[h].first) + ", " + JsonString(response.headers[h].second) + "]";
      }
      json += "], \"body\": " + JsonString(response.body);
      if (!response.file.empty()) json += ", \"file\": " + JsonString(UnixPathOf(response.file));
      if (response.chunked) json += ", \"chunked\": true";
      json += ", \"delay_ms\": " + std::to_string(response.delayMs) + "}";
    }
    json += "]";
  }
  json += "\n}\n";
  // Written aside and renamed, so the server never reads a half-written table.
  const std::wstring temporary = m_controlDirectory / L"routes.json.tmp";
  WriteWholeFile(temporary, json);
  MoveFileExW(temporary.c_str(), (m_controlDirectory / L"routes.json").c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::vector<LoggedRequest> LocalServer::Requests() const {
  std::vector<LoggedRequest> requests;
  std::istringstream lines(ReadWholeFile(m_controlDirectory / L"requests.log"));
  std::string line;
  while (std::getline(lines, line)) {
    const size_t first = line.find('\t');
    const size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos) continue;
    requests.push_back(
        {line.substr(0, first), line.substr(first + 1, second - first - 1), line.substr(second + 1)});
  }
  return requests;
}

int LocalServer::RequestCount(const std::string& path) const {
  int count = 0;
  for (const LoggedRequest& request : Requests()) {
    if (request.method == "CONNECT") continue;
    std::string target = request.target;
    const size_t scheme = target.find("://");
    if (scheme != std::string::npos) {
      const size_t slash = target.find('/', scheme + 3);
      target = slash == std::string::npos ? "/" : target.substr(slash);
    }
    target = target.substr(0, target.find('?'));
    if (target == path) ++count;
  }
  return count;
}

uint16_t RefusingPort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(s);
  WSACleanup();
  return ntohs(address.sin_port);
}
