// The Win32 platform's fatal-exception filter under Wine, on a child
// program that faults: the filter gets the real exception code, its line is
// the first on standard error, the status is the filter's, two threads
// faulting at once give one report, a stack overflow is reported too, the
// watchdog ends a report that hangs, and a fault inside the report ends the
// process at once.
#include <gtest/gtest.h>

#include <string>

#include "tests/windows_child_process.h"

namespace {

windows_child::Outcome RunFaulting(const char* how) {
  return windows_child::Run(std::string("\"") + WIN32_FAULT_PROGRAM + "\" " + how);
}

TEST(Win32FatalFilter, ReportsTheRealExceptionCodeFirstAndEndsWithItsStatus) {
  const struct {
    const char* how;
    const char* line;
  } cases[] = {
      {"access", "Windows exception: C0000005\n"},
      {"divide", "Windows exception: C0000094\n"},
      {"stack", "Windows exception: C00000FD\n"},
  };
  for (const auto& c : cases) {
    const windows_child::Outcome outcome = RunFaulting(c.how);
    EXPECT_EQ(outcome.standard_error, c.line) << c.how;
    EXPECT_EQ(outcome.status, 255u) << c.how;
  }
}

TEST(Win32FatalFilter, TwoThreadsFaultingAtOnceGiveOneReport) {
  const windows_child::Outcome outcome = RunFaulting("two-threads");
  EXPECT_EQ(outcome.standard_error, "Windows exception: C0000005\n");
  EXPECT_EQ(outcome.status, 255u);
}

TEST(Win32FatalFilter, WatchdogEndsAReportThatHangs) {
  const windows_child::Outcome outcome = RunFaulting("hang");
  EXPECT_EQ(outcome.standard_error, "hanging\n");
  EXPECT_EQ(outcome.status, 255u);
}

TEST(Win32FatalFilter, FaultInsideTheReportEndsTheProcessAtOnce) {
  const windows_child::Outcome outcome = RunFaulting("fault-in-report");
  EXPECT_EQ(outcome.standard_error, "reporting\n");
  EXPECT_EQ(outcome.status, 255u);
}

}  // namespace
