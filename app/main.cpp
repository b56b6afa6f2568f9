// The process entry of Vuble Toy: installs the real platform, then runs the
// main program through the framework's program entry (globals, fatal-error
// reporting, the raised-error exit status).
#include "app/vuble_toy.h"
#include "platform/sdl/sdl_platform.h"
#include "system/startup.h"

int main(int argc, char** argv) {
  platform::sdl::InstallSdlPlatform();
  return RunProgram(argc, argv, [] { vubletoy(); });
}
