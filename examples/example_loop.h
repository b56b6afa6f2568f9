// Shared by the example programs: the loop condition every example uses.
// "--frames N" on the command line makes an example quit by itself after N
// frames with status 0 (the smoke tests run them so); without it an example
// runs until its window is closed or Escape is pressed.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "system/polled_input.h"
#include "system/startup.h"

// The N of "--frames N", or 0 when the option is absent or not a number.
inline int ExampleFrameLimit() {
  for (std::size_t i = 1; i + 1 < ApplicationArguments.size(); ++i) {
    if (ApplicationArguments[i] == u"--frames") {
      const long n = std::strtol(ToUtf8(ApplicationArguments[i + 1]).c_str(), nullptr, 10);
      return n > 0 && n < 1000000 ? static_cast<int>(n) : 0;
    }
  }
  return 0;
}

// Whether frame number `frame` (counted from 0) should still be drawn. Reads
// the close request and the Escape key, which also pumps the window's
// messages.
inline bool ExampleKeepsRunning(int frame) {
  static const int limit = ExampleFrameLimit();
  if (TerminateRequested() || KeyHits(platform::VK_ESCAPE) > 0) return false;
  return limit == 0 || frame < limit;
}
