// Window classes, the window-procedure trampoline, windows, activation and
// focus on Win32.
#include <utility>

#include "platform/win32/win32_state.h"

namespace platform::win32 {
namespace {

// Every window of a class registered through the seam has this procedure.
// It finds the class's procedure, calls a copy of it (so a procedure may
// unregister its class), and keeps an error it raises for the platform
// operation that let Windows call it.
LRESULT CALLBACK Trampoline(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32State& state = State();
  const ATOM atom = static_cast<ATOM>(::GetClassWord(window, GCW_ATOM));
  auto found = state.procedures.find(atom);
  if (found == state.procedures.end() || PendingError()) {
    // No procedure runs while an error is on its way up: the messages that
    // unwinding sends (a window being destroyed) get default handling, and
    // a close request does not destroy the window behind the caller's back.
    if (message == platform::WM_CLOSE) return 0;
    return ::DefWindowProcW(window, message, wparam, lparam);
  }
  const WindowProcedure procedure = found->second;
  try {
    return procedure(FromHandle(window), message, wparam, lparam);
  } catch (...) {
    PendingError() = std::current_exception();
    return 0;
  }
}

}  // namespace

bool Win32Platform::RegisterClass(const std::u16string& name, std::uint32_t style,
                                  WindowProcedure procedure) {
  const std::optional<std::wstring> class_name = WideText(name);
  if (!class_name || class_name->empty()) {
    KeepError(u"A window class name must be a text without NUL characters");
    return false;
  }
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = style;
  window_class.lpfnWndProc = Trampoline;
  window_class.hInstance = state_->instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = nullptr;
  window_class.lpszClassName = class_name->c_str();
  const ATOM atom = ::RegisterClassExW(&window_class);
  if (atom == 0) {
    KeepLastError(u"The window class could not be registered");
    return false;
  }
  state_->procedures[atom] = std::move(procedure);
  return true;
}

bool Win32Platform::GetDesktopRect(Rect& out) {
  RECT rect{};
  if (!::GetWindowRect(::GetDesktopWindow(), &rect)) return false;
  out = Rect{rect.left, rect.top, rect.right, rect.bottom};
  return true;
}

bool Win32Platform::AdjustWindowRectEx(Rect& rect, std::uint32_t style, bool menu,
                                       std::uint32_t ex_style) {
  RECT native{rect.left, rect.top, rect.right, rect.bottom};
  if (!::AdjustWindowRectEx(&native, style, menu ? TRUE : FALSE, ex_style)) return false;
  rect = Rect{native.left, native.top, native.right, native.bottom};
  return true;
}

Handle Win32Platform::CreateWindowEx(std::uint32_t ex_style, const std::u16string& class_name,
                                     const std::u16string& title, std::uint32_t style,
                                     std::int32_t x, std::int32_t y, std::int32_t width,
                                     std::int32_t height) {
  const std::optional<std::wstring> wide_class = WideText(class_name);
  const std::optional<std::wstring> wide_title = WideText(title);
  if (!wide_class || !wide_title) {
    KeepError(u"A window's class name and title must be texts without NUL characters");
    return 0;
  }
  HWND window = ::CreateWindowExW(ex_style, wide_class->c_str(), wide_title->c_str(), style, x, y,
                                  width, height, nullptr, nullptr, state_->instance, nullptr);
  if (window == nullptr) {
    KeepLastError(u"CreateWindowEx failed");
    RaisePendingError();
    return 0;
  }
  if (PendingError()) {
    // Creation raised: nothing is left behind.
    ::DestroyWindow(window);
    RaisePendingError();
  }
  return FromHandle(window);
}

bool Win32Platform::ShowWindow(Handle window, int command) {
  ::ShowWindow(ToHwnd(window), command);
  RaisePendingError();
  return true;
}

bool Win32Platform::ValidateRect(Handle window) {
  return ::ValidateRect(ToHwnd(window), nullptr) != FALSE;
}

bool Win32Platform::DestroyWindow(Handle window) {
  const bool destroyed = ::DestroyWindow(ToHwnd(window)) != FALSE;
  RaisePendingError();
  return destroyed;
}

bool Win32Platform::GetClientRect(Handle window, Rect& out) {
  RECT rect{};
  if (!::GetClientRect(ToHwnd(window), &rect)) return false;
  out = Rect{rect.left, rect.top, rect.right, rect.bottom};
  return true;
}

Handle Win32Platform::GetParent(Handle window) { return FromHandle(::GetParent(ToHwnd(window))); }

std::uint32_t Win32Platform::GetWindowStyle(Handle window) {
  return static_cast<std::uint32_t>(::GetWindowLongW(ToHwnd(window), GWL_STYLE));
}

Handle Win32Platform::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }

Handle Win32Platform::GetFocus() { return FromHandle(::GetFocus()); }

Handle Win32Platform::SetFocus(Handle window) {
  const HWND previous = ::SetFocus(ToHwnd(window));
  RaisePendingError();
  return FromHandle(previous);
}

bool Win32Platform::IsIconic(Handle window) { return ::IsIconic(ToHwnd(window)) != FALSE; }

std::uint32_t Win32Platform::GetWindowThreadProcessId(Handle window) {
  DWORD process = 0;
  if (::GetWindowThreadProcessId(ToHwnd(window), &process) == 0) return 0;
  return process;
}

}  // namespace platform::win32
