// The message queue and dispatch, key state, pointer, capture, cursor and
// leave tracking on Win32.
#include <limits>

#include "platform/win32/win32_state.h"

namespace platform::win32 {
namespace {

MSG ToNative(const Msg& msg) {
  MSG native{};
  native.hwnd = ToHwnd(msg.window);
  native.message = msg.message;
  native.wParam = msg.wparam;
  native.lParam = msg.lparam;
  native.time = static_cast<DWORD>(::GetMessageTime());
  const DWORD position = ::GetMessagePos();
  native.pt.x = static_cast<short>(LOWORD(position));
  native.pt.y = static_cast<short>(HIWORD(position));
  return native;
}

}  // namespace

bool Win32Platform::PeekMessage(Msg& out) {
  MSG native{};
  // Messages other threads send to our windows are delivered inside it.
  const bool got = ::PeekMessageW(&native, nullptr, 0, 0, PM_REMOVE) != FALSE;
  RaisePendingError();
  if (!got) return false;
  out.window = FromHandle(native.hwnd);
  out.message = native.message;
  out.wparam = native.wParam;
  out.lparam = native.lParam;
  return true;
}

void Win32Platform::WaitMessage() {
  // Returns at once when input is already waiting, not only for new input.
  ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32Platform::TranslateMessage(const Msg& msg) {
  const MSG native = ToNative(msg);
  ::TranslateMessage(&native);
}

std::intptr_t Win32Platform::DispatchMessage(const Msg& msg) {
  const MSG native = ToNative(msg);
  const LRESULT result = ::DispatchMessageW(&native);
  RaisePendingError();
  return result;
}

bool Win32Platform::PostThreadMessage(ThreadId thread, std::uint32_t message, std::uintptr_t wparam,
                                      std::intptr_t lparam) {
  if (thread > std::numeric_limits<DWORD>::max()) return false;
  return ::PostThreadMessageW(static_cast<DWORD>(thread), message, wparam, lparam) != FALSE;
}

std::intptr_t Win32Platform::DefWindowProc(Handle window, std::uint32_t message,
                                           std::uintptr_t wparam, std::intptr_t lparam) {
  // Alt+F4 posts the close command; the close command sends WM_CLOSE to the
  // window's procedure at once.
  const LRESULT result = ::DefWindowProcW(ToHwnd(window), message, wparam, lparam);
  RaisePendingError();
  return result;
}

bool Win32Platform::IsDialogMessage(Handle dialog, const Msg& msg) {
  MSG native = ToNative(msg);
  const bool taken = ::IsDialogMessageW(ToHwnd(dialog), &native) != FALSE;
  RaisePendingError();
  return taken;
}

std::int16_t Win32Platform::GetKeyState(int virtual_key) { return ::GetKeyState(virtual_key); }

bool Win32Platform::GetCursorPos(Point& out) {
  POINT point{};
  if (!::GetCursorPos(&point)) return false;
  out = Point{point.x, point.y};
  return true;
}

bool Win32Platform::SetCursorPos(std::int32_t x, std::int32_t y) {
  return ::SetCursorPos(x, y) != FALSE;
}

bool Win32Platform::ScreenToClient(Handle window, Point& point) {
  POINT native{point.x, point.y};
  if (!::ScreenToClient(ToHwnd(window), &native)) return false;
  point = Point{native.x, native.y};
  return true;
}

bool Win32Platform::ClientToScreen(Handle window, Point& point) {
  POINT native{point.x, point.y};
  if (!::ClientToScreen(ToHwnd(window), &native)) return false;
  point = Point{native.x, native.y};
  return true;
}

Handle Win32Platform::SetCapture(Handle window) {
  // The window losing the capture is told at once (WM_CAPTURECHANGED).
  const HWND previous = ::SetCapture(ToHwnd(window));
  RaisePendingError();
  return FromHandle(previous);
}

bool Win32Platform::ReleaseCapture() {
  const bool released = ::ReleaseCapture() != FALSE;
  RaisePendingError();
  return released;
}

int Win32Platform::ShowCursor(bool show) { return ::ShowCursor(show ? TRUE : FALSE); }

bool Win32Platform::TrackMouseLeave(Handle window) {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = ToHwnd(window);
  track.dwHoverTime = 0;
  return ::TrackMouseEvent(&track) != FALSE;
}

}  // namespace platform::win32
