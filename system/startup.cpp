#include "system/startup.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "support/error.h"
#include "system/deferred_calls.h"

Text ApplicationTitle = u"Quillon Application";
Text LaunchDirectory;
Text ApplicationFile;
Text ApplicationDirectory;
std::vector<Text> ApplicationArguments;
platform::ThreadId MainThreadId = 0;
int WideCharacterFlag = 0;

namespace {

// While the box waits for the user the watchdog is generous; once the box is
// gone only the at-exit handlers remain, which must finish quickly.
constexpr unsigned kBoxWatchdogSeconds = 120;
constexpr unsigned kExitWatchdogSeconds = 5;

Text Slashed(Text path) {
  for (auto& c : path) {
    if (c == u'\\') c = u'/';
  }
  return path;
}

}  // namespace

void EndWithFatalError(const Text& text) {
  const std::string line = ToUtf8(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  std::exit(kFatalExitStatus);
}

Text ApplicationDirectoryOf(const Text& file) {
  const std::size_t p = file.rfind(u'/');
  if (p == Text::npos || p == 0) return {};
  return file.substr(0, file[p - 1] == u':' ? p + 1 : p);
}

void RuntimeStartup(int argc, const char* const* argv) {
  platform::Platform& os = platform::Current();
  MainThreadId = os.GetCurrentThreadId();
  SetMainThreadForDeferredCalls(MainThreadId);
  WideCharacterFlag = 1;
  LaunchDirectory = Slashed(os.GetCurrentDirectory());
  ApplicationFile = Slashed(os.GetModuleFileName());
  ApplicationDirectory = ApplicationDirectoryOf(ApplicationFile);
  os.SetCurrentDirectory(ApplicationDirectory);  // a failure leaves the launch folder current
  ApplicationTitle = u"Quillon Application";
  ApplicationArguments = os.GetCommandLineArguments(argc, argv);
}

int RunProgram(int argc, char** argv, void (*program)()) {
  try {
    // The first call that needs the platform: without one it raises.
    platform::Current().SetUnhandledExceptionFilter(FatalExceptionFilter);
    RuntimeStartup(argc, argv);
    program();
  } catch (const RuntimeError& error) {
    EndWithFatalError(error.ToString());
  } catch (const std::exception& error) {
    EndWithFatalError(FromUtf8(error.what()));
  } catch (...) {
    EndWithFatalError(u"Unhandled exception");
  }
  return 0;
}

const char* FatalExceptionName(std::uint32_t code) {
  struct Entry {
    std::uint32_t code;
    const char* name;
  };
  static constexpr Entry kNames[] = {
      {platform::kExceptionDatatypeMisalignment, "EXCEPTION_DATATYPE_MISALIGNMENT"},
      {platform::kExceptionBreakpoint, "EXCEPTION_BREAKPOINT"},
      {platform::kExceptionSingleStep, "EXCEPTION_SINGLE_STEP"},
      {platform::kExceptionAccessViolation, "EXCEPTION_ACCESS_VIOLATION"},
      {platform::kExceptionInPageError, "EXCEPTION_IN_PAGE_ERROR"},
      {platform::kExceptionIllegalInstruction, "EXCEPTION_ILLEGAL_INSTRUCTION"},
      {platform::kExceptionNoncontinuable, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
      {platform::kExceptionInvalidDisposition, "EXCEPTION_INVALID_DISPOSITION"},
      {platform::kExceptionArrayBoundsExceeded, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
      {platform::kExceptionFltDenormalOperand, "EXCEPTION_FLT_DENORMAL_OPERAND"},
      {platform::kExceptionFltDivideByZero, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
      {platform::kExceptionFltInexactResult, "EXCEPTION_FLT_INEXACT_RESULT"},
      {platform::kExceptionFltInvalidOperation, "EXCEPTION_FLT_INVALID_OPERATION"},
      {platform::kExceptionFltOverflow, "EXCEPTION_FLT_OVERFLOW"},
      {platform::kExceptionFltStackCheck, "EXCEPTION_FLT_STACK_CHECK"},
      {platform::kExceptionFltUnderflow, "EXCEPTION_FLT_UNDERFLOW"},
      {platform::kExceptionIntDivideByZero, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
      {platform::kExceptionIntOverflow, "EXCEPTION_INT_OVERFLOW"},
      {platform::kExceptionPrivInstruction, "EXCEPTION_PRIV_INSTRUCTION"},
      {platform::kExceptionStackOverflow, "EXCEPTION_STACK_OVERFLOW"},
  };
  for (const auto& entry : kNames) {
    if (entry.code == code) return entry.name;
  }
  return "EXCEPTION_UNKNOWN";
}

void WriteFatalExceptionLine(std::uint32_t code) {
  platform::Platform& os = platform::Current();
  os.WriteStandardError("Windows exception: ");
  os.WriteStandardError(FatalExceptionName(code));
  os.WriteStandardError("\n");
}

bool ShowFatalExceptionBox(std::uint32_t code) {
  if (!platform::IsInstalled()) return false;
  platform::Platform& os = platform::Current();
  return os.MessageBox(os.GetActiveWindow(), AsciiText(FatalExceptionName(code)),
                       u"Windows exception", 0) != 0;
}

// Runs inside the platform's fault handling (on Linux a fault-signal
// handler). Only the first line is written with async-signal-safe calls;
// the box and std::exit are not safe there (the fault may have struck inside
// the allocator or the window system while it held a lock). That is accepted
// for a process that is ending anyway, and bounded: a fault inside the
// report ends the process at once, a fault on another thread waits for the
// report, and the watchdog ends the process with the same status if the box
// or an at-exit handler hangs. The standard-error line is the report that
// always survives, also where no box can be shown.
void FatalExceptionFilter(std::uint32_t code) {
  WriteFatalExceptionLine(code);
  platform::Platform& os = platform::Current();
  os.SetFatalWatchdog(kBoxWatchdogSeconds);
  try {
    ShowFatalExceptionBox(code);
  } catch (...) {
    // The report is already on standard error; the process ends either way.
  }
  os.SetFatalWatchdog(kExitWatchdogSeconds);
  std::exit(kFatalExitStatus);
}
