#include "platform/linux/linux_platform.h"

#include <sched.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/linux_fatal.h"
#include "platform/linux/linux_memory.h"
#include "platform/linux/linux_process.h"
#include "platform/linux/linux_shell.h"

namespace platform {
namespace {

// Standard descriptors closed at start are opened on /dev/null before any
// other code of the program runs: from the executable's pre-initialisation
// array, which the dynamic loader runs before the initialisers of every
// shared library (SDL, Xlib, the GL driver) and before the program's own
// static initialisers. This file is part of every program on the platform.
void OpenStandardDescriptorsFirst(int, char**, char**) {
  linux_process::OpenMissingStandardDescriptors();
}
[[gnu::used, gnu::section(".preinit_array")]] void (*const open_standard_descriptors_first)(
    int, char**, char**) = OpenStandardDescriptorsFirst;

std::uint64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
         static_cast<std::uint64_t>(now.tv_nsec);
}

}  // namespace

LinuxPlatform::LinuxPlatform() : start_ns_(MonotonicNanoseconds()) {}

// --- Clock and sleep ---------------------------------------------------------

std::uint32_t LinuxPlatform::timeGetTime() {
  const std::uint64_t elapsed_ms = (MonotonicNanoseconds() - start_ns_) / 1000000u;
  return static_cast<std::uint32_t>(elapsed_ms);  // wraps after 49.7 days, like Win32's
}

void LinuxPlatform::Sleep(std::uint32_t ms) {
  if (ms == 0) {
    sched_yield();
    return;
  }
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  const std::uint64_t ns = static_cast<std::uint64_t>(deadline.tv_nsec) +
                           static_cast<std::uint64_t>(ms % 1000u) * 1000000u;
  deadline.tv_sec += static_cast<time_t>(ms / 1000u + ns / 1000000000u);
  deadline.tv_nsec = static_cast<long>(ns % 1000000000u);
  // A signal (SIGINT handled by the window system) interrupts the sleep; the
  // deadline is absolute, so sleeping again keeps the total.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

void LinuxPlatform::timeBeginPeriod(std::uint32_t) {}
void LinuxPlatform::timeEndPeriod(std::uint32_t) {}

// --- Threads -----------------------------------------------------------------

ThreadId LinuxPlatform::GetCurrentThreadId() { return static_cast<ThreadId>(syscall(SYS_gettid)); }

std::uint32_t LinuxPlatform::GetCurrentProcessId() { return static_cast<std::uint32_t>(getpid()); }

// --- Requesters and the shell ------------------------------------------------

bool LinuxPlatform::GetOpenFileName(const FileDialog& request, std::u16string& chosen) {
  FileDialog open = request;
  open.save = false;
  return linux_shell::OpenFileDialog(open, chosen);
}

bool LinuxPlatform::GetSaveFileName(const FileDialog& request, std::u16string& chosen) {
  FileDialog save = request;
  save.save = true;
  return linux_shell::OpenFileDialog(save, chosen);
}

bool LinuxPlatform::BrowseForFolder(const FolderDialog& request, std::u16string& chosen) {
  return linux_shell::BrowseForFolder(request, chosen);
}

std::intptr_t LinuxPlatform::ShellExecute(const std::u16string& url) {
  return linux_shell::OpenUrl(url);
}

// --- The executable and paths ------------------------------------------------

std::u16string LinuxPlatform::GetModuleFileName() { return linux_process::ExecutablePath(); }
std::u16string LinuxPlatform::GetCurrentDirectory() { return linux_process::CurrentDirectory(); }

bool LinuxPlatform::SetCurrentDirectory(const std::u16string& path) {
  return linux_process::SetCurrentDirectory(path);
}

bool LinuxPlatform::PathExists(const std::u16string& path) {
  return linux_process::PathExists(path);
}

std::u16string LinuxPlatform::GetFullPathName(const std::u16string& path) {
  return linux_process::FullPath(path);
}

char16_t LinuxPlatform::GetPathSeparator() { return u'/'; }

// --- Fatal faults and memory -------------------------------------------------

void LinuxPlatform::SetUnhandledExceptionFilter(ExceptionFilter filter) {
  linux_fatal::InstallFatalSignalHandlers(filter);
}

void LinuxPlatform::WriteStandardError(const char* text) {
  linux_fatal::WriteToStandardError(text);
}

void LinuxPlatform::SetFatalWatchdog(unsigned seconds) { linux_fatal::ArmWatchdog(seconds); }

void LinuxPlatform::HeapOptimizeResources() { linux_memory::ReturnFreedLargeBlocks(); }

}  // namespace platform
