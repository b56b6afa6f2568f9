// The SDL2 platform: the seam's Win32-shaped window-system operations on
// SDL2 and the system OpenGL (GLX on X11); the clock, threads and process
// services come from LinuxPlatform (platform/linux/). Window classes,
// handles, dispatch, key state, capture and focus are kept in the window
// registry the fake shares (platform/window_registry.h). What each file
// implements, and where it only approximates Win32:
//
// - sdl_platform.cpp: set-up and the native platform. SDL starts lazily
//   (video subsystem) when a window or a display query needs it; its reason
//   for failing is kept for LastErrorText.
// - sdl_events.cpp: the message queue. Every SDL event becomes the window
//   message Win32 would deliver, with its wParam/lParam packing; one
//   PeekMessage drains everything SDL has pending. Typed text arrives as
//   WM_CHAR from SDL's text input; TranslateMessage only adds the control
//   characters, which SDL does not report as text: those of Return,
//   Backspace, Tab and Escape, and of Control with a letter or with
//   [ \ ] ^ _ (the US layout's). The keypad's digit and point keys give
//   Win32's codes for the Num Lock state SDL reports with the key. When the
//   focus leaves our windows SDL reports every held key released, so a key
//   still held when the focus comes back is pressed anew at its next
//   auto-repeat (KeyDown, counted by KeyHits), where Win32 reports a repeat.
//   SIGINT/SIGTERM (SDL_QUIT) become WM_CLOSE for each of our windows. Key
//   state (GetKeyState) is kept in message order, like Win32's (down states
//   only, no toggle bits). Focus moving between two of our windows in one
//   batch of events names the other window in WM_ACTIVATE; otherwise lParam
//   is 0 (a message box, being SDL's own window, counts as another program).
//   The click that activates a window is delivered, as on Win32. The
//   window manager's close request (WM_DELETE_WINDOW) arrives as
//   WM_SYSCOMMAND with SC_CLOSE, as a click on Win32's close box does.
//   DefWindowProc is Win32's for Alt+F4 (posts WM_SYSCOMMAND with
//   SC_CLOSE) and SC_CLOSE (sends WM_CLOSE at once); it never destroys a
//   window. Thread messages are accepted for the thread that made the
//   platform only.
// - sdl_windows.cpp: windows and GL contexts. Window frames are the window
//   manager's business: AdjustWindowRectEx reports no frame (outer == client)
//   and the position given to CreateWindowEx is the client area's. The pixel
//   format is chosen when the (hidden) SDL window is made, so SetPixelFormat
//   remakes the still-hidden window with the requested attributes behind the
//   same handle. Contexts are legacy (compatibility) OpenGL 2.1, so OpenGL
//   1.1 immediate mode works. wglShareLists remakes the added context (not
//   yet used) sharing with the existing one. ShowWindow(SW_SHOW) activates
//   the window and delivers WM_ACTIVATE/WM_SETFOCUS before it returns, as
//   Win32 does; nothing else is sent during creation (no WM_CREATE), and
//   DestroyWindow sends WM_DESTROY only. A window's device context is the
//   window handle. Minimising needs a window manager. Xlib (sdl_x11.cpp)
//   asks the window manager to frame a window around its client area
//   (static gravity) instead of moving the client area by the frame.
// - sdl_pointer.cpp: pointer, capture, cursor and focus queries. The cursor
//   display counter is ours; SDL's cursor switches only when it crosses
//   between -1 and 0. WM_MOUSELEAVE comes from SDL's leave event when
//   TrackMouseLeave armed it, decided when the leave is retrieved, so a leave
//   right behind the move that armed it is not lost; a leave while the
//   pointer is captured is delivered like any other. GetActiveWindow and
//   GetFocus answer in message order (our own record of the focus). SDL
//   captures the pointer only while one of our windows has the focus.
// - sdl_display.cpp: display modes of display 0 and desktop metrics (the
//   refresh rate is 0 where SDL does not know it; bits per pixel are SDL's,
//   24 on a 24-bit X screen). Full screen is best effort: the focused window
//   takes the first SDL mode of the requested size (and refresh rate, when
//   one is asked); the requested bits per pixel are not matched.
// - sdl_dialogs.cpp: message boxes through SDL (no video subsystem needed;
//   0 when no box can be shown; closing a box without a button counts as
//   Cancel, or OK where OK is the only button). SDL draws an X11 box in a
//   process it forks; that process ends when ours does, so a box never
//   outlives the program.
#include "platform/sdl/sdl_platform.h"

