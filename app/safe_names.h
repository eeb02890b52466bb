// Checks on names the configuration gives for files inside the install folder. The configuration arrives
// over plain HTTP and the installer runs with administrator rights, so a name must never reach outside the
// install folder (or onto a device) when it is joined to it.
#pragma once

#include "runtime/wide_string.h"

// A plain file name: no '\' or '/', no ':', not "." or "..", not a reserved device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, CONIN$, CONOUT$, also with an extension). Empty text is accepted (it fails later, harmlessly).
bool IsPlainFileName(const CWString& name);

// A relative path that stays inside the folder it is joined to: no drive, no leading '\' or '/', no ':',
// no ".." component and no reserved device name as a component; sub-folders and "." components are fine.
// Empty text is accepted.
bool IsContainedRelativePath(const CWString& path);
