// The system's text for a Windows error code: the one place that asks the platform for it.
#pragma once

#include <windows.h>

#include <string>

// The message the system has for `code` in `language` (0: the system's choice for the user), as the system
// words it (trailing period and line break included); empty when the system has none.
std::wstring SystemErrorText(DWORD code, LANGID language = 0);
