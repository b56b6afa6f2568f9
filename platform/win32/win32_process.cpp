// The arguments, the executable's path, the current directory and path
// queries on Win32, each read into a buffer as large as Windows says it needs.
#include <string>
#include <vector>

#include "platform/win32/win32_state.h"

namespace platform::win32 {

namespace {

// text as the C library's argv holds it: in the ANSI code page, with
// Windows' replacements for what the page lacks.
std::string InAnsiCodePage(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();  // the terminating NUL
  return bytes;
}

}  // namespace

// The process's UTF-16 command line, split as the C library splits it, when
// argv is that same command line (the program passed on what its entry
// received); otherwise, as for a made-up argv, argv's own bytes.
std::vector<std::u16string> Win32Platform::GetCommandLineArguments(int argc,
                                                                   const char* const* argv) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return Platform::GetCommandLineArguments(argc, argv);
  std::vector<std::u16string> arguments;
  bool same = count == argc;
  for (int i = 0; same && i < count; ++i) {
    same = argv[i] != nullptr && InAnsiCodePage(wide[i]) == argv[i];
    arguments.push_back(FromWide(wide[i]));
  }
  ::LocalFree(wide);
  return same ? arguments : Platform::GetCommandLineArguments(argc, argv);
}

std::u16string Win32Platform::GetModuleFileName() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return FromWide(buffer.data(), length);
    if (buffer.size() > 32768) return {};
    buffer.resize(buffer.size() * 2);  // cut short: ask again with more room
  }
}

std::u16string Win32Platform::GetCurrentDirectory() {
  const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return {};
  std::vector<wchar_t> buffer(needed);
  const DWORD length = ::GetCurrentDirectoryW(needed, buffer.data());
  if (length == 0 || length >= needed) return {};
  return FromWide(buffer.data(), length);
}

bool Win32Platform::SetCurrentDirectory(const std::u16string& path) {
  const std::optional<std::wstring> wide = WideText(path);
  if (!wide || wide->empty()) return false;
  return ::SetCurrentDirectoryW(wide->c_str()) != FALSE;
}

char16_t Win32Platform::GetPathSeparator() { return u'\\'; }

bool Win32Platform::PathExists(const std::u16string& path) {
  const std::optional<std::wstring> wide = WideText(path);
  if (!wide || wide->empty()) return false;
  return ::GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::u16string Win32Platform::GetFullPathName(const std::u16string& path) {
  const std::optional<std::wstring> wide = WideText(path);
  if (!wide || wide->empty()) return {};
  const DWORD needed = ::GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::vector<wchar_t> buffer(needed);
  const DWORD length = ::GetFullPathNameW(wide->c_str(), needed, buffer.data(), nullptr);
  if (length == 0 || length >= needed) return {};
  return FromWide(buffer.data(), length);
}

}  // namespace platform::win32
