#include "platform/linux/linux_fatal.h"

#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/platform.h"

namespace platform::linux_fatal {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP};

// The kernel keeps a gap of 256 pages below a growing stack; a frame larger
// than a page can also skip past the last usable page, so faults this far
// below (or on the last page above) the limit count as a stack overflow.
constexpr std::uintptr_t kGuardReach = 1024 * 1024 + 64 * 1024;
constexpr std::uintptr_t kPage = 4096;

// The handler runs on this stack, so it still runs when the main stack is
// exhausted. Large, as the report shows a box and runs the at-exit handlers
// from the handler.
constexpr std::size_t kAlternateStackSize = 1024 * 1024;
alignas(64) char alternate_stack[kAlternateStackSize];

std::atomic<Filter> installed_filter{nullptr};
std::atomic<std::uintptr_t> main_stack_low{0};
std::atomic<long> reporting_thread{0};  // the thread whose fault is being reported

void RecordMainStack() {
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return;
  void* address = nullptr;
  std::size_t size = 0;
  if (pthread_attr_getstack(&attributes, &address, &size) == 0) {
    main_stack_low.store(reinterpret_cast<std::uintptr_t>(address));
  }
  pthread_attr_destroy(&attributes);
}

void UnblockSignal(int signal) {
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
}

// Ends the process by signal's default action.
[[noreturn]] void DieBy(int signal) {
  alarm(0);
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  UnblockSignal(signal);
  raise(signal);
  _exit(128 + signal);
}

void Handler(int signal, siginfo_t* info, void* /*context*/) {
  const long self = syscall(SYS_gettid);
  long none = 0;
  if (!reporting_thread.compare_exchange_strong(none, self)) {
    // A fault inside the report itself ends the process at once. A fault in
    // another thread waits, however late in the report it comes (the fault
    // signals keep this handler throughout): that report ends the process,
    // or its watchdog does.
    if (none == self) DieBy(signal);
    for (;;) pause();
  }
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  const std::uintptr_t stack_low = main_stack_low.load();
  const bool on_guard = signal == SIGSEGV && stack_low != 0 && OnStackGuard(address, stack_low);
  const std::uint32_t code = ExceptionCodeForSignal(signal, info->si_code, on_guard);
  const Filter filter = installed_filter.load();
  if (filter != nullptr) filter(code);
  // A filter must not return; if one does, end the process the default way.
  DieBy(signal);
}

// The report took too long (a box nobody answers, a hanging at-exit
// handler): the process ends as a fatal error does.
void WatchdogExpired(int) { _exit(kFatalExitStatus); }

}  // namespace

std::uint32_t ExceptionCodeForSignal(int signal, int si_code, bool on_stack_guard) {
  switch (signal) {
    case SIGSEGV: return on_stack_guard ? kExceptionStackOverflow : kExceptionAccessViolation;
    case SIGFPE:
      switch (si_code) {
        case FPE_INTDIV: return kExceptionIntDivideByZero;
        case FPE_INTOVF: return kExceptionIntOverflow;
        case FPE_FLTDIV: return kExceptionFltDivideByZero;
        case FPE_FLTOVF: return kExceptionFltOverflow;
        case FPE_FLTUND: return kExceptionFltUnderflow;
        case FPE_FLTRES: return kExceptionFltInexactResult;
        case FPE_FLTINV: return kExceptionFltInvalidOperation;
        default: return kUnknown;
      }
    case SIGILL:
      return si_code == ILL_PRVOPC ? kExceptionPrivInstruction : kExceptionIllegalInstruction;
    case SIGBUS:
      return si_code == BUS_ADRALN ? kExceptionDatatypeMisalignment : kExceptionInPageError;
    case SIGTRAP: return si_code == TRAP_TRACE ? kExceptionSingleStep : kExceptionBreakpoint;
    default: return kUnknown;
  }
}

bool OnStackGuard(std::uintptr_t fault_address, std::uintptr_t stack_low) {
  const std::uintptr_t bottom = stack_low > kGuardReach ? stack_low - kGuardReach : 0;
  return fault_address >= bottom && fault_address < stack_low + kPage;
}

void InstallFatalSignalHandlers(Filter filter) {
  installed_filter.store(filter);
  RecordMainStack();

  stack_t stack{};
  stack.ss_sp = alternate_stack;
  stack.ss_size = sizeof alternate_stack;
  stack.ss_flags = 0;
  sigaltstack(&stack, nullptr);

  struct sigaction action {};
  action.sa_sigaction = Handler;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal : kFatalSignals) sigaction(signal, &action, nullptr);
}

void WriteToStandardError(const char* text) {
  std::size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t written = write(STDERR_FILENO, text, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    text += written;
    left -= static_cast<std::size_t>(written);
  }
}

void ArmWatchdog(unsigned seconds) {
  struct sigaction expired {};
  expired.sa_handler = WatchdogExpired;
  expired.sa_flags = SA_ONSTACK;
  sigfillset(&expired.sa_mask);
  sigaction(SIGALRM, &expired, nullptr);
  UnblockSignal(SIGALRM);
  alarm(seconds);
}

}  // namespace platform::linux_fatal
