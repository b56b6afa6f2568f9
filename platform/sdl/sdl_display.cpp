// The SDL2 platform's display modes (display 0) and desktop metrics.
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_state.h"

namespace platform::sdl {
namespace {

int BitsPerPixel(Uint32 format) { return static_cast<int>(SDL_BITSPERPIXEL(format)); }

}  // namespace

bool SdlPlatform::GetDesktopRect(Rect& out) {
  if (!EnsureVideo(*state_)) return false;
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(0, &bounds) != 0) {
    KeepSdlError(*state_, "The desktop size is unknown: ");
    return false;
  }
  out = {bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
  return true;
}

int SdlPlatform::GetDesktopDeviceCaps(int index) {
  if (!EnsureVideo(*state_)) return 0;
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  switch (index) {
    case kHorzRes: return mode.w;
    case kVertRes: return mode.h;
    case kBitsPixel: return BitsPerPixel(mode.format);
    case kVRefresh: return mode.refresh_rate;  // 0 where unknown
    default: return 0;
  }
}

bool SdlPlatform::EnumDisplaySettings(std::uint32_t index, DisplayMode& out) {
  if (!EnsureVideo(*state_)) return false;
  const int count = SDL_GetNumDisplayModes(0);
  if (count <= 0 || index >= static_cast<std::uint32_t>(count)) return false;
  SDL_DisplayMode mode{};
  if (SDL_GetDisplayMode(0, static_cast<int>(index), &mode) != 0) return false;
  out.fields = kDmBitsPerPel | kDmPelsWidth | kDmPelsHeight | kDmDisplayFrequency;
  out.bits_per_pixel = static_cast<std::uint32_t>(BitsPerPixel(mode.format));
  out.width = static_cast<std::uint32_t>(mode.w);
  out.height = static_cast<std::uint32_t>(mode.h);
  out.frequency = static_cast<std::uint32_t>(mode.refresh_rate);
  return true;
}

long SdlPlatform::ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t) {
  SdlState& state = *state_;
  if (mode == nullptr) {
    // Back to the desktop mode: the full-screen window leaves full screen.
    SdlWindow* w = FindWindow(state, state.fullscreen_window);
    state.fullscreen_window = 0;
    if (w != nullptr && SDL_SetWindowFullscreen(w->sdl, 0) != 0) {
      KeepSdlError(state, "Full screen could not be left: ");
      return kDispChangeFailed;
    }
    return kDispChangeSuccessful;
  }
  // The window that is being made full screen is the one with the focus
  // (the layer above changes the mode when its window gains the focus).
  SdlWindow* w = FindWindow(state, state.registry.Active());
  if (w == nullptr || !EnsureVideo(state)) {
    state.last_error = u"No focused window to make full screen";
    return kDispChangeFailed;
  }
  // The first of the display's modes (SDL lists the deepest and fastest
  // first) with the size asked for, and the refresh rate if one is asked.
  const bool with_frequency = (mode->fields & kDmDisplayFrequency) != 0;
  SDL_DisplayMode found{};
  bool matched = false;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count && !matched; ++i) {
    SDL_DisplayMode candidate{};
    if (SDL_GetDisplayMode(0, i, &candidate) != 0) continue;
    matched =
        (!(mode->fields & kDmPelsWidth) ||
         static_cast<std::uint32_t>(candidate.w) == mode->width) &&
        (!(mode->fields & kDmPelsHeight) ||
         static_cast<std::uint32_t>(candidate.h) == mode->height) &&
        (!with_frequency || static_cast<std::uint32_t>(candidate.refresh_rate) == mode->frequency);
    if (matched) found = candidate;
  }
  if (!matched) {
    state.last_error = u"The display has no such mode";
    return kDispChangeFailed;
  }
  if (SDL_SetWindowDisplayMode(w->sdl, &found) != 0 ||
      SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN) != 0) {
    KeepSdlError(state, "The display mode could not be changed: ");
    return kDispChangeFailed;
  }
  state.fullscreen_window = state.registry.Active();
  return kDispChangeSuccessful;
}

}  // namespace platform::sdl
