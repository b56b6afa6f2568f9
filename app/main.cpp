// The process entry of Vuble Toy: installs the native platform, lets it
// hand freed memory back to the system, then runs the main program through
// the framework's program entry (globals, fatal-error reporting, the
// raised-error exit status).
#include "app/vuble_toy.h"
#include "platform/native_platform.h"
#include "system/startup.h"

int main(int argc, char** argv) {
  platform::Platform& os = platform::InstallNativePlatform();
  // First, before the GL driver allocates its buffers: a long run must not
  // keep memory it has freed.
  os.HeapOptimizeResources();
  return RunProgram(argc, argv, [] { vubletoy(); });
}
