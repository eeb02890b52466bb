#include "runtime/event_binding.h"

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

CVolEventObjectPointer::CVolEventObjectPointer(CVolObject* target) : m_target(target) {}

CVolEventObjectPointer::~CVolEventObjectPointer() = default;

CVolObject* CVolEventObjectPointer::EnterHandler() {
  LockGuard guard(m_stateLock);
  CVolObject* target = m_detaching ? nullptr : m_target;
  if (target) {
    ++m_busy;
    if (t_runningCount < kMaxNesting) {
      t_running[t_runningCount++] = this;
    } else {
      ++t_overflow;
    }
  }
  return target;
}

void CVolEventObjectPointer::LeaveHandler() {
  LockGuard guard(m_stateLock);
  if (t_overflow > 0) {
    --t_overflow;
  } else if (t_runningCount > 0) {
    --t_runningCount;
  }
  --m_busy;
  // A destroying thread may wait for the count to fall to the number of its own handler calls, not to 0.
  WakeAllConditionVariable(&m_idle);
}

void CVolEventObjectPointer::DetachTarget() {
  LockGuard guard(m_stateLock);
  m_detaching = true;
  const int own = RunningOnThisThread(this);
  while (m_busy > own) m_stateLock.Wait(m_idle);
  m_target = nullptr;
}

CVolObject* CVolEventObjectPointer::Target() {
  LockGuard guard(m_stateLock);
  return m_target;
}

int64_t CVolEventObjectPointer::BusyCount() {
  LockGuard guard(m_stateLock);
  return m_busy;
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
  {
    LockGuard guard(m_lock);
    m_handler = handler;
    m_extra = extra;
    if (holder != m_holder) {
      old = m_holder;
      m_holder = AddRefTo(holder);
    }
  }
  // Dropped outside the lock: the last reference destroys the holder.
  RefHeld<CVolEventObjectPointer> dropped(old);
}

void EventBinding::Unbind() {
  CVolEventObjectPointer* old = nullptr;
  {
    LockGuard guard(m_lock);
    old = m_holder;
    m_holder = nullptr;
    m_handler = nullptr;
    m_extra = 0;
  }
  RefHeld<CVolEventObjectPointer> dropped(old);
}

bool EventBinding::IsBound() {
  LockGuard guard(m_lock);
  return m_holder != nullptr && m_handler != nullptr;
}

bool EventBinding::Snapshot(GenericHandler& handler, CVolEventObjectPointer*& holder, int32_t& extra) {
  {
    LockGuard guard(m_lock);
    handler = m_handler;
    holder = AddRefTo(m_holder);
    extra = m_extra;
  }
  if (!holder) return false;
  if (!handler) {
    holder->Release();
    return false;
  }
  return true;
}
