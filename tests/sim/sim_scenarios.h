// Scripted pointer states for running the frame simulation without a window:
// the five scenarios shared by the walk comparison test and the benchmark.
#pragma once

#include <cmath>
#include <cstdint>

#include "sim/random.h"
#include "sim/simulation.h"

namespace simscenario {

enum class kind { freefall, leftcentre, rightcentre, leftflip, circling };

inline constexpr kind kAll[] = {kind::freefall, kind::leftcentre, kind::rightcentre, kind::leftflip,
                                kind::circling};

inline const char* Name(kind k) {
  switch (k) {
    case kind::freefall: return "FreeFall";
    case kind::leftcentre: return "LeftHeldAtCentre";
    case kind::rightcentre: return "RightHeldAtCentre";
    case kind::leftflip: return "LeftHeldMiddleEvery60";
    case kind::circling: return "LeftHeldCircling";
  }
  return "";
}

// The pointer for frame number `frame` (from 0) of a scenario. A held button
// goes down on frame 0; the middle button is pressed on every 60th frame.
inline pointerview Pointer(kind k, std::int64_t frame) {
  pointerview p;
  p.pointerx = 256;
  p.pointery = 256;
  if (k == kind::freefall) return p;
  const std::int32_t first = frame == 0 ? 1 : 0;
  if (k == kind::rightcentre) {
    p.down2 = 1;
    p.pressed2 = first;
    return p;
  }
  p.down1 = 1;
  p.pressed1 = first;
  if (k == kind::leftflip && frame % 60 == 59) p.pressed3 = 1;
  if (k == kind::circling) {
    const double angle = static_cast<double>(frame % 120) * (3.141592653589793 / 60.0);
    p.pointerx = 256 + static_cast<std::int32_t>(std::lround(150.0 * std::cos(angle)));
    p.pointery = 256 + static_cast<std::int32_t>(std::lround(150.0 * std::sin(angle)));
  }
  return p;
}

// The seed and the number of simulated frames after which a benchmark's
// world has taken a scenario's shape (piled on the floor, gathered at the
// pointer).
inline constexpr std::int32_t kBenchSeed = 777;
inline constexpr std::int64_t kSettleFrames = 300;

// Creates the bodies of `world` from kBenchSeed and runs kSettleFrames
// frames of the scenario; returns the number of the next frame.
inline std::int64_t Settle(simulation& world, kind k, framedrawing& drawing) {
  SeedRandom(kBenchSeed);
  world.createbodies();
  std::int64_t frame = 0;
  for (; frame < kSettleFrames; ++frame) world.frame(Pointer(k, frame), drawing);
  return frame;
}

}  // namespace simscenario
