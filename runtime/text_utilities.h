// Search, splitting and quoting of UTF-16 texts.
#pragma once

#include <cstdint>

class CMStringArray;
class CWString;

// Position of the first (or, backward, the last) occurrence of the pattern, or null. A negative text
// length measures the text; a pattern length <= 0 or a pattern longer than the text finds nothing.
const wchar_t* FindText(const wchar_t* text, int64_t textLength, const wchar_t* pattern, int64_t patternLength,
                        bool ignoreCase, bool backward);

// Clears `out`, then appends the trimmed pieces of `text` between units of `delimiters`. Empty pieces are
// skipped when dropping, else stored as null entries (a text ending in a delimiter gets a final null entry).
// Returns the entry count.
int64_t SplitText(const wchar_t* text, const wchar_t* delimiters, bool dropEmpty, CMStringArray& out);

// Replaces `out` with the text in double quotes, control units and quotes escaped with backslashes.
void QuoteText(const wchar_t* p, CWString& out);
