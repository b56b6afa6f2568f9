// The toy's whole frame without a window: clear, the simulation (grid
// collision walk, as the program runs it), drawframe through the 2D layer,
// Flip(ImmediateFlip), on the fake platform with a 512 by 512 window opened as the
// program opens it. Four variants per pointer scenario:
//   simulation  the simulation step alone;
//   drawing     clear, drawframe and the flip alone (the simulation runs
//               with the timer paused) into a GL table whose functions only
//               count their calls: the 2D layer's own cost (state
//               filtering, vertex mapping, the call through the table);
//   null        the whole frame into that counting table;
//   recorder    the whole frame into the GL recorder the tests use, whose
//               text formatting of every call is part of the time.
// Prints, after the usual table, processor ns per frame of each variant
// (a loaded machine disturbs it less than the wall clock), the drawing's
// share and the GL calls per frame.
//
//   build/bench/frame_bench --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/vuble_toy.h"
#include "gfx/flat2d.h"
#include "gfx/gl_api.h"
#include "gfx/gl_recorder.h"
#include "gfx/graphics.h"
#include "platform/fake_platform.h"
#include "sim/simulation.h"
#include "support/text.h"
#include "system/startup.h"
#include "tests/sim/sim_scenarios.h"

namespace {

constexpr std::int64_t kDrawsPerStep = 8;

platform::FakePlatform* fake = nullptr;
GlRecorder* recorder = nullptr;

std::uint64_t nullGlCalls = 0;

// A table slot that counts the call and does nothing else; the slot's
// function type gives the parameter list.
template <typename F>
struct NullGl;
template <typename R, typename... A>
struct NullGl<R (*)(A...)> {
  static R Call(A...) {
    ++nullGlCalls;
    return R();
  }
};

GlApi NullGlApi() {
  GlApi api;
#define FRAME_BENCH_NULL_SLOT(ret, name, ...) api.name = &NullGl<decltype(api.name)>::Call;
  GL_API_FUNCTIONS(FRAME_BENCH_NULL_SLOT)
#undef FRAME_BENCH_NULL_SLOT
  return api;
}

enum class variant { simulation, drawing, null, recorder };

const char* VariantName(variant v) {
  switch (v) {
    case variant::simulation: return "simulation";
    case variant::drawing: return "drawing";
    case variant::null: return "null";
    case variant::recorder: return "recorder";
  }
  return "";
}

// Installs a GL table for one run and puts the previous one back when the
// run ends, however it ends.
class TableSwap {
 public:
  explicit TableSwap(const GlApi& table) : saved_(gl) { gl = table; }
  ~TableSwap() { gl = saved_; }
  TableSwap(const TableSwap&) = delete;
  TableSwap& operator=(const TableSwap&) = delete;

