// vuble-screenshot TITLE FILE.png [WAIT_MS]: waits for a window with that
// title on $DISPLAY, then writes its client area as a PNG file.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/x11/x11_window.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s TITLE FILE.png [WAIT_MS]\n", argv[0]);
    return 2;
  }
  const int wait_ms = argc > 3 ? std::atoi(argv[3]) : 10000;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "cannot open the X display\n");
    return 1;
  }
  const Window window = x11tools::FindWindowByTitle(display, argv[1], wait_ms);
  if (window == 0) {
    std::fprintf(stderr, "no window titled \"%s\"\n", argv[1]);
    XCloseDisplay(display);
    return 1;
  }
  x11tools::Picture picture;
  const bool ok = x11tools::GrabWindow(display, window, picture) &&
                  x11tools::WritePng(picture, argv[2]);
  XCloseDisplay(display);
  if (!ok) {
    std::fprintf(stderr, "could not write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
