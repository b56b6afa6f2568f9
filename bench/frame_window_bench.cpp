// The toy's whole frame on the real window (SDL2 platform, system OpenGL):
// opens the program's 512 by 512 window, settles each pointer scenario, then
// runs frames of clear, simulation (grid walk), drawframe and an unpaced
// Flip(ImmediateFlip), and prints the time per frame (median, mean, 99th percentile),
// the frames per second that allows, the process's processor time per frame
// and the shares of drawing, simulation, swap and message pump. Prints figures; asserts nothing.
// Without an X display it says so and exits with status 0.
//
//   build/bench/frame_window_bench [frames per scenario, default 600] [--finish]
//
// GL queues the drawing and renders it later, mostly inside the swap. With
// --finish a glFinish after drawframe is timed on its own ("render"), which
// splits the rendering from the swap but stops the CPU and GL overlapping.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/vuble_toy.h"
#include "gfx/flat2d.h"
#include "gfx/gl_api.h"
#include "gfx/graphics.h"
#include "platform/native_platform.h"
#include "sim/simulation.h"
#include "support/text.h"
#include "system/polled_input.h"
#include "system/startup.h"
#include "system/system_driver.h"
#include "tests/sim/sim_scenarios.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWarmUpDrawn = 30;  // whole frames, to warm the GL driver

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Processor time of the whole process in ms: all threads, the GL driver's
// rendering threads included. A loaded machine stretches it less than the
// wall clock.
double ProcessMillis() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

// The phases of a frame, in the order they run.
enum phase { kDraw, kSimulation, kRender, kSwap, kPump, kPhases };
constexpr const char* kPhaseNames[kPhases] = {"draw", "simulation", "render", "swap", "pump"};

struct frametimes {
  double phase[kPhases] = {};
  double total = 0.0;
};

// Runs one frame as the program does, with the scripted pointer in place of
// the tracker: clear, simulation, drawing, (glFinish,) flip, then the
// message pump of the terminate query.
frametimes RunFrame(simulation& world, framedrawing& drawing, const pointerview& pointer,
                    bool finish, bool& closed) {
  frametimes t;
  const Clock::time_point start = Clock::now();
  Cls();
  const Clock::time_point cleared = Clock::now();
  world.frame(pointer, drawing);
  const Clock::time_point simulated = Clock::now();
  drawframe(drawing);
  const Clock::time_point drawn = Clock::now();
  if (finish) gl.Finish();
  const Clock::time_point rendered = Clock::now();
  Flip(ImmediateFlip);
  const Clock::time_point swapped = Clock::now();
  closed = TerminateRequested() != 0;
  const Clock::time_point pumped = Clock::now();
  t.phase[kDraw] = Millis(cleared - start) + Millis(drawn - simulated);
  t.phase[kSimulation] = Millis(simulated - cleared);
  t.phase[kRender] = Millis(rendered - drawn);
  t.phase[kSwap] = Millis(swapped - rendered);
  t.phase[kPump] = Millis(pumped - swapped);
  t.total = Millis(pumped - start);
  return t;
}

// The q-quantile of sorted values, by the nearest rank below.
double Quantile(const std::vector<double>& sorted, double q) {
  const std::size_t index =
      std::min(sorted.size() - 1, static_cast<std::size_t>(q * static_cast<double>(sorted.size())));
  return sorted[index];
}

// Settles the scenario, measures `frames` frames and prints one line of
// figures. False when the window was closed meanwhile.
bool Scenario(simscenario::kind scenario, int frames, bool finish) {
  simulation world(collisionwalk::grid);
  framedrawing drawing;
  std::int64_t frame = simscenario::Settle(world, scenario, drawing);
  bool closed = false;
  for (int i = 0; i < kWarmUpDrawn && !closed; ++i) {
    RunFrame(world, drawing, simscenario::Pointer(scenario, frame++), finish, closed);
  }

  std::vector<double> totals;
  totals.reserve(static_cast<std::size_t>(frames));
  double sums[kPhases] = {};
  double sum = 0.0;
  std::size_t cells = 0;
  const double cpustart = ProcessMillis();
  for (int i = 0; i < frames && !closed; ++i) {
    const frametimes t =
        RunFrame(world, drawing, simscenario::Pointer(scenario, frame++), finish, closed);
    totals.push_back(t.total);
    sum += t.total;
    for (int p = 0; p < kPhases; ++p) sums[p] += t.phase[p];
    cells += drawing.cells.size();
  }
  const double cpu = ProcessMillis() - cpustart;
  if (totals.empty()) return false;

  std::vector<double> sorted = totals;
  std::sort(sorted.begin(), sorted.end());
  const double count = static_cast<double>(totals.size());
  const double mean = sum / count;
  std::printf("%-22s %6zu %8.3f %8.3f %8.3f %8.1f %8.3f", simscenario::Name(scenario),
              totals.size(), Quantile(sorted, 0.5), mean, Quantile(sorted, 0.99), 1000.0 / mean,
              cpu / count);
  for (int p = 0; p < kPhases; ++p) {
    if (p == kRender && !finish) continue;
    std::printf(" %9.1f%%", 100.0 * sums[p] / sum);
  }
  std::printf(" %6.0f\n", static_cast<double>(cells) / count);
  return !closed;
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 600;
  bool finish = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--finish") == 0) {
      finish = true;
      continue;
    }
    const long n = std::strtol(argv[i], nullptr, 10);
    if (n >= 1 && n <= 1000000) frames = static_cast<int>(n);
  }

  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') {
    std::printf("frame_window_bench needs an X display (DISPLAY is not set); nothing measured\n");
    return 0;
  }

  platform::InstallNativePlatform();
  StartVubleToyModule();
  ApplicationTitle = u"Vuble Toy";
  if (!OpenGraphics(512, 512, WindowedDepth, 60, 0)) {
    std::fprintf(stderr, "the window did not open: %s\n", ToUtf8(LastGraphicsError()).c_str());
    return 1;
  }
  HidePointer();

  std::printf(
      "%d frames per scenario, Flip(0), %s; ms per frame (cpu: processor time of all threads), "
      "shares of the wall-clock frame time\n",
      frames, finish ? "glFinish after drawframe" : "no glFinish");
  std::printf("%-22s %6s %8s %8s %8s %8s %8s", "scenario", "frames", "median", "mean", "p99", "fps",
              "cpu");
  for (int p = 0; p < kPhases; ++p) {
    if (p == kRender && !finish) continue;
    std::printf(" %10s", kPhaseNames[p]);
  }
  std::printf(" %6s\n", "cells");
  for (const simscenario::kind k : simscenario::kAll) {
    if (!Scenario(k, frames, finish)) break;
  }
  EndOpenedGraphics();
  return 0;
}