#include <string>

#include "platform/native_platform.h"
#include "platform/sdl/sdl_state.h"
#include "support/text.h"

namespace platform::sdl {
namespace {

// Starts SDL's video on a driver that shows windows to a person. SDL falls
// back to its offscreen and dummy drivers when no display is there, which
// would let a program run on, unseen, forever; those are used only when the
// user asks for them by name (SDL_VIDEODRIVER).
bool InitVideoOnADisplay() {
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (asked != nullptr && *asked != '\0') return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  std::string reasons;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const std::string name = SDL_GetVideoDriver(i);
    if (name == "offscreen" || name == "dummy" || name == "evdev") continue;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, name.c_str());
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    reasons += (reasons.empty() ? "" : "; ") + name + ": " + SDL_GetError();
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
  SDL_SetError("no display is available (%s)", reasons.c_str());
  return false;
}

}  // namespace

bool EnsureVideo(SdlState& state) {
  if (state.video_ready) return true;
  // The layers above decide when the program ends: closing the last window
  // is a request like any other, and SIGINT/SIGTERM must reach us as
  // SDL_QUIT. Full-screen windows are minimised by the layer above.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "0", SDL_HINT_OVERRIDE);
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // A click that activates a window still reaches it, as on Win32.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (!InitVideoOnADisplay()) {
    KeepSdlError(state, "SDL could not start its video subsystem: ");
    return false;
  }
  state.wake_event = SDL_RegisterEvents(1);
  state.video_ready = true;
  state.events_ready.store(true);
  if (state.cursor_counter < 0) SDL_ShowCursor(SDL_DISABLE);
  // Thread messages posted before SDL ran have no wake-up event yet.
  bool posted = false;
  {
    std::lock_guard lock(state.posted_mutex);
    posted = !state.posted.empty();
  }
  if (posted && state.wake_event != static_cast<std::uint32_t>(-1)) {
    SDL_Event wake{};
    wake.type = state.wake_event;
    SDL_PushEvent(&wake);
  }
  return true;
}

void KeepSdlError(SdlState& state, const char* what) {
  state.last_error = FromUtf8(std::string(what) + SDL_GetError());
}

SdlWindow* FindWindow(SdlState& state, Handle window) {
  auto it = state.windows.find(window);
  return it == state.windows.end() ? nullptr : &it->second;
}

Handle HandleOfSdlWindow(const SdlState& state, std::uint32_t sdl_id) {
  auto it = state.by_sdl_id.find(sdl_id);
  return it == state.by_sdl_id.end() ? 0 : it->second;
}

SdlPlatform::SdlPlatform() : state_(std::make_unique<SdlState>()) {
  state_->main_thread = LinuxPlatform::GetCurrentThreadId();
}

SdlPlatform::~SdlPlatform() {
  if (state_->video_ready) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

SDL_Window* SdlPlatform::SdlWindowOf(Handle window) const {
  auto it = state_->windows.find(window);
  return it == state_->windows.end() ? nullptr : it->second.sdl;
}

std::u16string SdlPlatform::LastErrorText() { return state_->last_error; }

SdlPlatform& InstallSdlPlatform() {
  // Never destroyed: at-exit handlers of the layers above still call it.
  static SdlPlatform* const platform = new SdlPlatform();
  Install(*platform);
  return *platform;
}

}  // namespace platform::sdl

namespace platform {

Platform& InstallNativePlatform() { return sdl::InstallSdlPlatform(); }

}  // namespace platform
