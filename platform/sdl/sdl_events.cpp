// The SDL2 platform's message queue: SDL events become the window messages
// Win32 would deliver (see the list in sdl_platform.cpp), thread messages,
// dispatch to the window procedures, default handling and key state.
#include <vector>

#include "platform/sdl/sdl_input_tables.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_state.h"
#include "support/text.h"
#include "support/wrapping.h"

namespace platform::sdl {

namespace {

void Queue(SdlState& state, Handle window, std::uint32_t message, std::uintptr_t wparam,
           std::intptr_t lparam) {
  QueueLast(state, Msg{window, message, wparam, lparam});
}

// The window an event names; input events without one go to the focus.
Handle EventWindow(const SdlState& state, std::uint32_t sdl_id, bool fall_back_to_focus) {
  const Handle window = HandleOfSdlWindow(state, sdl_id);
  return window != 0 || !fall_back_to_focus ? window : state.registry.Active();
}

void ConvertKey(SdlState& state, const SDL_KeyboardEvent& key) {
  state.modifiers = key.keysym.mod;
  const Handle window = EventWindow(state, key.windowID, true);
  const KeyInfo info = KeyForScancode(key.keysym.scancode);
  const int virtual_key =
      VirtualKeyFor(key.keysym.scancode, key.keysym.sym, (key.keysym.mod & KMOD_NUM) != 0);
  if (virtual_key == 0) return;
  const bool down = key.type == SDL_KEYDOWN;
  const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
  const bool control = (key.keysym.mod & KMOD_CTRL) != 0;
  std::uint32_t message = down ? WM_KEYDOWN : WM_KEYUP;
  if (IsSystemKey(key.keysym.scancode, alt, control)) message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
  // The key was down before unless this is a first press.
  Queue(state, window, message, static_cast<std::uintptr_t>(virtual_key),
        KeyLParam(info.scan_code, info.extended, !down || key.repeat != 0, !down, alt));
}

void ConvertText(SdlState& state, const SDL_TextInputEvent& text) {
  const Handle window = EventWindow(state, text.windowID, true);
  for (char16_t unit : FromUtf8(text.text)) Queue(state, window, WM_CHAR, unit, 1);
}

void ConvertMotion(SdlState& state, const SDL_MouseMotionEvent& motion) {
  state.held_buttons = motion.state;
  const Handle window = EventWindow(state, motion.windowID, false);
  if (window == 0) return;
  Queue(state, window, WM_MOUSEMOVE, MouseKeyFlags(state.held_buttons, state.modifiers),
        MakePointLParam(motion.x, motion.y));
}

void ConvertButton(SdlState& state, const SDL_MouseButtonEvent& button) {
  const bool down = button.type == SDL_MOUSEBUTTONDOWN;
  if (button.button >= 1 && button.button <= 32) {
    const std::uint32_t bit = SDL_BUTTON(button.button);
    state.held_buttons = down ? (state.held_buttons | bit) : (state.held_buttons & ~bit);
  }
  const std::uint32_t message = ButtonMessage(button.button, down);
  const Handle window = EventWindow(state, button.windowID, false);
  if (message == 0 || window == 0) return;
  Queue(state, window, message, MouseKeyFlags(state.held_buttons, state.modifiers),
        MakePointLParam(button.x, button.y));
}

void ConvertWheel(SdlState& state, const SDL_MouseWheelEvent& wheel) {
  const Handle window = EventWindow(state, wheel.windowID, false);
  if (window == 0) return;
  const std::int16_t delta =
      WheelDelta(wheel.preciseY, wheel.y, wheel.direction == SDL_MOUSEWHEEL_FLIPPED);
  if (delta == 0) return;  // sideways scrolling only
  Point origin;
  ClientOrigin(state, window, origin);
  Queue(state, window, WM_MOUSEWHEEL,
        WheelWParam(delta, MouseKeyFlags(state.held_buttons, state.modifiers)),
        MakePointLParam(WrappingAdd(origin.x, wheel.mouseX), WrappingAdd(origin.y, wheel.mouseY)));
}

// The window that gains the focus right after `from` loses it, when both
// changes are in this batch; 0 otherwise.
Handle FocusSuccessor(const SdlState& state, const std::vector<SDL_Event>& batch, std::size_t index,
                      Handle from) {
  for (std::size_t i = index + 1; i < batch.size(); ++i) {
    const SDL_Event& e = batch[i];
    if (e.type != SDL_WINDOWEVENT) continue;
    if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) return 0;
    if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
      const Handle to = HandleOfSdlWindow(state, e.window.windowID);
      return to == from ? 0 : to;
    }
  }
  return 0;
}

