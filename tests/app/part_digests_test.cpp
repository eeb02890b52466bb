#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/part_digests.h"

namespace {

std::vector<CWString> Strings(const std::vector<const wchar_t*>& texts) {
  std::vector<CWString> list;
  for (const wchar_t* t : texts) list.emplace_back(t);
  return list;
}

std::vector<std::wstring> Entries(const std::vector<CWString>& list) {
  std::vector<std::wstring> out;
  for (const CWString& s : list) out.emplace_back(s.GetText());
  return out;
}

// The local check over a folder of files with known digests, removing entries from the part lists as the
// installer does; counts how often each file is hashed.
struct LocalCheck {
  std::map<std::wstring, std::wstring> digestOfFile;
  std::vector<CWString> names, digests;
  std::map<std::wstring, int> hashed;
  std::vector<std::wstring> progress;

  void Run(const std::vector<const wchar_t*>& files) {
    CVolTextArray list;
    for (const wchar_t* f : files) list.Append(f);
    LocalCheckSteps steps;
    steps.fileStarted = [&](int64_t i, int64_t n) {
      progress.push_back(std::to_wstring(i) + L"/" + std::to_wstring(n));
    };
    steps.digestOf = [&](const CWString& path) {
      ++hashed[path.GetText()];
      return CWString(digestOfFile[path.GetText()].c_str());
    };
    steps.dropEntry = [&](const CWString& digest) {
      const int64_t j = entryWithDigest(digests, digest);
      if (j < 0) return;
      names.erase(names.begin() + j);
      digests.erase(digests.begin() + j);
    };
    checkLocalFiles(list, steps);
  }
};

TEST(PartDigests, LocalCheckHashesEachFileOnce) {
  LocalCheck check;
  check.digestOfFile = {{L"C:\\p\\x", L"D1"}, {L"C:\\p\\y", L"D9"}, {L"C:\\p\\z", L"D3"}};
  check.names = Strings({L"a", L"b", L"c", L"d"});
  check.digests = Strings({L"D4", L"D3", L"D2", L"D1"});
  check.Run({L"C:\\p\\x", L"C:\\p\\y", L"C:\\p\\z"});
  EXPECT_EQ(check.hashed,
            (std::map<std::wstring, int>{{L"C:\\p\\x", 1}, {L"C:\\p\\y", 1}, {L"C:\\p\\z", 1}}));
  EXPECT_EQ(check.progress, (std::vector<std::wstring>{L"1/3", L"2/3", L"3/3"}));
  EXPECT_EQ(Entries(check.names), (std::vector<std::wstring>{L"a", L"c"}));
  EXPECT_EQ(Entries(check.digests), (std::vector<std::wstring>{L"D4", L"D2"}));
}

TEST(PartDigests, LocalCheckMatchesByContent) {
  struct Case {
    const char* what;
    std::map<std::wstring, std::wstring> files;
    std::vector<const wchar_t*> names, digests;
    std::vector<std::wstring> left;
  };
  const Case cases[] = {
      {"a file under another name still removes its part",
       {{L"renamed.bin", L"ABC"}},
       {L"part.z01", L"part.zip"},
       {L"ABC", L"DEF"},
       {L"part.zip"}},
      {"a lower-case digest in the configuration is not recognised",
       {{L"part.z01", L"ABCDEF"}},
       {L"part.z01"},
       {L"abcdef"},
       {L"part.z01"}},
      {"one file removes one entry of two with its digest",
       {{L"f", L"ABC"}},
       {L"one", L"two"},
       {L"ABC", L"ABC"},
       {L"two"}},
      {"two files with the same content remove two entries",
       {{L"f", L"ABC"}, {L"g", L"ABC"}},
       {L"one", L"two"},
       {L"ABC", L"ABC"},
       {}},
      {"a file that could not be hashed matches no empty checksum", {{L"f", L""}}, {L"one"}, {L""}, {L"one"}},
  };
  for (const Case& c : cases) {
    LocalCheck check;
    check.digestOfFile = c.files;
    check.names = Strings(c.names);
    check.digests = Strings(c.digests);
    std::vector<std::wstring> paths;
    for (const auto& [path, digest] : c.files) paths.push_back(path);
    std::vector<const wchar_t*> files;
    for (const auto& p : paths) files.push_back(p.c_str());
    check.Run(files);
    EXPECT_EQ(Entries(check.names), c.left) << c.what;
    EXPECT_EQ(check.names.size(), check.digests.size()) << c.what;
  }
}

TEST(PartDigests, ReCheckFindsTheFirstDamagedEntryHashingEachNameOnce) {
  std::map<std::wstring, std::wstring> onDisk = {{L"p.z01", L"A1"}, {L"p.zip", L"A2"}};
  std::map<std::wstring, int> hashed;
  auto digestOf = [&](const CWString& name) {
    ++hashed[name.GetText()];
    return CWString(onDisk[name.GetText()].c_str());
  };
  // The lists after two applications of the configuration: every part twice.
  const std::vector<CWString> names = Strings({L"p.z01", L"p.zip", L"p.z01", L"p.zip"});
  EXPECT_EQ(firstDamagedEntry(names, Strings({L"A1", L"A2", L"A1", L"A2"}), digestOf), -1);
  EXPECT_EQ(hashed, (std::map<std::wstring, int>{{L"p.z01", 1}, {L"p.zip", 1}}));

  EXPECT_EQ(firstDamagedEntry(names, Strings({L"A1", L"a2", L"A1", L"A2"}), digestOf), 1);
  onDisk[L"p.zip"] = L"";  // unreadable: its hash failed
  EXPECT_EQ(firstDamagedEntry(Strings({L"p.zip"}), Strings({L""}), digestOf), 0);
}

}  // namespace
