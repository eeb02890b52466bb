#include "data/sevenzip/item_path.h"

#include <gtest/gtest.h>

namespace {

using sevenzip::ItemPathProblem;
using sevenzip::ResolveItemPath;

TEST(ResolveItemPath, SafePathsBecomeRelativeBackslashPaths) {
  const struct {
    const wchar_t* item;
    const wchar_t* relative;
  } cases[] = {
      {L"readme.txt", L"readme.txt"},
      {L"bin/plugins/a.dll", L"bin\\plugins\\a.dll"},
      {L"bin\\plugins\\a.dll", L"bin\\plugins\\a.dll"},
      {L"a/../b.txt", L"b.txt"},
      {L"./a//b/./c.txt", L"a\\b\\c.txt"},
      {L"folder/", L"folder"},
      {L"a/..", L""},
      {L"资料/说明.txt", L"资料\\说明.txt"},
      {L"file.", L"file."},
      {L"CONFIG.sys", L"CONFIG.sys"},
      {L"COM10", L"COM10"},
      {L".hidden", L".hidden"},
  };
  for (const auto& c : cases) {
    std::wstring relative = L"stale";
    EXPECT_EQ(ResolveItemPath(c.item, relative), ItemPathProblem::kNone) << c.item;
    EXPECT_EQ(relative, c.relative) << c.item;
  }
}

TEST(ResolveItemPath, PathsThatLeaveTheDestinationOrNameDevicesAreRefused) {
  const struct {
    const wchar_t* item;
    ItemPathProblem problem;
  } cases[] = {
      {L"../evil.txt", ItemPathProblem::kOutsideDestination},
      {L"..\\evil.txt", ItemPathProblem::kOutsideDestination},
      {L"..\uF05Cevil.txt", ItemPathProblem::kOutsideDestination},
      {L"a/../../b.txt", ItemPathProblem::kOutsideDestination},
      {L"a/b/../../../c", ItemPathProblem::kOutsideDestination},
      {L"..", ItemPathProblem::kOutsideDestination},
      {L"/abs.txt", ItemPathProblem::kAbsolute},
      {L"\\abs.txt", ItemPathProblem::kAbsolute},
      {L"\\\\server\\share\\x.txt", ItemPathProblem::kAbsolute},
      {L"\\\\?\\C:\\x.txt", ItemPathProblem::kAbsolute},
      {L"C:\\x.txt", ItemPathProblem::kDriveOrDevice},
      {L"C:x.txt", ItemPathProblem::kDriveOrDevice},
      {L"file.txt:stream", ItemPathProblem::kDriveOrDevice},
      {L"NUL", ItemPathProblem::kDriveOrDevice},
      {L"dir/nul.txt", ItemPathProblem::kDriveOrDevice},
      {L"COM1", ItemPathProblem::kDriveOrDevice},
      {L"lpt9.log", ItemPathProblem::kDriveOrDevice},
      {L"CON .txt", ItemPathProblem::kDriveOrDevice},
      {L"conout$", ItemPathProblem::kDriveOrDevice},
      {L"...", ItemPathProblem::kInvalidName},
      {L"a/.. /b", ItemPathProblem::kInvalidName},
      {L"a?b", ItemPathProblem::kInvalidName},
      {L"tab\there", ItemPathProblem::kInvalidName},
  };
  for (const auto& c : cases) {
    std::wstring relative;
    EXPECT_EQ(ResolveItemPath(c.item, relative), c.problem) << c.item;
  }
}

}  // namespace