 private:
  GlApi saved_;
};

// GL calls made since the last look, from whichever table is installed.
std::uint64_t TakeGlCalls(variant v) {
  if (v == variant::recorder) {
    const std::uint64_t calls = recorder->Calls().size();
    recorder->ClearCalls();
    return calls;
  }
  const std::uint64_t calls = nullGlCalls;
  nullGlCalls = 0;
  return calls;
}

void WholeFrame(const pointerview& pointer, simulation& world, framedrawing& drawing) {
  Cls();
  world.frame(pointer, drawing);
  drawframe(drawing);
  Flip(ImmediateFlip);
}

void Frame(benchmark::State& state, simscenario::kind scenario, variant v) {
  simulation world(collisionwalk::grid);
  framedrawing drawing;
  std::int64_t frame = simscenario::Settle(world, scenario, drawing);

  const TableSwap swap(v == variant::recorder ? gl : NullGlApi());
  if (v != variant::simulation) {
    WholeFrame(simscenario::Pointer(scenario, frame++), world, drawing);
  }
  TakeGlCalls(v);
  fake->ClearCalls();

  std::uint64_t glcalls = 0;
  std::uint64_t cells = 0;
  std::int64_t draws = 0;
  for (auto _ : state) {
    if (v == variant::simulation) {
      world.frame(simscenario::Pointer(scenario, frame++), drawing);
      benchmark::DoNotOptimize(drawing.lines.data());
    } else if (v == variant::drawing) {
      // The drawing is some twenty times cheaper than the simulation, so
      // stepping the world before every draw would make the run last twenty
      // times its measured time; each settled frame is drawn a few times.
      if (draws++ % kDrawsPerStep == 0) {
        state.PauseTiming();
        world.frame(simscenario::Pointer(scenario, frame++), drawing);
        state.ResumeTiming();
      }
      Cls();
      drawframe(drawing);
      Flip(ImmediateFlip);
      glcalls += TakeGlCalls(v);
      fake->ClearCalls();
    } else {
      WholeFrame(simscenario::Pointer(scenario, frame++), world, drawing);
      glcalls += TakeGlCalls(v);
      // The fake logs the swap; keep its log from growing over the run.
      fake->ClearCalls();
    }
    cells += drawing.cells.size();
  }
  if (v != variant::simulation) {
    state.counters["gl_calls"] =
        benchmark::Counter(static_cast<double>(glcalls), benchmark::Counter::kAvgIterations);
  }
  state.counters["cells"] =
      benchmark::Counter(static_cast<double>(cells), benchmark::Counter::kAvgIterations);
}

// Draws one settled frame into the recorder and the same drawing into the
// null table: both must see the same number of calls, or the null variant
// would not measure the same work. Prints the frame's call mix.
bool CheckTables() {
  simulation world(collisionwalk::grid);
  framedrawing drawing;
  simscenario::Settle(world, simscenario::kind::leftcentre, drawing);
  recorder->ClearCalls();
  Cls();
  drawframe(drawing);
  Flip(ImmediateFlip);
  std::map<std::string, int> mix;
  for (const std::string& call : recorder->Calls()) mix[call.substr(0, call.find('('))] += 1;
  const std::size_t recorded = recorder->Calls().size();
  recorder->ClearCalls();
  std::uint64_t counted = 0;
  {
    const TableSwap swap(NullGlApi());
    nullGlCalls = 0;
    Cls();
    drawframe(drawing);
    Flip(ImmediateFlip);
    counted = nullGlCalls;
  }
  fake->ClearCalls();
  std::printf(
      "one frame (%zu lines, %zu cells): %zu GL calls recorded, %llu counted by the null table\n",
      drawing.lines.size(), drawing.cells.size(), recorded,
      static_cast<unsigned long long>(counted));
  for (const auto& [name, count] : mix) std::printf("  %-12s %d\n", name.c_str(), count);
  if (!recorder->Errors().empty()) {
    std::printf("the recorder saw misuse: %s\n", recorder->Errors().front().c_str());
    return false;
  }
  if (counted != recorded) {
    std::printf("the null table does not see the recorder's calls\n");
    return false;
  }
  return true;
}

// Collects the times per frame of every run so that the summary can be
// printed once all have finished.
class FrameReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string aggregate = run.aggregate_name;
      if (!aggregate.empty() && aggregate != "median") continue;
      const std::string name = run.run_name.function_name;
      times_[name] = run.GetAdjustedRealTime();
      cputimes_[name] = run.GetAdjustedCPUTime();
      const auto calls = run.counters.find("gl_calls");
      if (calls != run.counters.end()) glcalls_[name] = static_cast<double>(calls->second);
      const auto cells = run.counters.find("cells");
      if (cells != run.counters.end()) cells_[name] = static_cast<double>(cells->second);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Processor nanoseconds per frame (the median where repetitions were
  // asked for) of each variant, the drawing's share of the simulation plus
  // the drawing, the whole frame by the wall clock, GL calls and drawn
  // cells per frame.
  void PrintSummary() const {
    std::printf("\n%-22s %10s %10s %7s %10s %12s %10s %9s %6s\n", "scenario", "sim", "drawing",
                "share", "null", "recorder", "null wall", "gl calls", "cells");
    for (const simscenario::kind k : simscenario::kAll) {
      const std::string base = std::string("Frame/") + simscenario::Name(k) + "/";
      const auto sim = cputimes_.find(base + "simulation");
      const auto drawing = cputimes_.find(base + "drawing");
      const auto null = cputimes_.find(base + "null");
      const auto rec = cputimes_.find(base + "recorder");
      if (sim == cputimes_.end() || drawing == cputimes_.end() || null == cputimes_.end() ||
          rec == cputimes_.end()) {
        continue;
      }
      const auto calls = glcalls_.find(base + "null");
      const auto cells = cells_.find(base + "null");
      std::printf("%-22s %10.0f %10.0f %6.1f%% %10.0f %12.0f %10.0f %9.0f %6.0f\n",
                  simscenario::Name(k), sim->second, drawing->second,
                  100.0 * drawing->second / (sim->second + drawing->second), null->second,
                  rec->second, times_.at(base + "null"),
                  calls == glcalls_.end() ? 0.0 : calls->second,
                  cells == cells_.end() ? 0.0 : cells->second);
    }
    std::printf("(processor ns per frame; drawing and null into the counting GL table)\n");
  }

 private:
  std::map<std::string, double> times_;
  std::map<std::string, double> cputimes_;
  std::map<std::string, double> glcalls_;
  std::map<std::string, double> cells_;
};

}  // namespace

int main(int argc, char** argv) {
  // Made before any module starts, so both outlive the at-exit handlers,
  // which may still close the window through them.
  static platform::FakePlatform fakePlatform;
  static GlRecorder glRecorder;
  fake = &fakePlatform;
  recorder = &glRecorder;
  platform::Install(fakePlatform);
  StartVubleToyModule();
  ApplicationTitle = u"Vuble Toy";
  if (!OpenGraphics(512, 512, WindowedDepth, 60, 0)) {
    std::fprintf(stderr, "the window did not open on the fake platform: %s\n",
                 ToUtf8(LastGraphicsError()).c_str());
    return 1;
  }
  if (!CheckTables()) return 1;

  for (const simscenario::kind k : simscenario::kAll) {
    for (const variant v :
         {variant::simulation, variant::drawing, variant::null, variant::recorder}) {
      const std::string name = std::string("Frame/") + simscenario::Name(k) + "/" + VariantName(v);
      benchmark::RegisterBenchmark(name.c_str(),
                                   [k, v](benchmark::State& state) { Frame(state, k, v); });
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  FrameReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  benchmark::Shutdown();
  EndOpenedGraphics();
  return 0;
}
