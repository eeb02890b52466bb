#include "framework/pump_messages.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr UINT kPing = WM_APP + 1;
std::atomic<int> g_pings{0};

LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPing) {
    ++g_pings;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window of this thread that counts the pings it receives.
class PingWindow {
 public:
  PingWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &CountingProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PumpMessagesTestWindow";
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
    g_pings = 0;
  }
  ~PingWindow() { DestroyWindow(m_window); }
  HWND Handle() const { return m_window; }

 private:
  HWND m_window;
};

// Empties this thread's queue so a test starts clean.
void DrainQueue() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

double ElapsedMs(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

TEST(PumpMessagesFor, WaitsAboutTheDurationWithAnEmptyQueue) {
  PingWindow window;
  DrainQueue();
  for (uint32_t duration : {10u, 60u}) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    PumpMessagesFor(duration);
    const double elapsed = ElapsedMs(start);
    EXPECT_GE(elapsed, duration - 2.0);  // the timer's granularity, nothing more
    EXPECT_LT(elapsed, duration + 5000.0);
  }
  EXPECT_EQ(g_pings, 0);
}

TEST(PumpMessagesFor, DispatchesMessagesPostedDuringTheWait) {
  PingWindow window;
  DrainQueue();
  const HWND target = window.Handle();
  std::thread poster([target] {
    Sleep(20);
    for (int i = 0; i < 3; ++i) PostMessageW(target, kPing, 0, 0);
  });
  PumpMessagesFor(500);
  poster.join();
  EXPECT_EQ(g_pings, 3);
}

TEST(PumpMessagesFor, AQuitMessageIsConsumedAndDoesNotReachTheCallersLoop) {
  PingWindow window;
  DrainQueue();
  const DWORD self = GetCurrentThreadId();
  const HWND target = window.Handle();
  std::thread poster([self, target] {
    Sleep(20);
    PostThreadMessageW(self, WM_QUIT, 3, 0);
    PostMessageW(target, kPing, 0, 0);
  });
  PumpMessagesFor(500);
  poster.join();
  EXPECT_EQ(g_pings, 1);
  MSG message;
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
