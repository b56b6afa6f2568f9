#include "platform/linux/linux_memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform::linux_memory {

void ReturnFreedLargeBlocks() {
  // Setting either limit also stops glibc from moving them. Another C
  // library (or a sanitizer's allocator) may not know these settings; then
  // the calls do nothing and the defaults stay.
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargeBlockBytes));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(kLargeBlockBytes));
#endif
}

}  // namespace platform::linux_memory
