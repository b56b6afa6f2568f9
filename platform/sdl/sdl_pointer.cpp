// The SDL2 platform's pointer, capture, cursor and focus operations.
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_state.h"
#include "support/wrapping.h"

namespace platform::sdl {

// Screen and client coordinates are 32-bit and the conversion wraps, as the
// window system's own does.
bool ClientOrigin(SdlState& state, Handle window, Point& origin) {
  SdlWindow* w = FindWindow(state, window);
  if (w == nullptr) return false;
  int x = 0;
  int y = 0;
  SDL_GetWindowPosition(w->sdl, &x, &y);
  origin = {x, y};
  return true;
}

bool SdlPlatform::GetCursorPos(Point& out) {
  if (!EnsureVideo(*state_)) return false;
  int x = 0;
  int y = 0;
  SDL_GetGlobalMouseState(&x, &y);
  out = {x, y};
  return true;
}

bool SdlPlatform::SetCursorPos(std::int32_t x, std::int32_t y) {
  if (!EnsureVideo(*state_)) return false;
  if (SDL_WarpMouseGlobal(x, y) != 0) {
    KeepSdlError(*state_, "The pointer could not be moved: ");
    return false;
  }
  return true;
}

bool SdlPlatform::ScreenToClient(Handle window, Point& point) {
  Point origin;
  if (!ClientOrigin(*state_, window, origin)) return false;
  point.x = WrappingSub(point.x, origin.x);
  point.y = WrappingSub(point.y, origin.y);
  return true;
}

bool SdlPlatform::ClientToScreen(Handle window, Point& point) {
  Point origin;
  if (!ClientOrigin(*state_, window, origin)) return false;
  point.x = WrappingAdd(point.x, origin.x);
  point.y = WrappingAdd(point.y, origin.y);
  return true;
}

Handle SdlPlatform::SetCapture(Handle window) {
  SdlState& state = *state_;
  const Handle previous = state.registry.Capture();
  if (FindWindow(state, window) == nullptr) return previous;
  // SDL captures to the window the pointer is over, which is the window
  // that got the button press; it refuses while none of our windows has
  // the focus, and then moves outside are not reported.
  SDL_CaptureMouse(SDL_TRUE);
  state.registry.SetCapture(window);
  return previous;
}

bool SdlPlatform::ReleaseCapture() {
  if (state_->video_ready) SDL_CaptureMouse(SDL_FALSE);
  state_->registry.SetCapture(0);
  return true;
}

int SdlPlatform::ShowCursor(bool show) {
  SdlState& state = *state_;
  // SDL's switch is on or off; the counter is ours. Starting SDL first
  // keeps it from switching the pointer back on when it starts later.
  EnsureVideo(state);
  state.cursor_counter += show ? 1 : -1;
  if (state.video_ready) {
    if (show && state.cursor_counter == 0) SDL_ShowCursor(SDL_ENABLE);
    if (!show && state.cursor_counter == -1) SDL_ShowCursor(SDL_DISABLE);
  }
  return state.cursor_counter;
}

bool SdlPlatform::TrackMouseLeave(Handle window) {
  if (FindWindow(*state_, window) == nullptr) return false;
  state_->leave_armed = window;
  return true;
}

Handle SdlPlatform::GetActiveWindow() { return state_->registry.Active(); }
Handle SdlPlatform::GetFocus() { return state_->registry.Focus(); }

Handle SdlPlatform::SetFocus(Handle window) {
  SdlState& state = *state_;
  const Handle previous = state.registry.Focus();
  SdlWindow* w = FindWindow(state, window);
  if (w != nullptr) {
    SDL_RaiseWindow(w->sdl);
    SDL_SetWindowInputFocus(w->sdl);
  }
  return previous;
}

}  // namespace platform::sdl
