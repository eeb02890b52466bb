// File and buffer digests through the bound CNG functions, including files beyond 2 GiB.
#include "data/file_hasher.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <string>

#include "runtime/external_binding.h"
#include "support/test_environment.h"
#include "support/unix_process.h"

namespace {

constexpr wchar_t kEmptyMd5[] = L"D41D8CD98F00B204E9800998ECF8427E";
constexpr wchar_t kAbcMd5[] = L"900150983CD24FB0D6963F7D28E17F72";

class FileHasherTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(BindExternalFunctions()); }

  std::wstring HashFile(const std::wstring& path, const wchar_t* algorithm = L"MD5") const {
    return FileHasher().hashFile(CWString(path.c_str()), CWString(algorithm)).GetText();
  }

  ScratchDirectory m_scratch;
};

// Bytes that differ from chunk to chunk, so a dropped or repeated chunk changes the digest.
std::string PatternBytes(size_t size) {
  std::string bytes(size, '\0');
  uint32_t x = 12345;
  for (auto& b : bytes) {
    x = x * 1103515245 + 12345;
    b = static_cast<char>(x >> 24);
  }
  return bytes;
}

// The md5sum of a file on the Linux side, upper case; empty when it could not be run.
std::wstring LinuxMd5(const std::wstring& path, const ScratchDirectory& scratch) {
  const std::wstring out = scratch / L"md5sum.out";
  const std::string command = "md5sum '" + UnixPathFromWindows(path) + "' | cut -c1-32 | tr a-f A-F > '" +
                              UnixPathFromWindows(out) + "'";
  if (RunUnixCommand(command, 600000) != 0) return L"";
  const std::string digest = ReadWholeFile(out).substr(0, 32);
  return std::wstring(digest.begin(), digest.end());
}

TEST_F(FileHasherTest, KnownDigestsAreUpperCaseHex) {
  ASSERT_TRUE(WriteWholeFile(m_scratch / L"abc.txt", "abc"));
  EXPECT_EQ(HashFile(m_scratch / L"abc.txt"), kAbcMd5);
  EXPECT_EQ(HashFile(m_scratch / L"abc.txt", L"SHA256"),
            L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
  const CVolMem digest = FileHasher().hashData(CVolMem("abc", 3), CWString(L"MD5"));
  ASSERT_EQ(digest.GetSize(), 16);
  EXPECT_EQ(digest.Bytes()[0], 0x90);
  EXPECT_EQ(digest.Bytes()[15], 0x72);
}

TEST_F(FileHasherTest, NothingToReadHashesAsEmptyInput) {
  ASSERT_TRUE(WriteWholeFile(m_scratch / L"empty.bin", ""));
  EXPECT_EQ(HashFile(m_scratch / L"empty.bin"), kEmptyMd5);
  EXPECT_EQ(HashFile(m_scratch / L"missing.bin"), kEmptyMd5);
  EXPECT_EQ(HashFile(L""), kEmptyMd5);
  EXPECT_EQ(HashFile(m_scratch.Path()), kEmptyMd5);  // a directory cannot be read as a file
  CWString hex;
  FileHasher().hashData(CVolMem(), CWString(L"MD5")).ToHexText(hex);
  EXPECT_EQ(std::wstring(hex.GetText()), kEmptyMd5);
}

TEST_F(FileHasherTest, UnknownAlgorithmGivesEmptyText) {
  ASSERT_TRUE(WriteWholeFile(m_scratch / L"abc.txt", "abc"));
  EXPECT_EQ(HashFile(m_scratch / L"abc.txt", L"NOSUCHHASH"), L"");
  EXPECT_EQ(HashFile(m_scratch / L"missing.bin", L"NOSUCHHASH"), L"");
  EXPECT_EQ(HashFile(m_scratch / L"abc.txt", L""), L"");
  EXPECT_EQ(FileHasher().hashData(CVolMem("abc", 3), CWString(L"NOSUCHHASH")).GetSize(), 0);
}

TEST_F(FileHasherTest, FilesOpenForWritingElsewhereCanBeHashed) {
  const std::wstring path = m_scratch / L"busy.txt";
  ASSERT_TRUE(WriteWholeFile(path, "abc"));
  HANDLE writer = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(HashFile(path), kAbcMd5);
  CloseHandle(writer);
}

TEST_F(FileHasherTest, ChunkedDigestEqualsTheDigestOfTheWholeBuffer) {
  for (size_t size : {FileHasher::kChunkSize - 1, FileHasher::kChunkSize, FileHasher::kChunkSize * 2 + 7}) {
    const std::string bytes = PatternBytes(size);
    const std::wstring path = m_scratch / L"pattern.bin";
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    CWString whole;
    FileHasher().hashData(CVolMem(bytes.data(), static_cast<int64_t>(bytes.size())), CWString(L"MD5")).ToHexText(whole);
    EXPECT_EQ(HashFile(path), std::wstring(whole.GetText())) << size;
  }
  EXPECT_EQ(HashFile(m_scratch / L"pattern.bin"), LinuxMd5(m_scratch / L"pattern.bin", m_scratch));
}

TEST_F(FileHasherTest, FilesOf2GiBAndMoreGetTheirTrueDigest) {
  ULARGE_INTEGER available{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(m_scratch.Path().c_str(), &available, nullptr, nullptr));
  // The file is sparse: only its few written blocks take room.
  if (available.QuadPart < (256ull << 20)) GTEST_SKIP() << "less than 256 MiB free for the scratch folder";
  const std::wstring path = m_scratch / L"big.bin";
  const std::string unixPath = UnixPathFromWindows(path);
  const unsigned long long size = (2ull << 30) + 4097;  // just over 2 GiB, not a multiple of the chunk
  const std::string make = "truncate -s " + std::to_string(size) + " '" + unixPath + "' && printf head | dd of='" +
                           unixPath + "' conv=notrunc && printf tail | dd of='" + unixPath + "' bs=1 seek=" +
                           std::to_string(size - 4) + " conv=notrunc";
  if (RunUnixCommand(make) != 0) GTEST_SKIP() << "could not create a sparse file of " << size << " bytes";

  const std::wstring expected = LinuxMd5(path, m_scratch);
  ASSERT_EQ(expected.size(), 32u);
  EXPECT_EQ(HashFile(path), expected);
  EXPECT_NE(expected, kEmptyMd5);

  PROCESS_MEMORY_COUNTERS memory{};
  ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory));
  EXPECT_LT(memory.PeakWorkingSetSize, 256u << 20) << "hashing must not hold the file in memory";
}

}  // namespace
