// Applying the installer configuration against the local test server: what lands in the installer state,
// what is fetched, and the names that are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/installer_configuration.h"
#include "support/local_server.h"

namespace {

std::string Utf8(const CWString& text) {
  const CVolMem bytes = text.ToUtf8Bytes();
  return std::string(reinterpret_cast<const char*>(bytes.GetData()), static_cast<size_t>(bytes.GetSize()));
}

std::string Bytes(const CVolMem& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.GetData()), static_cast<size_t>(bytes.GetSize()));
}

std::vector<std::string> Texts(const std::vector<CWString>& list) {
  std::vector<std::string> out;
  for (const CWString& item : list) out.push_back(Utf8(item));
  return out;
}

class ConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.IsRunning()) << server.Diagnostics(); }

  // Serves `document` at a path of its own and applies it to `state`.
  ConfigurationOutcome Apply(InstallerState& state, const std::string& document, int status = 200) {
    const std::string path = "/down/case" + std::to_string(++m_cases) + ".json";
    ScriptedResponse response;
    response.status = status;
    response.body = document;
    server.SetResponses(path, {response});
    return ApplyConfigurationTo(state, CWString(server.Url(std::wstring(path.begin(), path.end())).c_str()));
  }
  std::string Url(const std::string& path) {
    const std::wstring url = server.Url(std::wstring(path.begin(), path.end()));
    return std::string(url.begin(), url.end());
  }

  LocalServer server;

 private:
  int m_cases = 0;
};

TEST_F(ConfigurationTest, FullDocumentFillsTheStateAndASecondApplicationAppends) {
  server.SetResponses("/licence.txt", {{200, {}, "许可协议\r\n第二行"}});
  server.SetResponses("/p1.png", {{200, {}, "picture one"}});
  server.SetResponses("/p3.png", {{200, {}, "picture three"}});
  const std::string document = R"({
    "用户许可文件地址": ")" + Url("/licence.txt") + R"(",
    "路径是否支持中文": "是",
    "下载线程限制": "3",
    "解压完成运行文件名": "bin\\TonvexaAI.exe",
    "桌面快捷方式名称": "TonvexaAI",
    "背景图片": {"初始界面": [")" + Url("/p1.png") + R"(", "http://127.0.0.1:)" + std::to_string(RefusingPort()) + R"(/p2.png"],
                 "其他": ["ignored"],
                 "安装界面": [")" + Url("/p3.png") + R"("]},
    "软件下载": [{"名称": "a.zip", "地址": "http://x/a", "MD5": "AA"},
                 {"名称": "b.z01", "地址": "http://x/b", "MD5": "BB"},
                 {"名称": "c.z02", "地址": "http://x/c"}]
  })";
  InstallerState state;
  ConfigurationOutcome outcome = Apply(state, document);
  ASSERT_EQ(outcome.result, ConfigurationResult::Applied);
  EXPECT_TRUE(outcome.hasPictures);
  EXPECT_EQ(Utf8(state.configText), document);
  EXPECT_EQ(Utf8(state.licenceText), "许可协议\r\n第二行");
  EXPECT_TRUE(state.chineseDirAllowed);
  EXPECT_EQ(state.downloadThreadLimit, 3);
  EXPECT_EQ(Utf8(state.runFileName), "bin\\TonvexaAI.exe");
  EXPECT_EQ(Utf8(state.shortcutName), "TonvexaAI");
  ASSERT_EQ(state.startImages.size(), 2u);
  EXPECT_EQ(Bytes(state.startImages[0]), "picture one");
  EXPECT_EQ(state.startImages[1].GetSize(), 0) << "a picture that cannot be fetched adds an empty entry";
  ASSERT_EQ(state.installImages.size(), 1u);
  EXPECT_EQ(Bytes(state.installImages[0]), "picture three");
  EXPECT_EQ(Texts(state.partNames), (std::vector<std::string>{"a.zip", "b.z01", "c.z02"}));
  EXPECT_EQ(Texts(state.partUrls), (std::vector<std::string>{"http://x/a", "http://x/b", "http://x/c"}));
  EXPECT_EQ(Texts(state.partMd5s), (std::vector<std::string>{"AA", "BB", ""}));

  // The second application re-reads the stored text (no new configuration request), fetches the licence
  // and the pictures again and appends.
  server.SetResponses("/down/case1.json", {{404, {}, "gone"}});
  outcome = ApplyConfigurationTo(state, CWString(server.Url(L"/down/case1.json").c_str()));
  ASSERT_EQ(outcome.result, ConfigurationResult::Applied);
  EXPECT_EQ(server.RequestCount("/down/case1.json"), 1);
  EXPECT_EQ(server.RequestCount("/licence.txt"), 2);
  EXPECT_EQ(state.startImages.size(), 4u);
  EXPECT_EQ(state.installImages.size(), 2u);
  EXPECT_EQ(Texts(state.partNames),
            (std::vector<std::string>{"a.zip", "b.z01", "c.z02", "a.zip", "b.z01", "c.z02"}));
  EXPECT_EQ(state.partUrls.size(), 6u);
  EXPECT_EQ(state.partMd5s.size(), 6u);
}

