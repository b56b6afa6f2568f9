// The SDL2 platform's windows and GL contexts: window classes, creation,
// showing and destruction, pixel formats, contexts, sharing, swapping.
// A window's device context is the window handle itself.
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_state.h"
#include "platform/sdl/sdl_x11.h"
#include "support/text.h"

namespace platform::sdl {
namespace {

void ResetGlAttributes() {
  SDL_GL_ResetAttributes();
  // A legacy context: OpenGL 1.1 immediate mode must work.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
}

SDL_Window* MakeSdlWindow(const SdlWindow& w) {
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if ((w.style & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
  return SDL_CreateWindow(ToUtf8(w.title).c_str(), w.x, w.y, w.width, w.height, flags);
}

void Adopt(SdlState& state, Handle handle, SdlWindow& w, SDL_Window* sdl) {
  if (w.sdl != nullptr) {
    state.by_sdl_id.erase(w.sdl_id);
    SDL_DestroyWindow(w.sdl);
  }
  w.sdl = sdl;
  w.sdl_id = SDL_GetWindowID(sdl);
  state.by_sdl_id[w.sdl_id] = handle;
}

// Minimums of a pixel-format request as SDL attributes; they take effect
// for windows made afterwards.
void ApplyPixelFormat(const PixelFormatRequest& request, bool with_extras) {
  ResetGlAttributes();
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (request.flags & kPfdDoubleBuffer) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, request.alpha_bits);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, request.depth_bits);
  if (!with_extras) return;
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, request.stencil_bits);
  const int accum = (request.accum_bits + 3) / 4;  // per channel
  SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accum);
}

// Binds again what the caller had bound (SDL binds every new context).
void RestoreBinding(SdlState& state) {
  auto it = state.contexts.find(state.current_context);
  SdlWindow* w = FindWindow(state, state.current_dc);
  if (it != state.contexts.end() && w != nullptr) {
    SDL_GL_MakeCurrent(w->sdl, it->second.gl);
  } else {
    SDL_GL_MakeCurrent(nullptr, nullptr);
  }
}

// Makes a context for window, sharing with share (made current on
// share_window first) when given; leaves the caller's binding as it was.
SDL_GLContext MakeContext(SdlState& state, SDL_Window* window, SDL_GLContext share,
                          SDL_Window* share_window, bool& swap_control) {
  if (share != nullptr && SDL_GL_MakeCurrent(share_window, share) != 0) {
    KeepSdlError(state, "The context to share with could not be bound: ");
    RestoreBinding(state);
    return nullptr;
  }
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, share != nullptr ? 1 : 0);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
  if (context == nullptr) {
    KeepSdlError(state, "The GL context could not be created: ");
  } else {
    // The new context is current here: find out once whether it can set the
    // swap interval (SDL fails where the GLX extension is missing).
    swap_control = SDL_GL_SetSwapInterval(SDL_GL_GetSwapInterval()) == 0;
  }
  RestoreBinding(state);
  return context;
}

}  // namespace

// The class style asks for redrawing and a device context of its own, which
// every SDL window has.
bool SdlPlatform::RegisterClass(const std::u16string& name, std::uint32_t /*style*/,
                                WindowProcedure procedure) {
  if (!state_->registry.RegisterClass(name, std::move(procedure))) {
    state_->last_error = u"The window class is already registered";
    return false;
  }
  return true;
}

bool SdlPlatform::AdjustWindowRectEx(Rect&, std::uint32_t, bool, std::uint32_t) {
  // Frames belong to the window manager, and positions given to
  // CreateWindowEx are the client area's: the outer rectangle is the client
  // rectangle.
  return true;
}

