// Shortcuts written by createShortcut read back through the shell's own link object.
#include "data/shell_link.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "data/shell_com.h"
#include "support/test_environment.h"

namespace {

struct LinkContents {
  std::wstring target, workingDirectory, arguments, description, icon;
  int iconIndex = -1;
  int showCommand = -1;
  WORD hotkey = 0xFFFF;
};

bool ReadLink(const std::wstring& path, LinkContents& contents) {
  ComApartment apartment;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (!CreateShellLink(link, file)) return false;
  if (FAILED(file->Load(path.c_str(), STGM_READ))) return false;
  wchar_t text[MAX_PATH] = {};
  link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  contents.target = text;
  link->GetWorkingDirectory(text, MAX_PATH);
  contents.workingDirectory = text;
  text[0] = 0;
  link->GetArguments(text, MAX_PATH);
  contents.arguments = text;
  text[0] = 0;
  link->GetDescription(text, MAX_PATH);
  contents.description = text;
  text[0] = 0;
  link->GetIconLocation(text, MAX_PATH, &contents.iconIndex);
  contents.icon = text;
  link->GetShowCmd(&contents.showCommand);
  link->GetHotkey(&contents.hotkey);
  return true;
}

CWString W(const std::wstring& s) { return CWString(s.c_str()); }

TEST(ShellLink, WritesWhatTheShellReadsBack) {
  ScratchDirectory scratch;
  const std::wstring program = scratch / L"TonVexa\\app.exe";
  ASSERT_TRUE(CreateDirectoryW((scratch / L"TonVexa").c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(program, "MZ"));
  const std::wstring link = scratch / L"TonVexa.lnk";
  ASSERT_TRUE(createShortcut(W(program), W(link), CWString(), CWString(), CWString(), W(scratch / L"TonVexa")));
  LinkContents contents;
  ASSERT_TRUE(ReadLink(link, contents));
  EXPECT_EQ(contents.target, program);
  EXPECT_EQ(contents.workingDirectory, scratch / L"TonVexa");
  EXPECT_EQ(contents.showCommand, SW_SHOWNORMAL);
  EXPECT_EQ(contents.hotkey, 0);
  EXPECT_EQ(contents.arguments, L"");
  EXPECT_EQ(contents.description, L"");

  // Writing again replaces the link, now with the optional parts and no working directory given.
  const std::wstring other = scratch / L"other.exe";
  ASSERT_TRUE(WriteWholeFile(other, "MZ"));
  ASSERT_TRUE(createShortcut(W(other), W(link), W(program), W(L"说明"), W(L"--start now"), CWString()));
  ASSERT_TRUE(ReadLink(link, contents));
  EXPECT_EQ(contents.target, other);
  EXPECT_EQ(contents.workingDirectory, scratch.Path());  // the target's own folder
  EXPECT_EQ(contents.arguments, L"--start now");
  EXPECT_EQ(contents.description, L"说明");
  EXPECT_EQ(contents.icon, program);
  EXPECT_EQ(contents.iconIndex, 0);
}

TEST(ShellLink, ReportsAFailedSaveAndLeavesComBalanced) {
  ScratchDirectory scratch;
  EXPECT_FALSE(createShortcut(W(L"C:\\windows\\notepad.exe"), W(scratch / L"missing\\x.lnk"), CWString(),
                              CWString(), CWString(), CWString()));
  // The call initialised and released its own apartment: this thread is not left in one.
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
  // A thread already in the multithreaded apartment keeps it, and the link is still written.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_TRUE(createShortcut(W(L"C:\\windows\\notepad.exe"), W(scratch / L"n.lnk"), CWString(), CWString(),
                             CWString(), CWString()));
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);  // still in the same apartment
  CoUninitialize();
  CoUninitialize();
}

}  // namespace
