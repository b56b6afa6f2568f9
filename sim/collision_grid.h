// A spatial index over the bodies that a frame has not yet stepped, used by
// the frame simulation to skip body pairs that cannot overlap.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/body.h"

// The index holds positions in a table of bodies. The plane is cut into
// vertical and horizontal strips; each strip keeps a bit set of the bodies
// whose centre lies in it, so the bodies in a box of strips are the AND of
// two ORs, and they come out in ascending table order for free. It is built
// at the start of the step pass; each body leaves it when its own step
// begins, and a body pushed by a collision moves to its new strips, so the
// index always shows the current centres of the bodies still to be stepped.
// Queries are conservative: every body that `overlaps` could accept is among
// the candidates, then the caller runs the exact test.
class collisiongrid {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Enters every body of the table. Returns false when pruning is not
  // possible this frame (a body with an infinite radius overlaps everything,
  // or the table has more than 4096 bodies), in which case the index holds
  // nothing.
  bool build(const std::vector<body*>& bodies);
  void remove(std::size_t index);
  void moved(std::size_t index);
  // Gathers, in ascending table order, the bodies above `after` that may
  // overlap a body of the given radius centred anywhere within kQuerySlack
  // of `centre` (in each axis).
  void query(const vect2d& centre, double radius, std::size_t after);
  // The first gathered body above `index`, or kNone.
  std::size_t next(std::size_t index) const;
  // The last query's bodies, ascending.
  const std::vector<std::uint32_t>& found() const { return found_; }
  // The number of bodies in the table the index was last built over.
  std::size_t size() const { return column_.size(); }
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
  // The strips that hold every centre a body of the given radius anywhere
  // within `slack` of `centre` may overlap; false when it overlaps nothing.
  struct range {
    std::int32_t c0 = 0;
    std::int32_t c1 = -1;
    std::int32_t r0 = 0;
    std::int32_t r1 = -1;
    bool operator==(const range&) const = default;
  };
  bool striprange(const vect2d& centre, double radius, double slack, range& out) const;
  // Word `word` of the bit set of the bodies in the range's strips.
  std::uint64_t inrange(const range& area, std::size_t word) const {
    const std::uint64_t* const columns = columnbits_.data() + word;
    const std::uint64_t* const rows = rowbits_.data() + word;
    std::uint64_t across = 0;
    for (std::int32_t c = area.c0; c <= area.c1; ++c) across |= columns[static_cast<std::size_t>(c) * words_];
    std::uint64_t down = 0;
    for (std::int32_t r = area.r0; r <= area.r1; ++r) down |= rows[static_cast<std::size_t>(r) * words_];
    return across & down;
  }
  // The words of the bit sets in which some body lies in both a column and
  // a row of the range: bit w for word w.
  std::uint64_t inrangewords(const range& area) const {
    std::uint64_t across = 0;
    for (std::int32_t c = area.c0; c <= area.c1; ++c) across |= columnwords_[static_cast<std::size_t>(c)];
    std::uint64_t down = 0;
    for (std::int32_t r = area.r0; r <= area.r1; ++r) down |= rowwords_[static_cast<std::size_t>(r)];
    return across & down;
  }
  std::int32_t column(double x) const;
  std::int32_t row(double y) const;
  void insert(std::size_t index);

  const std::vector<body*>* bodies_ = nullptr;
  bool built_ = false;
  std::size_t words_ = 0;
  double originx_ = 0.0;
  double originy_ = 0.0;
  double inversestrip_ = 1.0;
  std::int32_t columns_ = 1;
  std::int32_t rows_ = 1;
  double maxradius_ = 0.0;
  // Bit sets, words_ words per strip.
  std::vector<std::uint64_t> columnbits_;
  std::vector<std::uint64_t> rowbits_;
  // Per strip its non-empty words, bit w for word w (so at most 64 words).
  std::vector<std::uint64_t> columnwords_;
  std::vector<std::uint64_t> rowwords_;
  // Per body a copy of its centre and radius, read by the box test far more
  // often than the bodies themselves.
  struct Shape {
    double x = 0.0;
    double y = 0.0;
    double radius = 0.0;
  };
  std::vector<Shape> shapes_;
  // Per body its strips, -1 when it is not in the index.
  std::vector<std::int32_t> column_;
  std::vector<std::int32_t> row_;
  std::vector<std::uint32_t> found_;

  friend std::uint64_t gridwalk(std::size_t index, const std::vector<body*>& bodies, collisiongrid& grid);
};

// One body's collision walk over the bodies after it, skipping through the
// index the ones that cannot overlap; makes the same overlaps-accepted
// handlecollision calls, in the same order, as the walk along the list.
// Returns the number of exact overlap tests made.
std::uint64_t gridwalk(std::size_t index, const std::vector<body*>& bodies, collisiongrid& grid);
