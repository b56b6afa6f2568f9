#include "platform/sdl/sdl_x11.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace platform::sdl {

void KeepClientAreaInPlace(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  Display* display = info.info.x11.display;
  XSizeHints* hints = XAllocSizeHints();
  if (hints == nullptr) return;
  long supplied = 0;
  XGetWMNormalHints(display, info.info.x11.window, hints, &supplied);
  hints->flags |= PWinGravity | USPosition;
  hints->win_gravity = StaticGravity;
  XSetWMNormalHints(display, info.info.x11.window, hints);
  XFree(hints);
  XFlush(display);
}

}  // namespace platform::sdl
