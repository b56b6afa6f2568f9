#include "platform/platform.h"

#include "support/error.h"
#include "support/text.h"

namespace platform {

std::vector<std::u16string> Platform::GetCommandLineArguments(int argc, const char* const* argv) {
  std::vector<std::u16string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(FromSystemBytes(argv[i]));
  return arguments;
}

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
