// A program's own test without a display, written as docs/api-guide.md
// shows it: the fake platform and the GL recorder of the testing component
// in place of the real ones. Prints what the recorder saw of a line drawn
// turned by 90 degrees; install_steps.cmake compares it.
#include <cstdio>

#include "gfx/gl_recorder.h"
#include "platform/fake_platform.h"
#include "vuble.h"

int main() {
  static platform::FakePlatform fake;  // outlives the at-exit handlers
  platform::Install(fake);
  GlRecorder recorder;
  if (!OpenGraphics(512, 512, WindowedDepth, 60, 0)) return 1;
  recorder.ClearCalls();
  SetDrawRotation(90);
  DrawLine(100, 100, 110, 100, ExcludeLastPixel);
  std::printf("%s\n", recorder.Joined().c_str());
  EndOpenedGraphics();
  return 0;
}
