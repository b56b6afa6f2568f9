// The Win32 platform: the seam's operations on Win32, GDI, WGL, winmm,
// comdlg32 and shell32, with UTF-16 texts passed straight through (the W
// functions throughout). What each file implements, and where it differs
// from the operations' Win32 namesakes:
//
// - win32_platform.cpp: set-up, clock (timeGetTime, with timeBeginPeriod and
//   timeEndPeriod), Sleep, thread and process ids, the last error's text.
// - win32_windows.cpp: window classes, the window-procedure trampoline,
//   windows, activation and focus. Windows calls the trampoline from inside
//   its own code (DispatchMessage, and CreateWindowEx, ShowWindow,
//   SetFocus, DestroyWindow, ... while they send messages); an error raised
//   by a window procedure cannot travel through Windows's frames, so the
//   trampoline keeps it and the operation raises it again when it returns.
//   While a kept error waits, later messages get default handling (a close
//   request is ignored). A window whose creation raised is destroyed before
//   the error goes on.
// - win32_gl.cpp: device contexts, pixel formats and WGL contexts; the
//   swap-interval extension is looked up by name, on the current context,
//   on every call.
// - win32_display.cpp: display modes of the primary display and the
//   desktop's metrics.
// - win32_input.cpp: the message queue and dispatch, key state, pointer,
//   capture, cursor counter and leave tracking.
// - win32_dialogs.cpp: message boxes, the open and save dialogs, the folder
//   browser and ShellExecute. A text holding a NUL is refused (no box, no
//   dialog), never cut short. The file dialog's buffer holds the longest
//   path Windows has (32767 characters); a proposed name longer than that is
//   refused. "/" in proposed paths becomes "\".
// - win32_process.cpp: the executable's path, the current directory and
//   path queries, without the 260-character limit.
#include "platform/win32/win32_platform.h"

#include <cstdint>
#include <string>

#include "platform/native_platform.h"

#include "platform/win32/win32_state.h"
#include "support/text.h"

namespace platform::win32 {
namespace {

Win32State* the_state = nullptr;

}  // namespace

Win32State& State() { return *the_state; }

std::exception_ptr& PendingError() {
  thread_local std::exception_ptr error;
  return error;
}

void RaisePendingError() {
  std::exception_ptr& pending = PendingError();
  if (!pending) return;
  std::exception_ptr error = pending;
  pending = nullptr;
  std::rethrow_exception(error);
}

void KeepError(const std::u16string& reason) { State().last_error = reason; }

void KeepLastError(const char16_t* what) {
  const DWORD code = ::GetLastError();
  std::u16string reason = what;
  if (code == 0) {  // the call failed without saying why
    State().last_error = reason;
    return;
  }
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length > 0 && text != nullptr) {
    std::u16string detail = FromWide(text, length);
    while (!detail.empty() && (detail.back() == u'\n' || detail.back() == u'\r' ||
                               detail.back() == u' ' || detail.back() == u'.')) {
      detail.pop_back();
    }
    reason += u": " + detail;
  } else {
    reason += u": error " + DecimalText(code);
  }
  if (text != nullptr) ::LocalFree(text);
  State().last_error = reason;
}

std::optional<std::wstring> WideText(const std::u16string& text) {
  if (text.find(u'\0') != std::u16string::npos) return std::nullopt;
  return std::wstring(text.begin(), text.end());
}

std::u16string FromWide(const wchar_t* text, std::size_t length) {
  return std::u16string(text, text + length);
}

std::u16string FromWide(const wchar_t* text) {
  return text == nullptr ? std::u16string() : FromWide(text, std::wcslen(text));
}

Win32Platform::Win32Platform() : state_(std::make_unique<Win32State>()) {
  state_->instance = ::GetModuleHandleW(nullptr);
  the_state = state_.get();
}

Win32Platform::~Win32Platform() {
  if (the_state == state_.get()) the_state = nullptr;
}

std::u16string Win32Platform::LastErrorText() { return state_->last_error; }

std::uint32_t Win32Platform::timeGetTime() { return ::timeGetTime(); }

void Win32Platform::Sleep(std::uint32_t ms) { ::Sleep(ms); }

void Win32Platform::timeBeginPeriod(std::uint32_t ms) { ::timeBeginPeriod(ms); }

void Win32Platform::timeEndPeriod(std::uint32_t ms) { ::timeEndPeriod(ms); }

ThreadId Win32Platform::GetCurrentThreadId() { return ::GetCurrentThreadId(); }

std::uint32_t Win32Platform::GetCurrentProcessId() { return ::GetCurrentProcessId(); }

Win32Platform& TheWin32Platform() {
  // Never destroyed: at-exit handlers of the layers above still call it.
  static Win32Platform* const platform = new Win32Platform();
  return *platform;
}

Win32Platform& InstallWin32Platform() {
  Win32Platform& platform = TheWin32Platform();
  Install(platform);
  return platform;
}

}  // namespace platform::win32

namespace platform {

Platform& InstallNativePlatform() { return win32::InstallWin32Platform(); }

}  // namespace platform