TEST_F(ConfigurationTest, SingleValuesTable) {
  struct Case {
    const char* members;  // inside the root object
    bool chineseDirAllowed;
    int32_t downloadThreadLimit;
    const char* runFileName;
    const char* shortcutName;
  } const cases[] = {
      {R"("路径是否支持中文": "是")", true, 0, "", ""},
      {R"("路径是否支持中文": "是的")", false, 0, "", ""},
      {R"("路径是否支持中文": " 是")", false, 0, "", ""},
      {R"("路径是否支持中文": true)", false, 0, "", ""},
      {R"("下载线程限制": 3)", false, 3, "", ""},
      {R"("下载线程限制": "3")", false, 3, "", ""},
      {R"("下载线程限制": 4294967299)", false, 3, "", ""},
      {R"("下载线程限制": "many")", false, 0, "", ""},
      {R"("解压完成运行文件名": 5, "桌面快捷方式名称": true)", false, 0, "5", "true"},
  };
  for (const Case& c : cases) {
    InstallerState state;
    const ConfigurationOutcome outcome = Apply(state, std::string("{") + c.members + "}");
    ASSERT_EQ(outcome.result, ConfigurationResult::Applied) << c.members;
    EXPECT_EQ(state.chineseDirAllowed, c.chineseDirAllowed) << c.members;
    EXPECT_EQ(state.downloadThreadLimit, c.downloadThreadLimit) << c.members;
    EXPECT_EQ(Utf8(state.runFileName), c.runFileName) << c.members;
    EXPECT_EQ(Utf8(state.shortcutName), c.shortcutName) << c.members;
    EXPECT_FALSE(outcome.hasPictures) << c.members;
  }
}

TEST_F(ConfigurationTest, DocumentsWithoutPicturesOrParts) {
  const char* const documents[] = {
      R"({"背景图片": {"初始界面": []}})",  // an empty start list and no install list start no slide show
      R"([{"用户许可文件地址": "x"}, 5])",   // an array root: every member reads as missing
      "7",
  };
  for (const char* document : documents) {
    InstallerState state;
    const ConfigurationOutcome outcome = Apply(state, document);
    ASSERT_EQ(outcome.result, ConfigurationResult::Applied) << document;
    EXPECT_FALSE(outcome.hasPictures) << document;
    EXPECT_TRUE(state.startImages.empty() && state.installImages.empty()) << document;
    EXPECT_TRUE(state.partNames.empty() && state.partUrls.empty() && state.partMd5s.empty()) << document;
    EXPECT_TRUE(state.licenceUrl.IsEmpty()) << document;
    EXPECT_EQ(state.downloadThreadLimit, 0) << document;
  }
}

TEST_F(ConfigurationTest, MissingOrUnreadableDocumentIsUnusable) {
  struct Case {
    int status;
    const char* body;
  } const cases[] = {{404, "not here"}, {404, "{}"}, {500, "{\"下载线程限制\": 3}"},
                     {200, "this is not JSON"}, {200, ""}, {200, "{\"a\": "}};
  for (const Case& c : cases) {
    InstallerState state;
    EXPECT_EQ(Apply(state, c.body, c.status).result, ConfigurationResult::Unusable) << c.status << " " << c.body;
    EXPECT_TRUE(state.partNames.empty());
  }
  InstallerState state;
  EXPECT_EQ(ApplyConfigurationTo(state, CWString(L"http://127.0.0.1:1/down/x.json")).result,
            ConfigurationResult::Unusable);
  EXPECT_TRUE(state.configText.IsEmpty());
}

TEST_F(ConfigurationTest, UnsafeNamesAreRefusedBeforeAnythingIsFetchedOrStored) {
  server.SetResponses("/licence.txt", {{200, {}, "licence"}});
  server.SetResponses("/p.png", {{200, {}, "picture"}});
  const std::string common = R"("用户许可文件地址": ")" + Url("/licence.txt") +
                             R"(", "背景图片": {"初始界面": [")" + Url("/p.png") + R"("]})";
  struct Case {
    const char* members;
    const char* refused;  // null: accepted
  } const cases[] = {
      {R"("软件下载": [{"名称": "ok.zip"}, {"名称": "..\\..\\Windows\\System32\\x.dll"}])",
       "..\\..\\Windows\\System32\\x.dll"},
      {R"("软件下载": [{"名称": "C:\\x.dll"}])", "C:\\x.dll"},
      {R"("软件下载": [{"名称": "sub\\x.zip"}])", "sub\\x.zip"},
      {R"("软件下载": [{"名称": "NUL"}])", "NUL"},
      {R"("桌面快捷方式名称": "..\\..\\Start Menu\\x")", "..\\..\\Start Menu\\x"},
      {R"("解压完成运行文件名": "..\\app.exe")", "..\\app.exe"},
      {R"("解压完成运行文件名": "\\Windows\\notepad.exe")", "\\Windows\\notepad.exe"},
      {R"("解压完成运行文件名": "bin\\app.exe", "软件下载": [{"名称": "a.zip"}, {"名称": ""}])", nullptr},
      {R"("桌面快捷方式名称": "", "解压完成运行文件名": "")", nullptr},
  };
  int licenceFetches = 0;
  for (const Case& c : cases) {
    InstallerState state;
    const ConfigurationOutcome outcome = Apply(state, "{" + common + ", " + c.members + "}");
    if (!c.refused) {
      EXPECT_EQ(outcome.result, ConfigurationResult::Applied) << c.members;
      ++licenceFetches;
      continue;
    }
    ASSERT_EQ(outcome.result, ConfigurationResult::UnsafeName) << c.members;
    EXPECT_EQ(Utf8(outcome.unsafeName), c.refused);
    EXPECT_EQ(Utf8(UnsafeNameMessage(outcome.unsafeName)), std::string("配置文件中的文件名不安全：") + c.refused);
    EXPECT_TRUE(state.partNames.empty() && state.startImages.empty()) << c.members;
    EXPECT_TRUE(state.runFileName.IsEmpty() && state.shortcutName.IsEmpty()) << c.members;
  }
  EXPECT_EQ(server.RequestCount("/licence.txt"), licenceFetches) << "refused documents fetch nothing";
  EXPECT_EQ(server.RequestCount("/p.png"), licenceFetches);
}

}  // namespace
