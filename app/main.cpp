// The process entry of Vuble Toy: sets how freed large blocks go back to the
// system, installs the real platform, then runs the main program through the
// framework's program entry (globals, fatal-error reporting, the
// raised-error exit status).
#include "app/vuble_toy.h"
#include "platform/linux_memory.h"
#include "platform/native_platform.h"
#include "system/startup.h"

int main(int argc, char** argv) {
  // First, before the GL driver allocates its buffers: a long run must not
  // keep memory it has freed.
  platform::linux_memory::ReturnFreedLargeBlocks();
  platform::InstallNativePlatform();
  return RunProgram(argc, argv, [] { vubletoy(); });
}
