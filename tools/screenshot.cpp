// vuble-screenshot [--settle MS] [--hold-left X Y MS] TITLE FILE.png
// Waits for a window with that title on $DISPLAY, lets it run for the
// settle time, optionally holds the left button at client pixel (X, Y) for
// MS milliseconds (through XTest, as a user would), and writes the window's
// client area as a PNG file.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tools/x11/x11_window.h"

namespace {

int Usage(const char* program) {
  std::fprintf(stderr, "usage: %s [--settle MS] [--hold-left X Y MS] TITLE FILE.png\n", program);
  return 2;
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

int main(int argc, char** argv) {
  int settle_ms = 0;
  bool hold = false;
  int hold_x = 0, hold_y = 0, hold_ms = 0;
  int i = 1;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    if (std::strcmp(argv[i], "--settle") == 0 && i + 1 < argc) {
      settle_ms = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--hold-left") == 0 && i + 3 < argc) {
      hold = true;
      hold_x = std::atoi(argv[++i]);
      hold_y = std::atoi(argv[++i]);
      hold_ms = std::atoi(argv[++i]);
    } else {
      return Usage(argv[0]);
    }
  }
  if (argc - i != 2) return Usage(argv[0]);
  const std::string title = argv[i];
  const std::string path = argv[i + 1];

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "cannot open the X display\n");
    return 1;
  }
  const Window window = x11tools::FindWindowByTitle(display, title, 15000);
  if (window == 0) {
    std::fprintf(stderr, "no window titled \"%s\"\n", title.c_str());
    XCloseDisplay(display);
    return 1;
  }
  Pause(settle_ms);
  int origin_x = 0, origin_y = 0;
  if (hold && x11tools::ClientOrigin(display, window, origin_x, origin_y)) {
    x11tools::MovePointer(display, origin_x + hold_x + 1, origin_y + hold_y);
    Pause(50);
    x11tools::MovePointer(display, origin_x + hold_x, origin_y + hold_y);
    x11tools::PressButton(display, 1, true);
    Pause(hold_ms);
  }
  x11tools::Picture picture;
  const bool ok =
      x11tools::GrabWindow(display, window, picture) && x11tools::WritePng(picture, path);
  if (hold) x11tools::PressButton(display, 1, false);
  XCloseDisplay(display);
  if (!ok) {
    std::fprintf(stderr, "could not write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
