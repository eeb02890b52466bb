#include "net/worker_thread.h"

#include <memory>

#include "runtime/serial_stream.h"

namespace {

// What a new thread needs: the object whose run event it fires and the parameter of its own Start.
struct StartRequest {
  WorkerThread* worker;
  uint64_t parameter;
};

// A handle of our own to the thread another object holds, or none.
HANDLE DuplicateThreadHandle(HANDLE thread) {
  HANDLE copy = nullptr;
  if (!thread || !DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return copy;
}

}  // namespace

WorkerThread::WorkerThread(const WorkerThread& other)
    : CVolObject(other),
      m_threadId(other.m_threadId),
      m_parameter(other.m_parameter),
      m_threadHandle(DuplicateThreadHandle(other.ThreadHandle())) {}

WorkerThread& WorkerThread::operator=(const WorkerThread& other) {
  if (&other == this) return *this;
  CVolObject::operator=(other);
  m_threadId = other.m_threadId;
  m_parameter = other.m_parameter;
  m_threadHandle.Reset(DuplicateThreadHandle(other.ThreadHandle()));
  return *this;
}

WorkerThread::~WorkerThread() = default;

bool WorkerThread::Assign(const CVolObject& source) {
  return AssignByCopy(*this, source);
}

void WorkerThread::Reset() {
  OnChange();
  ResetHeader();
  m_threadHandle.Reset();
  m_threadId = 0;
  m_parameter = 0;
}

// Each object holds its own handle, so equal objects name the same thread, not the same handle value.
bool WorkerThread::IsEqual(const CVolObject& other) const {
  if (!IsSameClass(ClassInfo(), other.GetClassRecord())) return false;
  const auto& o = static_cast<const WorkerThread&>(other);
  return HeaderEquals(o) && m_threadId == o.m_threadId && m_parameter == o.m_parameter;
}

// A handle value from a stream belongs to no one here (maybe to another process): it is read and dropped.
void WorkerThread::Load(SerialStream& stream) {
  int32_t threadId = 0;
  int64_t parameter = 0, savedHandle = 0;
  if (!stream.ReadInt32(threadId) || !stream.ReadInt64(parameter) || !stream.ReadInt64(savedHandle)) return;
  m_threadHandle.Reset();
  m_threadId = static_cast<uint32_t>(threadId);
  m_parameter = static_cast<uint64_t>(parameter);
}

void WorkerThread::Save(SerialStream& stream) const {
  if (!stream.WriteInt32(static_cast<int32_t>(m_threadId))) return;
  if (!stream.WriteInt64(static_cast<int64_t>(m_parameter))) return;
  stream.WriteInt64(static_cast<int64_t>(reinterpret_cast<intptr_t>(m_threadHandle.Get())));
}

bool WorkerThread::Start(uint64_t parameter) {
  m_parameter = parameter;
  auto request = std::make_unique<StartRequest>(StartRequest{this, parameter});
  DWORD threadId = 0;
  HANDLE handle = CreateThread(nullptr, 0, &WorkerThread::ThreadEntry, request.get(), 0, &threadId);
  // The previous thread keeps running; only our handle to it goes.
  m_threadHandle.Reset(handle);
  m_threadId = threadId;
  if (!handle) return false;
  request.release();  // the new thread owns it now
  return true;
}

DWORD WINAPI WorkerThread::ThreadEntry(void* argument) {
  std::unique_ptr<StartRequest> request(static_cast<StartRequest*>(argument));
  if (!request || !request->worker) return 0;
  WorkerThread* worker = request->worker;
  return worker->m_runEvent.Fire<uint32_t, uint64_t>(worker, 0u, request->parameter);
}
