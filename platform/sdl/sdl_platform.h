// The real platform on Linux: the window-system operations of the seam on
// SDL2 and the system OpenGL, over the Linux process services it derives
// from. Program entries install it through InstallNativePlatform before any
// module starts; the real-window tests reach the SDL window behind a handle
// through it.
#pragma once

#include <memory>

#include "platform/linux/linux_platform.h"

struct SDL_Window;

namespace platform::sdl {

struct SdlState;

class SdlPlatform : public LinuxPlatform {
 public:
  SdlPlatform();
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  // The SDL window behind one of our window handles; nullptr for others.
  SDL_Window* SdlWindowOf(Handle window) const;

  bool PeekMessage(Msg& out) override;
  void WaitMessage() override;
  void TranslateMessage(const Msg& msg) override;
  std::intptr_t DispatchMessage(const Msg& msg) override;
  bool PostThreadMessage(ThreadId thread, std::uint32_t message, std::uintptr_t wparam,
                         std::intptr_t lparam) override;
  std::intptr_t DefWindowProc(Handle window, std::uint32_t message, std::uintptr_t wparam,
                              std::intptr_t lparam) override;
  Handle GetParent(Handle window) override;
  std::uint32_t GetWindowStyle(Handle window) override;
  bool IsDialogMessage(Handle dialog, const Msg& msg) override;
  std::int16_t GetKeyState(int virtual_key) override;
  bool GetCursorPos(Point& out) override;
  bool SetCursorPos(std::int32_t x, std::int32_t y) override;
  bool ScreenToClient(Handle window, Point& point) override;
  bool ClientToScreen(Handle window, Point& point) override;
  Handle SetCapture(Handle window) override;
  bool ReleaseCapture() override;
  int ShowCursor(bool show) override;
  bool TrackMouseLeave(Handle window) override;
  Handle GetActiveWindow() override;
  Handle GetFocus() override;
  Handle SetFocus(Handle window) override;
  bool IsIconic(Handle window) override;
  std::uint32_t GetWindowThreadProcessId(Handle window) override;
  bool GetClientRect(Handle window, Rect& out) override;
  bool RegisterClass(const std::u16string& name, std::uint32_t style,
                     WindowProcedure procedure) override;
  bool GetDesktopRect(Rect& out) override;
  bool AdjustWindowRectEx(Rect& rect, std::uint32_t style, bool menu,
                          std::uint32_t ex_style) override;
  Handle CreateWindowEx(std::uint32_t ex_style, const std::u16string& class_name,
                        const std::u16string& title, std::uint32_t style, std::int32_t x,
                        std::int32_t y, std::int32_t width, std::int32_t height) override;
  bool ShowWindow(Handle window, int command) override;
  bool ValidateRect(Handle window) override;
  bool DestroyWindow(Handle window) override;
  Handle GetDC(Handle window) override;
  int ChoosePixelFormat(Handle dc, const PixelFormatRequest& request) override;
  bool SetPixelFormat(Handle dc, int format, const PixelFormatRequest& request) override;
  Handle wglCreateContext(Handle dc) override;
  bool wglDeleteContext(Handle context) override;
  bool wglMakeCurrent(Handle dc, Handle context) override;
  bool wglShareLists(Handle existing, Handle added) override;
  bool HasSwapIntervalExtension() override;
  bool wglSwapIntervalEXT(int interval) override;
  bool SwapBuffers(Handle dc) override;
  bool EnumDisplaySettings(std::uint32_t index, DisplayMode& out) override;
  long ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) override;
  int GetDesktopDeviceCaps(int index) override;
  int MessageBox(Handle owner, const std::u16string& text, const std::u16string& caption,
                 std::uint32_t style) override;
  std::u16string LastErrorText() override;

 private:
  std::unique_ptr<SdlState> state_;
};

// Creates the process's SDL platform once (never destroyed, so it outlives
// every at-exit handler), installs it as platform::Current() and returns it.
// SDL itself starts lazily, when the first window or display query needs it.
// InstallNativePlatform does the same on Linux.
SdlPlatform& InstallSdlPlatform();

}  // namespace platform::sdl
