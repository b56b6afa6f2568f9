// vuble-x11-probe OUT COMMAND ARGS...
// Looks at the X server and drives it from outside, for tests whose own
// process cannot speak to X (Windows programs under Wine, which start it as
// a child). Writes its answer as one line to the file OUT ("ok" for input
// commands, "error ..." when it failed) and exits 0, or 2 for bad usage.
//
//   window TITLE          where the viewable window named TITLE lies on the
//                         root window: "X Y WIDTH HEIGHT" (waits up to 5 s)
//   move X Y              moves the pointer to root position (X, Y)
//   button N down|up      presses or releases pointer button N
//   key KEYSYM down|up    presses or releases the key of an X keysym name
//                         ("Shift_L", "a", "F4")
//   pixel X Y             the root window's pixel at (X, Y) as "RRGGBB"
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/x11/x11_window.h"

namespace {

// Written whole, then renamed into place: the reader may look before the
// probe has ended (Wine does not always wait for a Linux child's end).
bool Write(const char* path, const std::string& line) {
  const std::string partial = std::string(path) + ".partial";
  std::FILE* out = std::fopen(partial.c_str(), "w");
  if (out == nullptr) return false;
  std::fprintf(out, "%s\n", line.c_str());
  return std::fclose(out) == 0 && std::rename(partial.c_str(), path) == 0;
}

std::string Run(Display* display, int argc, char** argv) {
  const std::string command = argv[0];
  if (command == "window" && argc == 2) {
    const Window window = x11tools::FindWindowByTitle(display, argv[1], 5000);
    if (window == 0) return "error no window";
    XWindowAttributes attributes;
    Window child = 0;
    int x = 0, y = 0;
    if (!XGetWindowAttributes(display, window, &attributes) ||
        !XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child)) {
      return "error no geometry";
    }
    return std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(attributes.width) +
           " " + std::to_string(attributes.height);
  }
  if (command == "move" && argc == 3) {
    x11tools::MovePointer(display, std::atoi(argv[1]), std::atoi(argv[2]));
    return "ok";
  }
  if (command == "button" && argc == 3) {
    x11tools::PressButton(display, static_cast<unsigned>(std::atoi(argv[1])),
                          std::string(argv[2]) == "down");
    return "ok";
  }
  if (command == "key" && argc == 3) {
    const KeySym keysym = XStringToKeysym(argv[1]);
    const KeyCode code = keysym == NoSymbol ? 0 : XKeysymToKeycode(display, keysym);
    if (code == 0) return "error no key";
    XTestFakeKeyEvent(display, code, std::string(argv[2]) == "down" ? True : False, CurrentTime);
    XSync(display, False);
    return "ok";
  }
  if (command == "pixel" && argc == 3) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), std::atoi(argv[1]),
                              std::atoi(argv[2]), 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return "error no pixel";
    char text[8];
    std::snprintf(text, sizeof text, "%06lX", XGetPixel(image, 0, 0) & 0xFFFFFFul);
    XDestroyImage(image);
    return text;
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUT COMMAND ARGS...\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return Write(argv[1], "error no display") ? 0 : 1;
  const std::string answer = Run(display, argc - 2, argv + 2);
  XCloseDisplay(display);
  if (answer.empty()) {
    std::fprintf(stderr, "%s: unknown command or arguments\n", argv[0]);
    return 2;
  }
  return Write(argv[1], answer) ? 0 : 1;
}
