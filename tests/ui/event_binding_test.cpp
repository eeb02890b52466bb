#include "runtime/event_binding.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// A receiving object with one handler per behaviour under test.
class Receiver : public CVolObject {
 public:
  Receiver() : events(this) {}
  ~Receiver() override { events.Detach(); }

  static int Sum(CVolObject* self, CVolObject* sender, int32_t extra, int a, int b) {
    auto* receiver = static_cast<Receiver*>(self);
    receiver->lastSender = sender;
    receiver->calls++;
    return a + b + extra;
  }
  static int Other(CVolObject* self, CVolObject*, int32_t, int, int) {
    static_cast<Receiver*>(self)->otherCalls++;
    return -1;
  }
  // Blocks until the test lets it go.
  static int Blocking(CVolObject* self, CVolObject*, int32_t, int, int) {
    auto* receiver = static_cast<Receiver*>(self);
    receiver->inside = true;
    while (!receiver->release) Sleep(1);
    receiver->calls++;
    return 1;
  }

  EventReceiver events;
  CVolObject* lastSender = nullptr;
  std::atomic<int> calls{0}, otherCalls{0};
  std::atomic<bool> inside{false}, release{false};
};

TEST(EventBinding, CallsTheHandlerWithReceiverSenderExtraAndArguments) {
  Receiver receiver;
  CVolObject sender;
  EventBinding binding;
  EXPECT_EQ(binding.Fire(&sender, 99, 1, 2), 99);  // unbound: the default result
  binding.Bind(&Receiver::Sum, receiver.events.Holder(), 10);
  EXPECT_EQ(receiver.events.Holder()->RefCount(), 2);
  EXPECT_EQ(binding.Fire(&sender, 99, 1, 2), 13);
  EXPECT_EQ(receiver.lastSender, &sender);
  binding.Unbind();
  EXPECT_EQ(receiver.events.Holder()->RefCount(), 1);
  EXPECT_EQ(binding.Fire(&sender, 99, 1, 2), 99);
}

TEST(EventBinding, TheHolderOutlivesItsReceiverAndLaterEventsAreDropped) {
  EventBinding binding;
  {
    Receiver receiver;
    binding.Bind(&Receiver::Sum, receiver.events.Holder());
  }
  EXPECT_EQ(binding.Fire(nullptr, -7, 1, 2), -7);
}

TEST(EventBinding, DestructionWaitsForARunningHandlerAndNewEventsAreDropped) {
  auto* receiver = new Receiver();
  EventBinding binding;
  binding.Bind(&Receiver::Blocking, receiver->events.Holder());
  EventBinding second;
  second.Bind(&Receiver::Other, receiver->events.Holder());

  std::thread firing([&] { EXPECT_EQ(binding.Fire(nullptr, 0, 0, 0), 1); });
  while (!receiver->inside) Sleep(1);

  std::atomic<bool> destroyed{false};
  std::thread destroying([&] {
    receiver->events.Detach();
    destroyed = true;
  });
  // Once destruction has begun, events are refused while the running handler still holds it back.
  while (second.Fire(nullptr, -5, 1, 1) != -5) Sleep(1);
  const int handledBefore = receiver->otherCalls;
  EXPECT_EQ(second.Fire(nullptr, -5, 1, 1), -5);
  EXPECT_EQ(receiver->otherCalls, handledBefore);
  Sleep(50);
  EXPECT_FALSE(destroyed);

  receiver->release = true;
  firing.join();
  destroying.join();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(receiver->calls, 1);
  delete receiver;
  EXPECT_EQ(second.Fire(nullptr, -5, 1, 1), -5);
}

TEST(EventBinding, AHandlerMayDestroyItsOwnReceiver) {
  struct SelfDestroying : CVolObject {
    SelfDestroying() : events(this) {}
    static int Handle(CVolObject* self, CVolObject*, int32_t) {
      delete static_cast<SelfDestroying*>(self);
      return 5;
    }
    EventReceiver events;
  };
  auto* receiver = new SelfDestroying();
  EventBinding binding;
  binding.Bind(&SelfDestroying::Handle, receiver->events.Holder());
  EXPECT_EQ(binding.Fire(nullptr, 0), 5);
  EXPECT_EQ(binding.Fire(nullptr, 0), 0);
}

TEST(EventBinding, RebindingOnAWorkerWhileFiringOnAnother) {
  Receiver first, second;
  EventBinding binding;
  binding.Bind(&Receiver::Sum, first.events.Holder());
  std::atomic<bool> stop{false};
  std::thread rebinding([&] {
    for (int i = 0; i < 20000; ++i) {
      if (i % 2) {
        binding.Bind(&Receiver::Sum, first.events.Holder());
      } else {
        binding.Bind(&Receiver::Other, second.events.Holder());
      }
    }
    stop = true;
  });
  int fired = 0;
  while (!stop) {
    const int result = binding.Fire(nullptr, 1000, 1, 2);
    ASSERT_TRUE(result == 3 || result == -1) << result;
    ++fired;
  }
  rebinding.join();
  EXPECT_EQ(first.calls + second.otherCalls, fired);
  binding.Unbind();
  EXPECT_EQ(first.events.Holder()->RefCount(), 1);
  EXPECT_EQ(second.events.Holder()->RefCount(), 1);
}

}  // namespace
