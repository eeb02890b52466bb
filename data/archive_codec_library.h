// The codec library the installer carries as resource 513: written beside the executable at start-up, then
// loaded once for the whole process.
#pragma once

#include "data/sevenzip/codec_library.h"
#include "runtime/wide_string.h"

// Writes the embedded codec library to `path` (replacing an existing file) and reports whether the path
// exists afterwards. A failed write is not reported, but never leaves a truncated library behind; nothing is
// written when the executable carries no library. An empty path writes nothing and gives false.
bool writeCodecLibraryFile(const CWString& path);

// The process-wide codec library, loaded from "7z.dll" beside the executable (not from the current folder
// or PATH) on first need, with large-page mode asked for. Null while it cannot be loaded; the next call tries
// again.
const sevenzip::CodecLibrary* codecLibrary();

// Like codecLibrary, but a library that cannot be loaded is reported as sevenzip::ArchiveError.
const sevenzip::CodecLibrary& requireCodecLibrary();
