#include "transform/xml_support/library_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <thread>
#include <utility>
#include <vector>

namespace rt {
namespace {

struct Block {
  unsigned char* at;
  std::size_t size;
  unsigned char mark;
};

Block Filled(std::size_t size, unsigned char mark) {
  auto* at = static_cast<unsigned char*>(PoolAllocate(size));
  EXPECT_NE(at, nullptr) << size;
  if (at != nullptr) std::memset(at, mark, size);
  return {at, size, mark};
}

bool Intact(const Block& block) {
  for (std::size_t i = 0; i < block.size; ++i) {
    if (block.at[i] != block.mark) return false;
  }
  return true;
}

// Blocks of every size around the pools' and beyond, freed in random order while others are
// asked for: none overlaps another, each is aligned as the C library's, and the pieces emptied
// on the way are given back without harm to the blocks still in use.
TEST(LibraryMemory, BlocksKeepTheirBytesWhateverTheOrder) {
  std::mt19937 random(7);
  std::vector<Block> live;
  for (int round = 0; round < 20000; ++round) {
    if (!live.empty() && random() % 3 == 0) {
      const std::size_t at = random() % live.size();
      ASSERT_TRUE(Intact(live[at])) << live[at].size;
      PoolFree(live[at].at);
      live[at] = live.back();
      live.pop_back();
      continue;
    }
    const std::size_t size = random() % 4 == 0 ? random() % 5000 : random() % 600;
    live.push_back(Filled(size, static_cast<unsigned char>(round)));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(live.back().at) % alignof(std::max_align_t), 0u);
  }
  for (const Block& block : live) {
    ASSERT_TRUE(Intact(block)) << block.size;
    PoolFree(block.at);
  }
}

TEST(LibraryMemory, ReallocatedBlocksKeepTheirBeginning) {
  Block block = Filled(3, 0x5A);
  // Growing within its pool, into another, beyond the pools, and back down into one.
  for (const std::size_t size : {7u, 200u, 513u, 100000u, 40u, 0u, 1u}) {
    const std::size_t kept = size < block.size ? size : block.size;
    auto* moved = static_cast<unsigned char*>(PoolReallocate(block.at, size));
    ASSERT_NE(moved, nullptr) << size;
    for (std::size_t i = 0; i < kept; ++i) ASSERT_EQ(moved[i], 0x5A) << size << " at " << i;
    std::memset(moved, 0x5A, size);
    block = {moved, size, 0x5A};
  }
  PoolFree(block.at);
  auto* fresh = static_cast<unsigned char*>(PoolReallocate(nullptr, 10));
  ASSERT_NE(fresh, nullptr);
  PoolFree(fresh);
  PoolFree(nullptr);
}

TEST(LibraryMemory, DuplicatesText) {
  char* copy = PoolDuplicate("Организация номер 1");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "Организация номер 1");
  PoolFree(copy);
  copy = PoolDuplicate("");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "");
  PoolFree(copy);
}

TEST(LibraryMemory, TooLargeIsRefused) {
  EXPECT_EQ(PoolAllocate(SIZE_MAX), nullptr);
  void* block = PoolAllocate(1000);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(PoolReallocate(block, SIZE_MAX), nullptr);
  PoolFree(block);
}

// Threads that allocate and free at once, each block freed by another thread than its own.
TEST(LibraryMemory, ServesThreadsAtOnce) {
  constexpr int kThreads = 4, kBlocks = 20000;
  std::vector<std::vector<Block>> made(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &made] {
      for (int n = 0; n < kBlocks; ++n) {
        made[static_cast<std::size_t>(t)].push_back(
            Filled(static_cast<std::size_t>(n % 700), static_cast<unsigned char>(t + 1)));
        if (n % 2 == 1) {
          PoolFree(made[static_cast<std::size_t>(t)][static_cast<std::size_t>(n - 1)].at);
          made[static_cast<std::size_t>(t)][static_cast<std::size_t>(n - 1)].at = nullptr;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  threads.clear();
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &made] {
      for (const Block& block : made[static_cast<std::size_t>((t + 1) % kThreads)]) {
        if (block.at == nullptr) continue;
        EXPECT_TRUE(Intact(block));
        PoolFree(block.at);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace
}  // namespace rt
