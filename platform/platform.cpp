#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {
Platform* installed = nullptr;
}  // namespace

Platform& Current() {
  if (installed == nullptr) {
    std::fputs("No platform installed\n", stderr);
    std::abort();
  }
  return *installed;
}

void Install(Platform& platform) { installed = &platform; }

bool IsInstalled() { return installed != nullptr; }

}  // namespace platform
