// Names from the configuration that are joined to the install folder: which ones stay inside it.
#include <gtest/gtest.h>

#include "app/safe_names.h"

namespace {

struct NameCase {
  const wchar_t* name;
  bool plainFileName;       // as a part or shortcut name
  bool containedRelative;   // as the program to run
};

const NameCase kCases[] = {
    {L"", true, true},
    {L"TonvexaAI.zip", true, true},
    {L"part.z01", true, true},
    {L"中文名.exe", true, true},
    {L".hidden", true, true},
    {L"a..b.zip", true, true},
    {L"bin\\app.exe", false, true},
    {L"bin/app.exe", false, true},
    {L".\\app.exe", false, true},
    {L"..\\app.exe", false, false},
    {L"bin\\..\\..\\app.exe", false, false},
    {L"..\\..\\Windows\\System32\\x.dll", false, false},
    {L"..", false, false},
    {L".", false, true},
    {L"...", false, false},
    {L".. ", false, false},
    {L"C:\\Windows\\x.dll", false, false},
    {L"C:x.dll", false, false},
    {L"\\Windows\\x.dll", false, false},
    {L"/etc/x", false, false},
    {L"\\\\server\\share\\x.dll", false, false},
    {L"part.zip:stream", false, false},
    {L"CON", false, false},
    {L"nul.txt", false, false},
    {L"Com1", false, false},
    {L"LPT9.zip", false, false},
    {L"CONOUT$", false, false},
    {L"aux .log", false, false},
    {L"bin\\PRN", false, false},
    {L"COM0", true, true},
    {L"CONSOLE.exe", true, true},
};

TEST(SafeNames, TableOfNames) {
  for (const NameCase& c : kCases) {
    EXPECT_EQ(IsPlainFileName(CWString(c.name)), c.plainFileName) << "file name: " << c.name;
    EXPECT_EQ(IsContainedRelativePath(CWString(c.name)), c.containedRelative) << "relative path: " << c.name;
  }
}

}  // namespace
