// A spatial index over the bodies of a frame, used by the frame simulation
// to skip body pairs that cannot overlap.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "sim/body.h"

// A body's collision walk ends after its fourth resolved collision, not the
// third: the same limit for the walk along the list and the walk through the
// grid, so both resolve the same collisions.
inline constexpr int kCollisionsPerWalk = 4;

// The index holds positions in a table of bodies, entered where they are
// when the step pass begins. The plane is cut into vertical and horizontal
// strips; every strip keeps the bit set of the bodies whose centre lies in
// it or within kSpan strips of it, so the bodies that can overlap a body in
// column c and row r are among one column set AND one row set, and they come
// out in ascending table order for free. Strips are counted modulo kStrips
// on each axis: bodies far apart may share a set, which only adds candidates.
//
// The sets never change during the pass. A body pushed by a collision
// before its own step keeps its place in them while it stays within a drift
// allowance of where it was entered (the strips are wide enough for that);
// one pushed farther joins the set of drifted bodies, which every walk
// includes. The walk masks off the bodies already stepped. The candidates
// are conservative: every body that `overlaps` could accept is among them,
// then the walk runs the exact test.
class collisiongrid {
 public:
  // Enters every body of the table. Returns false when pruning is not
  // possible this frame (a body with an infinite radius overlaps everything,
  // or the table has more than 4096 bodies), in which case the index holds
  // nothing.
  bool build(const std::vector<body*>& bodies);
  // Tells the index that a body not yet stepped has been pushed.
  void moved(std::size_t index);
  // The number of bodies in the table the index was last built over.
  std::size_t size() const { return shapes_.size(); }

  // How many strips on each side of its own a body's bit sets reach.
  static constexpr std::int32_t kSpan = 1;
  // Strip sets per axis (a power of two).
  static constexpr std::size_t kStrips = 256;
  static constexpr double kRelativeMargin = 1e-9;
  static constexpr double kAbsoluteMargin = 1e-150;

 private:
  // One axis of strips: where strip 0 begins, strips per unit, the bit sets
  // (words_ words per strip) and per strip its non-empty words (bit w for
  // word w, so at most 64 words).
  struct axis {
    double origin = 0.0;
    double inverse = 1.0;
    std::vector<std::uint64_t> sets;
    std::vector<std::uint64_t> words;
    // The strips whose sets hold anything, to be cleared by the next build.
    std::vector<std::uint32_t> used;
  };
  // The strip of coordinate v, false when v lies too far out (or is not a
  // number) for its strip to be computed exactly enough.
  static bool strip(const axis& a, double v, double limit, std::int64_t& out);
  static void mark(axis& a, std::size_t words, std::int64_t strip, std::size_t index);
  static void clear(axis& a, std::size_t words);
  void insert(std::size_t index);
  // Marks a body as possibly anywhere.
  void drift(std::size_t index);

  const std::vector<body*>* bodies_ = nullptr;
  bool built_ = false;
  std::size_t words_ = 0;
  double maxradius_ = 0.0;
  // How far a body may be pushed from where it was entered and stay in its
  // sets.
  double allowance_ = 0.0;
  axis columns_;
  axis rows_;
  // The drifted bodies, and their non-empty words.
  std::vector<std::uint64_t> drifted_;
  std::uint64_t driftedwords_ = 0;
  // Per body a copy of its current centre and radius, read by the box test
  // far more often than the bodies themselves, and where it was entered.
  struct Shape {
    double x = 0.0;
    double y = 0.0;
    double radius = 0.0;
    double x0 = 0.0;
    double y0 = 0.0;
    // The box test: false only when this body certainly does not overlap a
    // body of the given centre and radius (margins for rounding, so it never
    // rejects a pair that `overlaps` would accept).
    bool near(const vect2d& centre, double r) const {
      const double limit = (r + radius) * (1.0 + kRelativeMargin) + kAbsoluteMargin;
      return std::abs(centre.x - x) <= limit && std::abs(centre.y - y) <= limit;
    }
  };
  std::vector<Shape> shapes_;
  // Per body the strips it was last entered in, or kOut when it is never
  // entered again (it overlaps nothing, or has drifted).
  static constexpr std::int64_t kOut = std::numeric_limits<std::int64_t>::min();
  std::vector<std::int64_t> column_;
  std::vector<std::int64_t> row_;

  friend std::uint64_t gridwalk(std::size_t index, const std::vector<body*>& bodies,
                                collisiongrid& grid);
};

// One body's collision walk over the bodies after it, skipping through the
// index the ones that cannot overlap; makes the same overlaps-accepted
// handlecollision calls, in the same order, as the walk along the list.
// Returns the number of exact overlap tests made.
std::uint64_t gridwalk(std::size_t index, const std::vector<body*>& bodies, collisiongrid& grid);
