#include "system/startup.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "platform/posix_fatal.h"
#include "system/deferred_calls.h"

extern char** environ;

namespace {

namespace fatal = platform::posix_fatal;

class RuntimeStartupTest : public testing::Test {
 protected:
  void SetUp() override { platform::Install(fake); }
  platform::FakePlatform fake;
};

TEST(ApplicationDirectoryOf, FolderPartKeepsDriveRootSlash) {
  struct Case {
    const char16_t* file;
    const char16_t* directory;
  };
  const Case cases[] = {
      {u"/opt/vuble/bin/program", u"/opt/vuble/bin"},
      {u"C:/Games/Toy/toy.exe", u"C:/Games/Toy"},
      {u"C:/toy.exe", u"C:/"},  // drive root: the "/" stays
      {u"/program", u""},       // a "/" only at the first character
      {u"program", u""},
      {u"", u""},
      {u"a/b/", u"a/b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ApplicationDirectoryOf(c.file), Text(c.directory)) << ToUtf8(c.file);
  }
}

TEST_F(RuntimeStartupTest, FillsGlobalsAndMovesToProgramFolder) {
  fake.SetModuleFileName(u"C:\\Games\\Toy\\toy.exe");
  fake.SetCurrentDirectoryText(u"D:\\work\\launch");
  fake.SetMainThread(77);
  ApplicationTitle = u"Left over";
  const char* argv[] = {"toy", "--size", "m\xC3\xBC"};
  RuntimeStartup(3, argv);

  EXPECT_EQ(LaunchDirectory, u"D:/work/launch");
  EXPECT_EQ(ApplicationFile, u"C:/Games/Toy/toy.exe");
  EXPECT_EQ(ApplicationDirectory, u"C:/Games/Toy");
  EXPECT_EQ(fake.CallsStartingWith("SetCurrentDirectory"),
            std::vector<std::string>{"SetCurrentDirectory(C:/Games/Toy)"});
  EXPECT_EQ(fake.GetCurrentDirectory(), u"C:/Games/Toy");
  EXPECT_EQ(ApplicationTitle, u"Quillon Application");
  EXPECT_EQ(ApplicationArguments, (std::vector<Text>{u"toy", u"--size", u"m\u00FC"}));
  EXPECT_EQ(MainThreadId, 77u);
  EXPECT_EQ(MainThreadForDeferredCalls(), 77u);
  EXPECT_EQ(WideCharacterFlag, 1);
}

TEST_F(RuntimeStartupTest, OnlyProgramNameAndFailedDirectoryChange) {
  fake.SetModuleFileName(u"C:\\toy.exe");
  fake.Fail("SetCurrentDirectory");
  const char* argv[] = {"toy"};
  RuntimeStartup(1, argv);
  EXPECT_EQ(ApplicationDirectory, u"C:/");
  EXPECT_EQ(ApplicationArguments, std::vector<Text>{u"toy"});
  // The failure is ignored: the launch folder stays current.
  EXPECT_EQ(fake.GetCurrentDirectory(), u"/home/user");
  EXPECT_EQ(LaunchDirectory, u"/home/user");
}

TEST(FatalExceptionName, EveryCodeOfTheTableAndUnknownOnes) {
  struct Case {
    std::uint32_t code;
    const char* name;
  };
  const Case cases[] = {
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
      {0xC0000001u, "EXCEPTION_UNKNOWN"},
      {0xC00000FCu, "EXCEPTION_UNKNOWN"},
      {0xFFFFFFFFu, "EXCEPTION_UNKNOWN"},
  };
  for (const auto& c : cases) EXPECT_STREQ(FatalExceptionName(c.code), c.name) << std::hex << c.code;
}

TEST(ExceptionCodeForSignal, SignalAndReasonPickTheCode) {
  struct Case {
    int signal;
    int si_code;
    bool on_guard;
    const char* name;
  };
  const Case cases[] = {
      {SIGSEGV, SEGV_MAPERR, false, "EXCEPTION_ACCESS_VIOLATION"},
      {SIGSEGV, SEGV_ACCERR, false, "EXCEPTION_ACCESS_VIOLATION"},
      {SIGSEGV, SEGV_MAPERR, true, "EXCEPTION_STACK_OVERFLOW"},
      {SIGFPE, FPE_INTDIV, false, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
      {SIGFPE, FPE_INTOVF, false, "EXCEPTION_INT_OVERFLOW"},
      {SIGFPE, FPE_FLTDIV, false, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
      {SIGFPE, FPE_FLTOVF, false, "EXCEPTION_FLT_OVERFLOW"},
      {SIGFPE, FPE_FLTUND, false, "EXCEPTION_FLT_UNDERFLOW"},
      {SIGFPE, FPE_FLTRES, false, "EXCEPTION_FLT_INEXACT_RESULT"},
      {SIGFPE, FPE_FLTINV, false, "EXCEPTION_FLT_INVALID_OPERATION"},
      {SIGFPE, SI_USER, false, "EXCEPTION_UNKNOWN"},
      {SIGILL, ILL_PRVOPC, false, "EXCEPTION_PRIV_INSTRUCTION"},
      {SIGILL, ILL_ILLOPN, false, "EXCEPTION_ILLEGAL_INSTRUCTION"},
      {SIGBUS, BUS_ADRALN, false, "EXCEPTION_DATATYPE_MISALIGNMENT"},
      {SIGBUS, BUS_ADRERR, false, "EXCEPTION_IN_PAGE_ERROR"},
      {SIGTRAP, TRAP_TRACE, false, "EXCEPTION_SINGLE_STEP"},
      {SIGTRAP, TRAP_BRKPT, false, "EXCEPTION_BREAKPOINT"},
      {SIGTERM, 0, false, "EXCEPTION_UNKNOWN"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(FatalExceptionName(fatal::ExceptionCodeForSignal(c.signal, c.si_code, c.on_guard)),
                 c.name)
        << c.signal << "/" << c.si_code;
  }
}

TEST(OnStackGuard, FaultsJustBelowTheStackLimit) {
  const std::uintptr_t low = 0x7f0000000000;
  EXPECT_TRUE(fatal::OnStackGuard(low - 8, low));
  EXPECT_TRUE(fatal::OnStackGuard(low - 256 * 4096, low));
  EXPECT_TRUE(fatal::OnStackGuard(low, low));  // the last page of the stack
  EXPECT_FALSE(fatal::OnStackGuard(low + 64 * 4096, low));
  EXPECT_FALSE(fatal::OnStackGuard(low - 64 * 1024 * 1024, low));
  EXPECT_FALSE(fatal::OnStackGuard(16, low));
  EXPECT_TRUE(fatal::OnStackGuard(0, 4096));  // no wrap below address 0
}

TEST_F(RuntimeStartupTest, FatalBoxNamesTheExceptionOverTheActiveWindow) {
  fake.SetActiveWindow(0x4242);
  EXPECT_TRUE(ShowFatalExceptionBox(0xC0000094u));
  ASSERT_EQ(fake.MessageBoxes().size(), 1u);
  const auto& box = fake.MessageBoxes()[0];
  EXPECT_EQ(box.owner, 0x4242u);
  EXPECT_EQ(box.text, u"EXCEPTION_INT_DIVIDE_BY_ZERO");
  EXPECT_EQ(box.caption, u"Windows exception");
  EXPECT_EQ(box.style, 0u);

  fake.Fail("MessageBox");
  EXPECT_FALSE(ShowFatalExceptionBox(0x12345678u));
  EXPECT_EQ(fake.MessageBoxes().back().text, u"EXCEPTION_UNKNOWN");
}

// --- The program entry, run as a child process -------------------------------

struct Outcome {
  bool exited = false;
  int exit_status = -1;
  int signal = 0;
  bool timed_out = false;
  std::string error_output;
};

// Runs the fatal program with mode, no display in its environment, and
// collects its standard error and how it ended.
Outcome RunFatalProgram(const std::string& mode) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "DISPLAY=", 8) != 0 && std::strncmp(*entry, "WAYLAND_DISPLAY=", 16) != 0) {
      environment.emplace_back(*entry);
    }
  }
  std::vector<char*> envp;
  for (auto& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = FATAL_PROGRAM;
  std::string argument = mode;
  char* argv[] = {program.data(), argument.data(), nullptr};

  int pipe_ends[2];
  EXPECT_EQ(pipe2(pipe_ends, O_CLOEXEC), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 2);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t child = -1;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_ends[1]);
  Outcome outcome;
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << program;
    close(pipe_ends[0]);
    return outcome;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (;;) {
    pollfd readable{pipe_ends[0], POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      outcome.timed_out = true;
      kill(child, SIGKILL);
      break;
    }
    if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t got = read(pipe_ends[0], buffer, sizeof buffer);
    if (got <= 0) break;
    outcome.error_output.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipe_ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  outcome.exited = WIFEXITED(status);
  outcome.exit_status = outcome.exited ? WEXITSTATUS(status) : -1;
  outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return outcome;
}

// The lines of a text that are not sanitizer chatter.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (line.rfind("==", 0) != 0 && line.rfind("WARNING:", 0) != 0) lines.push_back(line);
    begin = end + 1;
  }
  return lines;
}