Handle SdlPlatform::CreateWindowEx(std::uint32_t ex_style, const std::u16string& class_name,
                                   const std::u16string& title, std::uint32_t style, std::int32_t x,
                                   std::int32_t y, std::int32_t width, std::int32_t height) {
  SdlState& state = *state_;
  if (!state.registry.IsClassRegistered(class_name)) {
    state.last_error = u"The window class is not registered";
    return 0;
  }
  if (!EnsureVideo(state)) return 0;
  SdlWindow w;
  w.title = title;
  w.style = style;
  w.ex_style = ex_style;
  w.x = x;
  w.y = y;
  w.width = width;
  w.height = height;
  ResetGlAttributes();
  SDL_Window* sdl = MakeSdlWindow(w);
  if (sdl == nullptr) {
    KeepSdlError(state, "The window could not be created: ");
    return 0;
  }
  const Handle handle = state.registry.AddWindow(class_name);
  Adopt(state, handle, w, sdl);
  state.windows[handle] = std::move(w);
  SDL_StartTextInput();
  if (state.quit_pending) {
    state.quit_pending = false;
    QueueLast(state, Msg{handle, WM_CLOSE, 0, 0});
  }
  return handle;
}

bool SdlPlatform::ShowWindow(Handle window, int command) {
  SdlState& state = *state_;
  SdlWindow* w = FindWindow(state, window);
  if (w == nullptr) return false;
  switch (command) {
    case SW_HIDE: SDL_HideWindow(w->sdl); break;
    case SW_MINIMIZE: SDL_MinimizeWindow(w->sdl); break;
    default:
      if (!(SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_SHOWN)) KeepClientAreaInPlace(w->sdl);
      SDL_ShowWindow(w->sdl);
      SDL_RaiseWindow(w->sdl);
      SDL_SetWindowInputFocus(w->sdl);
      // Showing activates the window, and its procedure hears of it before
      // ShowWindow returns. SDL's own focus event later changes nothing.
      MoveFocus(state, window, true);
      break;
  }
  return true;
}

bool SdlPlatform::ValidateRect(Handle window) { return FindWindow(*state_, window) != nullptr; }

bool SdlPlatform::DestroyWindow(Handle window) {
  SdlState& state = *state_;
  if (FindWindow(state, window) == nullptr) return false;
  state.registry.CallWindowProcedure(window, WM_DESTROY, 0, 0);
  // The procedure may have destroyed it already.
  SdlWindow* w = FindWindow(state, window);
  if (w == nullptr) return true;
  if (state.current_dc == window) {
    SDL_GL_MakeCurrent(nullptr, nullptr);
    state.current_context = 0;
    state.current_dc = 0;
  }
  for (auto& [handle, context] : state.contexts) {
    if (context.window == window) context.window = 0;
  }
  if (state.registry.Capture() == window) ReleaseCapture();
  if (state.pointer_window == window) state.pointer_window = 0;
  if (state.leave_armed == window) state.leave_armed = 0;
  if (state.fullscreen_window == window) state.fullscreen_window = 0;
  std::erase_if(state.pending, [&](const Pending& p) { return p.msg.window == window; });
  state.by_sdl_id.erase(w->sdl_id);
  SDL_DestroyWindow(w->sdl);
  state.windows.erase(window);
  state.registry.RemoveWindow(window);
  return true;
}

bool SdlPlatform::GetClientRect(Handle window, Rect& out) {
  SdlWindow* w = FindWindow(*state_, window);
  if (w == nullptr) return false;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(w->sdl, &width, &height);
  out = {0, 0, width, height};
  return true;
}

bool SdlPlatform::IsIconic(Handle window) {
  SdlWindow* w = FindWindow(*state_, window);
  return w != nullptr && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_MINIMIZED) != 0;
}

std::uint32_t SdlPlatform::GetWindowThreadProcessId(Handle window) {
  return FindWindow(*state_, window) != nullptr ? GetCurrentProcessId() : 0;
}

// --- GL contexts -------------------------------------------------------------

Handle SdlPlatform::GetDC(Handle window) {
  return FindWindow(*state_, window) != nullptr ? window : 0;
}

int SdlPlatform::ChoosePixelFormat(Handle dc, const PixelFormatRequest& request) {
  // One format stands for "the closest SDL finds": the request itself is
  // applied when SetPixelFormat makes the window.
  if (FindWindow(*state_, dc) == nullptr || request.pixel_type != kPfdTypeRgba) return 0;
  return 1;
}

