// A short wait on a window thread that keeps the thread's windows responsive.
#pragma once

#include <cstdint>

// Returns once `milliseconds` have passed, dispatching the calling thread's queued messages meanwhile
// (window procedures and timers run re-entrantly inside this call). A quit message that arrives during the
// wait is removed and dispatched like any other, so it never reaches the caller's message loop. Sleeps in
// the kernel between messages. Returns at once when the timer cannot be set up or the wait fails.
void PumpMessagesFor(uint32_t milliseconds);
