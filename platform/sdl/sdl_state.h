// The SDL2 platform's state, all in one struct, and the helpers its files
// share. Private to platform/sdl/.
#pragma once

#include <SDL.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "platform/platform.h"
#include "platform/window_registry.h"

namespace platform::sdl {

// What the SDL platform keeps of a window beside the registry's entry.
struct SdlWindow {
  SDL_Window* sdl = nullptr;
  std::uint32_t sdl_id = 0;
  std::u16string title;
  std::uint32_t style = 0;
  std::uint32_t ex_style = 0;
  // The client rectangle asked for at creation; the window is remade with
  // it when its pixel format is set.
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool pixel_format_set = false;
};

struct SdlContext {
  SDL_GLContext gl = nullptr;
  Handle window = 0;          // the window it was made for; 0 once that is gone
  bool used = false;          // made current at least once
  bool swap_control = false;  // the swap interval can be set
};

// A converted event waiting in our queue. Enter and leave marks are not
// messages: PeekMessage consumes them to track, in message order, which
// window the pointer is over, and turns an armed leave into WM_MOUSELEAVE.
enum class PendingKind { kMessage, kEnter, kLeave };
struct Pending {
  Msg msg;
  PendingKind kind = PendingKind::kMessage;
};

struct SdlState {
  ThreadId main_thread = 0;

  bool video_ready = false;
  std::atomic<bool> events_ready{false};
  std::uint32_t wake_event = 0;  // SDL event type that wakes WaitMessage
  std::u16string last_error;

  // Thread messages, posted from any thread.
  std::mutex posted_mutex;
  std::condition_variable posted_changed;
  std::deque<Msg> posted;

  std::deque<Pending> pending;

  // Classes, handles, dispatch, key state (in the order messages are
  // retrieved), capture, and the active window with the keyboard focus (in
  // the order events are converted); its posts go to the back of pending.
  WindowRegistry registry{[this](const Msg& msg) { pending.push_back({msg}); }};
  std::map<Handle, SdlWindow> windows;
  std::map<std::uint32_t, Handle> by_sdl_id;
  std::map<Handle, SdlContext> contexts;
  Handle next_context = 0x900000;
  Handle current_context = 0;
  Handle current_dc = 0;

  // Input state in the order events are converted.
  std::uint32_t held_buttons = 0;  // SDL button mask
  std::uint32_t modifiers = 0;     // SDL KMOD_* bits
  bool quit_pending = false;       // a termination request before any window existed

  // Input state in the order messages are retrieved.
  Handle pointer_window = 0;  // the window the pointer is over
  Handle leave_armed = 0;     // the window that gets WM_MOUSELEAVE

  int cursor_counter = 0;  // the pointer's display counter; shown when >= 0
  Handle fullscreen_window = 0;
};

// Starts SDL's video subsystem once; on failure keeps SDL's reason and
// returns false (tried again on the next call).
bool EnsureVideo(SdlState& state);
// Records SDL's reason for the last failure, prefixed with what failed.
void KeepSdlError(SdlState& state, const char* what);
SdlWindow* FindWindow(SdlState& state, Handle window);
Handle HandleOfSdlWindow(const SdlState& state, std::uint32_t sdl_id);
// Queues a message to be retrieved next (before events not yet retrieved).
void QueueNext(SdlState& state, const Msg& msg);
void QueueLast(SdlState& state, const Msg& msg);
// Hands the keyboard focus to window in message order: the window losing it
// and the window gaining it get WM_ACTIVATE and WM_KILLFOCUS/WM_SETFOCUS
// naming each other, at once (synchronous) or queued.
void MoveFocus(SdlState& state, Handle window, bool synchronous);
// Where a window's client area lies on the screen.
bool ClientOrigin(SdlState& state, Handle window, Point& origin);

}  // namespace platform::sdl
