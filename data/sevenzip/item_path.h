// Where an archive item may be written. The codec library hands item paths over exactly as the archive
// stores them, so a crafted archive can name "..\..\x", "C:\x", "\\server\x" or a device; such an item must
// never reach the file system.
#pragma once

#include <string>

namespace sevenzip {

// The library's stand-in for a backslash stored inside a name by a system where it is no separator. On
// Windows a name cannot hold one, and archives made on Windows mean a separator by it: it is treated so.
constexpr wchar_t kStoredBackslash = L'\uF05C';

enum class ItemPathProblem {
  kNone,
  kAbsolute,            // starts with a separator (root, UNC or device namespace)
  kDriveOrDevice,       // a drive ("C:"), a stream (":name") or a reserved device name ("NUL", "COM1.txt")
  kOutsideDestination,  // ".." climbs above the destination
  kInvalidName,         // a component Windows cannot store, or a file without a name
};

// Resolves an item path (separators: slash, backslash, kStoredBackslash) into a path relative to the
// destination: backslashes, no empty, "." or ".." components. An empty result means the destination itself.
// kNone when safe.
ItemPathProblem ResolveItemPath(const std::wstring& itemPath, std::wstring& relative);

// "is an absolute path", "leads outside the destination folder", ...
const char* DescribeItemPathProblem(ItemPathProblem problem);

}  // namespace sevenzip
