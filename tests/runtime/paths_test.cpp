#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "runtime/paths.h"
#include "support/test_environment.h"

namespace {

std::wstring Text(const CWString& s) {
  return s.GetText();
}

CWString W(const std::wstring& s) {
  return CWString(s.c_str());
}

TEST(Paths, CombinePathJoinsAndNormalises) {
  struct Case {
    const wchar_t* base;
    const wchar_t* relative;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"C:\\a", L"b\\.\\c", L"C:\\a\\b\\c"},
      {L"C:\\a", L"..\\b", L"C:\\b"},
      {L"C:\\a\\b", L"..\\..\\c", L"C:\\c"},
      {L"C:\\a\\", L"b", L"C:\\a\\b"},
      {L"C:\\a", L".\\.\\b", L"C:\\a\\b"},
      {L"C:\\a", L"D:\\x", L"D:\\x"},
      {L"C:\\a", L"\\x", L"\\x"},
      {L"\\", L"..\\x", L"..\\x"},            // no segment before the parent step
      {L"C:\\a", L"..\\..\\x", L"..\\..\\x"},  // the second step has none either
      {L"", L"b", L"b"},
      {L"C:\\a", L"", L"C:\\a"},
      {L"C:\\a", L"b\\.", L"C:\\a\\b\\."},    // a final dot step stays
      {L"C:\\a", L"b\\..", L"C:\\a\\b\\.."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(combinePath(CWString(c.base), CWString(c.relative))), c.expected)
        << c.base << L" + " << c.relative;
  }
}

TEST(Paths, DirectoryOfAbsolutePathsOnly) {
  struct Case {
    const wchar_t* path;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"C:\\a\\b.exe", L"C:\\a"}, {L"C:\\b.exe", L"C:\\"},    {L"C:\\a\\", L"C:\\a"},
      {L"b.exe", L""},             {L"a\\b.exe", L""},         {L"\\\\server\\share\\f", L"\\\\server\\share"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(directoryOf(CWString(c.path))), c.expected) << c.path;
}

TEST(Paths, CreateDirectoryTreeCreatesMissingLevels) {
  ScratchDirectory scratch;
  const std::wstring deepest = scratch / L"one\\two\\three";
  EXPECT_TRUE(createDirectoryTree(W(deepest)));
  EXPECT_TRUE(pathExists(W(deepest)));
  EXPECT_TRUE(createDirectoryTree(W(deepest)));  // already there
  EXPECT_TRUE(createDirectoryTree(W(scratch / L"four\\five\\")));
  EXPECT_TRUE(pathExists(W(scratch / L"four\\five")));
  EXPECT_TRUE(createDirectoryTree(CWString(L"C:\\")));
  EXPECT_TRUE(createDirectoryTree(CWString(L"C:")));
  EXPECT_TRUE(createDirectoryTree(CWString(L"\\")));
  EXPECT_FALSE(createDirectoryTree(CWString()));

  // A file where a directory should be is a failure, not an existing directory.
  ASSERT_TRUE(WriteWholeFile(scratch / L"file", "x"));
  EXPECT_FALSE(createDirectoryTree(W(scratch / L"file")));
  EXPECT_FALSE(createDirectoryTree(W(scratch / L"file\\below")));
}

TEST(Paths, PathExistsIgnoresOneTrailingBackslash) {
  ScratchDirectory scratch;
  ASSERT_TRUE(WriteWholeFile(scratch / L"file.txt", "x"));
  EXPECT_TRUE(pathExists(W(scratch.Path() + L"\\")));
  EXPECT_TRUE(pathExists(W(scratch / L"file.txt")));
  EXPECT_TRUE(pathExists(CWString(L"C:\\")));
  EXPECT_FALSE(pathExists(W(scratch / L"missing")));
  EXPECT_FALSE(pathExists(CWString()));
}

TEST(Paths, ModuleAndSpecialFoldersEndWithABackslash) {
  CWString directory(L"stale");
  ASSERT_TRUE(moduleDirectory(nullptr, directory));
  EXPECT_EQ(Text(directory), ExecutableDirectory() + L"\\");

  const CWString desktop = desktopDirectory();
  ASSERT_FALSE(desktop.IsEmpty());
  EXPECT_EQ(desktop.GetText()[desktop.GetLength() - 1], L'\\');
  EXPECT_TRUE(pathExists(desktop));
  EXPECT_EQ(Text(programFilesX86Directory()), L"C:\\Program Files (x86)\\");
}

TEST(Paths, LoadLibraryInOwnDirectoryFindsItsNeighboursAndRestoresTheCurrentDirectory) {
  ScratchDirectory elsewhere;
  ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.Path().c_str()));
  const std::wstring library = ExecutableDirectory() + L"\\own-directory-libraries\\own_directory_dependent.dll";

  // A plain load cannot find the helper the library imports from its folder.
  ASSERT_EQ(LoadLibraryW(library.c_str()), nullptr);
  HMODULE module = LoadLibraryInOwnDirectory(W(library));
  ASSERT_NE(module, nullptr);
  auto value = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DependentValue")));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value(), 42);
  FreeLibrary(module);

  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(std::wstring(current), elsewhere.Path());

  EXPECT_EQ(LoadLibraryInOwnDirectory(CWString()), nullptr);
  EXPECT_EQ(LoadLibraryInOwnDirectory(W(elsewhere / L"missing.dll")), nullptr);
  SetCurrentDirectoryW(ExecutableDirectory().c_str());
}

// Loads on two threads take turns with the process-wide current directory: every load finds its
// neighbour, and the directory the threads started with is the one left afterwards.
TEST(Paths, LoadLibraryInOwnDirectoryOnTwoThreadsAtOnce) {
  ScratchDirectory elsewhere;
  ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.Path().c_str()));
  const CWString library =
      W(ExecutableDirectory() + L"\\own-directory-libraries\\own_directory_dependent.dll");
  std::atomic<int> failures{0};
  auto loads = [&] {
    for (int i = 0; i < 200; ++i) {
      HMODULE module = LoadLibraryInOwnDirectory(library);
      if (!module) {
        ++failures;
        continue;
      }
      FreeLibrary(module);
    }
  };
  std::thread first(loads);
  std::thread second(loads);
  first.join();
  second.join();
  EXPECT_EQ(failures.load(), 0);
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(std::wstring(current), elsewhere.Path());
  SetCurrentDirectoryW(ExecutableDirectory().c_str());
}

}  // namespace
