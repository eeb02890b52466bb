// A release of the demo product made by tools/publish, taken apart the way the installer takes it: the
// configuration read back through the JSON layer with the installer's member paths, every part hashed with
// the installer's hasher, the parts extracted with extractArchive into an install folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/archive_codec_library.h"
#include "data/archive_reader.h"
#include "data/file_hasher.h"
#include "data/json_object.h"
#include "resources/resource_ids.h"
#include "runtime/external_binding.h"
#include "support/file_tree.h"
#include "support/test_environment.h"
#include "support/unix_process.h"

namespace {

constexpr wchar_t kBaseUrl[] = L"http://127.0.0.1:8888";

std::wstring DemoProduct() {
  return BuildPath(L"demo-release\\product");
}

// The demo product published once for all tests, with every option a release uses.
class DemoRelease : public ::testing::Environment {
 public:
  static std::wstring Site(const std::wstring& relative) { return *s_scratch / (L"site\\" + relative); }

  void SetUp() override {
    s_scratch = std::make_unique<ScratchDirectory>();
    const std::string input = UnixPathFromWindows(BuildPath(L"demo-release"));
    const std::string command =
        "python3 '" + UnixPathFromWindows(SourcePath(L"tools/publish")) + "' '" + input + "/product' '" +
        UnixPathFromWindows(*s_scratch / L"site") +
        "' --base-url http://127.0.0.1:8888 --part-size 1m --threads 3 --run-file TonvexaAI.exe"
        " --shortcut TonvexaAI --licence '" + input + "/licence.txt' --start-image '" + input +
        "/pictures/slide-1.png' --install-image '" + input + "/pictures/slide-2.png' '" + input +
        "/pictures/slide-3.png' > '" + UnixPathFromWindows(*s_scratch / L"publish.log") + "' 2>&1";
    ASSERT_EQ(RunUnixCommand(command, 300000), 0) << command << "\n" << ReadWholeFile(*s_scratch / L"publish.log");
    ASSERT_TRUE(writeCodecLibraryFile(CWString((ExecutableDirectory() + L"\\7z.dll").c_str()), IDR_CODEC_LIBRARY));
    // The hasher's CNG functions are bound at start-up, as the installer does.
    ASSERT_TRUE(BindExternalFunctions());
  }
  void TearDown() override { s_scratch.reset(); }

