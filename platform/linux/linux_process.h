// The process's executable path, current directory and path queries on
// Linux. Called by LinuxPlatform's GetModuleFileName, GetCurrentDirectory,
// SetCurrentDirectory, PathExists and GetFullPathName. Paths are bytes on
// Linux: a name that is not UTF-8 keeps its bytes (FromSystemBytes and
// ToSystemBytes, support/text.h), so it still names its file.
#pragma once

#include <string>

namespace platform::linux_process {

// The executable's real path (/proc/self/exe resolved); empty if unreadable.
std::u16string ExecutablePath();
// The current directory; empty if unreadable.
std::u16string CurrentDirectory();
bool SetCurrentDirectory(const std::u16string& path);
// True when a file or folder exists at path (symbolic links followed).
bool PathExists(const std::u16string& path);
// path made absolute against the current directory, with "." and ".."
// components and repeated "/" removed; no links are resolved. Empty for an
// empty path.
std::u16string FullPath(const std::u16string& path);

}  // namespace platform::linux_process
