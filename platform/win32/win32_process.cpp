// The executable's path, the current directory and path queries on Win32,
// each read into a buffer as large as Windows says it needs.
#include <vector>

#include "platform/win32/win32_state.h"

namespace platform::win32 {

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
