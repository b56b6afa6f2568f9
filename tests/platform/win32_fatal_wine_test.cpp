// The Win32 platform's fatal-exception filter under Wine, on a child
// program that faults: the filter gets the real exception code, its line is
// the first on standard error, the status is the filter's, two threads
// faulting at once give one report, a stack overflow is reported too, and
// the watchdog ends a report that hangs.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
// clang-format on

#include <string>

namespace {

struct Outcome {
  DWORD status = 0;
  std::string standard_error;
};

Outcome RunFaulting(const char* how) {
  Outcome outcome;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) return outcome;
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = write_end;
  startup.hStdOutput = write_end;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  std::string command = std::string("\"") + WIN32_FAULT_PROGRAM + "\" " + how;
  PROCESS_INFORMATION process{};
  const BOOL started = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
  ::CloseHandle(write_end);
  if (started) {
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      outcome.standard_error.append(buffer, got);
    }
    ::WaitForSingleObject(process.hProcess, 30000);
    ::GetExitCodeProcess(process.hProcess, &outcome.status);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  ::CloseHandle(read_end);
  return outcome;
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
    const Outcome outcome = RunFaulting(c.how);
    EXPECT_EQ(outcome.standard_error, c.line) << c.how;
    EXPECT_EQ(outcome.status, 255u) << c.how;
  }
}

TEST(Win32FatalFilter, TwoThreadsFaultingAtOnceGiveOneReport) {
  const Outcome outcome = RunFaulting("two-threads");
  EXPECT_EQ(outcome.standard_error, "Windows exception: C0000005\n");
  EXPECT_EQ(outcome.status, 255u);
}

TEST(Win32FatalFilter, WatchdogEndsAReportThatHangs) {
  const Outcome outcome = RunFaulting("hang");
  EXPECT_EQ(outcome.standard_error, "hanging\n");
  EXPECT_EQ(outcome.status, 255u);
}

}  // namespace
