#include "data/archive_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/archive_codec_library.h"
#include "resources/resource_ids.h"
#include "support/file_tree.h"
#include "support/test_environment.h"
#include "support/unix_process.h"
#include "runtime/event_binding.h"

namespace {

// The fixture archives (made once per run by tests/data/archive_fixtures.py) and the codec library written
// beside this executable, as the installer does at start-up.
class ArchiveFixtures : public ::testing::Environment {
 public:
  static std::wstring Path(const std::wstring& name) { return *s_folder / name; }

  void SetUp() override {
    s_folder = std::make_unique<ScratchDirectory>();
    const std::string command = "python3 '" +
                                UnixPathFromWindows(SourcePath(L"tests/data/archive_fixtures.py")) + "' '" +
                                UnixPathFromWindows(s_folder->Path()) + "'";
    ASSERT_EQ(RunUnixCommand(command, 300000), 0) << command;

    // With no library beside the executable, opening fails with a text saying why (one in the current
    // folder is not taken), and a later call loads the library once it is there.
    const CWString libraryPath((ExecutableDirectory() + L"\\7z.dll").c_str());
    DeleteFileW(libraryPath.GetText());
    ASSERT_TRUE(CopyFileW(SourcePath(L".deps/7zip/7z.dll").c_str(), Path(L"7z.dll").c_str(), FALSE));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(s_folder->Path().c_str());
    EXPECT_EQ(codecLibrary(), nullptr);
    SetCurrentDirectoryW(previous);
    QelArchiveReader reader;
    EXPECT_FALSE(reader.openFile(CWString(Path(L"tree.zip").c_str()), CWString()));
    EXPECT_NE(
        std::wstring(reader.lastErrorText().GetText()).find(L"Cannot load the codec library \"7z.dll\""),
        std::wstring::npos)
        << reader.lastErrorText().GetText();

    ASSERT_TRUE(writeCodecLibraryFile(libraryPath, IDR_CODEC_LIBRARY));
    ASSERT_NE(codecLibrary(), nullptr);
  }
  void TearDown() override { s_folder.reset(); }

