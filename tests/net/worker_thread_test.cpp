#include "net/worker_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "runtime/serial_stream.h"
#include "support/serial_round_trip.h"

namespace {

// Receives run events and records what each handler call saw.
class Jobs : public CVolObject {
 public:
  struct Call {
    uint64_t parameter;
    DWORD threadId;
    CVolObject* sender;
    int32_t extra;
  };

  Jobs() : events(this) {}
  ~Jobs() override { events.Detach(); }

  static uint32_t Record(CVolObject* self, CVolObject* sender, int32_t extra, uint64_t parameter) {
    auto* jobs = static_cast<Jobs*>(self);
    std::lock_guard<std::mutex> lock(jobs->mutex);
    jobs->calls.push_back({parameter, GetCurrentThreadId(), sender, extra});
    return static_cast<uint32_t>(parameter) + 40;
  }

  size_t CallCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return calls.size();
  }
  // Polls (generously) until `count` handler calls have been recorded.
  bool WaitForCalls(size_t count) {
    for (int waited = 0; waited < 30000; waited += 5) {
      if (CallCount() >= count) return true;
      Sleep(5);
    }
    return false;
  }

  EventReceiver events;
  std::mutex mutex;
  std::vector<Call> calls;
};

DWORD ExitCodeOf(HANDLE thread) {
  EXPECT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
  DWORD code = 12345;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  return code;
}

TEST(WorkerThread, SuccessiveStartsRunTheHandlerOnDistinctThreadsWithTheirParameters) {
  Jobs jobs;
  WorkerThread worker;
  worker.BindRun(&Jobs::Record, jobs.events.Holder(), 7);
  for (uint64_t parameter = 1; parameter <= 3; ++parameter) {
    ASSERT_TRUE(worker.Start(parameter));
    ASSERT_TRUE(jobs.WaitForCalls(parameter));
  }
  EXPECT_EQ(ExitCodeOf(worker.ThreadHandle()), 43u);

  ASSERT_EQ(jobs.calls.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(jobs.calls[i].parameter, i + 1);
    EXPECT_EQ(jobs.calls[i].sender, &worker);
    EXPECT_EQ(jobs.calls[i].extra, 7);
    EXPECT_NE(jobs.calls[i].threadId, GetCurrentThreadId());
  }
  EXPECT_NE(jobs.calls[0].threadId, jobs.calls[1].threadId);
  EXPECT_NE(jobs.calls[1].threadId, jobs.calls[2].threadId);
  EXPECT_NE(jobs.calls[0].threadId, jobs.calls[2].threadId);

  EXPECT_EQ(worker.Parameter(), 3u);
  EXPECT_EQ(worker.ThreadId(), jobs.calls[2].threadId);
  EXPECT_EQ(GetThreadId(worker.ThreadHandle()), jobs.calls[2].threadId);
}

TEST(WorkerThread, StartsInQuickSuccessionEachHandTheirOwnParameter) {
  Jobs jobs;
  WorkerThread worker;
  worker.BindRun(&Jobs::Record, jobs.events.Holder());
  constexpr uint64_t kStarts = 16;
  for (uint64_t parameter = 1; parameter <= kStarts; ++parameter) ASSERT_TRUE(worker.Start(parameter));
  ASSERT_TRUE(jobs.WaitForCalls(kStarts));

  std::lock_guard<std::mutex> lock(jobs.mutex);
  std::vector<uint64_t> seen;
  for (const auto& call : jobs.calls) seen.push_back(call.parameter);
  std::sort(seen.begin(), seen.end());
  for (uint64_t i = 0; i < kStarts; ++i) EXPECT_EQ(seen[i], i + 1);
}