void ConvertWindowEvent(SdlState& state, const std::vector<SDL_Event>& batch, std::size_t index) {
  const SDL_WindowEvent& event = batch[index].window;
  const Handle window = HandleOfSdlWindow(state, event.windowID);
  if (window == 0) return;
  switch (event.event) {
    case SDL_WINDOWEVENT_EXPOSED: Queue(state, window, WM_PAINT, 0, 0); break;
    case SDL_WINDOWEVENT_CLOSE:
      // The window manager's close request (WM_DELETE_WINDOW) is a click on
      // the close box, which Win32 delivers as the close command; its
      // default handling sends WM_CLOSE.
      Queue(state, window, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case SDL_WINDOWEVENT_ENTER:
      state.pending.push_back({Msg{window, 0, 0, 0}, PendingKind::kEnter});
      break;
    case SDL_WINDOWEVENT_LEAVE:
      state.pending.push_back({Msg{window, 0, 0, 0}, PendingKind::kLeave});
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: MoveFocus(state, window, false); break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      if (state.registry.Active() == window)
        MoveFocus(state, FocusSuccessor(state, batch, index, window), false);
      break;
    default: break;
  }
}

void Convert(SdlState& state, const std::vector<SDL_Event>& batch, std::size_t index) {
  const SDL_Event& event = batch[index];
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: ConvertKey(state, event.key); break;
    case SDL_TEXTINPUT: ConvertText(state, event.text); break;
    case SDL_MOUSEMOTION: ConvertMotion(state, event.motion); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: ConvertButton(state, event.button); break;
    case SDL_MOUSEWHEEL: ConvertWheel(state, event.wheel); break;
    case SDL_WINDOWEVENT: ConvertWindowEvent(state, batch, index); break;
    case SDL_QUIT:
      // SIGINT, SIGTERM or the session ending: every window is asked to
      // close (WM_CLOSE, what the close box's SC_CLOSE becomes too).
      if (state.windows.empty()) state.quit_pending = true;
      for (const auto& [handle, window] : state.windows) Queue(state, handle, WM_CLOSE, 0, 0);
      break;
    default: break;
  }
}

// Takes everything SDL has pending (and first, if given) into our queue.
void Drain(SdlState& state, const SDL_Event* first) {
  std::vector<SDL_Event> batch;
  if (first != nullptr) batch.push_back(*first);
  SDL_Event event;
  while (SDL_PollEvent(&event)) batch.push_back(event);
  for (std::size_t i = 0; i < batch.size(); ++i) {
    Convert(state, batch, i);
    if (batch[i].type == SDL_DROPFILE || batch[i].type == SDL_DROPTEXT) {
      SDL_free(batch[i].drop.file);
    }
  }
}

bool PostedWaiting(SdlState& state) {
  std::lock_guard lock(state.posted_mutex);
  return !state.posted.empty();
}

// The character Win32 types for Control with a key (US layout): 1 to 26
// with a letter, 27 to 29 with [, \ and ], and, with Shift as well, 30 and 31
// with ^ and _ (on the 6 and - keys); 0 for any other key.
std::uintptr_t ControlCharacter(std::uintptr_t virtual_key, bool shift) {
  if (virtual_key >= 'A' && virtual_key <= 'Z') return virtual_key - 'A' + 1;
  switch (virtual_key) {
    case VK_OEM_4: return shift ? 0 : 27;
    case VK_OEM_5:
    case VK_OEM_102: return shift ? 0 : 28;
    case VK_OEM_6: return shift ? 0 : 29;
    case '6': return shift ? 30 : 0;
    case VK_OEM_MINUS: return shift ? 31 : 0;
    default: return 0;
  }
}

}  // namespace

void QueueNext(SdlState& state, const Msg& msg) { state.pending.push_front({msg}); }
void QueueLast(SdlState& state, const Msg& msg) { state.pending.push_back({msg}); }

void MoveFocus(SdlState& state, Handle window, bool synchronous) {
  const Handle old = state.registry.Active();
  if (old == window) return;
  state.registry.SetActive(window);
  state.registry.SetFocus(window);
  auto send = [&](Handle target, std::uint32_t message, std::uintptr_t wparam,
                  std::intptr_t lparam) {
    if (synchronous) {
      state.registry.CallWindowProcedure(target, message, wparam, lparam);
    } else {
      Queue(state, target, message, wparam, lparam);
    }
  };
  if (old != 0) {
    send(old, WM_ACTIVATE, WA_INACTIVE, static_cast<std::intptr_t>(window));
    send(old, WM_KILLFOCUS, window, 0);
  }
  if (window != 0) {
    send(window, WM_ACTIVATE, WA_ACTIVE, static_cast<std::intptr_t>(old));
    send(window, WM_SETFOCUS, old, 0);
  }
}

