// Starting a program in the install folder with a hidden (or a chosen) start state, and opening folders in the shell.
#include "data/program_launch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/test_environment.h"

namespace {

CWString W(const std::wstring& s) { return CWString(s.c_str()); }

std::string Utf8(const std::wstring& text) {
  std::string bytes(text.size() * 3, '\0');
  bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                                   static_cast<int>(bytes.size()), nullptr, nullptr));
  return bytes;
}

// What the probe program wrote in `folder`, polled for up to 30 s.
std::string WaitForProbe(const std::wstring& folder) {
  for (int waited = 0; waited < 30000; waited += 50) {
    const std::string probe = ReadWholeFile(folder + L"\\probe.txt");
    if (!probe.empty()) return probe;
    Sleep(50);
  }
  return "";
}

class ProgramLaunchTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryW((m_scratch / L"bin").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((m_scratch / L"install").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((ExecutableDirectory() + L"\\run_program_probe.exe").c_str(), m_program.c_str(), FALSE));
  }

  ScratchDirectory m_scratch;
  const std::wstring m_program = m_scratch / L"bin\\probe.exe";
};

TEST_F(ProgramLaunchTest, RunsInTheInstallFolderWithAHiddenStartState) {
  const std::wstring install = m_scratch / L"install";
  const uint32_t id = runProgram(W(m_program), W(L"probe.exe --first"), W(install + L"\\"));
  EXPECT_NE(id, 0u);
  const std::string probe = WaitForProbe(install);
  ASSERT_FALSE(probe.empty()) << "the program did not run in the install folder";
  EXPECT_EQ(probe, Utf8(install) + "\nprobe.exe --first\n" + std::to_string(STARTF_USESHOWWINDOW) + " " +
                       std::to_string(SW_HIDE) + "\n");
}

TEST_F(ProgramLaunchTest, TheCallerMayAskForANormalWindow) {
  const std::wstring install = m_scratch / L"install";
  EXPECT_NE(runProgram(W(m_program), CWString(), W(install), SW_SHOWNORMAL), 0u);
  const std::string probe = WaitForProbe(install);
  ASSERT_FALSE(probe.empty());
  const std::string startState = "\n" + std::to_string(STARTF_USESHOWWINDOW) + " " + std::to_string(SW_SHOWNORMAL) + "\n";
  ASSERT_GT(probe.size(), startState.size());
  EXPECT_EQ(probe.substr(probe.size() - startState.size()), startState);
}

TEST_F(ProgramLaunchTest, WithoutAnInstallFolderRunsInTheProgramsFolder) {
  EXPECT_NE(runProgram(W(m_program), CWString(), CWString()), 0u);
  const std::string probe = WaitForProbe(m_scratch / L"bin");
  ASSERT_FALSE(probe.empty());
  EXPECT_EQ(probe.substr(0, probe.find('\n')), Utf8(m_scratch / L"bin"));
}

TEST_F(ProgramLaunchTest, MissingProgramGivesZero) {
  EXPECT_EQ(runProgram(W(m_scratch / L"bin\\missing.exe"), CWString(), W(m_scratch / L"install")), 0u);
  EXPECT_EQ(runProgram(CWString(), CWString(), CWString()), 0u);
}

TEST_F(ProgramLaunchTest, OpeningAMissingFolderFails) {
  EXPECT_LE(reinterpret_cast<INT_PTR>(openInstallDir(W(m_scratch / L"no-such-folder\\"))), 32);
}

}  // namespace
