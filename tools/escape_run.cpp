// vuble-escape-run TITLE SECONDS PROGRAM [ARGUMENT...]: ends a program the
// way its user would. Starts PROGRAM with the arguments (an argument vector,
// no shell), waits for its window titled TITLE, lets it draw for half a
// second, then gives that window the keyboard and presses Escape every 200 ms
// until the program ends. Exits with the program's status; 124 when it has
// not ended after SECONDS (it is then killed), 125 when it could not be
// started or ended by a signal. The examples' smoke tests and the install
// test's first program are ended with it.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tools/x11/x11_window.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTimedOut = 124;
constexpr int kNotRun = 125;

// The exit status once the child has ended, or -1 while it runs.
int Ended(pid_t child) {
  int status = 0;
  if (waitpid(child, &status, WNOHANG) != child) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  std::fprintf(stderr, "vuble-escape-run: the program ended by signal %d\n", WTERMSIG(status));
  return kNotRun;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: vuble-escape-run TITLE SECONDS PROGRAM [ARGUMENT...]\n");
    return kNotRun;
  }
  const std::string title = argv[1];
  const long seconds = std::strtol(argv[2], nullptr, 10);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "vuble-escape-run: no X server (DISPLAY)\n");
    return kNotRun;
  }
  // The window may go at any moment (the program is ending): an error about
  // it is no reason to stop.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  pid_t child = -1;
  if (posix_spawn(&child, argv[3], nullptr, nullptr, argv + 3, environ) != 0) {
    std::fprintf(stderr, "vuble-escape-run: cannot start %s\n", argv[3]);
    return kNotRun;
  }

  const auto deadline = Clock::now() + std::chrono::seconds(seconds > 0 ? seconds : 1);
  Window window = 0;
  int status = -1;
  while ((status = Ended(child)) < 0 && Clock::now() < deadline) {
    if (window == 0) {
      window = x11tools::FindWindowByTitle(display, title, 200);
      // A few frames first, so the program has drawn before it is asked to end.
      if (window != 0) std::this_thread::sleep_for(std::chrono::milliseconds(500));
      continue;
    }
    // The pointer over the window as well as the focus: without a window
    // manager the keyboard follows the pointer.
    int x = 0, y = 0, width = 0, height = 0;
    if (x11tools::ClientOrigin(display, window, x, y) &&
        x11tools::ClientSize(display, window, width, height)) {
      x11tools::MovePointer(display, x + width / 2, y + height / 2);
    }
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    x11tools::PressKey(display, XK_Escape, true);
    x11tools::PressKey(display, XK_Escape, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  if (status < 0) {
    std::fprintf(stderr, "vuble-escape-run: %s did not end within %ld s%s\n", argv[3], seconds,
                 window == 0 ? " (no window titled so appeared)" : "");
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    status = kTimedOut;
  }
  XCloseDisplay(display);
  return status;
}
