#include "ui/timer.h"

#include <gtest/gtest.h>

#include "support/message_pump.h"
#include "support/ui_test_app.h"

namespace {

struct Ticks : CVolObject {
  Ticks() : events(this) {}
  ~Ticks() override { events.Detach(); }
  static int Tick(CVolObject* self, CVolObject* timer, int32_t) {
    auto* t = static_cast<Ticks*>(self);
    t->sender = timer;
    ++t->count;
    return 0;
  }
  EventReceiver events;
  CVolObject* sender = nullptr;
  int count = 0;
};

TEST(Timer, IntervalIsStoredUntilTheWindowExistsThenTicks) {
  UiTestApp app;
  CVolTimer timer;
  Ticks ticks;
  timer.BindEvent(timer.TimerEvent(), &Ticks::Tick, ticks.events.Holder());
  timer.SetInterval(50);
  EXPECT_EQ(timer.GetInterval(), 50);
  EXPECT_FALSE(timer.IsRunning());
  ASSERT_TRUE(timer.CreateDefault());
  EXPECT_TRUE(timer.IsRunning());
  EXPECT_FALSE(IsWindowVisible(timer.GetHwnd()));
  wchar_t className[32] = {};
  GetClassNameW(timer.GetHwnd(), className, 32);
  EXPECT_STREQ(className, L"VolDummyWnd");

  const ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(PumpMessagesUntil([&] { return ticks.count >= 10; }, 20000));
  const ULONGLONG elapsed = GetTickCount64() - start;
  // Ten ticks of 50 ms: never much sooner (timers do not run early), and not many seconds later even on a
  // loaded machine.
  EXPECT_GE(elapsed, 400u);
  EXPECT_LT(elapsed, 8000u);
  EXPECT_EQ(ticks.sender, &timer);
}

TEST(Timer, ZeroOrNegativeIntervalStops) {
  UiTestApp app;
  CVolTimer timer;
  Ticks ticks;
  timer.BindEvent(timer.TimerEvent(), &Ticks::Tick, ticks.events.Holder());
  ASSERT_TRUE(timer.CreateDefault());
  for (int stop : {0, -5}) {
    timer.SetInterval(20);
    ASSERT_TRUE(PumpMessagesUntil([&] { return ticks.count > 0; }));
    timer.SetInterval(stop);
    EXPECT_EQ(timer.GetInterval(), 0);
    EXPECT_FALSE(timer.IsRunning());
    PumpTestMessagesFor(30);  // a tick already queued may still arrive
    ticks.count = 0;
    PumpTestMessagesFor(150);
    EXPECT_EQ(ticks.count, 0) << "interval " << stop;
  }
}

TEST(Timer, DestroyingTheWindowStopsTheTimer) {
  UiTestApp app;
  CVolTimer timer;
  timer.SetInterval(10);
  ASSERT_TRUE(timer.CreateDefault());
  timer.NativeWindow()->DestroyWindow();
  EXPECT_FALSE(timer.IsRunning());
  EXPECT_EQ(timer.GetInterval(), 10);
}

}  // namespace