 private:
  static std::unique_ptr<ScratchDirectory> s_folder;
};
std::unique_ptr<ScratchDirectory> ArchiveFixtures::s_folder;
const auto* const g_fixtures = ::testing::AddGlobalTestEnvironment(new ArchiveFixtures);

CWString Text(const std::wstring& text) {
  return CWString(text.c_str());
}

bool Contains(const CWString& text, const std::wstring& part) {
  return std::wstring(text.GetText()).find(part) != std::wstring::npos;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// extractArchive of one fixture archive (no password) into `destination`.
int ExtractFixture(ArchiveReader& reader, const wchar_t* archive, const std::wstring& destination,
                   CWString& error) {
  return reader.extractArchive(Text(ArchiveFixtures::Path(archive)), CVolMem(), CWString(), error,
                               Text(destination));
}

// A receiving object recording the progress events it gets.
struct ProgressRecord {
  std::wstring fileName;
  uint32_t percent;
  uint64_t total, processed;
  int32_t ratio;
};

class ProgressReceiver : public CVolObject {
 public:
  ProgressReceiver() : events(this) {}
  ~ProgressReceiver() override { events.Detach(); }

  static int32_t OnProgress(CVolObject* self, CVolObject* sender, int32_t extra, const CWString& fileName,
                            uint32_t percent, uint64_t total, uint64_t processed, int32_t ratio) {
    auto* receiver = static_cast<ProgressReceiver*>(self);
    receiver->sender = sender;
    receiver->extra = extra;
    receiver->records.push_back({fileName.GetText(), percent, total, processed, ratio});
    return receiver->records.size() >= receiver->cancelAfter ? 1 : 0;
  }

  EventReceiver events;
  CVolObject* sender = nullptr;
  int32_t extra = 0;
  size_t cancelAfter = SIZE_MAX;
  std::vector<ProgressRecord> records;
};

TEST(ExtractArchive, ExtractsEveryKindOfItemByteExactAndReplacesExistingFiles) {
  ScratchDirectory destination;
  CreateDirectoryW((destination / L"bin").c_str(), nullptr);
  WriteWholeFile(destination / L"readme.txt", "an older, longer readme that must not survive");
  WriteWholeFile(destination / L"bin\\app.exe", "old");
  SetFileAttributesW((destination / L"bin\\app.exe").c_str(), FILE_ATTRIBUTE_READONLY);

  ArchiveReader reader;
  CWString error(L"untouched");
  EXPECT_EQ(ExtractFixture(reader, L"tree.zip", destination.Path(), error), 1);
  EXPECT_STREQ(error.GetText(), L"untouched");
  EXPECT_STREQ(reader.lastErrorText().GetText(), L"OK");
  EXPECT_FALSE(reader.isOpen());
  ExpectSameTree(ArchiveFixtures::Path(L"tree"), destination.Path());
}

TEST(ExtractArchive, ChineseFileAndFolderNamesAreExtracted) {
  ScratchDirectory destination;
  ArchiveReader reader;
  CWString error;
  EXPECT_EQ(ExtractFixture(reader, L"cjk.zip", destination.Path(), error), 1) << error.GetText();
  ExpectSameTree(ArchiveFixtures::Path(L"cjk"), destination.Path());
  EXPECT_EQ(ReadWholeFile(destination / L"资料\\说明文档.txt").substr(0, 13), "中文内容\n");
}

TEST(ExtractArchive, FromMemoryExtractsTheSameAsFromTheFile) {
  ScratchDirectory destination;
  ArchiveReader reader;
  {
    // The reader keeps its own copy: the caller's buffer may go away once the archive is open.
    const std::string bytes = ReadWholeFile(ArchiveFixtures::Path(L"tree.zip"));
    ASSERT_TRUE(reader.openMemory(CVolMem(bytes.data(), static_cast<int64_t>(bytes.size())), CWString()));
  }
  EXPECT_TRUE(reader.extractToDirectory(Text(destination.Path())));
  EXPECT_STREQ(reader.lastErrorText().GetText(), L"OK");
  ExpectSameTree(ArchiveFixtures::Path(L"tree"), destination.Path());

  ScratchDirectory second;
  const std::string bytes = ReadWholeFile(ArchiveFixtures::Path(L"tree.zip"));
  CWString error;
  EXPECT_EQ(reader.extractArchive(CWString(), CVolMem(bytes.data(), static_cast<int64_t>(bytes.size())),
                                  CWString(), error, Text(second.Path())),
            1);
  ExpectSameTree(ArchiveFixtures::Path(L"tree"), second.Path());
}

TEST(ExtractArchive, ASpannedArchiveIsReadFromTheVolumesBesideItsZipFile) {
  ScratchDirectory destination;
  ArchiveReader reader;
  CWString error;
  EXPECT_EQ(ExtractFixture(reader, L"product.zip", destination.Path(), error), 1) << error.GetText();
  ExpectSameTree(ArchiveFixtures::Path(L"spanned"), destination.Path());
}

TEST(ExtractArchive, ASpannedArchiveWithAVolumeMissingFails) {
  for (const wchar_t* missing : {L"product.z01", L"product.z02"}) {
    SCOPED_TRACE(std::string(missing, missing + wcslen(missing)));
    ScratchDirectory parts, destination;
    for (const wchar_t* name : {L"product.zip", L"product.z01", L"product.z02"}) {
      if (wcscmp(name, missing) != 0) {
        WriteWholeFile(parts / name, ReadWholeFile(ArchiveFixtures::Path(name)));
      }
    }
    ArchiveReader reader;
    CWString error;
    EXPECT_EQ(reader.extractArchive(Text(parts / L"product.zip"), CVolMem(), CWString(), error,
                                    Text(destination.Path())),
              0);
    EXPECT_TRUE(Contains(
        error, L"\"product.zip\" is incomplete: its volume \"" + std::wstring(missing) + L"\" is missing"))
        << error.GetText();
    // Refused before anything was written.
    EXPECT_TRUE(ListTree(destination.Path()).empty());
  }
}

TEST(ExtractArchive, FailuresGiveZeroAndAnEnglishCause) {
  ScratchDirectory work;
  const std::string tree = ReadWholeFile(ArchiveFixtures::Path(L"tree.zip"));
  WriteWholeFile(work / L"truncated.zip", tree.substr(0, tree.size() / 2));
  WriteWholeFile(work / L"not_a_zip.zip", std::string(5000, 'x'));

  struct Case {
    std::wstring archive;
    const wchar_t* password;
    std::wstring cause;
  } cases[] = {
      {work / L"missing.zip", L"", L"Cannot open the archive \"" + work / L"missing.zip\": "},
      {work / L"not_a_zip.zip", L"", L"it is not a zip archive"},
      {work / L"truncated.zip", L"", L"truncated"},
      {ArchiveFixtures::Path(L"crc.zip"), L"", L"CRC error in \"bad.txt\""},
      {ArchiveFixtures::Path(L"encrypted_aes.zip"), L"",
       L"\"secret.txt\" is encrypted and no password was given"},
      {ArchiveFixtures::Path(L"encrypted_aes.zip"), L"wrong", L"Wrong password for \"secret.txt\""},
      {ArchiveFixtures::Path(L"encrypted_zipcrypto.zip"), L"", L"is encrypted and no password was given"},
      {ArchiveFixtures::Path(L"encrypted_zipcrypto.zip"), L"wrong", L"Wrong password for \"secret.txt\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.archive.begin(), c.archive.end()));
    ScratchDirectory destination;
    ArchiveReader reader;
    CWString error;
    EXPECT_EQ(reader.extractArchive(Text(c.archive), CVolMem(), CWString(c.password), error,
                                    Text(destination.Path())),
              0);
    EXPECT_TRUE(Contains(error, c.cause)) << error.GetText();
    EXPECT_FALSE(reader.isOpen());
    // A file that failed is not left behind half-written or unchecked.
    EXPECT_FALSE(Exists(destination / L"bad.txt"));
    EXPECT_FALSE(Exists(destination / L"secret.txt"));
  }
}

// The cause names the file in full, also with characters no ANSI code page holds (Korean and an emoji
// beside Chinese under the Chinese code page).
TEST(ExtractArchive, ACauseKeepsEveryCharacterOfTheFileName) {
  ScratchDirectory work;
  ScratchDirectory destination;
  const std::wstring missing = work / L"\uD55C\uAD6D \U0001F600 \u5B89\u88C5.zip";
  ArchiveReader reader;
  CWString error;
  EXPECT_EQ(reader.extractArchive(Text(missing), CVolMem(), CWString(), error, Text(destination.Path())), 0);
  EXPECT_TRUE(Contains(error, L"Cannot open the archive \"" + missing + L"\": ")) << error.GetText();
}

TEST(ExtractArchive, TheRightPasswordOpensAnEncryptedArchive) {
  for (const wchar_t* name : {L"encrypted_aes.zip", L"encrypted_zipcrypto.zip"}) {
    ScratchDirectory destination;
    ArchiveReader reader;
    CWString error;
    EXPECT_EQ(reader.extractArchive(Text(ArchiveFixtures::Path(name)), CVolMem(), CWString(L"Tonvexa-9"),
                                    error, Text(destination.Path())),
              1)
        << error.GetText();
    EXPECT_EQ(ReadWholeFile(destination / L"secret.txt"),
              ReadWholeFile(ArchiveFixtures::Path(L"secret\\secret.txt")));
  }
}

TEST(QelArchiveReader, ExtractingWithNothingOpenFails) {
  ScratchDirectory destination;
  QelArchiveReader reader;
  EXPECT_FALSE(reader.extractToDirectory(Text(destination.Path())));
  EXPECT_STREQ(reader.lastErrorText().GetText(), L"未打开压缩文件.");

  ASSERT_TRUE(reader.openFile(Text(ArchiveFixtures::Path(L"crc.zip")), CWString()));
  EXPECT_STREQ(reader.lastErrorText().GetText(), L"OK");
  reader.close();
  EXPECT_FALSE(reader.extractToDirectory(Text(destination.Path())));
  EXPECT_STREQ(reader.lastErrorText().GetText(), L"未打开压缩文件.");
}

TEST(ArchiveReaderProgress, ReportsEveryStepUpTo100PercentToTheBoundHandler) {
  ScratchDirectory destination;
  ProgressReceiver receiver;
  ArchiveReader reader;
  reader.bindProgressEvent(&ProgressReceiver::OnProgress, receiver.events.Holder(), 7);
  CWString error;
  ASSERT_EQ(ExtractFixture(reader, L"tree.zip", destination.Path(), error), 1);
  ASSERT_FALSE(receiver.records.empty());
  EXPECT_EQ(receiver.sender, static_cast<CVolObject*>(&reader));
  EXPECT_EQ(receiver.extra, 7);
  uint64_t unpacked = 0;
  for (const auto& [name, bytes] : ListTree(ArchiveFixtures::Path(L"tree"))) {
    if (bytes != "<folder>") unpacked += bytes.size();
  }
  uint32_t lastPercent = 0;
  for (const ProgressRecord& record : receiver.records) {
    EXPECT_EQ(record.total, unpacked);
    EXPECT_GT(record.processed, 0u);
    EXPECT_EQ(record.percent, record.processed * 100 / record.total);
    EXPECT_GE(record.percent, lastPercent);
    lastPercent = record.percent;
  }
  EXPECT_EQ(receiver.records.back().percent, 100u);
  // The 20 MiB file is half random: its packed size is well above 0 and below 100 % of its size.
  EXPECT_GT(receiver.records.back().ratio, 10);
  EXPECT_LT(receiver.records.back().ratio, 100);
}

TEST(ArchiveReaderProgress, AHandlerAskingToStopCancelsTheExtraction) {
  ScratchDirectory destination;
  ProgressReceiver receiver;
  receiver.cancelAfter = 2;
  ArchiveReader reader;
  reader.bindProgressEvent(&ProgressReceiver::OnProgress, receiver.events.Holder());
  CWString error;
  EXPECT_EQ(ExtractFixture(reader, L"tree.zip", destination.Path(), error), 0);
  EXPECT_TRUE(Contains(error, L"cancelled")) << error.GetText();
  EXPECT_EQ(receiver.records.size(), 2u);
  // What was written before the stop is whole; the item being written is gone.
  const auto expected = ListTree(ArchiveFixtures::Path(L"tree"));
  for (const auto& [name, bytes] : ListTree(destination.Path())) {
    auto found = expected.find(name);
    ASSERT_NE(found, expected.end());
    EXPECT_TRUE(found->second == bytes) << std::string(name.begin(), name.end());
  }
}

TEST(ArchiveReaderProgress, NothingToUnpackRaisesNoEventAndLongNamesArePassedWhole) {
  ProgressReceiver receiver;
  ArchiveReader reader;
  reader.bindProgressEvent(&ProgressReceiver::OnProgress, receiver.events.Holder());
  CWString error;

  ScratchDirectory empty;
  EXPECT_EQ(ExtractFixture(reader, L"empty_items.zip", empty.Path(), error), 1);
  EXPECT_TRUE(receiver.records.empty());
  EXPECT_TRUE(Exists(empty / L"folder\\nothing.txt"));

  ScratchDirectory named;
  EXPECT_EQ(ExtractFixture(reader, L"long_name.zip", named.Path(), error), 1);
  ASSERT_FALSE(receiver.records.empty());
  EXPECT_EQ(receiver.records.back().fileName,
            L"a_folder_with_a_long_name\\and_a_file_name_that_is_long_too.txt");
}

TEST(ArchiveReaderProgress, WithoutAHandlerExtractionRunsToTheEnd) {
  ScratchDirectory destination;
  ArchiveReader reader;
  EXPECT_EQ(reader.onProgress(L"x", 50, 2, 1, 0), 0);
  CWString error;
  EXPECT_EQ(ExtractFixture(reader, L"long_name.zip", destination.Path(), error), 1);
}

TEST(ExtractArchive, ItemsReachingOutsideTheDestinationAreRefusedAndNothingIsWritten) {
  const std::string names = ReadWholeFile(ArchiveFixtures::Path(L"slip_names.txt"));
  std::vector<std::string> items;
  for (size_t start = 0, end; (end = names.find('\n', start)) != std::string::npos; start = end + 1) {
    items.push_back(names.substr(start, end - start));
  }
  ASSERT_GE(items.size(), 4u);
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(items[i]);
    ScratchDirectory parent;
    const std::wstring destination = parent / L"product";
    ArchiveReader reader;
    CWString error;
    EXPECT_EQ(reader.extractArchive(Text(ArchiveFixtures::Path(L"slip_" + std::to_wstring(i) + L".zip")),
                                    CVolMem(), CWString(), error, Text(destination)),
              0);
    // The error names the item (with the separators the library reports).
    std::wstring expected(items[i].begin(), items[i].end());
    std::wstring reported = error.GetText();
    for (auto* text : {&expected, &reported}) {
      for (auto& c : *text) c = c == L'/' ? L'\\' : c;
    }
    EXPECT_NE(reported.find(L"Refused to extract the item"), std::wstring::npos) << error.GetText();
    EXPECT_NE(reported.find(expected.substr(expected.find_last_of(L"\\:") + 1)), std::wstring::npos)
        << error.GetText();
    // Nothing was written: not the harmless item before it, nothing beside the destination.
    const auto written = ListTree(parent.Path());
    for (const auto& [name, bytes] : written) {
      EXPECT_TRUE(name == L"product") << std::string(name.begin(), name.end());
    }
  }
  for (const wchar_t* outside : {L"C:\\x.txt", L"Z:\\abs.txt", L"C:\\abs.txt"}) {
    EXPECT_FALSE(Exists(outside)) << outside;
  }
}

TEST(ExtractArchive, DotDotThatStaysInsideIsResolved) {
  ScratchDirectory destination;
  ArchiveReader reader;
  CWString error;
  EXPECT_EQ(ExtractFixture(reader, L"inner_dots.zip", destination.Path(), error), 1) << error.GetText();
  EXPECT_EQ(ReadWholeFile(destination / L"inside.txt"), "inside\n");
}

TEST(WriteCodecLibraryFile, WritesTheEmbeddedLibraryOverAnExistingFile) {
  const std::wstring target = ExecutableDirectory() + L"\\codec_library_copy.dll";
  ASSERT_TRUE(WriteWholeFile(target, "an older file"));
  EXPECT_TRUE(writeCodecLibraryFile(Text(target), IDR_CODEC_LIBRARY));
  const std::string written = ReadWholeFile(target);
  EXPECT_GT(written.size(), 1000000u);
  EXPECT_TRUE(written == ReadWholeFile(SourcePath(L".deps/7zip/7z.dll")));
  DeleteFileW(target.c_str());

  EXPECT_FALSE(writeCodecLibraryFile(CWString(), IDR_CODEC_LIBRARY));
  EXPECT_FALSE(
      writeCodecLibraryFile(Text(ExecutableDirectory() + L"\\no_such_folder\\7z.dll"), IDR_CODEC_LIBRARY));
}

}  // namespace
