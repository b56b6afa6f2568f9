// Fatal platform exceptions, the unbuffered standard-error writer and the
// watchdog of the fault report, and the heap's handling of freed memory on
// Win32.
#include <atomic>
#include <cstring>

#include "platform/win32/win32_state.h"

namespace platform::win32 {
namespace {

std::atomic<ExceptionFilter> installed_filter{nullptr};
// Set by the first thread whose fault reaches the filter; a fault on any
// other thread after that waits for the report to end the process.
std::atomic<bool> reporting{false};
// The thread that runs the report (0, which no thread has, until it starts).
std::atomic<DWORD> report_thread{0};

struct Report {
  ExceptionFilter filter = nullptr;
  std::uint32_t code = 0;
};

DWORD WINAPI RunReport(void* parameter) {
  const Report* report = static_cast<const Report*>(parameter);
  report_thread.store(::GetCurrentThreadId());
  report->filter(report->code);  // does not return
  return 0;
}

// The process's filter for exceptions no handler took. The report runs on a
// thread of its own: the faulting thread's stack may be the one that
// overflowed, with no room left for a message box.
LONG WINAPI TopLevelFilter(EXCEPTION_POINTERS* info) {
  if (::GetCurrentThreadId() == report_thread.load()) {
    // A fault inside the report itself: no second report, the end at once.
    ::TerminateProcess(::GetCurrentProcess(), kFatalExitStatus);
  }
  const ExceptionFilter filter = installed_filter.load();
  if (filter == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  if (reporting.exchange(true)) {
    for (;;) ::Sleep(INFINITE);  // one report, one status: the first fault's
  }
  static Report report;
  report.filter = filter;
  report.code = info != nullptr && info->ExceptionRecord != nullptr
                    ? static_cast<std::uint32_t>(info->ExceptionRecord->ExceptionCode)
                    : 0;
  const HANDLE thread = ::CreateThread(nullptr, 0, RunReport, &report, 0, nullptr);
  if (thread == nullptr) RunReport(&report);  // no thread to be had: report from here
  ::WaitForSingleObject(thread, INFINITE);
  ::ExitProcess(kFatalExitStatus);  // the filter ends the process; this is not reached
}

std::atomic<ULONGLONG> watchdog_deadline{0};
std::atomic<bool> watchdog_started{false};

DWORD WINAPI Watchdog(void*) {
  for (;;) {
    ::Sleep(50);
    if (::GetTickCount64() >= watchdog_deadline.load())
      ::TerminateProcess(::GetCurrentProcess(), kFatalExitStatus);
  }
}

// HeapSetInformation's class and record for returning freed memory
// (HeapOptimizeResources), which MinGW's headers do not name.
constexpr int kHeapOptimizeResources = 3;
struct HeapOptimizeResourcesInformation {
  DWORD version = 1;
  DWORD flags = 0;
};

}  // namespace

void Win32Platform::SetUnhandledExceptionFilter(ExceptionFilter filter) {
  installed_filter.store(filter);
  ::SetUnhandledExceptionFilter(filter != nullptr ? TopLevelFilter : nullptr);
}

void Win32Platform::WriteStandardError(const char* text) {
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE || text == nullptr) return;
  DWORD written = 0;
  ::WriteFile(error, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void Win32Platform::SetFatalWatchdog(unsigned seconds) {
  watchdog_deadline.store(::GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000u);
  if (!watchdog_started.exchange(true)) {
    const HANDLE thread = ::CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    if (thread != nullptr) ::CloseHandle(thread);
  }
}

void Win32Platform::HeapOptimizeResources() {
  HeapOptimizeResourcesInformation information;
  ::HeapSetInformation(nullptr, static_cast<HEAP_INFORMATION_CLASS>(kHeapOptimizeResources),
                       &information, sizeof information);
}

}  // namespace platform::win32
