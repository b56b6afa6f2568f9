// The process on Linux: its standard descriptors at start, the processes
// it forks for message boxes, its executable path, current directory and
// path queries. Called by LinuxPlatform (its start-up, GetModuleFileName,
// GetCurrentDirectory, SetCurrentDirectory, PathExists, GetFullPathName)
// and by the SDL2 platform's message boxes. Paths are bytes on
// Linux: a name that is not UTF-8 keeps its bytes (FromSystemBytes and
// ToSystemBytes, support/text.h), so it still names its file.
#pragma once

#include <string>

namespace platform::linux_process {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. A
// program started with one of them closed would otherwise get it back as
// the first file it opens (the display connection, a file it writes), and
// what it writes to standard output or error would go there. Every program
// linked with the Linux platform runs this before anything else, from the
// executable's pre-initialisation (linux_platform.cpp): before the C++
// static initialisers and before any shared library initialises itself.
// Doing it again changes nothing.
void OpenMissingStandardDescriptors();

// While one lives on a thread, every process that thread forks is ended by
// the kernel (SIGKILL) when this process ends, however it ends; so are the
// processes those fork in turn. A window system that draws a message box in
// a process of its own (SDL 2 on X11 forks one) would otherwise leave the
// box on the screen after the program is gone, for example when the fatal
// report's watchdog ends it. Forks on other threads, and before or after,
// are left alone.
class ForkedChildrenEndWithProcess {
 public:
  ForkedChildrenEndWithProcess();
  ~ForkedChildrenEndWithProcess();
  ForkedChildrenEndWithProcess(const ForkedChildrenEndWithProcess&) = delete;
  ForkedChildrenEndWithProcess& operator=(const ForkedChildrenEndWithProcess&) = delete;

 private:
  bool was_on_ = false;  // an outer one on this thread is still alive
};

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
