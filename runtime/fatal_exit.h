// Memory exhaustion ends the process at once with exit code -1 and no message.
#pragma once

[[noreturn]] void ExitOnOutOfMemory();
