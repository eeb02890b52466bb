#include "support/file_tree.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/test_environment.h"

namespace {

std::string Narrow(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string narrow(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                      nullptr);
  return narrow;
}

}  // namespace

std::map<std::wstring, std::string> ListTree(const std::wstring& root, const std::wstring& prefix) {
  std::map<std::wstring, std::string> entries;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((root + L"\\" + prefix + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring relative = prefix + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      entries[relative] = "<folder>";
      entries.merge(ListTree(root, relative + L"\\"));
    } else {
      entries[relative] = ReadWholeFile(root + L"\\" + relative);
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

void ExpectSameTree(const std::wstring& expectedRoot, const std::wstring& actualRoot) {
  const auto expected = ListTree(expectedRoot);
  const auto actual = ListTree(actualRoot);
  ASSERT_FALSE(expected.empty());
  for (const auto& [name, bytes] : expected) {
    auto found = actual.find(name);
    if (found == actual.end()) {
      ADD_FAILURE() << "missing: " << Narrow(name);
    } else if (found->second != bytes) {
      ADD_FAILURE() << "different: " << Narrow(name);
    }
  }
  for (const auto& [name, bytes] : actual) {
    if (!expected.count(name)) ADD_FAILURE() << "extra: " << Narrow(name);
  }
  EXPECT_EQ(actual.size(), expected.size());
}
