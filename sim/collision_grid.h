// A spatial index over the bodies that a frame has not yet stepped, used by
// the frame simulation to skip body pairs that cannot overlap.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/body.h"

// The index holds positions in a table of bodies. The plane is cut into
// square cells at least as wide as half the widest query box, so a query
// touches at most 3 x 3 cells; each cell chains the bodies whose centre lies
// in it (links per body, so entering, leaving and moving cost a few stores).
// It is built at the start of the step pass; each body leaves it when its
// own step begins, and a body pushed by a collision moves to its new cell,
// so the index always shows the current centres of the bodies still to be
// stepped. Queries are conservative: every body that `overlaps` could accept
// is among the candidates, then the caller runs the exact test.
class collisiongrid {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Enters every body of the table. Returns false when pruning is not
  // possible this frame (a body with an infinite radius overlaps everything,
  // or the table is too large for the index's links), in which case the
  // index holds nothing.
  bool build(const std::vector<body*>& bodies);
  void remove(std::size_t index);
  void moved(std::size_t index);
  // Gathers, in no particular order, the bodies above `after` that may
  // overlap a body of the given radius centred anywhere within kQuerySlack
  // of `centre` (in each axis).
  void query(const vect2d& centre, double radius, std::size_t after);
  // The first gathered body above `index`, or kNone.
  std::size_t next(std::size_t index) const;
  // The last query's bodies.
  const std::vector<std::uint32_t>& found() const { return found_; }
  // The number of bodies in the table the index was last built over.
  std::size_t size() const { return cell_.size(); }
  // False only when the body at `index` certainly does not overlap a body
  // of the given centre and radius: a box test on the index's own copy of
  // its centre and radius, with margins for rounding, so it never rejects a
  // pair that `overlaps` would accept.
  bool mayoverlap(std::size_t index, const vect2d& centre, double radius) const {
    if (index >= shapes_.size()) return false;
    const Shape& s = shapes_[index];
    const double limit = (radius + s.radius) * (1.0 + kRelativeMargin) + kAbsoluteMargin;
    return std::abs(centre.x - s.x) <= limit && std::abs(centre.y - s.y) <= limit;
  }

  static constexpr double kQuerySlack = 0.5;
  static constexpr double kRelativeMargin = 1e-9;
  static constexpr double kAbsoluteMargin = 1e-150;

 private:
  std::int32_t column(double x) const;
  std::int32_t row(double y) const;
  std::int32_t cellof(const vect2d& p) const { return row(p.y) * columns_ + column(p.x); }
  void insert(std::size_t index);
  void link(std::size_t index, std::int32_t cell);
  void unlink(std::size_t index);

  const std::vector<body*>* bodies_ = nullptr;
  bool built_ = false;
  double originx_ = 0.0;
  double originy_ = 0.0;
  double inversecell_ = 1.0;
  std::int32_t columns_ = 1;
  std::int32_t rows_ = 1;
  double maxradius_ = 0.0;
  // Per cell (row * columns_ + column) its first body, -1 when empty. Every
  // body leaves the index during the step pass, so the cells are empty again
  // when the next build begins.
  std::vector<std::int32_t> heads_;
  // Per body a copy of its centre and radius, read by the box test far more
  // often than the bodies themselves.
  struct Shape {
    double x = 0.0;
    double y = 0.0;
    double radius = 0.0;
  };
  std::vector<Shape> shapes_;
  // Per body its cell (-1 when it is not in the index) and its neighbours
  // in the cell's chain (-1 at either end).
  std::vector<std::int32_t> cell_;
  std::vector<std::int32_t> after_;
  std::vector<std::int32_t> before_;
  std::size_t held_ = 0;
  std::vector<std::uint32_t> found_;

  // The cells that hold every centre a body of the given radius at
  // `centre` may overlap; false when it overlaps nothing.
  struct range {
    std::int32_t c0 = 0;
    std::int32_t c1 = -1;
    std::int32_t r0 = 0;
    std::int32_t r1 = -1;
  };
  bool cellrange(const vect2d& centre, double radius, range& out) const;
  // Points one cursor per non-empty chain of the range at its first body
  // above `after`; returns their number.
  std::size_t startcursors(const range& area, std::size_t after);
  std::vector<std::int32_t> cursors_;

  friend std::uint64_t gridwalk(std::size_t index, const std::vector<body*>& bodies, collisiongrid& grid);
};

// One body's collision walk over the bodies after it, skipping through the
// index the ones that cannot overlap; makes the same overlaps-accepted
// handlecollision calls, in the same order, as the walk along the list.
// Returns the number of exact overlap tests made.
std::uint64_t gridwalk(std::size_t index, const std::vector<body*>& bodies, collisiongrid& grid);
