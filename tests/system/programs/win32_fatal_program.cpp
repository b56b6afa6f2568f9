// A Windows program that ends in the way its argument names, on the native
// platform through the framework's program entry, run as a child process
// by startup_wine_test.cpp: an access violation, two threads faulting at
// once, an unhandled raised error; or, with "arguments", it writes the
// arguments the framework read, one per line in UTF-8, and ends normally.
// Its at-exit handler writes a marker to standard error.
#include <cstdio>
#include <string>

#include "platform/native_platform.h"
#include "support/error.h"
#include "support/text.h"
#include "system/at_exit.h"
#include "system/startup.h"
#include "tests/faults.h"

namespace {

std::string mode;

void Program() {
  AtExit([] { std::fputs("at-exit handler ran\n", stderr); });
  if (mode == "access") faults::WriteToNowhere();
  if (mode == "two-threads") faults::WriteToNowhereOnTwoThreadsAtOnce();
  if (mode == "raise") throw RuntimeError(u"Too many hook ids");
  if (mode == "arguments") {
    for (const Text& argument : ApplicationArguments) {
      std::fprintf(stderr, "%s\n", ToUtf8(argument).c_str());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  mode = argv[1];
  platform::InstallNativePlatform();
  return RunProgram(argc, argv, Program);
}
