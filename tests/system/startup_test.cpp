#include "system/startup.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "system/deferred_calls.h"

extern char** environ;

namespace {

using Lines = std::vector<std::string>;

class RuntimeStartupTest : public testing::Test {
 protected:
  void SetUp() override { platform::Install(fake); }
  platform::FakePlatform fake;
};

TEST(ApplicationDirectoryOf, FolderPartKeepsDriveRootSlash) {
  const std::pair<Text, Text> cases[] = {{u"/opt/vuble/bin/program", u"/opt/vuble/bin"},
                                         {u"C:/toy.exe", u"C:/"},
                                         {u"/program", u""},
                                         {u"program", u""},
                                         {u"", u""},
                                         {u"a/b/", u"a/b"}};
  for (const auto& [file, folder] : cases)
    EXPECT_EQ(ApplicationDirectoryOf(file), folder) << ToUtf8(file);
}

TEST_F(RuntimeStartupTest, FillsGlobalsAndMovesToProgramFolder) {
  fake.SetModuleFileName(u"C:\\Games\\Toy\\toy.exe");
  fake.SetCurrentDirectoryText(u"D:\\work\\launch");
  fake.SetMainThread(77);
  ApplicationTitle = u"Left over";
  // The last argument is not UTF-8 (a file name in Latin-1): its bytes are kept.
  const char* argv[] = {"toy", "--size", "m\xC3\xBC", "caf\xE9"};
  RuntimeStartup(4, argv);

  EXPECT_EQ(LaunchDirectory, u"D:/work/launch");
  EXPECT_EQ(ApplicationFile, u"C:/Games/Toy/toy.exe");
  EXPECT_EQ(ApplicationDirectory, u"C:/Games/Toy");
  EXPECT_EQ(fake.GetCurrentDirectory(), u"C:/Games/Toy");
  EXPECT_EQ(ApplicationTitle, u"Quillon Application");
  EXPECT_EQ(ApplicationArguments, (std::vector<Text>{u"toy", u"--size", u"m\u00FC", u"caf\xDCE9"}));
  EXPECT_EQ(ToSystemBytes(ApplicationArguments[3]), "caf\xE9");
  EXPECT_EQ(MainThreadId, 77u);
  EXPECT_EQ(MainThreadForDeferredCalls(), 77u);
}

TEST_F(RuntimeStartupTest, FailedDirectoryChangeIsIgnored) {
  fake.Fail("SetCurrentDirectory");
  const char* argv[] = {"toy"};
  RuntimeStartup(1, argv);
  EXPECT_EQ(fake.CountCalls("SetCurrentDirectory(/opt/vuble/bin)"), 1);
  EXPECT_EQ(ApplicationArguments, std::vector<Text>{u"toy"});
  EXPECT_EQ(LaunchDirectory, u"/home/user");
}

TEST(FatalExceptionName, EveryCodeOfTheTableAndUnknownOnes) {
  const std::pair<std::uint32_t, const char*> cases[] = {
      {0x80000002u, "EXCEPTION_DATATYPE_MISALIGNMENT"},
      {0x80000003u, "EXCEPTION_BREAKPOINT"},
      {0x80000004u, "EXCEPTION_SINGLE_STEP"},
      {0xC0000005u, "EXCEPTION_ACCESS_VIOLATION"},
      {0xC0000006u, "EXCEPTION_IN_PAGE_ERROR"},
      {0xC000001Du, "EXCEPTION_ILLEGAL_INSTRUCTION"},
      {0xC0000025u, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
      {0xC0000026u, "EXCEPTION_INVALID_DISPOSITION"},
      {0xC000008Cu, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
      {0xC000008Du, "EXCEPTION_FLT_DENORMAL_OPERAND"},
      {0xC000008Eu, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
      {0xC000008Fu, "EXCEPTION_FLT_INEXACT_RESULT"},
      {0xC0000090u, "EXCEPTION_FLT_INVALID_OPERATION"},
      {0xC0000091u, "EXCEPTION_FLT_OVERFLOW"},
      {0xC0000092u, "EXCEPTION_FLT_STACK_CHECK"},
      {0xC0000093u, "EXCEPTION_FLT_UNDERFLOW"},
      {0xC0000094u, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
      {0xC0000095u, "EXCEPTION_INT_OVERFLOW"},
      {0xC0000096u, "EXCEPTION_PRIV_INSTRUCTION"},
      {0xC00000FDu, "EXCEPTION_STACK_OVERFLOW"},
      {0u, "EXCEPTION_UNKNOWN"},
      {0xC00000FCu, "EXCEPTION_UNKNOWN"},
      {0xFFFFFFFFu, "EXCEPTION_UNKNOWN"}};
  for (const auto& [code, name] : cases)
    EXPECT_STREQ(FatalExceptionName(code), name) << std::hex << code;
}

TEST_F(RuntimeStartupTest, FatalBoxNamesTheExceptionOverTheActiveWindow) {
  fake.SetActiveWindow(0x4242);
  EXPECT_TRUE(ShowFatalExceptionBox(0xC0000094u));
  fake.Fail("MessageBox");
  EXPECT_FALSE(ShowFatalExceptionBox(0x12345678u));
  ASSERT_EQ(fake.MessageBoxes().size(), 2u);
  const auto& box = fake.MessageBoxes()[0];
  EXPECT_EQ(box.owner, 0x4242u);
  EXPECT_EQ(box.text, u"EXCEPTION_INT_DIVIDE_BY_ZERO");
  EXPECT_EQ(box.caption, u"Windows exception");
  EXPECT_EQ(box.style, 0u);
  EXPECT_EQ(fake.MessageBoxes()[1].text, u"EXCEPTION_UNKNOWN");
}

// --- The program entry, run as a child process -------------------------------

struct Outcome {
  int exit_status = -1;  // -1 when ended by a signal
  int signal = 0;
  Lines error_lines;
};

// Runs the fatal program with mode and no display in its environment.
Outcome RunFatalProgram(const std::string& mode) {
  std::vector<char*> envp;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "DISPLAY=", 8) != 0) envp.push_back(*entry);
  }
  envp.push_back(nullptr);
  std::string program = FATAL_PROGRAM;
  std::string argument = mode;
  char* argv[] = {program.data(), argument.data(), nullptr};
  int pipe_ends[2];
  EXPECT_EQ(pipe2(pipe_ends, O_CLOEXEC), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 2);
  pid_t child = -1;
  EXPECT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t got; (got = read(pipe_ends[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, got);
  close(pipe_ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  Outcome outcome;
  outcome.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
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
