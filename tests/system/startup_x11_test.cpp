// The fatal report of a program on the native platform, on a real X server:
// the box it shows, and what is left of the program when nobody answers it.
// GoogleTest before Xlib: Xlib defines macros (None, Bool, Status) that
// clash with GoogleTest's own names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on

#include <chrono>
#include <thread>

#include "tests/program_process.h"
#include "tools/x11/x11_window.h"

namespace {

using namespace std::chrono_literals;

constexpr char kCaption[] = "Windows exception";

// The box waits for a user who never comes; the watchdog (cut to 2 s in the
// program) ends the program with the fatal status, and the box goes with it.
TEST(FatalBox, UnansweredBoxEndsWithTheFatalStatusAndLeavesNoWindow) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr) << "the real-window tests need an X server (DISPLAY)";
  ProgramProcess program(NATIVE_PROGRAM, {}, {"unanswered-box"});
  ASSERT_TRUE(program.Started());
  const Window box = x11tools::FindWindowByTitle(display, kCaption, 15000);
  EXPECT_NE(box, 0u) << "the fatal box never appeared";
  EXPECT_EQ(program.WaitForExit(30s), 255);
  bool gone = false;
  for (int i = 0; i < 100 && !gone; ++i) {
    gone = x11tools::FindWindowByTitle(display, kCaption, 0) == 0;
    if (!gone) std::this_thread::sleep_for(50ms);
  }
  EXPECT_TRUE(gone) << "the box stayed on the screen after the program ended";
  // Leave the screen clean for the tests that follow either way.
  if (const Window left = x11tools::FindWindowByTitle(display, kCaption, 0); left != 0) {
    XKillClient(display, left);
    XSync(display, False);
  }
  XCloseDisplay(display);
  // Read last: a box process left behind would keep standard error open.
  EXPECT_EQ(program.Stderr(), "Windows exception: EXCEPTION_ACCESS_VIOLATION\n");
}

}  // namespace
