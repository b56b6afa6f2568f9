#include "sim/collision_grid.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// Bodies far outside the world (thrown high by the pointer force) share the
// border strips, so that stray bodies do not coarsen the index.
constexpr double kRegionLow = -64.0;
constexpr double kRegionHigh = 704.0;
constexpr std::int32_t kMaxStripsPerAxis = 512;
// Margins for rounding in the distance computation (relative) and for the
// underflow of tiny squared differences (absolute), so that no pair that
// `overlaps` accepts is skipped.
constexpr double kRelativeMargin = collisiongrid::kRelativeMargin;
constexpr double kAbsoluteMargin = collisiongrid::kAbsoluteMargin;
constexpr double kQuerySlack = collisiongrid::kQuerySlack;
constexpr int kCollisionsPerWalk = 4;
// Strip width as a share of the widest reach (twice the largest radius).
// Any width is exact; this one balances the strips' population against the
// number of strips a walk reads.
constexpr double kStripShare = 1.0;

bool Finite(const vect2d& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// The index of f along an axis of n strips, clamped to the border strips;
// non-decreasing in f, which keeps range queries conservative.
std::int32_t ClampedIndex(double f, std::int32_t n) {
  // Written as selects so that they compile to min/max without branches.
  f = f > 0.0 ? f : 0.0;  // not-a-number gives 0 too
  const double last = static_cast<double>(n - 1);
  f = f < last ? f : last;
  return static_cast<std::int32_t>(f);
}

std::uint64_t Bit(std::size_t index) { return std::uint64_t{1} << (index % 64); }

// The words after word w, as bits of a word summary.
std::uint64_t Above(std::size_t w) { return w >= 63 ? 0 : ~std::uint64_t{0} << (w + 1); }

}  // namespace

bool collisiongrid::build(const std::vector<body*>& bodies) {
  built_ = false;
  bodies_ = &bodies;
  const std::size_t n = bodies.size();
  words_ = (n + 63) / 64;
  column_.assign(n, -1);
  row_.assign(n, -1);
  shapes_.resize(n);
  found_.clear();

  double maxradius = 0.0;
  double lowx = kRegionHigh, lowy = kRegionHigh, highx = kRegionLow, highy = kRegionLow;
  for (const body* b : bodies) {
    if (b == nullptr) continue;
    if (b->radius > maxradius) maxradius = b->radius;
    if (!Finite(b->pos)) continue;
    lowx = std::min(lowx, b->pos.x);
    highx = std::max(highx, b->pos.x);
    lowy = std::min(lowy, b->pos.y);
    highy = std::max(highy, b->pos.y);
  }
  if (!std::isfinite(maxradius) || words_ > 64) return false;
  maxradius_ = maxradius;
  lowx = std::max(lowx, kRegionLow);
  lowy = std::max(lowy, kRegionLow);
  highx = std::min(highx, kRegionHigh);
  highy = std::min(highy, kRegionHigh);
  if (highx < lowx) highx = lowx;
  if (highy < lowy) highy = lowy;
  const double extent = std::max(highx - lowx, highy - lowy);
  const double strip = std::max({2.0 * maxradius * kStripShare, extent / kMaxStripsPerAxis, 1e-6});
  originx_ = lowx;
  originy_ = lowy;
  inversestrip_ = 1.0 / strip;
  columns_ = std::min(kMaxStripsPerAxis, static_cast<std::int32_t>((highx - lowx) / strip) + 1);
  rows_ = std::min(kMaxStripsPerAxis, static_cast<std::int32_t>((highy - lowy) / strip) + 1);
  columnbits_.assign(static_cast<std::size_t>(columns_) * words_, 0);
  rowbits_.assign(static_cast<std::size_t>(rows_) * words_, 0);
  columnwords_.assign(static_cast<std::size_t>(columns_), 0);
  rowwords_.assign(static_cast<std::size_t>(rows_), 0);
  for (std::size_t i = 0; i < n; ++i) insert(i);
  built_ = true;
  return true;
}

[[gnu::always_inline]] inline std::int32_t collisiongrid::column(double x) const {
  return ClampedIndex((x - originx_) * inversestrip_, columns_);
}

[[gnu::always_inline]] inline std::int32_t collisiongrid::row(double y) const {
  return ClampedIndex((y - originy_) * inversestrip_, rows_);
}

void collisiongrid::insert(std::size_t index) {
  const body* b = (*bodies_)[index];
  // A body with an infinite or not-a-number coordinate overlaps nothing.
  if (b == nullptr || !Finite(b->pos)) return;
  const vect2d& p = b->pos;
  const std::int32_t c = column(p.x);
  const std::int32_t r = row(p.y);
  column_[index] = c;
  row_[index] = r;
  shapes_[index] = {p.x, p.y, b->radius};
  columnbits_[static_cast<std::size_t>(c) * words_ + index / 64] |= Bit(index);
  rowbits_[static_cast<std::size_t>(r) * words_ + index / 64] |= Bit(index);
  columnwords_[static_cast<std::size_t>(c)] |= std::uint64_t{1} << (index / 64);
  rowwords_[static_cast<std::size_t>(r)] |= std::uint64_t{1} << (index / 64);
}

