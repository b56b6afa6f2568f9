// What SDL2 leaves out on X11, done with Xlib: keeping a window's client
// area where it was asked to be when a window manager frames it. Called by
// the SDL2 platform's window code; does nothing on other video drivers.
#pragma once

struct SDL_Window;

namespace platform::sdl {

// Asks the window manager to keep the client area in place when it adds
// the frame (static gravity), instead of putting the frame there. Call
// before the window is first shown.
void KeepClientAreaInPlace(SDL_Window* window);

}  // namespace platform::sdl
