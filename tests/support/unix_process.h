// Starting Linux programs (local servers, reference tools) from a test running under Wine.
// Wine starts an ELF program given by its Unix path, but hands back no usable process handle: the program
// cannot be waited for or killed through Windows, so the programs started this way end themselves (a
// server when asked to, or when its parent process is gone).
#pragma once

#include <string>

// Starts `commandLine` (first word: the Unix path of the program). Returns false when Wine refused it.
bool StartUnixProcess(const std::wstring& commandLine);

// Starts a Linux shell command under /bin/sh without waiting for it. The command inherits the test's
// standard handles: redirect them in the command when it outlives the test's own output.
bool StartUnixShellCommand(const std::string& shellCommand);

// Runs a Linux shell command and waits for it: the command runs under /bin/sh, its exit status is
// written to a scratch file that this function polls. Returns the exit status, or -1 on time-out.
int RunUnixCommand(const std::string& shellCommand, int timeoutMs = 60000);
