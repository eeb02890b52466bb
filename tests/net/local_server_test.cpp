// The local test server itself: scripted routes, files, request counts, and its end when its owner
// process is gone.
#include <gtest/gtest.h>

// winsock2.h must come before windows.h.
#include <winsock2.h>
// (then the rest of the platform)
#include <windows.h>

#include <cstdlib>
#include <string>

#include "net/http_client.h"
#include "support/local_server.h"

namespace {

struct Fetched {
  int status = 0;
  std::string body;
  std::string headers;
};

Fetched Get(const std::wstring& url) {
  CWString target(url.c_str());
  CWString cookies;
  CWString headers;
  HttpResponseInfo info;
  const CVolMem body = FetchBytes(target, CWString(), CVolMem(), CWString(), CWString(), cookies, headers,
                                  CWString(), CWString(), CWString(), CWString(), info);
  Fetched fetched;
  fetched.status = info.statusCode;
  if (body.GetSize()) fetched.body.assign(reinterpret_cast<const char*>(body.Bytes()), body.GetSize());
  for (const wchar_t* p = headers.GetText(); *p; ++p) fetched.headers += static_cast<char>(*p);
  return fetched;
}

bool Accepts(uint16_t port) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  closesocket(s);
  return connected;
}

constexpr wchar_t kOrphanVariable[] = L"TONVEXA_ORPHAN_SERVER_FILE";

}  // namespace

TEST(LocalServer, ScriptedResponsesChangeBetweenRequestsAndAreCounted) {
  LocalServer server;
  ASSERT_TRUE(server.IsRunning()) << server.Diagnostics();
  server.SetResponses("/config.json", {{200, {{"X-Try", "1"}}, "first"}, {503, {}, "second"}});
  EXPECT_EQ(Get(server.Url(L"/config.json")).body, "first");
  Fetched second = Get(server.Url(L"/config.json?again"));
  EXPECT_EQ(second.status, 503);
  EXPECT_EQ(second.body, "second");
  EXPECT_EQ(Get(server.Url(L"/config.json")).body, "second");  // the last response repeats
  EXPECT_EQ(server.RequestCount("/config.json"), 3);

  // A new list starts from its first response; chunked and binary bodies pass unchanged.
  server.SetResponses("/config.json", {{200, {}, std::string("\0\x01\xff", 3), L"", true}});
  const Fetched chunked = Get(server.Url(L"/config.json"));
  EXPECT_EQ(chunked.body, std::string("\0\x01\xff", 3));
  EXPECT_NE(chunked.headers.find("Transfer-Encoding: chunked"), std::string::npos) << chunked.headers;
  EXPECT_EQ(server.RequestCount("/config.json"), 4);
  EXPECT_EQ(server.RequestCount("/other"), 0);
}

TEST(LocalServer, ServesFilesWithTheirLength) {
  ScratchDirectory root;
  ASSERT_TRUE(WriteWholeFile(root / L"part1.bin", std::string(70000, 'p')));
  ScratchDirectory outside;
  ASSERT_TRUE(WriteWholeFile(outside / L"secret.txt", "secret"));
  LocalServerOptions options;
  options.fileRoot = root.Path();
  LocalServer server(options);
  ASSERT_TRUE(server.IsRunning()) << server.Diagnostics();

  const Fetched file = Get(server.Url(L"/files/part1.bin"));
  EXPECT_EQ(file.status, 200);
  EXPECT_EQ(file.body, std::string(70000, 'p'));
  EXPECT_NE(file.headers.find("Content-Length: 70000"), std::string::npos);
  EXPECT_EQ(Get(server.Url(L"/files/missing.bin")).status, 404);
  EXPECT_EQ(Get(server.Url(L"/files/..%2F..%2Fsecret.txt")).status, 404);

  // A scripted response may name a file anywhere.
  server.SetResponses("/download", {{200, {}, "", outside / L"secret.txt"}});
  EXPECT_EQ(Get(server.Url(L"/download")).body, "secret");
}

// Runs only as the child process of ServerEndsWhenItsOwnerProcessIsGone: starts a server and dies
// without stopping it.
TEST(LocalServer, OrphanChild) {
  const wchar_t* infoFile = _wgetenv(kOrphanVariable);
  if (!infoFile || !*infoFile) GTEST_SKIP() << "runs as the child of ServerEndsWhenItsOwnerProcessIsGone";
  LocalServer server;
  if (!server.IsRunning()) ExitProcess(2);
  WriteWholeFile(infoFile,
                 std::to_string(server.HttpPort()) + "\n" + UnixPathFromWindows(server.ControlDirectory()));
  TerminateProcess(GetCurrentProcess(), 3);
}

TEST(LocalServer, ServerEndsWhenItsOwnerProcessIsGone) {
  ScratchDirectory scratch;
  const std::wstring infoFile = scratch / L"orphan.txt";
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(exe) + L"\" --gtest_filter=LocalServer.OrphanChild";
  SetEnvironmentVariableW(kOrphanVariable, infoFile.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const BOOL started =
      CreateProcessW(exe, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
  SetEnvironmentVariableW(kOrphanVariable, nullptr);
  ASSERT_TRUE(started);
  ASSERT_EQ(WaitForSingleObject(child.hProcess, 120000), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  GetExitCodeProcess(child.hProcess, &exitCode);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  ASSERT_EQ(exitCode, 3u);

  const std::string info = ReadWholeFile(infoFile);
  const uint16_t port = static_cast<uint16_t>(std::atoi(info.c_str()));
  ASSERT_NE(port, 0);
  // The server notices its owner's end through the control connection and stops listening.
  bool stopped = false;
  for (int waited = 0; waited < 60000 && !stopped; waited += 100) {
    stopped = !Accepts(port);
    if (!stopped) Sleep(100);
  }
  EXPECT_TRUE(stopped);
  const std::string controlDirectory = info.substr(info.find('\n') + 1);
  RemoveTree(WindowsPathFromUnix(controlDirectory));
}
