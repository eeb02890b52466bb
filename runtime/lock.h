// Lock: the program's one lock type, an exclusive slim reader/writer lock. It needs no initialisation call
// and no destruction, so it may live in static objects. Not recursive: a thread that holds it must not take
// it again. LockGuard holds it for one scope.
#pragma once

#include <windows.h>

class Lock {
 public:
  Lock() = default;
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void Acquire() { AcquireSRWLockExclusive(&m_lock); }
  void Release() { ReleaseSRWLockExclusive(&m_lock); }
  // Called with the lock held: releases it while sleeping on `condition` and holds it again on return.
  // Wake-ups may be spurious, so callers wait in a loop over their own condition.
  void Wait(CONDITION_VARIABLE& condition) { SleepConditionVariableSRW(&condition, &m_lock, INFINITE, 0); }

 private:
  SRWLOCK m_lock = SRWLOCK_INIT;
};

class LockGuard {
 public:
  explicit LockGuard(Lock& lock) : m_lock(lock) { m_lock.Acquire(); }
  ~LockGuard() { m_lock.Release(); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  Lock& m_lock;
};
