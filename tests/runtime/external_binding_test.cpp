#include <gtest/gtest.h>
#include <windows.h>
#include <bcrypt.h>

#include <string>

#include "runtime/exception.h"
#include "runtime/external_binding.h"
#include "support/test_environment.h"

namespace {

// Fixture libraries built with this test (see CMakeLists.txt): binding_named.dll beside the executable
// (FixtureLocation() == 1) and another copy in binding-search-path (== 2); binding_ordinal.dll, exporting
// ordinals 5 and 7 without names, in binding-search-path only.
std::wstring SearchPathFolder() {
  return ExecutableDirectory() + L"\\binding-search-path";
}

std::wstring ModulePath(void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(address), &module);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return path;
}

int64_t LoadedModuleCount() {
  return LoadedExternalModules().GetSize() / 8;
}

template <typename Function>
Function As(const ExternalFunctionEntry& entry) {
  return reinterpret_cast<Function>(entry.address);
}

class ExternalBinding : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The second copy of binding_named.dll and the ordinal library are reachable only through PATH.
    wchar_t old[32767] = {};
    GetEnvironmentVariableW(L"PATH", old, 32767);
    SetEnvironmentVariableW(L"PATH", (SearchPathFolder() + L";" + old).c_str());
  }
  void SetUp() override { FreeExternalModules(); }
  void TearDown() override { FreeExternalModules(); }

  // The exception a binding must raise; a default one when it raised none.
  static CVolException BindingFailure(ExternalFunctionEntry* table) {
    try {
      BindExternalFunctions(table);
    } catch (const CVolException& e) {
      return e;
    }
    ADD_FAILURE() << "binding succeeded";
    return CVolException();
  }
};

