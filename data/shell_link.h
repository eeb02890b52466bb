// Writing shell shortcuts (.lnk files).
#pragma once

#include "runtime/wide_string.h"

// Writes (or replaces) the shortcut `linkPath` to `target`, started in `workingDirectory` (empty: the
// target's own folder) with a normal window and no hotkey. `icon`, `description` and `arguments` are set
// when not empty (the icon's first image). COM is initialised for the call and released after it.
// True exactly when the shortcut was saved.
bool createShortcut(const CWString& target, const CWString& linkPath, const CWString& icon,
                    const CWString& description, const CWString& arguments, const CWString& workingDirectory);
