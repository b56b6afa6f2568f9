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
constexpr int kCollisionsPerWalk = 4;
// Strip width as a share of the widest query box (twice the largest radius
// plus the slack).
constexpr double kStripShare = 1.0;

bool Finite(const vect2d& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// The index of f along an axis of n strips, clamped to the border strips;
// non-decreasing in f, which keeps range queries conservative.
std::int32_t ClampedIndex(double f, std::int32_t n) {
  if (!(f > 0.0)) return 0;
  if (f >= static_cast<double>(n - 1)) return n - 1;
  return static_cast<std::int32_t>(f);
}

std::uint64_t Bit(std::size_t index) { return std::uint64_t{1} << (index % 64); }

}  // namespace

bool collisiongrid::build(const std::vector<body*>& bodies) {
  built_ = false;
  bodies_ = &bodies;
  const std::size_t n = bodies.size();
  words_ = (n + 63) / 64;
  column_.assign(n, -1);
  row_.assign(n, -1);
  shapes_.resize(n);
  found_.assign(words_, 0);

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
  if (!std::isfinite(maxradius)) return false;
  maxradius_ = maxradius;
  lowx = std::max(lowx, kRegionLow);
  lowy = std::max(lowy, kRegionLow);
  highx = std::min(highx, kRegionHigh);
  highy = std::min(highy, kRegionHigh);
  if (highx < lowx) highx = lowx;
  if (highy < lowy) highy = lowy;
  const double extent = std::max(highx - lowx, highy - lowy);
  const double strip = std::max({(2.0 * maxradius + kQuerySlack) * kStripShare, extent / kMaxStripsPerAxis, 1e-6});
  originx_ = lowx;
  originy_ = lowy;
  inversestrip_ = 1.0 / strip;
  columns_ = std::min(kMaxStripsPerAxis, static_cast<std::int32_t>((highx - lowx) / strip) + 1);
  rows_ = std::min(kMaxStripsPerAxis, static_cast<std::int32_t>((highy - lowy) / strip) + 1);
  columnbits_.assign(static_cast<std::size_t>(columns_) * words_, 0);
  rowbits_.assign(static_cast<std::size_t>(rows_) * words_, 0);
  for (std::size_t i = 0; i < n; ++i) insert(i);
  built_ = true;
  return true;
}

std::int32_t collisiongrid::column(double x) const {
  return ClampedIndex((x - originx_) * inversestrip_, columns_);
}

std::int32_t collisiongrid::row(double y) const {
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
}

void collisiongrid::remove(std::size_t index) {
  if (index >= column_.size()) return;
  const std::int32_t c = column_[index];
  if (c < 0) return;
  const std::int32_t r = row_[index];
  columnbits_[static_cast<std::size_t>(c) * words_ + index / 64] &= ~Bit(index);
  rowbits_[static_cast<std::size_t>(r) * words_ + index / 64] &= ~Bit(index);
  column_[index] = -1;
  row_[index] = -1;
}

void collisiongrid::moved(std::size_t index) {
  if (!built_ || index >= column_.size()) return;
  remove(index);
  insert(index);
}

void collisiongrid::query(const vect2d& centre, double radius, std::size_t after) {
  if (!built_ || after >= column_.size()) {
    foundfrom_ = words_;  // nothing above the last body
    return;
  }
  const std::size_t first = (after + 1) / 64;
  foundfrom_ = first;
  const double reach = radius + maxradius_;
  // A negative or not-a-number reach admits no overlap at all.
  if (!(reach >= 0.0) || !Finite(centre)) {
    std::fill(found_.begin() + static_cast<std::ptrdiff_t>(first), found_.end(), 0);
    return;
  }
  const double limit = (reach + kQuerySlack) * (1.0 + kRelativeMargin) +
                       kRelativeMargin * (std::abs(centre.x) + std::abs(centre.y)) + kAbsoluteMargin;
  const std::int32_t c0 = column(centre.x - limit);
  const std::int32_t c1 = column(centre.x + limit);
  const std::int32_t r0 = row(centre.y - limit);
  const std::int32_t r1 = row(centre.y + limit);
  // Word by word, the strips' words ORed in registers: one store per word.
  const std::size_t stride = words_;
  const std::uint64_t* const columns = columnbits_.data() + static_cast<std::size_t>(c0) * stride;
  const std::uint64_t* const rows = rowbits_.data() + static_cast<std::size_t>(r0) * stride;
  const auto ncolumns = static_cast<std::size_t>(c1 - c0 + 1);
  const auto nrows = static_cast<std::size_t>(r1 - r0 + 1);
  std::uint64_t* const found = found_.data();
  for (std::size_t w = first; w < words_; ++w) {
    std::uint64_t across = 0;
    for (std::size_t c = 0; c < ncolumns; ++c) across |= columns[c * stride + w];
    std::uint64_t down = 0;
    for (std::size_t r = 0; r < nrows; ++r) down |= rows[r * stride + w];
    found[w] = across & down;
  }
  if (first < words_ && (after + 1) % 64 != 0) {
    found_[first] &= ~std::uint64_t{0} << ((after + 1) % 64);
  }
}

