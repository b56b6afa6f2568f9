#include "platform/linux/linux_memory.h"

#include <gtest/gtest.h>

// The allocator's counters read here are glibc's own.
#if defined(__GLIBC__)
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

namespace memory = platform::linux_memory;

constexpr std::size_t kKiB = 1024;

// Keeps the compiler from dropping an allocation that is never read.
void* volatile sink = nullptr;

void* Touched(std::size_t bytes) {
  void* block = std::malloc(bytes);
  if (block != nullptr) std::memset(block, 0x5A, bytes);
  sink = block;
  return block;
}

// The situation of a long run on the software GL driver: a 1 MiB buffer has
// been freed, 512 KiB buffers keep coming and going.
class LinuxMemoryTest : public testing::Test {
 protected:
  void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator does not take these settings";
#endif
    memory::ReturnFreedLargeBlocks();
    std::free(Touched(1024 * kKiB + 48));
  }
};

TEST_F(LinuxMemoryTest, LargeBlocksStayOwnMappingsAndGoBackWhenFreed) {
  const struct mallinfo2 before = mallinfo2();
  void* vertices = Touched(512 * kKiB + 48);
  ASSERT_NE(vertices, nullptr);
  // Its own mapping, not a piece of the heap, which would stay resident.
  const struct mallinfo2 held = mallinfo2();
  EXPECT_EQ(held.hblks, before.hblks + 1);
  EXPECT_GE(held.hblkhd, before.hblkhd + 512 * kKiB);
  std::free(vertices);
  const struct mallinfo2 after = mallinfo2();
  EXPECT_EQ(after.hblks, before.hblks);
  EXPECT_EQ(after.hblkhd, before.hblkhd);
  // The smallest block that gets a mapping is the documented limit.
  void* limit = Touched(memory::kLargeBlockBytes);
  EXPECT_EQ(mallinfo2().hblks, before.hblks + 1);
  std::free(limit);
}

TEST_F(LinuxMemoryTest, FreedHeapTopIsReturnedBeyondTheLimit) {
  // 1 MiB in heap blocks just under the limit, freed newest first so they
  // merge into the heap's top.
  std::vector<void*> blocks;
  for (int i = 0; i < 16; ++i) blocks.push_back(Touched(64 * kKiB));
  for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) std::free(*it);
  EXPECT_LE(mallinfo2().keepcost, memory::kLargeBlockBytes);
}

}  // namespace

#endif  // __GLIBC__
