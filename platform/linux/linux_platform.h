// The seam's process services on Linux, in one base class: the clock and
// sleep, threads, the executable and paths, file and folder requesters and
// URL opening through the desktop's helper programs, the fatal-fault filter
// on the fault signals, and the allocator's handling of freed memory. A
// window-system platform (platform/sdl/) derives from it and adds windows,
// GL contexts, messages, the pointer, displays and message boxes.
//
// What it approximates: timeGetTime counts wrapping milliseconds of
// CLOCK_MONOTONIC since the platform was made; Sleep sleeps to an absolute
// deadline (0 yields); timeBeginPeriod/timeEndPeriod do nothing, as the
// sleep is already precise to the millisecond. Requesters are kdialog or
// zenity, URLs go to xdg-open (see linux_shell.h). Faults are the synchronous
// fault signals, told apart by signal and reason (see linux_fatal.h). A
// program that links it starts with standard input, output and error open,
// on /dev/null where they were closed (see linux_process.h).
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform {

class LinuxPlatform : public Platform {
 public:
  LinuxPlatform();

  std::uint32_t timeGetTime() override;
  void Sleep(std::uint32_t ms) override;
  void timeBeginPeriod(std::uint32_t ms) override;
  void timeEndPeriod(std::uint32_t ms) override;
  ThreadId GetCurrentThreadId() override;
  std::uint32_t GetCurrentProcessId() override;
  bool GetOpenFileName(const FileDialog& request, std::u16string& chosen) override;
  bool GetSaveFileName(const FileDialog& request, std::u16string& chosen) override;
  bool BrowseForFolder(const FolderDialog& request, std::u16string& chosen) override;
  std::intptr_t ShellExecute(const std::u16string& url) override;
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

 private:
  std::uint64_t start_ns_ = 0;  // the clock's zero
};

}  // namespace platform
