// The fault-report and memory calls the start-up and the toy's entry still
// make under their Linux names, answered by the Win32 platform's own
// operations until those calls go through the seam.
#include "platform/linux_memory.h"
#include "platform/posix_fatal.h"
#include "platform/win32/win32_platform.h"

namespace platform {

void posix_fatal::InstallFatalSignalHandlers(Filter filter) {
  win32::TheWin32Platform().SetUnhandledExceptionFilter(filter);
}

void posix_fatal::WriteToStandardError(const char* text) {
  win32::TheWin32Platform().WriteStandardError(text);
}

void posix_fatal::ArmWatchdog(unsigned seconds) {
  win32::TheWin32Platform().SetFatalWatchdog(seconds);
}

void linux_memory::ReturnFreedLargeBlocks() { win32::TheWin32Platform().HeapOptimizeResources(); }

}  // namespace platform
