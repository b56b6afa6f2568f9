// Frame pacing on the real window: opens the program's 512 by 512 window
// with clock pacing at 60 Hz, presents frames with Flip(PacedFlip) for a while
// (10 seconds unless the first argument says otherwise) and prints the frame
// rate and the spread of the frame intervals, then the cost of a message
// pump that finds nothing to do. Prints figures; asserts nothing.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gfx/flat2d.h"
#include "gfx/gl_flat2d_driver.h"
#include "gfx/graphics.h"
#include "platform/native_platform.h"
#include "support/text.h"
#include "system/polled_input.h"
#include "system/startup.h"
#include "system/system_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  double seconds = 10.0;
  if (argc > 1) {
    seconds = std::atof(argv[1]);
    if (!(seconds > 0.0 && seconds <= 3600.0)) seconds = 10.0;
  }

  platform::InstallNativePlatform();
  StartGLFlat2DModule();
  ApplicationTitle = u"Vuble pacing benchmark";
  if (!OpenGraphics(512, 512, WindowedDepth, 60, 0)) {
    std::fprintf(stderr, "no window: %s\n", ToUtf8(LastGraphicsError()).c_str());
    return 1;
  }

  // A frame as the program makes it: clear, read the pointer (which pumps
  // the messages), present.
  std::vector<Clock::time_point> presented;
  presented.reserve(static_cast<std::size_t>(seconds * 70.0) + 16);
  const Clock::time_point start = Clock::now();
  const Clock::duration length =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  while (Clock::now() - start < length && TerminateRequested() == 0) {
    Cls();
    PointerX();
    Flip(PacedFlip);
    presented.push_back(Clock::now());
  }
  const double elapsed = Millis(presented.empty() ? Clock::duration{} : presented.back() - start);

  std::vector<double> intervals;
  for (std::size_t i = 1; i < presented.size(); ++i) {
    intervals.push_back(Millis(presented[i] - presented[i - 1]));
  }
  if (intervals.empty()) {
    std::fprintf(stderr, "too few frames\n");
    return 1;
  }
  // A frame is late when it comes more than 2 ms after the 16, 17, 17 ms
  // schedule would have it, counted from the frame before.
  static constexpr double kPeriods[3] = {16.0, 17.0, 17.0};
  int late = 0;
  double sum = 0.0;
  for (std::size_t i = 0; i < intervals.size(); ++i) {
    sum += intervals[i];
    if (intervals[i] > kPeriods[(i + 1) % 3] + 2.0) ++late;
  }
  std::vector<double> sorted = intervals;
  std::sort(sorted.begin(), sorted.end());
  const auto at = [&](double q) {
    const std::size_t index = std::min(
        sorted.size() - 1, static_cast<std::size_t>(q * static_cast<double>(sorted.size())));
    return sorted[index];
  };

  std::printf("frames               %zu in %.0f ms\n", presented.size(), elapsed);
  std::printf("frames per second    %.2f\n", 1000.0 * static_cast<double>(intervals.size()) / sum);
  std::printf("interval mean        %.3f ms\n", sum / static_cast<double>(intervals.size()));
  std::printf("interval median      %.3f ms\n", at(0.5));
  std::printf("interval p99         %.3f ms\n", at(0.99));
  std::printf("interval max         %.3f ms\n", sorted.back());
  std::printf("late by over 2 ms    %d\n", late);
  // The schedule's pattern: whole-millisecond intervals of 16 and 17 ms,
  // one of 16 to two of 17.
  int of16 = 0, of17 = 0;
  for (double interval : intervals) {
    const double rounded = std::floor(interval + 0.5);
    of16 += rounded == 16.0 ? 1 : 0;
    of17 += rounded == 17.0 ? 1 : 0;
  }
  std::printf("intervals of 16/17/other ms  %d / %d / %d\n", of16, of17,
              static_cast<int>(intervals.size()) - of16 - of17);

  // The pump with an empty queue, as every polled-input query runs it.
  constexpr int kPolls = 20000;
  const Clock::time_point poll_start = Clock::now();
  for (int i = 0; i < kPolls; ++i) PumpSystemEvents();
  const double poll_ns = 1.0e6 * Millis(Clock::now() - poll_start) / kPolls;
  std::printf("empty poll           %.0f ns\n", poll_ns);

  EndOpenedGraphics();
  return 0;
}
