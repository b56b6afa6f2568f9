// Small Xlib helpers for the tools and tests that look at a running program
// from outside, as a user would: find its window by title, read its pixels,
// move the pointer, press buttons and keys through the XTest extension.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace x11tools {

// The first viewable window whose name is `title`, searching the whole tree
// from the root; 0 when none. Waits up to timeout_ms for it. Windows not
// shown yet are passed over: a program may make a hidden window and replace
// it under the same title before it shows one (the SDL platform does, to
// choose the pixel format).
Window FindWindowByTitle(Display* display, const std::string& title, int timeout_ms);

// The window that shows a top-level window's client area of width by
// height: the window itself when it is viewable at that size (a window
// manager frames it from outside), else its first viewable descendant of
// that size (Wine draws its own frame inside the top-level window); window
// when none is.
Window ClientWindow(Display* display, Window window, int width, int height);

// Where the window's client area lies on the root window.
bool ClientOrigin(Display* display, Window window, int& x, int& y);
bool ClientSize(Display* display, Window window, int& width, int& height);

// The client area's pixels as 0xRRGGBB, rows from the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};
bool GrabWindow(Display* display, Window window, Picture& out);

// Writes the picture as an 8-bit RGB PNG file.
bool WritePng(const Picture& picture, const std::string& path);

// XTest input, in root-window coordinates; each call is flushed.
void MovePointer(Display* display, int x, int y);
void PressButton(Display* display, unsigned button, bool down);
// Presses or releases the key that carries the key symbol; false when the
// keyboard map has no such key.
bool PressKey(Display* display, KeySym key, bool down);

// Asks the window to close as a window manager's close box does
// (a WM_DELETE_WINDOW client message); false when it could not be sent.
bool RequestClose(Display* display, Window window);

}  // namespace x11tools
