// WorkerThread: runs a job on a new operating-system thread. The job is the handler bound to the run event;
// Start hands it one 64-bit parameter. There is no joining, cancelling or result collection: the handler
// reports back through its owner's own (locked) state.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/object.h"
#include "runtime/scoped_handle.h"
#include "runtime/event_binding.h"

class WorkerThread : public CVolObject {
  VOL_CLASS_IDENTITY(WorkerThread, CVolObject, "WorkerThread")
 public:
  // The job: called on the new thread with (receiver, the WorkerThread, extra value, parameter); its result
  // becomes the thread's exit code.
  using RunHandler = uint32_t (*)(CVolObject* receiver, CVolObject* sender, int32_t extra, uint64_t parameter);

  WorkerThread() = default;
  // Copies the thread id and parameter and opens a handle of its own to the same thread (so the copy's handle
  // stays valid whatever the original does next); the copy has its own, unbound run event.
  WorkerThread(const WorkerThread& other);
  WorkerThread& operator=(const WorkerThread& other);
  // Closes its handle; neither waits for nor stops a running thread. The object must outlive every
  // thread it started, since those threads fire its run event.
  ~WorkerThread() override;

  CVolObject* Clone() const override { return new WorkerThread(*this); }
  bool Assign(const CVolObject& source) override;
  void Reset() override;
  bool IsEqual(const CVolObject& other) const override;
  void Load(SerialStream& stream) override;
  void Save(SerialStream& stream) const override;

  void BindRun(RunHandler handler, CVolEventObjectPointer* holder, int32_t extra = 0) {
    m_runEvent.Bind(handler, holder, extra);
  }
  EventBinding& RunEvent() { return m_runEvent; }

  // Creates a thread that fires the run event with `parameter` and returns at once; false when no thread
  // could be created. The new thread gets its own copy of the parameter, so starts in quick succession never
  // hand one value to two threads. May be called again while earlier threads still run.
  bool Start(uint64_t parameter);

  // Of the most recent Start. The handle stays open (and can be waited on) until the next Start, Reset or
  // the object's destruction, so handles never pile up however often the object is started.
  uint32_t ThreadId() const { return m_threadId; }
  uint64_t Parameter() const { return m_parameter; }
  HANDLE ThreadHandle() const { return m_threadHandle.Get(); }

 private:
  static DWORD WINAPI ThreadEntry(void* request);

  uint32_t m_threadId = 0;
  uint64_t m_parameter = 0;
  ScopedHandle m_threadHandle;
  EventBinding m_runEvent;
};
