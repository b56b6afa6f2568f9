// Fatal platform exceptions on Linux: the synchronous fault signals (SIGSEGV,
// SIGBUS, SIGILL, SIGFPE, SIGTRAP) caught on an alternate stack and turned
// into the platform's 32-bit exception codes. Behind LinuxPlatform's
// SetUnhandledExceptionFilter, WriteStandardError and SetFatalWatchdog; the
// program entry (system/startup) installs the filter, which names the code
// and ends the process.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform::linux_fatal {

// No platform code: the signal is not one of the fault signals.
inline constexpr std::uint32_t kUnknown = 0;

// The exception code of a fault signal with its si_code; a SIGSEGV whose
// address lies on the main thread's stack guard is a stack overflow.
std::uint32_t ExceptionCodeForSignal(int signal, int si_code, bool on_stack_guard);

// Whether a fault address lies on the guard below a stack whose lowest
// usable address is stack_low (the guard gap the kernel keeps below a
// growing stack, plus the stack's own last page).
bool OnStackGuard(std::uintptr_t fault_address, std::uintptr_t stack_low);

// Called from the signal handler, on the alternate stack, with the code. It
// must not return: it reports and ends the process.
using Filter = ExceptionFilter;

// Records the calling (main) thread's stack bounds, sets up an alternate
// signal stack for it and installs the handler for the fault signals.
// Installing again replaces the filter. The first fault is reported; a
// fault on another thread while it is being reported waits for the report,
// which ends the process; a fault inside the report itself (on the
// reporting thread) ends the process at once by that fault's signal. Other
// threads have no alternate stack, so a stack overflow there ends the
// process without a report. Under
// AddressSanitizer the sanitizer's own handlers for these signals must be
// off (ASAN_OPTIONS handle_segv=0:handle_sigbus=0:handle_sigfpe=0:
// handle_sigill=0:use_sigaltstack=0) for this handler to see the faults.
void InstallFatalSignalHandlers(Filter filter);

// Async-signal-safe: writes text to standard error with write(2).
void WriteToStandardError(const char* text);

// Async-signal-safe: arms a watchdog that ends the process with
// kFatalExitStatus after the given seconds (SIGALRM, unblocked on the
// calling thread, whose handler calls _exit). Arming again replaces the
// time. Processes forked while a message box is shown end with the process
// (linux_process.h), so an unanswered box goes with it.
void ArmWatchdog(unsigned seconds);

}  // namespace platform::linux_fatal
