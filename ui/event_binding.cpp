#include "ui/event_binding.h"

namespace {

// The holders whose handlers the current thread is running, innermost last; lets a handler destroy its own
// receiver without waiting for itself.
constexpr int kMaxNesting = 64;
thread_local CVolEventObjectPointer* t_running[kMaxNesting];
thread_local int t_runningCount = 0;
thread_local int t_overflow = 0;

int RunningOnThisThread(const CVolEventObjectPointer* holder) {
  int count = 0;
  for (int i = 0; i < t_runningCount; ++i) count += t_running[i] == holder;
  return count;
}

}  // namespace

const CVolClassInfo* CVolEventObjectPointer::ClassInfo() {
  static const CVolClassInfo info = MakeClassInfo("CVolEventObjectPointer", nullptr);
  return &info;
}

CVolEventObjectPointer::CVolEventObjectPointer(CVolObject* target) : m_target(target) {
  InitializeCriticalSection(&m_stateLock);
  InitializeConditionVariable(&m_idle);
}

CVolEventObjectPointer::~CVolEventObjectPointer() {
  DeleteCriticalSection(&m_stateLock);
}

CVolObject* CVolEventObjectPointer::EnterHandler() {
  EnterCriticalSection(&m_stateLock);
  CVolObject* target = m_detaching ? nullptr : m_target;
  if (target) {
    ++m_busy;
    if (t_runningCount < kMaxNesting) {
      t_running[t_runningCount++] = this;
    } else {
      ++t_overflow;
    }
  }
  LeaveCriticalSection(&m_stateLock);
  return target;
}

void CVolEventObjectPointer::LeaveHandler() {
  EnterCriticalSection(&m_stateLock);
  if (t_overflow > 0) {
    --t_overflow;
  } else if (t_runningCount > 0) {
    --t_runningCount;
  }
  --m_busy;
  // A destroying thread may wait for the count to fall to the number of its own handler calls, not to 0.
  WakeAllConditionVariable(&m_idle);
  LeaveCriticalSection(&m_stateLock);
}

void CVolEventObjectPointer::DetachTarget() {
  EnterCriticalSection(&m_stateLock);
  m_detaching = true;
  const int own = RunningOnThisThread(this);
  while (m_busy > own) SleepConditionVariableCS(&m_idle, &m_stateLock, INFINITE);
  m_target = nullptr;
  LeaveCriticalSection(&m_stateLock);
}

CVolObject* CVolEventObjectPointer::Target() {
  EnterCriticalSection(&m_stateLock);
  CVolObject* target = m_target;
  LeaveCriticalSection(&m_stateLock);
  return target;
}

int64_t CVolEventObjectPointer::BusyCount() {
  EnterCriticalSection(&m_stateLock);
  const int64_t busy = m_busy;
  LeaveCriticalSection(&m_stateLock);
  return busy;
}

void EventReceiver::Detach() {
  if (!m_holder) return;
  m_receiver->SetFlags(m_receiver->Flags() | CVolObject::kDestroyingFlag);
  m_holder->DetachTarget();
  m_holder->Release();
  m_holder = nullptr;
}

EventBinding::~EventBinding() {
  Unbind();
}

void EventBinding::Bind(GenericHandler handler, CVolEventObjectPointer* holder, int32_t extra) {
  CVolEventObjectPointer* old = nullptr;
  m_lock.Acquire();
  m_handler = handler;
  m_extra = extra;
  if (holder != m_holder) {
    old = m_holder;
    m_holder = AddRefTo(holder);
  }
  m_lock.Release();
  if (old) old->Release();
}

void EventBinding::Unbind() {
  m_lock.Acquire();
  CVolEventObjectPointer* old = m_holder;
  m_holder = nullptr;
  m_handler = nullptr;
  m_extra = 0;
  m_lock.Release();
  if (old) old->Release();
}

bool EventBinding::IsBound() {
  SpinLockGuard guard(m_lock);
  return m_holder != nullptr && m_handler != nullptr;
}

bool EventBinding::Snapshot(GenericHandler& handler, CVolEventObjectPointer*& holder, int32_t& extra) {
  m_lock.Acquire();
  handler = m_handler;
  holder = AddRefTo(m_holder);
  extra = m_extra;
  m_lock.Release();
  if (!holder) return false;
  if (!handler) {
    holder->Release();
    return false;
  }
  return true;
}