TEST_F(ExternalBinding, ProgramTableBindsCngAndDirectoryListingAsAtStartUp) {
  ASSERT_TRUE(BindExternalFunctions());
  const ExternalFunctionEntry* table = ProgramBindingTable();
  const char* expected[] = {"BCryptDestroyHash", "BCryptHashData", "BCryptFinishHash", "BCryptGetProperty",
                            "BCryptCreateHash", "BCryptCloseAlgorithmProvider", "BCryptOpenAlgorithmProvider",
                            "FindFirstFileW", "FindNextFileW", "FindClose"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_STREQ(table[i].functionName, expected[i]);
    EXPECT_NE(table[i].address, nullptr) << expected[i];
  }
  EXPECT_EQ(table[10].libraryName, nullptr);
  EXPECT_EQ(LoadedModuleCount(), 2);

  // The bound addresses are the real functions: an MD5 digest and a directory listing through them.
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  ASSERT_EQ(BoundFunction<decltype(&BCryptOpenAlgorithmProvider)>(kBCryptOpenAlgorithmProvider)(
                &algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0), 0);
  ASSERT_EQ(BoundFunction<decltype(&BCryptCreateHash)>(kBCryptCreateHash)(algorithm, &hash, nullptr, 0, nullptr,
                                                                          0, 0), 0);
  UCHAR abc[] = {'a', 'b', 'c'};
  UCHAR digest[16] = {};
  EXPECT_EQ(BoundFunction<decltype(&BCryptHashData)>(kBCryptHashData)(hash, abc, 3, 0), 0);
  EXPECT_EQ(BoundFunction<decltype(&BCryptFinishHash)>(kBCryptFinishHash)(hash, digest, 16, 0), 0);
  BoundFunction<decltype(&BCryptDestroyHash)>(kBCryptDestroyHash)(hash);
  BoundFunction<decltype(&BCryptCloseAlgorithmProvider)>(kBCryptCloseAlgorithmProvider)(algorithm, 0);
  EXPECT_EQ(CVolMem(digest, 16), CVolMem("\x90\x01\x50\x98\x3C\xD2\x4F\xB0\xD6\x96\x3F\x7D\x28\xE1\x7F\x72", 16));

  WIN32_FIND_DATAW found = {};
  HANDLE find = BoundFunction<decltype(&FindFirstFileW)>(kFindFirstFileW)(
      (ExecutableDirectory() + L"\\runtime_external_binding_test.exe").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(found.cFileName, L"runtime_external_binding_test.exe");
  EXPECT_FALSE(BoundFunction<decltype(&FindNextFileW)>(kFindNextFileW)(find, &found));
  EXPECT_TRUE(BoundFunction<decltype(&FindClose)>(kFindClose)(find));

  FreeExternalModules();
  EXPECT_EQ(LoadedExternalModules().GetSize(), 0);
}

TEST_F(ExternalBinding, RunOfEntriesSharesOneLoadOfTheCopyBesideTheExecutable) {
  ExternalFunctionEntry table[] = {
      {L"binding_named.dll", "FixtureLocation", nullptr},
      {L"", "FixtureTwice", nullptr},
      {nullptr, nullptr, nullptr},
  };
  ASSERT_TRUE(BindExternalFunctions(table));
  EXPECT_EQ(LoadedModuleCount(), 1);
  // Another copy is on PATH; the one beside the executable wins.
  EXPECT_EQ(As<int (*)()>(table[0])(), 1);
  EXPECT_EQ(As<int (*)(int)>(table[1])(21), 42);
  EXPECT_EQ(ModulePath(table[0].address), ExecutableDirectory() + L"\\binding_named.dll");
  EXPECT_EQ(ModulePath(table[1].address), ModulePath(table[0].address));
}

TEST_F(ExternalBinding, NameWithAFolderFallsBackToItsLastComponentBesideTheExecutable) {
  ExternalFunctionEntry table[] = {
      {L"no-such-folder\\binding_named.dll", "FixtureLocation", nullptr},
      {nullptr, nullptr, nullptr},
  };
  ASSERT_TRUE(BindExternalFunctions(table));
  EXPECT_EQ(As<int (*)()>(table[0])(), 1);
}

TEST_F(ExternalBinding, OrdinalsResolveFromALibraryFoundOnTheSearchPath) {
  ExternalFunctionEntry table[] = {
      {L"binding_ordinal.dll", "@5", nullptr},
      {L"", "@7", nullptr},
      {nullptr, nullptr, nullptr},
  };
  ASSERT_TRUE(BindExternalFunctions(table));
  EXPECT_EQ(As<int (*)()>(table[0])(), 5);
  EXPECT_EQ(As<int (*)()>(table[1])(), 7);
  EXPECT_EQ(ModulePath(table[0].address), SearchPathFolder() + L"\\binding_ordinal.dll");
}

TEST_F(ExternalBinding, FailuresNameLibraryAndFunctionAndStopAtTheFailingEntry) {
  struct Case {
    const wchar_t* secondLibrary;
    const char* secondFunction;
    const wchar_t* message;
    int64_t modulesLoaded;
  };
  const Case cases[] = {
      {L"binding_missing.dll", "Anything", L"载入运行时所需要的外部动态链接库文件\"binding_missing.dll\"失败!", 1},
      {L"", "NoSuchFunction", L"在外部动态链接库\"binding_named.dll\"中未找到所需要的输出函数\"NoSuchFunction\"!", 1},
      {L"binding_ordinal.dll", "FixtureOrdinalFive",
       L"在外部动态链接库\"binding_ordinal.dll\"中未找到所需要的输出函数\"FixtureOrdinalFive\"!", 2},
      {L"binding_ordinal.dll", "@6", L"在外部动态链接库\"binding_ordinal.dll\"中未找到所需要的输出函数\"@6\"!", 2},
      {L"binding_ordinal.dll", "@65541", L"在外部动态链接库\"binding_ordinal.dll\"中未找到所需要的输出函数\"@65541\"!", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.secondFunction);
    FreeExternalModules();
    ExternalFunctionEntry table[] = {
        {L"binding_named.dll", "FixtureLocation", nullptr},
        {c.secondLibrary, c.secondFunction, nullptr},
        {L"", "FixtureTwice", nullptr},
        {nullptr, nullptr, nullptr},
    };
    const CVolException failure = BindingFailure(table);
    EXPECT_EQ(failure.Code(), -1);
    EXPECT_STREQ(failure.Message().GetText(), c.message);
    // Entries before the failure stay bound and their modules listed; nothing after it is bound.
    EXPECT_NE(table[0].address, nullptr);
    EXPECT_EQ(table[1].address, nullptr);
    EXPECT_EQ(table[2].address, nullptr);
    EXPECT_EQ(LoadedModuleCount(), c.modulesLoaded);
  }
}

}  // namespace
