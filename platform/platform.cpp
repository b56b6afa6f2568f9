#include "platform/platform.h"

#include "support/error.h"

namespace platform {
namespace {
Platform* installed = nullptr;
}  // namespace

Platform& Current() {
  // Raised, not aborted: inside RunProgram it ends the program through the
  // usual path for errors, with this text and status 255.
  if (installed == nullptr) {
    throw RuntimeError(u"No platform installed: call platform::InstallNativePlatform() first");
  }
  return *installed;
}

void Install(Platform& platform) { installed = &platform; }

bool IsInstalled() { return installed != nullptr; }

}  // namespace platform
