// How the C library's allocator hands freed large blocks back to the system
// on Linux (glibc). Behind LinuxPlatform's HeapOptimizeResources, which the
// program's entry calls once, before the graphics driver allocates anything.
#pragma once

#include <cstddef>

namespace platform::linux_memory {

// Blocks of at least this size get their own mapping, which freeing unmaps;
// the heap's free top is returned once it exceeds it.
constexpr std::size_t kLargeBlockBytes = 256 * 1024;

// Fixes both limits at kLargeBlockBytes. By default glibc raises them after
// every freed large block, up to the largest block freed so far (and twice
// that for the heap top). The software GL driver turns over 512 KiB vertex
// buffers every few frames and a 1 MiB buffer after about two minutes of
// drawing; after that 1 MiB block is freed, the 512 KiB buffers come
// from the heap, whose free top is then kept up to 2 MiB, so the resident
// size steps up for good. With fixed limits they stay separate mappings and
// the memory goes back when they are freed.
void ReturnFreedLargeBlocks();

}  // namespace platform::linux_memory