std::size_t collisiongrid::next(std::size_t index) const {
  if (index >= column_.size()) return kNone;
  std::size_t from = index + 1;
  std::size_t w = from / 64;
  if (w < foundfrom_) {
    w = foundfrom_;
    from = w * 64;
  }
  if (w >= words_) return kNone;
  std::uint64_t bits = found_[w] & (~std::uint64_t{0} << (from % 64));
  while (bits == 0) {
    if (++w >= words_) return kNone;
    bits = found_[w];
  }
  return w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
}

std::uint64_t collisiongrid::nearmask(std::size_t word, std::uint64_t bits, const vect2d& centre,
                                     double radius) const {
  // Each bit's outcome is folded in without a branch: it is unpredictable,
  // and a mispredicted branch per body would cost more than the test.
  std::uint64_t keep = 0;
  while (bits != 0) {
    const int bit = std::countr_zero(bits);
    bits &= bits - 1;
    const std::size_t j = word * 64 + static_cast<std::size_t>(bit);
    if (j >= shapes_.size()) break;
    const Shape& s = shapes_[j];
    const double limit = (radius + s.radius + kQuerySlack) * (1.0 + kRelativeMargin) + kAbsoluteMargin;
    const bool near = (std::abs(centre.x - s.x) <= limit) & (std::abs(centre.y - s.y) <= limit);
    keep |= static_cast<std::uint64_t>(near) << bit;
  }
  return keep;
}

std::uint64_t gridwalk(std::size_t index, const std::vector<body*>& bodies, collisiongrid& grid) {
  if (index >= bodies.size() || bodies.size() != grid.size() || bodies[index] == nullptr) return 0;
  body& b = *bodies[index];
  std::uint64_t tests = 0;
  int resolved = 0;
  vect2d query = b.pos;
  grid.query(query, b.radius, index);
  const std::uint64_t* const found = grid.found();
  const std::size_t words = grid.words();
  // Walk the gathered bits in ascending order, a word at a time, each word
  // first narrowed to the bodies that pass the box test.
  std::size_t w = (index + 1) / 64;
  std::uint64_t bits = w < words && grid.found_from() <= w ? grid.nearmask(w, found[w], query, b.radius) : 0;
  for (;;) {
    while (bits == 0) {
      if (++w >= words) return tests;
      bits = grid.nearmask(w, found[w], query, b.radius);
    }
    const std::size_t j = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
    bits &= bits - 1;
    body& o = *bodies[j];
    ++tests;
    if (!b.overlaps(o)) continue;
    b.handlecollision(o);
    o.sleep = 0;
    grid.moved(j);
    ++resolved;
    if (resolved >= kCollisionsPerWalk) return tests;
    // The gathered bodies cover every body within the slack of the query
    // centre, and the bodies after the partner have not moved; gather again
    // only once b has been pushed farther than that.
    if (!(std::abs(b.pos.x - query.x) <= collisiongrid::kQuerySlack &&
          std::abs(b.pos.y - query.y) <= collisiongrid::kQuerySlack)) {
      query = b.pos;
      grid.query(query, b.radius, j);
      // Go on with the bits above j: the query rewrote the words from j + 1
      // on, clearing those at or below j in j's word.
      bits = j % 64 == 63 ? 0 : grid.nearmask(w, found[w], query, b.radius);
    }
  }
}
