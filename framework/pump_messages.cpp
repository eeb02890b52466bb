#include "framework/pump_messages.h"

#include <windows.h>

#include "runtime/scoped_handle.h"

namespace {

// Keys, mouse, posted and sent messages, timers, paint and hot keys; not raw input.
constexpr DWORD kWakeMask = QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT |
                            QS_SENDMESSAGE | QS_HOTKEY;
static_assert(kWakeMask == 0xFF, "the wake mask leaves raw input out");

void DispatchQueuedMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    // Translating after dispatching leaves the character message of a key for the next round.
    DispatchMessageW(&message);
    TranslateMessage(&message);
  }
}

}  // namespace

void PumpMessagesFor(uint32_t milliseconds) {
  ScopedHandle timer(CreateWaitableTimerW(nullptr, FALSE, nullptr));
  if (!timer) return;
  LARGE_INTEGER due;
  due.QuadPart = -10000LL * milliseconds;  // relative, in 100-nanosecond units
  if (!SetWaitableTimer(timer.Get(), &due, 0, nullptr, nullptr, FALSE)) return;
  HANDLE handles[] = {timer.Get()};
  for (;;) {
    const DWORD result = MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, kWakeMask);
    if (result == WAIT_OBJECT_0) return;
    if (result != WAIT_OBJECT_0 + 1) return;  // failed or abandoned: never spin
    DispatchQueuedMessages();
  }
}
