// Comparing folder trees on disk: what an extraction or an installation left behind against what was meant.
#pragma once

#include <map>
#include <string>

// Every file (with its bytes) and folder (marked "<folder>") below `root`, by relative path.
std::map<std::wstring, std::string> ListTree(const std::wstring& root, const std::wstring& prefix = L"");

// Adds a test failure for every entry of `expectedRoot` missing or different below `actualRoot`, and for any
// extra entry; never prints file contents.
void ExpectSameTree(const std::wstring& expectedRoot, const std::wstring& actualRoot);
