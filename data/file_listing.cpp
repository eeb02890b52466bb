#include "data/file_listing.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "runtime/external_binding.h"
#include "runtime/scoped_handle.h"

namespace {

using FindFirstFunction = decltype(&::FindFirstFileW);
using FindNextFunction = decltype(&::FindNextFileW);
using FindCloseFunction = decltype(&::FindClose);

// A search closed through the bound function, like the one that opened it.
struct BoundSearchTraits : FindHandleTraits {
  static void Close(Handle search) { BoundFunction<FindCloseFunction>(kFindClose)(search); }
};
using SearchHandle = ScopedOwner<BoundSearchTraits>;

uint64_t TimeValue(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool IsDotEntry(const wchar_t* name) {
  return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

}  // namespace

FindDataRecord::FindDataRecord(const WIN32_FIND_DATAW& found)
    : attributes(found.dwFileAttributes),
      creationTime{TimeValue(found.ftCreationTime)},
      lastAccessTime{TimeValue(found.ftLastAccessTime)},
      lastWriteTime{TimeValue(found.ftLastWriteTime)},
      sizeHigh(found.nFileSizeHigh),
      sizeLow(found.nFileSizeLow),
      reserved0(found.dwReserved0),
      reserved1(found.dwReserved1) {
  static_assert(sizeof fileName == sizeof found.cFileName && sizeof shortName == sizeof found.cAlternateFileName,
                "name fields match the platform's");
  std::memcpy(fileName, found.cFileName, sizeof fileName);
  std::memcpy(shortName, found.cAlternateFileName, sizeof shortName);
  fileName[259] = 0;
  shortName[13] = 0;
}

int64_t findFiles(const CWString& directory, const CWString& pattern, CVolTextArray& files,
                  CVolTextArray& directories, bool fullPath, bool includeHidden) {
  files.Clear();
  const auto findFirst = BoundFunction<FindFirstFunction>(kFindFirstFileW);
  const auto findNext = BoundFunction<FindNextFunction>(kFindNextFileW);
  if (!findFirst || !findNext) return 0;

  CWString folder(directory);
  if (!folder.IsEmpty() && folder.GetText()[folder.GetLength() - 1] != L'\\') folder.AddChar(L'\\');
  const CWString query = CWString::Concat(folder, pattern);
  WIN32_FIND_DATAW found = {};
  SearchHandle search(findFirst(query.GetText(), &found));
  if (!search) return 0;
  do {
    const FindDataRecord entry(found);
    if (IsDotEntry(entry.fileName)) continue;
    if (!includeHidden && (entry.attributes & FindDataRecord::kHiddenAttribute)) continue;
    CVolTextArray& list = (entry.attributes & FindDataRecord::kDirectoryAttribute) ? directories : files;
    list.Append(fullPath ? CWString::Concat(folder, entry.fileName) : CWString(entry.fileName));
  } while (findNext(search.Get(), &found));
  return files.GetCount();
}

bool deleteFile(const CWString& path) { return DeleteFileW(path.GetText()) != FALSE; }
