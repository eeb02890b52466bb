// The test helpers themselves: paths under Wine and running Linux commands.
#include <gtest/gtest.h>

#include "support/test_environment.h"
#include "support/unix_process.h"

TEST(TestSupport, RunsLinuxCommandsAndSeesTheirFiles) {
  ScratchDirectory scratch;
  const std::string unixFile = UnixPathFromWindows(scratch / L"from_linux.txt");
  EXPECT_EQ(RunUnixCommand("printf hello > '" + unixFile + "'; exit 3"), 3);
  EXPECT_EQ(ReadWholeFile(scratch / L"from_linux.txt"), "hello");
  EXPECT_EQ(WindowsPathFromUnix("/tmp/x"), L"Z:\\tmp\\x");
  EXPECT_FALSE(SourcePath().empty());
}