TEST(WorkerThread, AnUnboundRunEventEndsTheThreadWithExitCodeZero) {
  WorkerThread worker;
  ASSERT_TRUE(worker.Start(5));
  EXPECT_NE(worker.ThreadHandle(), nullptr);
  EXPECT_EQ(ExitCodeOf(worker.ThreadHandle()), 0u);

  // A receiver that is gone counts as unbound.
  {
    Jobs jobs;
    worker.BindRun(&Jobs::Record, jobs.events.Holder());
  }
  ASSERT_TRUE(worker.Start(6));
  EXPECT_EQ(ExitCodeOf(worker.ThreadHandle()), 0u);
}

bool IsOpenHandle(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

// Only the latest thread's handle stays open, and only as long as the object: handles never pile up.
TEST(WorkerThread, ClosesTheHandleOfAnEarlierThreadAndTheLastOneOnDestruction) {
  HANDLE last = nullptr;
  {
    WorkerThread worker;
    ASSERT_TRUE(worker.Start(1));
    const HANDLE first = worker.ThreadHandle();
    ExitCodeOf(first);
    ASSERT_TRUE(worker.Start(2));
    last = worker.ThreadHandle();
    EXPECT_FALSE(IsOpenHandle(first));
    EXPECT_TRUE(IsOpenHandle(last));
    ExitCodeOf(last);
  }
  EXPECT_FALSE(IsOpenHandle(last));
}

// A copy holds a handle of its own: the original's next start (which closes the original's handle) and the
// original's end leave it usable. A handle value read from a stream is not adopted.
TEST(WorkerThread, CopiesOwnTheirHandleAndLoadingAdoptsNone) {
  Jobs jobs;
  HANDLE copied = nullptr;
  WorkerThread copy;
  {
    WorkerThread worker;
    worker.BindRun(&Jobs::Record, jobs.events.Holder());
    ASSERT_TRUE(worker.Start(5));
    ASSERT_TRUE(jobs.WaitForCalls(1));
    copy = worker;
    WorkerThread constructed(worker);
    copied = copy.ThreadHandle();
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, worker.ThreadHandle());
    EXPECT_NE(constructed.ThreadHandle(), worker.ThreadHandle());
    EXPECT_EQ(GetThreadId(copied), GetThreadId(worker.ThreadHandle()));

    ASSERT_TRUE(worker.Start(6));
    ASSERT_TRUE(jobs.WaitForCalls(2));
    EXPECT_TRUE(IsOpenHandle(copied));
    ExitCodeOf(worker.ThreadHandle());
  }
  EXPECT_TRUE(IsOpenHandle(copied));
  EXPECT_EQ(ExitCodeOf(copied), 45u);

  const WorkerThread loaded = SavedAndLoaded(copy);
  EXPECT_EQ(loaded.ThreadHandle(), nullptr);
  EXPECT_EQ(loaded.ThreadId(), copy.ThreadId());
  EXPECT_EQ(loaded.Parameter(), 5u);
  EXPECT_TRUE(IsOpenHandle(copied));
}

TEST(WorkerThread, CopiesCompareAndSerialiseTheThreeFieldsButNotTheBinding) {
  Jobs jobs;
  WorkerThread worker;
  worker.BindRun(&Jobs::Record, jobs.events.Holder());
  ASSERT_TRUE(worker.Start(9));
  ASSERT_TRUE(jobs.WaitForCalls(1));

  std::unique_ptr<CVolObject> clone(worker.Clone());
  EXPECT_TRUE(clone->IsEqual(worker));
  EXPECT_FALSE(static_cast<WorkerThread&>(*clone).RunEvent().IsBound());

  MemorySerialStream stream;
  worker.Save(stream);
  EXPECT_EQ(stream.Data().GetSize(), 20);
  bool good = false;
  EXPECT_TRUE(SavedAndLoaded(worker, &good).IsEqual(worker));
  EXPECT_TRUE(good);

  clone->Reset();
  EXPECT_TRUE(clone->IsEqual(WorkerThread()));
  EXPECT_TRUE(worker.RunEvent().IsBound());
  EXPECT_EQ(ExitCodeOf(worker.ThreadHandle()), 49u);
}

}  // namespace
