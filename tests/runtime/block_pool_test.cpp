#include "runtime/block_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

CPoolMem& Pool() {
  return CPoolMem::Instance();
}

TEST(BlockPool, ServesUpTo256BytesFromTheRegion) {
  void* small = Pool().Alloc(256);
  void* large = Pool().Alloc(257);
  EXPECT_TRUE(Pool().Contains(small));
  EXPECT_FALSE(Pool().Contains(large));
  Pool().Free(small);
  Pool().Free(large);
  Pool().Free(nullptr);
}

TEST(BlockPool, ExhaustionFallsBackToTheHeapAndFreesByAddress) {
  const size_t freeBefore = Pool().CountFreeBlocks();
  std::vector<void*> blocks;
  void* p;
  while ((p = Pool().Alloc(64)) && Pool().Contains(p)) blocks.push_back(p);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(blocks.size(), freeBefore);
  EXPECT_EQ(Pool().CountFreeBlocks(), 0u);
  void* another = Pool().Alloc(16);
  EXPECT_FALSE(Pool().Contains(another));
  Pool().Free(p);
  Pool().Free(another);
  EXPECT_EQ(Pool().CountFreeBlocks(), 0u);  // heap blocks went back to the heap
  for (void* block : blocks) Pool().Free(block);
  EXPECT_EQ(Pool().CountFreeBlocks(), freeBefore);
}

TEST(BlockPool, ReallocateKeepsSmallBlocksAndMovesLargeOnes) {
  auto* block = static_cast<unsigned char*>(Pool().Alloc(100));
  ASSERT_TRUE(Pool().Contains(block));
  for (int i = 0; i < 256; ++i) block[i] = static_cast<unsigned char>(i);
  EXPECT_EQ(Pool().ReallocOrExit(block, 200), block);
  const size_t freeBefore = Pool().CountFreeBlocks();
  auto* moved = static_cast<unsigned char*>(Pool().ReallocOrExit(block, 300));
  EXPECT_FALSE(Pool().Contains(moved));
  for (int i = 0; i < 256; ++i) ASSERT_EQ(moved[i], i);
  EXPECT_EQ(Pool().CountFreeBlocks(), freeBefore + 1);
  Pool().Free(moved);
}

TEST(BlockPool, ConcurrentAllocationLeavesTheFreeListIntact) {
  const size_t freeBefore = Pool().CountFreeBlocks();
  std::atomic<bool> start{false};
  auto churn = [&] {
    while (!start) std::this_thread::yield();
    std::vector<void*> held;
    for (int round = 0; round < 20000; ++round) {
      held.push_back(Pool().AllocOrExit(48));
      if (held.size() > 64 || round % 3 == 0) {
        Pool().Free(held.back());
        held.pop_back();
      }
    }
    for (void* p : held) Pool().Free(p);
  };
  std::thread a(churn), b(churn);
  start = true;
  a.join();
  b.join();
  EXPECT_EQ(Pool().CountFreeBlocks(), freeBefore);
}

}  // namespace
