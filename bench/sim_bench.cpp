// One frame of the 1100-body simulation in five pointer scenarios, with the
// literal collision walk and the grid walk side by side. Prints, after the
// usual table, the ratio of literal to grid time per scenario.
//
//   build/bench/sim_bench --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true
//
// For instruction counts, which a busy machine does not disturb, one
// scenario and walk can be run alone for a fixed number of frames after the
// warm-up, all of them inside measuredframes():
//
//   valgrind --tool=callgrind --toggle-collect='*measuredframes*'
//       build/bench/sim_bench --frames=LeftHeldAtCentre/grid/50
// and the collected instructions divided by the frame count.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "sim/simulation.h"
#include "tests/sim/sim_scenarios.h"

namespace {

const char* WalkName(collisionwalk walk) {
  return walk == collisionwalk::literal ? "literal" : "grid";
}

struct settledworld {
  simulation world;
  framedrawing drawing;
  std::int64_t frame = 0;
  settledworld(simscenario::kind scenario, collisionwalk walk) : world(walk) {
    frame = simscenario::Settle(world, scenario, drawing);
  }
};

[[gnu::noinline]] void measuredframes(settledworld& s, simscenario::kind scenario,
                                      std::int64_t count) {
  for (std::int64_t i = 0; i < count; ++i, ++s.frame)
    s.world.frame(simscenario::Pointer(scenario, s.frame), s.drawing);
}

// Runs "--frames=SCENARIO/WALK/COUNT"; false when the text names no
// scenario or walk.
bool CountFrames(const std::string& what) {
  for (const simscenario::kind k : simscenario::kAll) {
    for (const collisionwalk walk : {collisionwalk::literal, collisionwalk::grid}) {
      const std::string prefix = std::string(simscenario::Name(k)) + "/" + WalkName(walk) + "/";
      if (what.rfind(prefix, 0) != 0) continue;
      const long count = std::strtol(what.c_str() + prefix.size(), nullptr, 10);
      if (count <= 0 || count > 100000) return false;
      settledworld s(k, walk);
      const std::uint64_t before = s.world.overlaptests;
      measuredframes(s, k, count);
      std::printf("%s: %ld frames, %.0f overlap tests per frame\n", what.c_str(), count,
                  static_cast<double>(s.world.overlaptests - before) / static_cast<double>(count));
      return true;
    }
  }
  return false;
}

void Frame(benchmark::State& state, simscenario::kind scenario, collisionwalk walk) {
  settledworld s(scenario, walk);
  simulation& world = s.world;
  framedrawing& drawing = s.drawing;
  std::int64_t& frame = s.frame;
  const std::uint64_t testsbefore = world.overlaptests;
  for (auto _ : state) {
    world.frame(simscenario::Pointer(scenario, frame), drawing);
    ++frame;
    benchmark::DoNotOptimize(drawing.lines.data());
  }
  state.counters["overlap_tests"] = benchmark::Counter(
      static_cast<double>(world.overlaptests - testsbefore), benchmark::Counter::kAvgIterations);
}

// Collects the time per frame of every run so that the ratios can be printed
// once all have finished.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string aggregate = run.aggregate_name;
      if (!aggregate.empty() && aggregate != "median") continue;
      std::string name = run.run_name.function_name;
      times_[name] = run.GetAdjustedRealTime();
      cputimes_[name] = run.GetAdjustedCPUTime();
      tests_[name] = run.counters.count("overlap_tests")
                         ? static_cast<double>(run.counters.at("overlap_tests"))
                         : 0.0;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    // Nanoseconds per frame (the median where repetitions were asked for),
    // exact overlap tests per frame, and literal over grid time: by wall
    // clock, and by processor time, which a busy machine disturbs less.
    std::printf("\n%-22s %12s %12s %13s %10s %7s %7s\n", "scenario", "literal ns", "grid ns",
                "literal tests", "grid tests", "ratio", "cpu");
    for (const simscenario::kind k : simscenario::kAll) {
      const std::string base = std::string("Frame/") + simscenario::Name(k) + "/";
      const auto literal = times_.find(base + "literal");
      const auto grid = times_.find(base + "grid");
      if (literal == times_.end() || grid == times_.end()) continue;
      std::printf("%-22s %12.0f %12.0f %13.0f %10.0f %7.2f %7.2f\n", simscenario::Name(k),
                  literal->second, grid->second, tests_.at(base + "literal"),
                  tests_.at(base + "grid"), literal->second / grid->second,
                  cputimes_.at(base + "literal") / cputimes_.at(base + "grid"));
    }
  }

 private:
  std::map<std::string, double> times_;
  std::map<std::string, double> cputimes_;
  std::map<std::string, double> tests_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]).rfind("--frames=", 0) == 0) {
    if (CountFrames(argv[1] + 9)) return 0;
    std::fprintf(stderr, "usage: sim_bench --frames=SCENARIO/literal|grid/COUNT\n");
    return 2;
  }
  for (const simscenario::kind k : simscenario::kAll) {
    for (const collisionwalk walk : {collisionwalk::literal, collisionwalk::grid}) {
      const std::string name = std::string("Frame/") + simscenario::Name(k) + "/" + WalkName(walk);
      benchmark::RegisterBenchmark(name.c_str(),
                                   [k, walk](benchmark::State& state) { Frame(state, k, walk); });
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
