// The Win32 platform's state, all in one struct, and the helpers its files
// share. Private to platform/win32/: the only place <windows.h> is included.
#pragma once

// The wide-character forms throughout (IDC_ARROW and the like as UTF-16),
// and no min/max macros.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

#include <exception>
#include <map>
#include <optional>
#include <string>

// The seam's own names for Win32 operations and constants stay ours here:
// <windows.h>'s macros of the same names are removed for the rest of these
// files, which call the wide-character functions by their full names.
#include "platform/windows_macros_push.h"

#include "platform/win32/win32_platform.h"

namespace platform::win32 {

struct Win32State {
  HINSTANCE instance = nullptr;
  // Window procedures by window class, found from a window's class atom.
  std::map<ATOM, WindowProcedure> procedures;
  std::u16string last_error;
};

// The one state of the process's platform (the trampoline has no other way
// to find it).
Win32State& State();

// Raises the error a window procedure raised during the operation that just
// returned, if any. Every operation during which Windows may call a window
// procedure ends with it.
void RaisePendingError();
// An error a window procedure raised while Windows was calling it on this
// thread; raised again when the platform operation that let Windows call it
// returns. Each thread has its own: Windows calls a window's procedure on
// the thread of the window, and a message box's loop may run on another
// (the fault report's).
std::exception_ptr& PendingError();

// Keeps the reason for the last failure: what failed, and Windows's own text
// for the calling thread's last error code.
void KeepLastError(const char16_t* what);
void KeepError(const std::u16string& reason);

// Texts as Windows takes them: none when text holds a NUL, which a
// NUL-terminated string cannot carry whole (the caller refuses the text
// instead of passing a shorter one).
std::optional<std::wstring> WideText(const std::u16string& text);
std::u16string FromWide(const wchar_t* text, std::size_t length);
std::u16string FromWide(const wchar_t* text);

inline HWND ToHwnd(Handle handle) { return reinterpret_cast<HWND>(handle); }
inline Handle FromHandle(const void* handle) { return reinterpret_cast<Handle>(handle); }

}  // namespace platform::win32
