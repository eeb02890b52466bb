// ShowMessage: a message box that gives the keyboard focus back to where it was.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/wide_string.h"

// Shows `text` under `caption` with MessageBoxW type `type` (e.g. 0 = MB_OK, 48 = MB_OK with an exclamation
// icon), owned by `owner` (may be null). The window that had the focus gets it back when it still exists.
// Returns the button pressed (IDOK = 1, ...), or 0 when the box could not be shown.
int32_t ShowMessage(HWND owner, const CWString& text, int32_t type, const CWString& caption);