bool SdlPlatform::SetPixelFormat(Handle dc, int format, const PixelFormatRequest& request) {
  SdlState& state = *state_;
  SdlWindow* w = FindWindow(state, dc);
  if (w == nullptr || format <= 0) return false;
  if (w->pixel_format_set) {
    state.last_error = u"The pixel format of a window can be set only once";
    return false;
  }
  // SDL picks the visual when it makes the window, so the still hidden
  // window is made again with the request's attributes. If nothing has the
  // stencil and accumulation buffers asked for, the closest format is one
  // without them, as with ChoosePixelFormat.
  ApplyPixelFormat(request, true);
  SDL_Window* remade = MakeSdlWindow(*w);
  if (remade == nullptr) {
    ApplyPixelFormat(request, false);
    remade = MakeSdlWindow(*w);
  }
  if (remade == nullptr) {
    KeepSdlError(state, "No pixel format fits: ");
    return false;
  }
  Adopt(state, dc, *w, remade);
  w->pixel_format_set = true;
  return true;
}

Handle SdlPlatform::wglCreateContext(Handle dc) {
  SdlState& state = *state_;
  SdlWindow* w = FindWindow(state, dc);
  if (w == nullptr) return 0;
  SdlContext context;
  context.gl = MakeContext(state, w->sdl, nullptr, nullptr, context.swap_control);
  if (context.gl == nullptr) return 0;
  context.window = dc;
  const Handle handle = state.next_context++;
  state.contexts[handle] = context;
  return handle;
}

bool SdlPlatform::wglDeleteContext(Handle context) {
  SdlState& state = *state_;
  auto it = state.contexts.find(context);
  if (it == state.contexts.end()) return false;
  if (state.current_context == context) wglMakeCurrent(0, 0);
  SDL_GL_DeleteContext(it->second.gl);
  state.contexts.erase(it);
  return true;
}

bool SdlPlatform::wglMakeCurrent(Handle dc, Handle context) {
  SdlState& state = *state_;
  if (context == 0) {
    if (state.video_ready) SDL_GL_MakeCurrent(nullptr, nullptr);
    state.current_context = 0;
    state.current_dc = 0;
    return true;
  }
  auto it = state.contexts.find(context);
  SdlWindow* w = FindWindow(state, dc);
  if (it == state.contexts.end() || w == nullptr) return false;
  if (SDL_GL_MakeCurrent(w->sdl, it->second.gl) != 0) {
    KeepSdlError(state, "The GL context could not be bound: ");
    return false;
  }
  it->second.used = true;
  state.current_context = context;
  state.current_dc = dc;
  return true;
}

bool SdlPlatform::wglShareLists(Handle existing, Handle added) {
  SdlState& state = *state_;
  auto from = state.contexts.find(existing);
  auto to = state.contexts.find(added);
  if (from == state.contexts.end() || to == state.contexts.end() || existing == added) {
    return false;
  }
  // SDL shares only when a context is made, so the added context, still
  // unused and therefore empty, is made again sharing with the existing one.
  if (to->second.used) {
    state.last_error = u"Only a context that was never bound can share";
    return false;
  }
  SdlWindow* target = FindWindow(state, to->second.window);
  if (target == nullptr) return false;
  SdlWindow* source = FindWindow(state, from->second.window);
  SDL_Window* share_window = source != nullptr ? source->sdl : target->sdl;
  bool swap_control = false;
  SDL_GLContext shared =
      MakeContext(state, target->sdl, from->second.gl, share_window, swap_control);
  if (shared == nullptr) return false;
  SDL_GL_DeleteContext(to->second.gl);
  to->second.gl = shared;
  to->second.swap_control = swap_control;
  return true;
}

bool SdlPlatform::HasSwapIntervalExtension() {
  auto it = state_->contexts.find(state_->current_context);
  return it != state_->contexts.end() && it->second.swap_control;
}

bool SdlPlatform::wglSwapIntervalEXT(int interval) {
  if (!HasSwapIntervalExtension()) return false;
  if (SDL_GL_SetSwapInterval(interval) != 0) {
    KeepSdlError(*state_, "The swap interval could not be set: ");
    return false;
  }
  return true;
}

bool SdlPlatform::SwapBuffers(Handle dc) {
  SdlWindow* w = FindWindow(*state_, dc);
  if (w == nullptr) return false;
  SDL_GL_SwapWindow(w->sdl);
  return true;
}

}  // namespace platform::sdl
