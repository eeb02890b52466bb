// Conversions of 8-bit texts (UTF-8, the ANSI code page) into UTF-16 held in a byte buffer.
#pragma once

#include "runtime/byte_buffer.h"

// Converts a zero-terminated UTF-8 text into `buffer` (units plus a zero unit) and returns its data.
// Empty input or a failed conversion leaves one zero unit.
const wchar_t* Utf8ToWide(const char* p, CVolMem& buffer);

// Converts a zero-terminated ANSI text into `buffer`; returns the shared empty text when p is null or
// empty or the conversion fails.
const wchar_t* AnsiToWide(const char* p, CVolMem& buffer);