const std::vector<std::string> kHandlersNewestFirst = {"exit handler 2", "exit handler 1"};

std::vector<std::string> Plus(std::vector<std::string> first, const std::vector<std::string>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

TEST(ProgramEntry, NormalReturnExitsZeroThroughHandlers) {
  const Outcome outcome = RunFatalProgram("title");
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(outcome.exit_status, 0);
  // The start-up ran before the program: the fake's executable folder.
  EXPECT_EQ(Lines(outcome.error_output),
            Plus({"Quillon Application|/opt/vuble/bin|2"}, kHandlersNewestFirst));
}

TEST(ProgramEntry, UnhandledErrorsWriteTheirTextAndExit255) {
  for (const auto& [mode, text] : {std::pair<std::string, std::string>{"error", "Too many hook ids"},
                                   {"std-error", "vector index out of range"}}) {
    const Outcome outcome = RunFatalProgram(mode);
    EXPECT_TRUE(outcome.exited) << mode;
    EXPECT_EQ(outcome.exit_status, 255) << mode;
    EXPECT_EQ(Lines(outcome.error_output), Plus({text}, kHandlersNewestFirst)) << mode;
  }
}

TEST(ProgramEntry, FaultsAreNamedOnStandardErrorAndExit255) {
  const std::pair<std::string, std::string> cases[] = {
      {"segv", "EXCEPTION_ACCESS_VIOLATION"},
      {"intdiv", "EXCEPTION_INT_DIVIDE_BY_ZERO"},
      {"stack", "EXCEPTION_STACK_OVERFLOW"},
      {"illegal", "EXCEPTION_ILLEGAL_INSTRUCTION"},
  };
  for (const auto& [mode, name] : cases) {
    const Outcome outcome = RunFatalProgram(mode);
    EXPECT_TRUE(outcome.exited) << mode << " signal " << outcome.signal;
    EXPECT_EQ(outcome.exit_status, 255) << mode;
    // The line comes first; the box was asked for over the active window
    // (0x123), failed for want of a display, and the handlers ran after it.
    EXPECT_EQ(Lines(outcome.error_output),
              (std::vector<std::string>{"Windows exception: " + name, "exit handler 2",
                                        "box: " + name + "|Windows exception|0|291",
                                        "exit handler 1"}))
        << mode << ":\n"
        << outcome.error_output;
  }
}

TEST(ProgramEntry, SecondFaultDuringTheReportEndsTheProcess) {
  const Outcome outcome = RunFatalProgram("exit-fault");
  EXPECT_FALSE(outcome.timed_out);
  EXPECT_EQ(outcome.signal, SIGSEGV);
  // Reported once; the faulting handler was the newest, so none ran after it.
  EXPECT_EQ(Lines(outcome.error_output),
            std::vector<std::string>{"Windows exception: EXCEPTION_ACCESS_VIOLATION"});
}

TEST(ProgramEntry, HangingExitHandlerIsEndedByTheWatchdog) {
  const auto started = std::chrono::steady_clock::now();
  const Outcome outcome = RunFatalProgram("exit-hang");
  EXPECT_FALSE(outcome.timed_out);
  EXPECT_EQ(outcome.signal, SIGALRM);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  EXPECT_EQ(Lines(outcome.error_output),
            std::vector<std::string>{"Windows exception: EXCEPTION_ACCESS_VIOLATION"});
}

}  // namespace
