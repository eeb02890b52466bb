// A word-sized spin lock, kept for the block pool alone, where it is measurably cheaper than the program's
// Lock (see runtime_bench). 1 = free. Acquire decrements; the lock is held when the result is 0, otherwise
// the thread waits until the word turns positive and tries again: briefly spinning, then yielding its time
// slice, so a holder that was preempted gets to run. Release stores 1.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

class SpinLock {
 public:
  SpinLock() = default;
  SpinLock(const SpinLock&) = delete;
  SpinLock& operator=(const SpinLock&) = delete;

  void Acquire() {
    while (m_word.fetch_sub(1, std::memory_order_acquire) - 1 != 0) {
      for (int spins = 0; m_word.load(std::memory_order_relaxed) <= 0; ++spins) {
        if (spins < kSpinsBeforeYield) {
          __builtin_ia32_pause();
        } else {
          std::this_thread::yield();
        }
      }
    }
  }
  void Release() { m_word.store(1, std::memory_order_release); }

 private:
  static constexpr int kSpinsBeforeYield = 64;
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
