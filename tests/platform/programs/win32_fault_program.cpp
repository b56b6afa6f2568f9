// A Windows program that faults on purpose, run as a child process by
// win32_fatal_wine_test.cpp: it installs a filter that reports like the
// framework's (the line on standard error first, then the end with status
// 255) and faults in the way its argument names.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/win32_platform.h"
#include "tests/faults.h"

namespace {

platform::win32::Win32Platform* os = nullptr;

void Report(std::uint32_t code) {
  char line[64];
  std::snprintf(line, sizeof line, "Windows exception: %08X\n", code);
  os->WriteStandardError(line);
  os->SetFatalWatchdog(5);
  // Long enough for a second thread's fault to reach the filter too.
  os->Sleep(300);
  std::exit(255);
}

// Faults again before it has armed the watchdog.
void FaultInReport(std::uint32_t) {
  os->WriteStandardError("reporting\n");
  faults::WriteToNowhere();
}

void Hang(std::uint32_t) {
  os->WriteStandardError("hanging\n");
  os->SetFatalWatchdog(1);
  for (;;) os->Sleep(1000);
}

volatile int zero = 0;

// Recurses until the stack runs out (the limit only makes it look finite).
int Recurse(int depth) {
  volatile char block[4096];
  block[0] = static_cast<char>(depth);
  if (depth == zero - 1) return block[0];
  return Recurse(depth + 1) + block[0];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  os = &platform::win32::InstallWin32Platform();
  const std::string how = argv[1];
  os->SetUnhandledExceptionFilter(how == "hang"              ? Hang
                                  : how == "fault-in-report" ? FaultInReport
                                                             : Report);
  if (how == "access" || how == "hang" || how == "fault-in-report") faults::WriteToNowhere();
  if (how == "divide") return 10 / zero;
  if (how == "stack") return Recurse(0);
  if (how == "two-threads") faults::WriteToNowhereOnTwoThreadsAtOnce();
  return 3;
}
