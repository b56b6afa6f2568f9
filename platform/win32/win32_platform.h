// The native Windows platform: every seam operation straight on Win32, GDI,
// WGL, winmm, comdlg32 and shell32, texts passed as UTF-16. Programs install
// it before any module starts; nothing here includes <windows.h>, so a
// program may include this header with or without it.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/windows_macros_push.h"

namespace platform::win32 {

struct Win32State;

class Win32Platform : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  std::uint32_t timeGetTime() override;
  void Sleep(std::uint32_t ms) override;
  void timeBeginPeriod(std::uint32_t ms) override;
  void timeEndPeriod(std::uint32_t ms) override;
  ThreadId GetCurrentThreadId() override;
  std::uint32_t GetCurrentProcessId() override;
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
  bool GetOpenFileName(const FileDialog& request, std::u16string& chosen) override;
  bool GetSaveFileName(const FileDialog& request, std::u16string& chosen) override;
  bool BrowseForFolder(const FolderDialog& request, std::u16string& chosen) override;
  std::intptr_t ShellExecute(const std::u16string& url) override;
  std::vector<std::u16string> GetCommandLineArguments(int argc, const char* const* argv) override;
  std::u16string GetModuleFileName() override;
  std::u16string GetCurrentDirectory() override;
  bool SetCurrentDirectory(const std::u16string& path) override;
  bool PathExists(const std::u16string& path) override;
  std::u16string GetFullPathName(const std::u16string& path) override;
  char16_t GetPathSeparator() override;
  void SetUnhandledExceptionFilter(ExceptionFilter filter) override;
  void WriteStandardError(const char* text) override;
  void SetFatalWatchdog(unsigned seconds) override;
  void HeapOptimizeResources() override;
  std::u16string LastErrorText() override;

 private:
  std::unique_ptr<Win32State> state_;
};

// The process's Win32 platform, created on first use and never destroyed,
// so it outlives every at-exit handler.
Win32Platform& TheWin32Platform();
// Installs it as platform::Current() and returns it.
Win32Platform& InstallWin32Platform();

}  // namespace platform::win32

#include "platform/windows_macros_pop.h"
