// Path operations on backslash-separated UTF-16 paths: where a module lives, the two special folders the
// installer uses, splitting and combining paths, creating directory trees, testing existence, and loading a
// library with its own folder as the current directory. A path is absolute when it begins with a
// backslash or with a drive letter, a colon and a backslash. Failures are reported only through results
// (false, null or empty text). Only LoadLibraryInOwnDirectory touches process state (the current directory).
#pragma once

#include <windows.h>

#include "runtime/wide_string.h"

bool IsAbsolutePath(const CWString& path);

// The folder of a module (null: the executable) with its trailing backslash, into `out` (cleared first).
// False when the module path cannot be obtained.
bool moduleDirectory(HMODULE module, CWString& out);

// The user's desktop folder with a trailing backslash; empty on failure.
CWString desktopDirectory();
// The 32-bit program files folder with a trailing backslash; empty on failure.
CWString programFilesX86Directory();

// The directory part of an absolute path: C:\a\b.exe -> C:\a, C:\b.exe -> C:\ (a drive root keeps its
// backslash). Empty for a path that is not absolute.
CWString directoryOf(const CWString& path);

// base + '\' + relative with ".\" steps removed and "x\..\" steps resolved. An empty base gives the
// relative path, an empty relative path gives the base, an absolute relative path is returned unchanged,
// and so is the relative path when a parent step has no segment before it. A trailing "." or ".." (no
// backslash after it) is left as it is.
CWString combinePath(const CWString& base, const CWString& relative);

// Creates the directory and any missing parents. True when the directory exists afterwards (a drive root
// or a lone backslash needs nothing); false when a file is in the way or creation fails.
bool createDirectoryTree(const CWString& path);

// Whether a file or directory exists; one trailing backslash is ignored (except after a drive colon).
bool pathExists(const CWString& path);

// LoadLibraryW with the library's own folder as the current directory for the duration of the load, so
// libraries it needs from that folder are found. The previous current directory is restored. The
// current directory is process-wide: loads through this function on several threads take turns, but no
// other code may rely on the current directory meanwhile. Null on failure.
HMODULE LoadLibraryInOwnDirectory(const CWString& path);
