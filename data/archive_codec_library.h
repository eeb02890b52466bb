// The codec library the executable carries as a resource: written beside the executable at start-up, then
// loaded once for the whole process.
#pragma once

#include "data/sevenzip/codec_library.h"
#include "runtime/wide_string.h"

// Writes the codec library embedded as raw-data resource `resourceId` of the executable to `path`
// (replacing an existing file) and reports whether the path exists afterwards. A failed write is not
// reported, but never leaves a truncated library behind; nothing is written when the executable carries no
// such resource. An empty path writes nothing and gives false. It does not wait: a window handler that
// calls it pumps messages itself if it wants to pause (PumpMessagesFor).
bool writeCodecLibraryFile(const CWString& path, int resourceId);

// The process-wide codec library, loaded from "7z.dll" beside the executable (not from the current folder
// or PATH) on first need, with large-page mode asked for. Null while it cannot be loaded; the next call tries
// again.
const sevenzip::CodecLibrary* codecLibrary();

// Like codecLibrary, but a library that cannot be loaded is reported as sevenzip::ArchiveError.
const sevenzip::CodecLibrary& requireCodecLibrary();
