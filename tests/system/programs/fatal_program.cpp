// A program that ends in the way its first argument names, run as a child
// process by the start-up tests: an unhandled error, a fault signal of each
// kind, a normal return, faults whose report meets a second fault (on the
// reporting thread or on another) or a hanging at-exit handler, and a
// program entry with no platform installed. It runs on the fake platform
// with the Linux fault handling behind it; its at-exit handlers write
// markers (and the boxes the fake was asked for) to standard error.
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "platform/fake_platform.h"
#include "platform/linux/linux_fatal.h"
#include "support/error.h"
#include "system/at_exit.h"
#include "system/startup.h"
#include "tests/faults.h"

namespace {

// The fake, except that faults are caught, reported and watched for real.
class FaultingPlatform : public platform::FakePlatform {
 public:
  void SetUnhandledExceptionFilter(platform::ExceptionFilter filter) override {
    platform::linux_fatal::InstallFatalSignalHandlers(filter);
  }
  void WriteStandardError(const char* text) override {
    platform::linux_fatal::WriteToStandardError(text);
  }
  void SetFatalWatchdog(unsigned seconds) override { platform::linux_fatal::ArmWatchdog(seconds); }
};

platform::FakePlatform* fake = nullptr;
std::string mode;

void Say(const char* text) { (void)!write(STDERR_FILENO, text, std::strlen(text)); }

volatile int divisor = 0;
volatile int quotient = 0;
void DivideByZero() { quotient = 1000 / divisor; }

// The recursion keeps a live array per frame and uses it after the call, so
// the compiler can turn it neither into a loop nor into a tail call.
volatile int stop_at = -1;
int Recurse(int depth) {
  volatile char frame[512];
  frame[depth % 512] = static_cast<char>(depth);
  if (depth == stop_at) return 0;
  return Recurse(depth + 1) + frame[depth % 512];
}

void Program() {
  AtExit([] { Say("exit handler 1\n"); });
  AtExit([] {
    Say("exit handler 2\n");
    for (const auto& box : fake->MessageBoxes()) {
      const std::string line = "box: " + ToUtf8(box.text) + "|" + ToUtf8(box.caption) + "|" +
                               std::to_string(box.style) + "|" + std::to_string(box.owner) + "\n";
      Say(line.c_str());
    }
  });
  if (mode == "exit-fault") AtExit([] { faults::WriteToUnmappedPage(); });
  if (mode == "thread-fault") {
    // A worker thread faults while the report runs the at-exit handlers.
    static std::atomic<bool> fault_now{false};
    std::thread([] {
      while (!fault_now.load()) usleep(1000);
      faults::WriteToUnmappedPage();
    }).detach();
    AtExit([] {
      fault_now.store(true);
      usleep(300 * 1000);
      Say("exit handler 3\n");
    });
  }
  if (mode == "exit-hang")
    AtExit([] {
      for (;;) pause();
    });

  if (mode == "error") throw RuntimeError(u"Too many hook ids");
  if (mode == "std-error") throw std::out_of_range("vector index out of range");
  if (mode == "segv" || mode == "exit-fault" || mode == "exit-hang" || mode == "thread-fault")
    faults::WriteToUnmappedPage();
  if (mode == "intdiv") DivideByZero();
  if (mode == "stack") std::printf("%d\n", Recurse(0));
  if (mode == "illegal") __builtin_trap();
  if (mode == "title") {
    const std::string line = ToUtf8(ApplicationTitle) + "|" + ToUtf8(ApplicationDirectory) + "|" +
                             std::to_string(ApplicationArguments.size()) + "\n";
    Say(line.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  mode = argc > 1 ? argv[1] : "";
  fake = new FaultingPlatform();  // outlives every at-exit handler
  fake->SetActiveWindow(0x123);
  // As with no display: no box can be shown.
  fake->Fail("MessageBox");
  if (mode != "no-platform") platform::Install(*fake);
  return RunProgram(argc, argv, Program);
}
