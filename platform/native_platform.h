// The real platform of the system the program is built for, installed in one
// platform-neutral call: program entries (the toy, the examples, the
// benchmarks that need a window) call InstallNativePlatform before anything
// else and link the CMake target vuble_platform_native, so they build
// unchanged for every platform. On Linux it is the SDL2 platform with the
// Linux process services; on Windows the Win32 platform.
#pragma once

#include "platform/platform.h"

namespace platform {

// Creates the native platform once (never destroyed, so it outlives every
// at-exit handler), installs it as Current() and returns it. A second call
// installs the same one again.
Platform& InstallNativePlatform();

}  // namespace platform