 private:
  static std::unique_ptr<ScratchDirectory> s_scratch;
};
std::unique_ptr<ScratchDirectory> DemoRelease::s_scratch;
const auto* const g_release = ::testing::AddGlobalTestEnvironment(new DemoRelease);

CWString Text(const std::wstring& text) {
  return CWString(text.c_str());
}

std::wstring Str(const CWString& text) {
  return text.GetText();
}

// The part files tools/publish wrote, in the order the document lists them: the volumes, then the .zip.
std::vector<std::wstring> PublishedParts() {
  std::vector<std::wstring> parts;
  for (int volume = 1;; ++volume) {
    wchar_t name[32];
    swprintf(name, 32, L"product.z%02d", volume);
    if (GetFileAttributesW(DemoRelease::Site(std::wstring(L"down\\tonvexa\\") + name).c_str()) ==
        INVALID_FILE_ATTRIBUTES) {
      break;
    }
    parts.push_back(name);
  }
  parts.push_back(L"product.zip");
  return parts;
}

std::wstring PartPath(const std::wstring& name) {
  return DemoRelease::Site(L"down\\tonvexa\\" + name);
}

// The items of an array member read as the installer reads them: text forms, then one object each.
std::vector<JsonObject> Items(const JsonObject& document, const wchar_t* path) {
  JsonObject container;
  document.getContainer(Text(path), container);
  CVolTextArray texts;
  container.listItemTexts(texts);
  std::vector<JsonObject> items(static_cast<size_t>(texts.GetCount()));
  for (size_t i = 0; i < items.size(); ++i) items[i].parseText(Text(texts.GetItemText(static_cast<int64_t>(i))));
  return items;
}

TEST(DemoRelease, TheConfigurationReadsBackWithTheInstallersMemberPaths) {
  const std::string bytes = ReadWholeFile(DemoRelease::Site(L"down\\tonvexa.json"));
  JsonObject document;
  ASSERT_TRUE(document.parseUtf8(bytes.data(), bytes.size()));

  const std::wstring release = std::wstring(kBaseUrl) + L"/down/tonvexa/";
  EXPECT_EQ(Str(document.getText(Text(L"/用户许可文件地址"))), release + L"licence.txt");
  EXPECT_EQ(Str(document.getText(Text(L"/路径是否支持中文"))), L"否");
  EXPECT_EQ(document.getInteger(Text(L"/下载线程限制")), 3);
  EXPECT_EQ(Str(document.getText(Text(L"/解压完成运行文件名"))), L"TonvexaAI.exe");
  EXPECT_EQ(Str(document.getText(Text(L"/桌面快捷方式名称"))), L"TonvexaAI");

  JsonObject pictures;
  document.getContainer(Text(L"/背景图片"), pictures);
  CVolTextArray names, texts, types;
  ASSERT_EQ(pictures.listMembers(names, texts, types), 2);
  const std::vector<std::pair<std::wstring, std::vector<std::wstring>>> expectedPictures = {
      {L"初始界面", {release + L"start-1.png"}},
      {L"安装界面", {release + L"install-1.png", release + L"install-2.png"}}};
  for (int64_t member = 0; member < 2; ++member) {
    EXPECT_EQ(std::wstring(names.GetItemText(member)), expectedPictures[member].first);
    JsonArray urls;
    ASSERT_TRUE(urls.parseText(Text(texts.GetItemText(member))));
    ASSERT_EQ(urls.itemCount(), static_cast<int64_t>(expectedPictures[member].second.size()));
    for (int32_t k = 0; k < urls.itemCount(); ++k) {
      CWString url;
      EXPECT_EQ(Str(urls.itemText(url, k)), expectedPictures[member].second[k]);
    }
  }

  const std::vector<std::wstring> parts = PublishedParts();
  ASSERT_GE(parts.size(), 3u) << "the demo product spans several 1 MiB parts";
  const std::vector<JsonObject> items = Items(document, L"/软件下载");
  ASSERT_EQ(items.size(), parts.size());
  FileHasher hasher;
  for (size_t i = 0; i < parts.size(); ++i) {
    EXPECT_EQ(Str(items[i].getText(Text(L"/名称"))), parts[i]);
    EXPECT_EQ(Str(items[i].getText(Text(L"/地址"))), release + parts[i]);
    // The installer compares its hasher's digest with this text exactly.
    EXPECT_EQ(Str(items[i].getText(Text(L"/MD5"))), Str(hasher.hashFile(Text(PartPath(parts[i])), Text(L"MD5"))));
  }
}

TEST(DemoRelease, ThePartsExtractByteExactIntoTheInstallFolder) {
  // As the installer leaves them: every part under its name in the install folder, then the .zip extracted
  // there, then the part files deleted.
  ScratchDirectory installDir;
  const std::vector<std::wstring> parts = PublishedParts();
  for (const std::wstring& part : parts) {
    ASSERT_TRUE(CopyFileW(PartPath(part).c_str(), (installDir / part).c_str(), FALSE));
  }
  ArchiveReader reader;
  CWString error;
  ASSERT_EQ(reader.extractArchive(Text(installDir / L"product.zip"), CVolMem(), CWString(), error,
                                  Text(installDir.Path())),
            1)
      << Str(error);
  for (const std::wstring& part : parts) EXPECT_TRUE(DeleteFileW((installDir / part).c_str()));
  ExpectSameTree(DemoProduct(), installDir.Path());
  EXPECT_TRUE(ListTree(installDir.Path()).count(L"data\\cache")) << "empty folders are installed too";
}

}  // namespace
