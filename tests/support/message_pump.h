// Running the message loop of the current thread from a test: windows created by a test belong to the test's
// thread, so the test pumps their messages itself while it waits for something to happen.
#pragma once

#include <functional>
#include <string>

// Dispatches the thread's queued messages (offering each to the application's PreTranslateMessage when the
// process has an application object) until `done` returns true or `timeoutMs` passes. Returns `done()`.
bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Dispatches messages for `ms` milliseconds.
void PumpTestMessagesFor(int ms);

// Runs a Linux shell command (RunUnixCommand) on a worker thread while this thread keeps its windows
// answering; returns the command's exit status, or -1 on time-out.
int RunUnixCommandWhilePumping(const std::string& shellCommand, int timeoutMs = 60000);