bool SdlPlatform::PeekMessage(Msg& out) {
  SdlState& state = *state_;
  {
    std::lock_guard lock(state.posted_mutex);
    if (!state.posted.empty()) {
      out = state.posted.front();
      state.posted.pop_front();
      return true;
    }
  }
  for (;;) {
    if (state.pending.empty()) {
      if (!state.video_ready) return false;
      Drain(state, nullptr);
      if (state.pending.empty()) return false;
    }
    const Pending next = state.pending.front();
    state.pending.pop_front();
    const Handle window = next.msg.window;
    if (next.kind == PendingKind::kEnter) {
      state.pointer_window = window;
      continue;
    }
    if (next.kind == PendingKind::kLeave) {
      if (state.pointer_window == window) state.pointer_window = 0;
      if (state.leave_armed != window || FindWindow(state, window) == nullptr) continue;
      state.leave_armed = 0;
      out = Msg{window, WM_MOUSELEAVE, 0, 0};
      return true;
    }
    state.registry.TrackKeyState(next.msg);
    out = next.msg;
    return true;
  }
}

void SdlPlatform::WaitMessage() {
  SdlState& state = *state_;
  if (!state.pending.empty() || PostedWaiting(state)) return;
  if (!state.video_ready) {
    // Without SDL only thread messages can arrive.
    std::unique_lock lock(state.posted_mutex);
    state.posted_changed.wait(lock, [&] { return !state.posted.empty(); });
    return;
  }
  while (state.pending.empty() && !PostedWaiting(state)) {
    SDL_Event event;
    if (SDL_WaitEvent(&event) == 0) {
      KeepSdlError(state, "Waiting for events failed: ");
      return;
    }
    Drain(state, &event);
  }
}

void SdlPlatform::TranslateMessage(const Msg& msg) {
  // Typed text comes from SDL's text input as WM_CHAR already; these keys
  // type control characters that SDL does not report as text.
  if (msg.message != WM_KEYDOWN) return;
  const bool control = state_->registry.IsKeyDown(VK_CONTROL);
  std::uintptr_t character = 0;
  switch (msg.wparam) {
    case VK_RETURN: character = control ? 10 : 13; break;
    case VK_BACK: character = control ? 127 : 8; break;
    case VK_TAB: character = control ? 0 : 9; break;
    case VK_ESCAPE: character = 27; break;
    default:
      // Control and Alt together are AltGr, which types no control character.
      if (control && !state_->registry.IsKeyDown(VK_MENU)) {
        character = ControlCharacter(msg.wparam, state_->registry.IsKeyDown(VK_SHIFT));
      }
      break;
  }
  if (character != 0) QueueNext(*state_, Msg{msg.window, WM_CHAR, character, 1});
}

std::intptr_t SdlPlatform::DispatchMessage(const Msg& msg) {
  return state_->registry.CallWindowProcedure(msg.window, msg.message, msg.wparam, msg.lparam);
}

bool SdlPlatform::PostThreadMessage(ThreadId thread, std::uint32_t message, std::uintptr_t wparam,
                                    std::intptr_t lparam) {
  SdlState& state = *state_;
  if (thread != state.main_thread) return false;
  {
    std::lock_guard lock(state.posted_mutex);
    state.posted.push_back(Msg{0, message, wparam, lparam});
  }
  state.posted_changed.notify_all();
  if (state.events_ready.load()) {
    SDL_Event wake{};
    wake.type = state.wake_event;
    SDL_PushEvent(&wake);  // wakes a WaitMessage; converts to nothing
  }
  return true;
}

std::intptr_t SdlPlatform::DefWindowProc(Handle window, std::uint32_t message,
                                         std::uintptr_t wparam, std::intptr_t lparam) {
  return state_->registry.DefWindowProc(window, message, wparam, lparam);
}

Handle SdlPlatform::GetParent(Handle) { return 0; }  // every window is top-level

std::uint32_t SdlPlatform::GetWindowStyle(Handle window) {
  const SdlWindow* w = FindWindow(*state_, window);
  return w == nullptr ? 0 : w->style;
}

bool SdlPlatform::IsDialogMessage(Handle, const Msg&) { return false; }

std::int16_t SdlPlatform::GetKeyState(int virtual_key) {
  return state_->registry.GetKeyState(virtual_key);
}

}  // namespace platform::sdl
