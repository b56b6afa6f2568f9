// Shared set-up of the SDL2 platform's real-window tests: the installed SDL
// platform, a recording window procedure, an Xlib connection to look at and
// drive the windows from outside, and a pump that waits for a message.
#pragma once

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>
// clang-format off
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
// clang-format on

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_platform.h"
#include "tests/platform/real_window_helpers.h"
#include "tools/x11/x11_window.h"

namespace platform::sdl {

// Whether the tests run under a window manager (the test command names it),
// which takes some keys for itself and frames the windows.
inline bool UnderWindowManager() {
  const char* wm = std::getenv("VUBLE_WINDOW_MANAGER");
  return wm != nullptr && *wm != '\0';
}

class SdlWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform_ = &InstallSdlPlatform();
    display_ = XOpenDisplay(nullptr);
    static bool registered = false;
    if (!registered) {
      registered = platform_->RegisterClass(u"TestWindow", CS_HREDRAW | CS_VREDRAW | CS_OWNDC,
                                            &SdlWindowTest::Procedure);
    }
  }
  static void TearDownTestSuite() {
    if (display_ != nullptr) XCloseDisplay(display_);
    display_ = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(display_, nullptr) << "no X server (DISPLAY)";
    received_.clear();
  }

  void TearDown() override {
    platform_->wglMakeCurrent(0, 0);
    for (Handle context : contexts_) platform_->wglDeleteContext(context);
    for (Handle window : windows_) platform_->DestroyWindow(window);
    int counter = platform_->ShowCursor(true);
    while (counter < 0) counter = platform_->ShowCursor(true);
    while (counter > 0) counter = platform_->ShowCursor(false);
    if (platform_->GetKeyState(VK_MENU) < 0 || platform_->GetKeyState(VK_SHIFT) < 0) {
      ReleaseAllModifiers();
    }
  }

  // A window of client size width x height at (x, y), with a double
  // buffered GL context made current, shown.
  Handle OpenWindow(const std::u16string& title, int x, int y, int width, int height,
                    std::uint32_t pfd_flags = kPfdDoubleBuffer | kPfdDrawToWindow |
                                              kPfdSupportOpenGL,
                    std::uint32_t style = kCaptionStyle) {
    Rect rect{x, y, x + width, y + height};
    platform_->AdjustWindowRectEx(rect, style, false, 0);
    const Handle window =
        platform_->CreateWindowEx(0, u"TestWindow", title, style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top);
    if (window == 0) return 0;
    windows_.push_back(window);
    const Handle context = MakeCurrentGLContext(*platform_, window, pfd_flags);
    if (context == 0) return 0;
    contexts_.push_back(context);
    platform_->ShowWindow(window, SW_SHOW);
    return window;
  }

  ::Window XWindowOf(Handle window) const {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* sdl = platform_->SdlWindowOf(window);
    if (sdl == nullptr || !SDL_GetWindowWMInfo(sdl, &info)) return 0;
    return info.info.x11.window;
  }

  // Where the window's client area lies on the root window.
  bool ClientOrigin(Handle window, int& x, int& y) const {
    ::Window child = 0;
    return XTranslateCoordinates(display_, XWindowOf(window), DefaultRootWindow(display_), 0, 0, &x,
                                 &y, &child) != 0;
  }

  // Pumps and dispatches until done() holds or about two seconds pass.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
      Msg msg;
      while (platform_->PeekMessage(msg)) {
        platform_->TranslateMessage(msg);
        platform_->DispatchMessage(msg);
      }
      if (done()) return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  // Pumps until a message of this number (for window, if given) arrives.
  bool PumpUntilMessage(std::uint32_t message, Handle window = 0) {
    return PumpUntil([&] { return Find(message, window) != nullptr; });
  }

  const Msg* Find(std::uint32_t message, Handle window = 0) const {
    for (const Msg& m : received_) {
      if (m.message == message && (window == 0 || m.window == window)) return &m;
    }
    return nullptr;
  }

  std::vector<Msg> Received(std::uint32_t message) const {
    std::vector<Msg> out;
    for (const Msg& m : received_) {
      if (m.message == message) out.push_back(m);
    }
    return out;
  }

  // Injected input, as a user's.
  void FakeMotion(int x, int y) { x11tools::MovePointer(display_, x, y); }
  void FakeButton(unsigned button, bool down) { x11tools::PressButton(display_, button, down); }
  void FakeKey(KeySym sym, bool down) { x11tools::PressKey(display_, sym, down); }
  void ReleaseAllModifiers() {
    for (KeySym sym : {XK_Shift_L, XK_Shift_R, XK_Control_L, XK_Control_R, XK_Alt_L, XK_Alt_R}) {
      if (XKeysymToKeycode(display_, sym) != 0) FakeKey(sym, false);
    }
  }

  // What a window manager sends when the window's close box is clicked.
  bool SendDeleteWindow(Handle window) {
    return x11tools::RequestClose(display_, XWindowOf(window));
  }

  // Moves the pointer onto the window's client point (x, y) and waits until
  // the window has seen it there.
  bool PointerTo(Handle window, int x, int y) {
    int left = 0;
    int top = 0;
    if (!ClientOrigin(window, left, top)) return false;
    FakeMotion(left + x, top + y);
    return PumpUntil([&] {
      for (const Msg& m : received_) {
        if (m.message == WM_MOUSEMOVE && m.window == window && LowSigned(m.lparam) == x &&
            HighSigned(m.lparam) == y) {
          return true;
        }
      }
      return false;
    });
  }

  static std::intptr_t Procedure(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                 std::intptr_t lparam) {
    received_.push_back(Msg{window, message, wparam, lparam});
    // Default handling for everything, as a plain Win32 window has it.
    return platform_->DefWindowProc(window, message, wparam, lparam);
  }

  static inline SdlPlatform* platform_ = nullptr;
  static inline Display* display_ = nullptr;
  static inline std::vector<Msg> received_;
  std::vector<Handle> windows_;
  std::vector<Handle> contexts_;
};

}  // namespace platform::sdl
