// The test session's Wine runs as a Chinese (Simplified) system: code page 936, and file names with
// Chinese characters work on the Unix side.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/test_environment.h"

TEST(WineLocale, ChineseCodePageAndChineseFileNames) {
  EXPECT_EQ(GetACP(), 936u);
  ScratchDirectory scratch;
  const std::wstring path = scratch / L"安装目录";
  ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << GetLastError();
  EXPECT_TRUE(WriteWholeFile(path + L"\\说明.txt", "ok"));
  EXPECT_EQ(ReadWholeFile(path + L"\\说明.txt"), "ok");
}
