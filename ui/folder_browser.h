// Asking the user for a folder with the shell's folder browser.
#pragma once

#include <windows.h>

#include "runtime/wide_string.h"

// Shows the folder browser owned by `owner` (may be null) with `title` above the tree and an edit box for
// typing a name. Returns the chosen folder's path, or empty text when the user cancels or picks an item
// that is not in the file system. Blocks until the browser closes.
CWString browseForFolder(const CWString& title, HWND owner = nullptr);
