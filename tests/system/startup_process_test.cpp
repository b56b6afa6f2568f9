// The program entry's ends on Linux, run as a child process (the fatal
// program, on the fake platform with the Linux fault handling; the native
// program, on the native platform): exit statuses, standard-error texts and
// at-exit order. Windows has its own
// (startup_wine_test.cpp).
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/program_process.h"

extern char** environ;

namespace {

using Lines = std::vector<std::string>;

struct Outcome {
  int exit_status = -1;  // -1 when ended by a signal or still running
  int signal = 0;
  Lines error_lines;
};

// Runs the fatal program with mode and no display in its environment.
Outcome RunFatalProgram(const std::string& mode) {
  ProgramProcess process(FATAL_PROGRAM, {"DISPLAY"}, {mode});
  EXPECT_TRUE(process.Started());
  const int status = process.WaitForExit(std::chrono::seconds(60));
  Outcome outcome;
  outcome.signal = process.Signal();
  outcome.exit_status = outcome.signal == 0 ? status : -1;
  const std::string output = process.Stderr();
  for (std::size_t begin = 0, end; begin < output.size(); begin = end + 1) {
    end = output.find('\n', begin);
    if (end == std::string::npos) end = output.size();
    outcome.error_lines.push_back(output.substr(begin, end - begin));
  }
  return outcome;
}

TEST(ProgramEntry, NormalReturnExitsZeroThroughHandlers) {
  const Outcome outcome = RunFatalProgram("title");
  EXPECT_EQ(outcome.exit_status, 0);
  // The start-up ran before the program (the fake's executable folder), and
  // the handlers ran newest first.
  EXPECT_EQ(outcome.error_lines,
            (Lines{"Quillon Application|/opt/vuble/bin|2", "exit handler 2", "exit handler 1"}));
}

TEST(ProgramEntry, UnhandledErrorsWriteTheirTextAndExit255) {
  for (const auto& [mode, text] :
       {std::pair<std::string, std::string>{"error", "Too many hook ids"},
        {"std-error", "vector index out of range"}}) {
    const Outcome outcome = RunFatalProgram(mode);
    EXPECT_EQ(outcome.exit_status, 255) << mode;
    EXPECT_EQ(outcome.error_lines, (Lines{text, "exit handler 2", "exit handler 1"})) << mode;
  }
}

TEST(ProgramEntry, NoPlatformInstalledNamesTheInstallCallAndExits255) {
  const Outcome outcome = RunFatalProgram("no-platform");
  EXPECT_EQ(outcome.exit_status, 255) << "signal " << outcome.signal;
  EXPECT_EQ(outcome.error_lines,
            Lines{"No platform installed: call platform::InstallNativePlatform() first"});
}

TEST(ProgramEntry, FaultsAreNamedOnStandardErrorAndExit255) {
  const std::pair<std::string, std::string> cases[] = {
      {"segv", "EXCEPTION_ACCESS_VIOLATION"},
      {"intdiv", "EXCEPTION_INT_DIVIDE_BY_ZERO"},
      {"stack", "EXCEPTION_STACK_OVERFLOW"},
      {"illegal", "EXCEPTION_ILLEGAL_INSTRUCTION"}};
  for (const auto& [mode, name] : cases) {
    const Outcome outcome = RunFatalProgram(mode);
    EXPECT_EQ(outcome.exit_status, 255) << mode << " signal " << outcome.signal;
    // The line first; then the box was asked for over the active window
    // (0x123) and failed for want of a display; the handlers ran after it.
    EXPECT_EQ(outcome.error_lines,
              (Lines{"Windows exception: " + name, "exit handler 2",
                     "box: " + name + "|Windows exception|0|291", "exit handler 1"}))
        << mode;
  }
}

TEST(ProgramEntry, FaultInsideTheReportEndsTheProcess) {
  const Outcome outcome = RunFatalProgram("exit-fault");
  EXPECT_EQ(outcome.signal, SIGSEGV);
  // Reported once; the faulting handler was the newest, so none ran after it.
  EXPECT_EQ(outcome.error_lines, Lines{"Windows exception: EXCEPTION_ACCESS_VIOLATION"});
}

TEST(ProgramEntry, FaultOnAnotherThreadDuringTheReportWaitsForIt) {
  const Outcome outcome = RunFatalProgram("thread-fault");
  EXPECT_EQ(outcome.exit_status, 255) << "signal " << outcome.signal;
  // One report; every handler ran, the one that saw the second fault too.
  EXPECT_EQ(
      outcome.error_lines,
      (Lines{"Windows exception: EXCEPTION_ACCESS_VIOLATION", "exit handler 3", "exit handler 2",
             "box: EXCEPTION_ACCESS_VIOLATION|Windows exception|0|291", "exit handler 1"}));
}

TEST(ProgramEntry, HangingExitHandlerIsEndedByTheWatchdogWithTheFatalStatus) {
  const Outcome outcome = RunFatalProgram("exit-hang");
  EXPECT_EQ(outcome.exit_status, 255) << "signal " << outcome.signal;
  EXPECT_EQ(outcome.error_lines, Lines{"Windows exception: EXCEPTION_ACCESS_VIOLATION"});
}

#ifdef NATIVE_PROGRAM
// Started with standard input, output and error closed, a program on the
// native platform gets them back on /dev/null before it opens anything, so
// the files it opens next do not receive its output or its error text.
TEST(ProgramEntry, ClosedStandardDescriptorsDoNotBecomeItsFiles) {
  char folder[] = "/tmp/vuble-descriptors-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::string program = NATIVE_PROGRAM;
  std::string mode = "descriptors";
  char* argv[] = {program.data(), mode.data(), folder, nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd = 0; fd <= 2; ++fd) posix_spawn_file_actions_addclose(&actions, fd);
  pid_t child = -1;
  ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 255) << status;
  for (const std::string name : {"a", "b", "c"}) {
    std::ifstream file(std::string(folder) + "/" + name);
    const std::string content((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    EXPECT_EQ(content, name);
    std::remove((std::string(folder) + "/" + name).c_str());
  }
  rmdir(folder);
}
#endif

}  // namespace
