// The native platform on Linux: the SDL2 platform.
#include "platform/native_platform.h"
#include "platform/sdl/sdl_platform.h"

namespace platform {

Platform& InstallNativePlatform() { return sdl::InstallSdlPlatform(); }

}  // namespace platform
