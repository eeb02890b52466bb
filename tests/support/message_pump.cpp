#include "support/message_pump.h"

#include <windows.h>

#include <atomic>
#include <thread>

#include "framework/application.h"
#include "support/unix_process.h"

namespace {

void DispatchQueued() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    FrameworkApp* app = FrameworkApp::Current();
    if (app && app->PreTranslateMessage(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    DispatchQueued();
    if (done()) return true;
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpTestMessagesFor(int ms) {
  PumpMessagesUntil([] { return false; }, ms);
}

int RunUnixCommandWhilePumping(const std::string& shellCommand, int timeoutMs) {
  std::atomic<bool> done{false};
  int status = -1;
  std::thread worker([&] {
    status = RunUnixCommand(shellCommand, timeoutMs);
    done = true;
  });
  PumpMessagesUntil([&] { return done.load(); }, timeoutMs + 30000);
  worker.join();
  return status;
}
