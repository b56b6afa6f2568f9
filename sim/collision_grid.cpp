#include "sim/collision_grid.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace {

constexpr double kRelativeMargin = collisiongrid::kRelativeMargin;
constexpr double kAbsoluteMargin = collisiongrid::kAbsoluteMargin;
constexpr std::int32_t kSpan = collisiongrid::kSpan;
constexpr std::uint64_t kStripMask = collisiongrid::kStrips - 1;
// How far a pushed body may move from where it was entered and keep its
// place in the sets, as a share of the widest reach (twice the largest
// radius). Wider strips against fewer drifted bodies.
constexpr double kDriftShare = 0.3;
// How much wider than needed the strips are, relative, so that rounding in
// the strip coordinates never separates two bodies that can overlap by more
// than kSpan strips.
constexpr double kStripMargin = 1e-2;
// Strip coordinates are used up to these magnitudes: there, rounding moves
// a coordinate by less than 2^41 * 2^-52 * 2 < 1e-3 strips, well inside the
// margin. A body entered must lie within the first; the walking body may lie
// within the second, beyond which nothing entered is within kSpan strips.
constexpr double kEnterLimit = 0x1p40;
constexpr double kWalkLimit = 0x1p41;

static_assert(std::has_single_bit(collisiongrid::kStrips) &&
              collisiongrid::kStrips > 2 * kSpan + 1);

bool Finite(const vect2d& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

std::uint64_t Bit(std::size_t index) { return std::uint64_t{1} << (index % 64); }

// The words after word w, as bits of a word summary.
std::uint64_t Above(std::size_t w) { return w >= 63 ? 0 : ~std::uint64_t{0} << (w + 1); }

// Read for the walking body's sets when it lies too far out to have any.
constexpr std::array<std::uint64_t, 64> kNoBodies{};

}  // namespace

[[gnu::always_inline]] inline bool collisiongrid::strip(const axis& a, double v, double limit,
                                                        std::int64_t& out) {
  const double t = (v - a.origin) * a.inverse;
  if (!(std::abs(t) <= limit)) return false;
  auto s = static_cast<std::int64_t>(t);
  if (t < static_cast<double>(s)) --s;  // toward minus infinity
  out = s;
  return true;
}

void collisiongrid::mark(axis& a, std::size_t words, std::int64_t strip, std::size_t index) {
  const std::size_t word = index / 64;
  for (std::int64_t d = -kSpan; d <= kSpan; ++d) {
    const std::size_t s = static_cast<std::uint64_t>(strip + d) & kStripMask;
    if (a.words[s] == 0) a.used.push_back(static_cast<std::uint32_t>(s));
    a.sets[s * words + word] |= Bit(index);
    a.words[s] |= std::uint64_t{1} << word;
  }
}

void collisiongrid::clear(axis& a, std::size_t words) {
  if (a.sets.size() != kStrips * words) {
    a.sets.assign(kStrips * words, 0);
    a.words.assign(kStrips, 0);
    a.used.clear();
    return;
  }
  for (const std::uint32_t s : a.used) {
    std::fill_n(a.sets.begin() + static_cast<std::ptrdiff_t>(s * words), words, 0);
    a.words[s] = 0;
  }
  a.used.clear();
}

bool collisiongrid::build(const std::vector<body*>& bodies) {
  built_ = false;
  bodies_ = &bodies;
  const std::size_t n = bodies.size();
  words_ = (n + 63) / 64;
  column_.assign(n, kOut);
  row_.assign(n, kOut);
  shapes_.resize(n);
  clear(columns_, words_);
  clear(rows_, words_);
  drifted_.assign(words_, 0);
  driftedwords_ = 0;

  double maxradius = 0.0;
  double lowx = 0.0, lowy = 0.0;
  bool any = false;
  for (const body* b : bodies) {
    if (b == nullptr) continue;
    if (b->radius > maxradius) maxradius = b->radius;
    if (!Finite(b->pos)) continue;
    lowx = any ? std::min(lowx, b->pos.x) : b->pos.x;
    lowy = any ? std::min(lowy, b->pos.y) : b->pos.y;
    any = true;
  }
  if (!std::isfinite(maxradius) || words_ > 64) return false;
  maxradius_ = maxradius;
  allowance_ = kDriftShare * 2.0 * maxradius;
  // A body of the table can overlap another only within the widest reach
  // 2 * maxradius; with the other's drift that is less than
  // kSpan / (1 + kStripMargin) strips, so their strips differ by at most
  // kSpan.
  const double width =
      std::max((2.0 * maxradius + allowance_) * (1.0 + kStripMargin) / kSpan, 1e-6);
  columns_.origin = lowx;
  rows_.origin = lowy;
  columns_.inverse = rows_.inverse = 1.0 / width;
  for (std::size_t i = 0; i < n; ++i) insert(i);
  built_ = true;
  return true;
}

void collisiongrid::insert(std::size_t index) {
  const body* b = (*bodies_)[index];
  Shape& shape = shapes_[index];
  if (b == nullptr) {
    // Never a candidate: the box test fails on a not-a-number.
    shape = {NAN, NAN, NAN, NAN, NAN};
    return;
  }
  shape = {b->pos.x, b->pos.y, b->radius, b->pos.x, b->pos.y};
  // A body with an infinite or not-a-number coordinate overlaps nothing.
  if (!Finite(b->pos)) return;
  std::int64_t c = 0, r = 0;
  if (!strip(columns_, b->pos.x, kEnterLimit, c) || !strip(rows_, b->pos.y, kEnterLimit, r)) {
    drift(index);
    return;
  }
  column_[index] = c;
  row_[index] = r;
  mark(columns_, words_, c, index);
  mark(rows_, words_, r, index);
}

