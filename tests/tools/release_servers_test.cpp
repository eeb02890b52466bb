// The demo release served by nginx (the README's server block, gzip on for JSON and text) and by tools/serve
// at once (tests/tools/release_servers.py starts both and runs this test): the installer's configuration
// reading and a part download through the project's own HTTP client and downloader get the same from both.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "data/file_hasher.h"
#include "data/json_object.h"
#include "net/file_downloader.h"
#include "net/http_client.h"
#include "runtime/external_binding.h"
#include "support/test_environment.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::wstring Wide(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

std::wstring Site(const std::wstring& relative) {
  return WindowsPathFromUnix(Environment("TONVEXA_RELEASE_SITE")) + L"\\" + relative;
}

CWString Url(const char* portVariable, const std::wstring& path) {
  return CWString((L"http://127.0.0.1:" + Wide(Environment(portVariable)) + path).c_str());
}

std::wstring Str(const CWString& text) {
  return text.GetText();
}

std::string Bytes(const CVolMem& memory) {
  if (memory.GetSize() == 0) return "";
  return std::string(reinterpret_cast<const char*>(memory.Bytes()), static_cast<size_t>(memory.GetSize()));
}

class ReleaseServers : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Environment("TONVEXA_NGINX_PORT").empty() || Environment("TONVEXA_SERVE_PORT").empty()) {
      GTEST_SKIP() << "run through tests/tools/release_servers.py, which starts the servers";
    }
    ASSERT_TRUE(BindExternalFunctions());
  }
};

TEST_F(ReleaseServers, ConfigurationLicenceAndPictureReadTheSameFromNginxAsFromServe) {
  const CWString fromNginx = FetchText(Url("TONVEXA_NGINX_PORT", L"/down/tonvexa.json"));
  const CWString fromServe = FetchText(Url("TONVEXA_SERVE_PORT", L"/down/tonvexa.json"));
  ASSERT_FALSE(fromNginx.IsEmpty());
  EXPECT_EQ(Str(fromNginx), Str(fromServe));

  JsonObject document;
  ASSERT_TRUE(document.parseText(fromNginx));
  EXPECT_EQ(Str(document.getText(CWString(L"/解压完成运行文件名"))), L"TonvexaAI.exe");
  const std::wstring licenceUrl = Str(document.getText(CWString(L"/用户许可文件地址")));
  EXPECT_EQ(licenceUrl, Str(Url("TONVEXA_NGINX_PORT", L"/down/tonvexa/licence.txt")));

  // nginx compresses the licence text; the client must hand back the same text.
  const CWString licence = FetchText(CWString(licenceUrl.c_str()));
  EXPECT_NE(Str(licence).find(L"许可"), std::wstring::npos) << "licence: " << licence.IsEmpty();
  EXPECT_EQ(Str(licence), Str(FetchText(Url("TONVEXA_SERVE_PORT", L"/down/tonvexa/licence.txt"))));

  const std::string picture = ReadWholeFile(Site(L"down\\tonvexa\\start-1.png"));
  ASSERT_FALSE(picture.empty());
  EXPECT_EQ(Bytes(FetchBytes(Url("TONVEXA_NGINX_PORT", L"/down/tonvexa/start-1.png"))), picture);
  EXPECT_EQ(Bytes(FetchBytes(Url("TONVEXA_SERVE_PORT", L"/down/tonvexa/start-1.png"))), picture);
}

TEST_F(ReleaseServers, APartDownloadsTheSameFromNginxAsFromServe) {
  const std::string expected = ReadWholeFile(Site(L"down\\tonvexa\\product.z01"));
  ASSERT_EQ(expected.size(), 1048576u);
  JsonObject document;
  const std::string text = ReadWholeFile(Site(L"down\\tonvexa.json"));
  ASSERT_TRUE(document.parseUtf8(text.data(), text.size()));
  JsonObject parts, first;
  document.getContainer(CWString(L"/软件下载"), parts);
  CVolTextArray items;
  ASSERT_GT(parts.listItemTexts(items), 1);
  ASSERT_TRUE(first.parseText(CWString(items.GetItemText(0))));
  ASSERT_EQ(Str(first.getText(CWString(L"/名称"))), L"product.z01");

  ScratchDirectory installDir;
  FileHasher hasher;
  for (const char* port : {"TONVEXA_NGINX_PORT", "TONVEXA_SERVE_PORT"}) {
    SCOPED_TRACE(port);
    CWString destination((installDir / (Wide(port) + L"\\product.z01")).c_str());
    FileDownloader downloader;
    EXPECT_GE(downloader.Download(Url(port, L"/down/tonvexa/product.z01"), destination), 0);
    EXPECT_TRUE(ReadWholeFile(destination.GetText()) == expected);
    EXPECT_EQ(Str(hasher.hashFile(destination, CWString(L"MD5"))), Str(first.getText(CWString(L"/MD5"))));
  }

  // tools/serve logged the download: one JSON line, written once the response was sent.
  const std::wstring log = WindowsPathFromUnix(Environment("TONVEXA_SERVE_LOG"));
  const std::string line =
      R"({"method": "GET", "path": "/down/tonvexa/product.z01", "status": 200, "bytes": 1048576})";
  for (int wait = 0; wait < 50 && ReadWholeFile(log).find(line) == std::string::npos; ++wait) Sleep(100);
  EXPECT_NE(ReadWholeFile(log).find(line), std::string::npos) << ReadWholeFile(log);
}

}  // namespace
