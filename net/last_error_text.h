// The calling thread's last Windows error as text for failure messages.
#pragma once

#include "runtime/wide_string.h"

// "错误(<code>): <system text>" for GetLastError(), the system text keeping its own line break; empty when
// the system has no text for the code.
CWString LastErrorText();
