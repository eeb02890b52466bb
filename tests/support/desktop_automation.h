// Driving windows through the test session's X display the way a user does (xdotool), from a test running
// under Wine. Windows are found by their exact title, which may hold any Unicode text.
#pragma once

#include <string>

// Runs `script` (UTF-8 shell text, any characters) under /bin/sh and returns its exit status, or -1 when it
// did not end within `timeoutMs`. Its standard output goes to *output when given.
int RunShellScript(const std::string& script, std::string* output = nullptr, int timeoutMs = 60000);

// Waits up to `timeoutSeconds` for a top-level window titled exactly `title`, gives it the keyboard
// focus and types `keys` (xdotool key names, e.g. "Return", "alt+F4"). True when that worked.
bool TypeKeysIntoWindow(const std::wstring& title, const std::string& keys, int timeoutSeconds = 30);

// Waits up to `timeoutSeconds` for a top-level window titled exactly `title` and reads its size.
bool FindWindowSize(const std::wstring& title, int* width, int* height, int timeoutSeconds = 30);
