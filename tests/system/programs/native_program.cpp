// A program on the native platform, run as a child process by the start-up
// tests, in the way its first argument names:
//   descriptors FOLDER  opens three files in FOLDER and writes its name into
//                       each, writes to standard output, then ends by an
//                       unhandled error (whose text goes to standard error);
//   unanswered-box      faults where a display is, so the fatal box waits
//                       for an answer that never comes.
// The platform is the native one with the fatal report's watchdog cut to
// 2 s, so a test need not wait two minutes for it.
#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/sdl/sdl_platform.h"
#include "support/error.h"
#include "system/startup.h"

// The program's own fault signals must reach its handler, not the address
// sanitizer's, when it is built with the sanitizers.
extern "C" const char* __asan_default_options() {
  return "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:use_sigaltstack=0:"
         "detect_leaks=0";
}

namespace {

class QuickWatchdogPlatform : public platform::sdl::SdlPlatform {
 public:
  void SetFatalWatchdog(unsigned seconds) override {
    SdlPlatform::SetFatalWatchdog(std::min(seconds, 2u));
  }
};

std::string mode;
std::string folder;

// A real fault that the undefined-behaviour sanitizer does not stop first.
void WriteToUnmappedPage() {
  void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  *static_cast<volatile int*>(page) = 1;
}

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
  if (mode == "unanswered-box") WriteToUnmappedPage();
}

}  // namespace

int main(int argc, char** argv) {
  mode = argc > 1 ? argv[1] : "";
  folder = argc > 2 ? argv[2] : "";
  static QuickWatchdogPlatform* const os = new QuickWatchdogPlatform();  // never destroyed
  platform::Install(*os);
  return RunProgram(argc, argv, Program);
}
