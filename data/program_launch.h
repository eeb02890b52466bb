// Starting programs and opening folders in the shell.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/wide_string.h"

// Starts `program` with `commandLine` (passed as it is; it may be empty) in `currentDirectory`, or in the
// program's own folder when that is empty, asking for its first window to take `showState` (SW_HIDE unless
// given). Waits up to one second for it to finish (so the caller blocks at most that long), and returns its
// process id, or 0 when it could not be started.
uint32_t runProgram(const CWString& program, const CWString& commandLine, const CWString& currentDirectory,
                    WORD showState = SW_HIDE);

// Opens `directory` in the shell ("open", normal window). Returns the shell's result: above 32 on success.
HINSTANCE openInstallDir(const CWString& directory);
