// A program on the native platform, run as a child process by the start-up
// tests, in the way its first argument names:
//   descriptors FOLDER  opens three files in FOLDER and writes its name into
//                       each, writes to standard output, then ends by an
//                       unhandled error (whose text goes to standard error);
//   unanswered-box      faults where a display is, so the fatal box waits
//                       for an answer that never comes.
// The platform is the native one with the fatal report's watchdog cut to
// 2 s, so a test need not wait two minutes for it.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/sdl/sdl_platform.h"
#include "support/error.h"
#include "system/startup.h"
#include "tests/faults.h"

namespace {

class QuickWatchdogPlatform : public platform::sdl::SdlPlatform {
 public:
  void SetFatalWatchdog(unsigned seconds) override {
    SdlPlatform::SetFatalWatchdog(std::min(seconds, 2u));
  }
};

std::string mode;
std::string folder;

void Program() {
  if (mode == "descriptors") {
    // Kept open to the end, as a program keeps the files it works on.
    static std::ofstream files[3];
    for (const char* name : {"a", "b", "c"}) {
      std::ofstream& file = files[name[0] - 'a'];
      file.open(folder + "/" + name);
      file << name << std::flush;
    }
    std::printf("standard output\n");
    std::fflush(stdout);
    throw RuntimeError(u"standard error");
  }
  if (mode == "unanswered-box") faults::WriteToUnmappedPage();
}

}  // namespace

int main(int argc, char** argv) {
  mode = argc > 1 ? argv[1] : "";
  folder = argc > 2 ? argv[2] : "";
  static QuickWatchdogPlatform* const os = new QuickWatchdogPlatform();  // never destroyed
  platform::Install(*os);
  return RunProgram(argc, argv, Program);
}
