// A word-sized spin lock: 1 = free. Acquire decrements; the lock is held when the result is 0,
// otherwise the thread spins until the word turns positive and tries again. Release stores 1.
#pragma once

#include <atomic>
#include <cstdint>

class SpinLock {
 public:
  SpinLock() = default;
  SpinLock(const SpinLock&) = delete;
  SpinLock& operator=(const SpinLock&) = delete;

  void Acquire() {
    while (m_word.fetch_sub(1, std::memory_order_acquire) - 1 != 0) {
      while (m_word.load(std::memory_order_relaxed) <= 0) __builtin_ia32_pause();
    }
  }
  void Release() { m_word.store(1, std::memory_order_release); }

 private:
  std::atomic<int64_t> m_word{1};
};

// Holds a SpinLock for the lifetime of the guard.
class SpinLockGuard {
 public:
  explicit SpinLockGuard(SpinLock& lock) : m_lock(lock) { m_lock.Acquire(); }
  ~SpinLockGuard() { m_lock.Release(); }
  SpinLockGuard(const SpinLockGuard&) = delete;
  SpinLockGuard& operator=(const SpinLockGuard&) = delete;

 private:
  SpinLock& m_lock;
};
