// Listing a folder by wildcard through the bound find functions, and deleting files.
#include "data/file_listing.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/external_binding.h"
#include "support/test_environment.h"

namespace {

std::vector<std::wstring> Sorted(const CVolTextArray& array) {
  std::vector<std::wstring> entries;
  for (int64_t i = 0; i < array.GetCount(); ++i) entries.push_back(array.GetItemText(i));
  std::sort(entries.begin(), entries.end());
  return entries;
}

// a.zip, a hidden h.zip, a folder z.zip and a text file.
class FileListingTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(BindExternalFunctions()); }

  void SetUp() override {
    ASSERT_TRUE(WriteWholeFile(m_scratch / L"a.zip", "a"));
    ASSERT_TRUE(WriteWholeFile(m_scratch / L"h.zip", "h"));
    ASSERT_TRUE(SetFileAttributesW((m_scratch / L"h.zip").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(GetFileAttributesW((m_scratch / L"h.zip").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(CreateDirectoryW((m_scratch / L"z.zip").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(m_scratch / L"notes.txt", "n"));
  }

  CWString Folder(bool trailingBackslash) const {
    return CWString((m_scratch.Path() + (trailingBackslash ? L"\\" : L"")).c_str());
  }

  ScratchDirectory m_scratch;
};

TEST_F(FileListingTest, PatternWithNamesOnlyAndNoHiddenEntries) {
  CVolTextArray files, directories;
  files.Append(L"stale");
  directories.Append(L"kept");
  EXPECT_EQ(findFiles(Folder(true), CWString(L"*.zip"), files, directories, false, false), 1);
  EXPECT_EQ(Sorted(files), std::vector<std::wstring>{L"a.zip"});
  EXPECT_EQ(Sorted(directories), (std::vector<std::wstring>{L"kept", L"z.zip"}));
}

TEST_F(FileListingTest, EverythingWithFullPathsAndHiddenEntries) {
  CVolTextArray files, directories;
  const std::wstring folder = m_scratch.Path() + L"\\";
  EXPECT_EQ(findFiles(Folder(false), CWString(L"*"), files, directories, true, true), 3);
  EXPECT_EQ(Sorted(files), (std::vector<std::wstring>{folder + L"a.zip", folder + L"h.zip", folder + L"notes.txt"}));
  EXPECT_EQ(Sorted(directories), std::vector<std::wstring>{folder + L"z.zip"});  // no "." or ".."
}

TEST_F(FileListingTest, NoMatchOrNoFolderGivesNothing) {
  CVolTextArray files, directories;
  files.Append(L"stale");
  EXPECT_EQ(findFiles(Folder(true), CWString(L"*.exe"), files, directories, false, true), 0);
  EXPECT_EQ(files.GetCount(), 0);
  EXPECT_EQ(findFiles(CWString((m_scratch / L"missing").c_str()), CWString(L"*"), files, directories, false, true), 0);
  EXPECT_EQ(directories.GetCount(), 0);
}

TEST_F(FileListingTest, DeleteFileRemovesOnlyFiles) {
  EXPECT_TRUE(deleteFile(CWString((m_scratch / L"a.zip").c_str())));
  EXPECT_EQ(GetFileAttributesW((m_scratch / L"a.zip").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(deleteFile(CWString((m_scratch / L"a.zip").c_str())));
  EXPECT_FALSE(deleteFile(CWString((m_scratch / L"z.zip").c_str())));
}

}  // namespace
