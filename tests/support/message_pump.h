// Running the message loop of the current thread from a test: windows created by a test belong to the test's
// thread, so the test pumps their messages itself while it waits for something to happen.
#pragma once

#include <functional>

// Dispatches the thread's queued messages (offering each to the application's PreTranslateMessage when the
// process has an application object) until `done` returns true or `timeoutMs` passes. Returns `done()`.
bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// Dispatches messages for `ms` milliseconds.
void PumpTestMessagesFor(int ms);