void collisiongrid::remove(std::size_t index) {
  if (index >= column_.size()) return;
  const std::int32_t c = column_[index];
  if (c < 0) return;
  const std::int32_t r = row_[index];
  std::uint64_t& across = columnbits_[static_cast<std::size_t>(c) * words_ + index / 64];
  std::uint64_t& down = rowbits_[static_cast<std::size_t>(r) * words_ + index / 64];
  across &= ~Bit(index);
  down &= ~Bit(index);
  if (across == 0) columnwords_[static_cast<std::size_t>(c)] &= ~(std::uint64_t{1} << (index / 64));
  if (down == 0) rowwords_[static_cast<std::size_t>(r)] &= ~(std::uint64_t{1} << (index / 64));
  column_[index] = -1;
  row_[index] = -1;
}

void collisiongrid::moved(std::size_t index) {
  if (!built_ || index >= column_.size()) return;
  const body* b = (*bodies_)[index];
  if (b != nullptr && column_[index] >= 0 && Finite(b->pos) && column(b->pos.x) == column_[index] &&
      row(b->pos.y) == row_[index]) {
    shapes_[index].x = b->pos.x;
    shapes_[index].y = b->pos.y;
    return;
  }
  remove(index);
  insert(index);
}

[[gnu::always_inline]] inline bool collisiongrid::striprange(const vect2d& centre, double radius, double slack,
                                                             range& out) const {
  const double reach = radius + maxradius_;
  // A negative or not-a-number reach admits no overlap at all.
  if (!built_ || !(reach >= 0.0) || !Finite(centre)) return false;
  // Every centre within reach plus slack, with room for the rounding of
  // centre +- limit at the centre's own magnitude.
  const double limit = (reach + slack) * (1.0 + kRelativeMargin) +
                       kRelativeMargin * (std::abs(centre.x) + std::abs(centre.y)) + kAbsoluteMargin;
  out.c0 = column(centre.x - limit);
  out.c1 = column(centre.x + limit);
  out.r0 = row(centre.y - limit);
  out.r1 = row(centre.y + limit);
  return true;
}

void collisiongrid::query(const vect2d& centre, double radius, std::size_t after) {
  found_.clear();
  range area;
  if (after >= column_.size() || !striprange(centre, radius, kQuerySlack, area)) return;
  for (std::size_t w = (after + 1) / 64; w < words_; ++w) {
    std::uint64_t bits = inrange(area, w);
    if (w == (after + 1) / 64) bits &= ~std::uint64_t{0} << ((after + 1) % 64);
    while (bits != 0) {
      const std::size_t j = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
      bits &= bits - 1;
      const Shape& s = shapes_[j];
      const double near = (radius + s.radius + kQuerySlack) * (1.0 + kRelativeMargin) + kAbsoluteMargin;
      if (std::abs(centre.x - s.x) <= near && std::abs(centre.y - s.y) <= near) {
        found_.push_back(static_cast<std::uint32_t>(j));
      }
    }
  }
}

std::size_t collisiongrid::next(std::size_t index) const {
  if (index >= column_.size()) return kNone;
  const auto it = std::upper_bound(found_.begin(), found_.end(), index);
  return it == found_.end() ? kNone : *it;
}

std::uint64_t gridwalk(std::size_t index, const std::vector<body*>& bodies, collisiongrid& grid) {
  if (index >= bodies.size() || bodies.size() != grid.size() || bodies[index] == nullptr) return 0;
  body& b = *bodies[index];
  collisiongrid::range area;
  if (!grid.striprange(b.pos, b.radius, 0.0, area)) return 0;
  std::uint64_t tests = 0;
  int resolved = 0;
  // The bodies in the strips within reach, a word of the bit sets at a time
  // and only as far as the walk goes: it usually ends at its fourth
  // collision. Each body is tested against b's centre at the time, as the
  // walk along the list does; the bodies after the current one have not
  // moved, so after a collision only b's own range can change, and then the
  // current word is read again above the partner.
  // `todo` holds the words still to read that have bodies in both a
  // column and a row of the range.
  std::size_t w = (index + 1) / 64;
  std::uint64_t todo = grid.inrangewords(area) & Above(w);
  std::uint64_t bits = 0;
  if (w < grid.words_) bits = grid.inrange(area, w) & (~std::uint64_t{0} << ((index + 1) % 64));
  for (;;) {
    while (bits == 0) {
      if (todo == 0) return tests;
      w = static_cast<std::size_t>(std::countr_zero(todo));
      todo &= todo - 1;
      bits = grid.inrange(area, w);
    }
    const std::size_t j = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
    bits &= bits - 1;
    if (!grid.mayoverlap(j, b.pos, b.radius)) continue;
    body& o = *bodies[j];
    ++tests;
    if (!b.overlaps(o)) continue;
    b.handlecollision(o);
    o.sleep = 0;
    grid.moved(j);
    ++resolved;
    if (resolved >= kCollisionsPerWalk) return tests;
    collisiongrid::range now;
    if (!grid.striprange(b.pos, b.radius, 0.0, now)) return tests;
    if (!(now == area)) {
      area = now;
      bits = j % 64 == 63 ? 0 : grid.inrange(area, w) & (~std::uint64_t{0} << (j % 64 + 1));
      todo = grid.inrangewords(area) & Above(w);
    }
  }
}