void collisiongrid::drift(std::size_t index) {
  drifted_[index / 64] |= Bit(index);
  driftedwords_ |= std::uint64_t{1} << (index / 64);
  // A candidate of every walk now: no strip needs marking again.
  column_[index] = kOut;
  row_[index] = kOut;
}

void collisiongrid::moved(std::size_t index) {
  if (!built_ || index >= shapes_.size() || (*bodies_)[index] == nullptr) return;
  const body* b = (*bodies_)[index];
  Shape& s = shapes_[index];
  s.x = b->pos.x;
  s.y = b->pos.y;
  // A body in no strip set is either drifted already or overlaps nothing.
  if (column_[index] == kOut ||
      (std::abs(s.x - s.x0) <= allowance_ && std::abs(s.y - s.y0) <= allowance_)) {
    return;
  }
  // Pushed too far: it is entered again where it is now, and stays in its
  // old sets too (the sets only ever gain bodies during a pass, which keeps
  // every walk's candidates a superset).
  std::int64_t c = 0, r = 0;
  if (!strip(columns_, s.x, kEnterLimit, c) || !strip(rows_, s.y, kEnterLimit, r)) {
    drift(index);
    return;
  }
  s.x0 = s.x;
  s.y0 = s.y;
  if (c != column_[index]) mark(columns_, words_, c, index);
  if (r != row_[index]) mark(rows_, words_, r, index);
  column_[index] = c;
  row_[index] = r;
}

std::uint64_t gridwalk(std::size_t index, const std::vector<body*>& bodies, collisiongrid& grid) {
  if (index >= bodies.size() || bodies.size() != grid.size() || bodies[index] == nullptr) return 0;
  body& b = *bodies[index];
  // A body at a non-finite position, or with a negative or not-a-number
  // reach, overlaps nothing.
  if (!grid.built_ || !Finite(b.pos) || !(b.radius + grid.maxradius_ >= 0.0)) return 0;
  // Every body that b can overlap is in the sets of b's column and row, or
  // has drifted; bodies up to `index` (already stepped) are masked off. The
  // sets are read a word at a time and only as far as the walk goes: it
  // often ends at its fourth collision. Each body is tested against b's
  // centre at the time, as the walk along the list does; the bodies after
  // the current one have not moved, so after a collision only b's own
  // strips can change, and then the current word is read again above the
  // partner.
  const std::size_t words = grid.words_;
  const std::uint64_t* const drifted = grid.drifted_.data();
  const collisiongrid::Shape* const shapes = grid.shapes_.data();
  const std::uint64_t* across = kNoBodies.data();
  const std::uint64_t* down = kNoBodies.data();
  std::uint64_t summary = 0;
  auto locate = [&] {
    std::int64_t c = 0, r = 0;
    if (collisiongrid::strip(grid.columns_, b.pos.x, kWalkLimit, c) &&
        collisiongrid::strip(grid.rows_, b.pos.y, kWalkLimit, r)) {
      const std::size_t cs = static_cast<std::uint64_t>(c) & kStripMask;
      const std::size_t rs = static_cast<std::uint64_t>(r) & kStripMask;
      across = grid.columns_.sets.data() + cs * words;
      down = grid.rows_.sets.data() + rs * words;
      summary = grid.columns_.words[cs] & grid.rows_.words[rs];
    } else {
      across = down = kNoBodies.data();
      summary = 0;
    }
  };
  // Word w of the candidates: in both of b's sets, or drifted.
  auto candidates = [&](std::size_t w) { return (across[w] & down[w]) | drifted[w]; };
  locate();
  // `todo` holds the words still to read that may have candidates.
  std::size_t w = (index + 1) / 64;
  std::uint64_t todo = (summary | grid.driftedwords_) & Above(w);
  std::uint64_t bits = w < words ? candidates(w) & (~std::uint64_t{0} << ((index + 1) % 64)) : 0;
  std::uint64_t tests = 0;
  int resolved = 0;
  for (;;) {
    while (bits == 0) {
      if (todo == 0) return tests;
      w = static_cast<std::size_t>(std::countr_zero(todo));
      todo &= todo - 1;
      bits = candidates(w);
    }
    const std::size_t j = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
    bits &= bits - 1;
    // Every bit set belongs to a body of the table: no range check.
    if (!shapes[j].near(b.pos, b.radius)) continue;
    body& o = *bodies[j];
    ++tests;
    if (!b.overlaps(o)) continue;
    b.handlecollision(o);
    o.sleep = 0;
    grid.moved(j);
    ++resolved;
    if (resolved >= kCollisionsPerWalk || !Finite(b.pos)) return tests;
    // Strips that wrap onto the same sets read the same bits.
    const std::uint64_t* const oldacross = across;
    const std::uint64_t* const olddown = down;
    locate();
    if (across != oldacross || down != olddown) {
      bits = j % 64 == 63 ? 0 : candidates(w) & (~std::uint64_t{0} << (j % 64 + 1));
      todo = (summary | grid.driftedwords_) & Above(w);
    }
  }
}
