// The toy's world and its frame: the bodies, the pointer force, the body
// steps with walls and collisions, and the density grid. The main program
// feeds it the pointer tracker's view once per frame and draws what it
// reports; tests and benchmarks run it without a window.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/body.h"
#include "sim/collision_grid.h"
#include "sim/vect2d.h"

// The pointer tracker's state that the frame reads (pixels; 0 or 1 flags).
struct pointerview {
  std::int32_t pointerx = 0;
  std::int32_t pointery = 0;
  std::int32_t down1 = 0;
  std::int32_t down2 = 0;
  std::int32_t pressed1 = 0;
  std::int32_t pressed2 = 0;
  std::int32_t pressed3 = 0;
};

struct rgb {
  std::int32_t red = 0;
  std::int32_t green = 0;
  std::int32_t blue = 0;
};

inline constexpr rgb kMotionLineColor{64, 64, 72};
inline constexpr rgb kPointerMarkColor{255, 255, 255};

// One body's step, drawn with DrawLine(x1, y1, x2, y2, 1) in kMotionLineColor:
// from the new position back to the one before the move, in pixels.
struct motionline {
  float x1 = 0.0f;
  float y1 = 0.0f;
  float x2 = 0.0f;
  float y2 = 0.0f;
};

// A non-empty density cell, drawn with SetColor(color) and
// DrawRect(2 * column, 2 * row, 2, 2).
struct densitycell {
  std::int32_t column = 0;
  std::int32_t row = 0;
  std::int32_t count = 0;
  rgb color;
};

// The pointer mark: Plot(x1, y1) then Plot(x2, y2) in kPointerMarkColor; a
// horizontal pair while the pointer pulls, a vertical pair while it pushes.
struct pointermark {
  float x1 = 0.0f;
  float y1 = 0.0f;
  float x2 = 0.0f;
  float y2 = 0.0f;
};

// What one frame draws, in drawing order: every line (in body order), then
// the cells (column by column, rows within a column), then the mark.
struct framedrawing {
  std::vector<motionline> lines;
  std::vector<densitycell> cells;
  pointermark mark;
};

// How a body's collision walk finds the later bodies it overlaps: by testing
// every one along the list, or through a grid that skips the pairs that
// cannot overlap. Both resolve the same collisions with the same results.
enum class collisionwalk { literal, grid };

class simulation {
 public:
  static constexpr int kBodyCount = 1100;
  static constexpr int kDensityCells = 256;

  explicit simulation(collisionwalk walk = collisionwalk::grid);
  simulation(const simulation&) = delete;
  simulation& operator=(const simulation&) = delete;

  // Creates `count` bodies from the random source: for each body it draws
  // y, x, radius and mass, in this order.
  void createbodies(int count = kBodyCount);
  // Runs one frame for the given pointer state and fills `out` with what the
  // frame draws.
  void frame(const pointerview& pointer, framedrawing& out);

  TList bodylist;
  // The attracting point's mass: positive pulls, negative pushes.
  float pointermass = 30000.0f;
  vect2d gravity{0.0, 1.0};
  vect2d attractor;
  collisionwalk walk = collisionwalk::grid;
  // Exact overlap tests made by the collision walks so far.
  std::uint64_t overlaptests = 0;

 private:
  void applypointerforce(const pointerview& pointer);
  void movebody(body& b) const;
  void literalwalk(body& b);
  void finishbody(body& b, framedrawing& out);
  void densitypass(framedrawing& out);

  // Counts per cell, indexed column * kDensityCells + row; all zero between
  // frames.
  std::vector<std::int32_t> density_;
  // One bit per cell, set while the cell's count is above zero.
  std::vector<std::uint64_t> occupied_;
  std::vector<body*> order_;
  collisiongrid grid_;
};
