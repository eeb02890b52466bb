#include "runtime/block_pool.h"

#include <windows.h>

#include <cstring>

#include "runtime/fatal_exit.h"

namespace {
// Constructed before every other static object of the program and destroyed after them, so no runtime
// object outlives the pool it came from.
CPoolMem g_pool __attribute__((init_priority(101)));
}  // namespace

CPoolMem& CPoolMem::Instance() {
  return g_pool;
}

CPoolMem::CPoolMem() {
  m_blockSize = kBlockSize;
  m_regionStart = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, kRegionSize));
  if (!m_regionStart) ExitOnOutOfMemory();
  m_regionEnd = m_regionStart + kRegionSize;
  m_freeHead = m_regionStart;
  for (size_t i = 0; i < kBlockCount; ++i) {
    char* block = m_regionStart + i * kBlockSize;
    void* next = (i + 1 < kBlockCount) ? block + kBlockSize : nullptr;
    std::memcpy(block, &next, sizeof next);
  }
}

CPoolMem::~CPoolMem() {
  // Blocks freed after this point are simply forgotten: the region is gone.
  m_released = true;
  HeapFree(GetProcessHeap(), 0, m_regionStart);
}

void* CPoolMem::PopBlock() {
  SpinLockGuard guard(m_lock);
  void* block = m_freeHead;
  if (block) std::memcpy(&m_freeHead, block, sizeof m_freeHead);
  return block;
}

void CPoolMem::PushBlock(void* p) {
  if (m_released) return;
  SpinLockGuard guard(m_lock);
  std::memcpy(p, &m_freeHead, sizeof m_freeHead);
  m_freeHead = p;
}

void* CPoolMem::Alloc(size_t n) {
  if (n <= m_blockSize && !m_released) {
    if (void* block = PopBlock()) return block;
  }
  return HeapAlloc(GetProcessHeap(), 0, n);
}

void* CPoolMem::AllocOrExit(size_t n) {
  void* p = Alloc(n);
  if (!p) ExitOnOutOfMemory();
  return p;
}

void* CPoolMem::ReallocOrExit(void* p, size_t n) {
  if (!p) return AllocOrExit(n);
  void* result;
  if (!Contains(p)) {
    result = HeapReAlloc(GetProcessHeap(), 0, p, n);
  } else if (n <= m_blockSize) {
    result = p;
  } else {
    result = HeapAlloc(GetProcessHeap(), 0, n);
    if (result) {
      std::memcpy(result, p, m_blockSize);
      PushBlock(p);
    }
  }
  if (!result) ExitOnOutOfMemory();
  return result;
}

void CPoolMem::Free(void* p) {
  if (!p) return;
  if (Contains(p)) {
    PushBlock(p);
  } else {
    HeapFree(GetProcessHeap(), 0, p);
  }
}

size_t CPoolMem::CountFreeBlocks() {
  SpinLockGuard guard(m_lock);
  size_t count = 0;
  for (void* block = m_freeHead; block; std::memcpy(&block, block, sizeof block)) ++count;
  return count;
}
