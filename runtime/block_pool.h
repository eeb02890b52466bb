// CPoolMem: the process-wide block pool. A 4 MiB region of 256-byte blocks taken from the process heap in
// one allocation; requests of up to 256 bytes pop a block from a free list under a spin lock, larger
// requests (and requests made while the list is empty) go to the process heap. Freeing decides pool or
// heap by address, so blocks carry no header. Shared by all threads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/spin_lock.h"

class CPoolMem {
 public:
  static constexpr size_t kBlockSize = 256;
  static constexpr size_t kRegionSize = 0x400000;
  static constexpr size_t kBlockCount = kRegionSize / kBlockSize;

  // The one pool of the process; exists from static initialisation to the end of the process.
  static CPoolMem& Instance();

  CPoolMem();
  virtual ~CPoolMem();
  CPoolMem(const CPoolMem&) = delete;
  CPoolMem& operator=(const CPoolMem&) = delete;

  // May return null only when the heap fails.
  void* Alloc(size_t n);
  // Like Alloc, but a null result ends the process with exit code -1.
  void* AllocOrExit(size_t n);
  // Pooled blocks stay put up to 256 bytes and move to the heap (with their whole 256 bytes) beyond it.
  void* ReallocOrExit(void* p, size_t n);
  // Ignores null.
  void Free(void* p);

  bool Contains(const void* p) const { return p >= m_regionStart && p < m_regionEnd; }
  size_t BlockSize() const { return m_blockSize; }
  // Walks the free list under the lock; for diagnostics and tests.
  size_t CountFreeBlocks();

 private:
  void* PopBlock();
  void PushBlock(void* p);

  char* m_regionStart = nullptr;
  char* m_regionEnd = nullptr;
  void* m_freeHead = nullptr;
  size_t m_blockSize = kBlockSize;
  SpinLock m_lock;
  bool m_released = false;
};
