#include "sim/collision_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Bodies far outside the world (thrown high by the pointer force) share the
// border cells, so that stray bodies do not coarsen the index.
constexpr double kRegionLow = -64.0;
constexpr double kRegionHigh = 704.0;
constexpr std::int32_t kMaxCellsPerAxis = 256;
// Margins for rounding in the distance computation (relative) and for the
// underflow of tiny squared differences (absolute), so that no pair that
// `overlaps` accepts is skipped.
constexpr double kRelativeMargin = collisiongrid::kRelativeMargin;
constexpr double kAbsoluteMargin = collisiongrid::kAbsoluteMargin;
constexpr double kQuerySlack = collisiongrid::kQuerySlack;
constexpr int kCollisionsPerWalk = 4;
// A query box is at most 2 * (2 * largest radius + slack) wide, plus the
// margins; cells a little wider than half of that keep it within 3 cells
// per axis.
constexpr double kCellWidening = 1.001;

bool Finite(const vect2d& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// The index of f along an axis of n cells, clamped to the border cells;
// non-decreasing in f, which keeps range queries conservative.
std::int32_t ClampedIndex(double f, std::int32_t n) {
  if (!(f > 0.0)) return 0;
  if (f >= static_cast<double>(n - 1)) return n - 1;
  return static_cast<std::int32_t>(f);
}

}  // namespace

bool collisiongrid::build(const std::vector<body*>& bodies) {
  built_ = false;
  // A previous pass that did not step every body leaves some in the index.
  if (held_ != 0) {
    for (const std::int32_t c : cell_) {
      if (c >= 0) heads_[static_cast<std::size_t>(c)] = -1;
    }
    held_ = 0;
  }
  bodies_ = &bodies;
  const std::size_t n = bodies.size();
  cell_.assign(n, -1);
  after_.resize(n);
  before_.resize(n);
  shapes_.resize(n);
  found_.clear();
  if (n > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;

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
  // Huge finite radii make one cell of everything: still exact, only slow.
  const double side = std::max({(2.0 * maxradius + kQuerySlack) * kCellWidening, extent / kMaxCellsPerAxis, 1e-6});
  originx_ = lowx;
  originy_ = lowy;
  inversecell_ = 1.0 / side;
  columns_ = std::min(kMaxCellsPerAxis, static_cast<std::int32_t>((highx - lowx) / side) + 1);
  rows_ = std::min(kMaxCellsPerAxis, static_cast<std::int32_t>((highy - lowy) / side) + 1);
  const auto cells = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
  if (heads_.size() < cells) heads_.resize(cells, -1);
  // Entered from the last body down, so every chain runs in ascending order.
  for (std::size_t i = n; i-- > 0;) insert(i);
  built_ = true;
  return true;
}

std::int32_t collisiongrid::column(double x) const {
  return ClampedIndex((x - originx_) * inversecell_, columns_);
}

std::int32_t collisiongrid::row(double y) const { return ClampedIndex((y - originy_) * inversecell_, rows_); }

void collisiongrid::link(std::size_t index, std::int32_t cell) {
  // Keeps the chain ascending: the index goes before the first larger one.
  const auto self = static_cast<std::int32_t>(index);
  std::int32_t previous = -1;
  std::int32_t next = heads_[static_cast<std::size_t>(cell)];
  while (next >= 0 && next < self) {
    previous = next;
    next = after_[static_cast<std::size_t>(next)];
  }
  after_[index] = next;
  before_[index] = previous;
  if (next >= 0) before_[static_cast<std::size_t>(next)] = self;
  if (previous >= 0) {
    after_[static_cast<std::size_t>(previous)] = self;
  } else {
    heads_[static_cast<std::size_t>(cell)] = self;
  }
  cell_[index] = cell;
  ++held_;
}

void collisiongrid::unlink(std::size_t index) {
  const std::int32_t cell = cell_[index];
  const std::int32_t next = after_[index];
  const std::int32_t previous = before_[index];
  if (previous >= 0) {
    after_[static_cast<std::size_t>(previous)] = next;
  } else {
    heads_[static_cast<std::size_t>(cell)] = next;
  }
  if (next >= 0) before_[static_cast<std::size_t>(next)] = previous;
  cell_[index] = -1;
  --held_;
}

void collisiongrid::insert(std::size_t index) {
  const body* b = (*bodies_)[index];
  // A body with an infinite or not-a-number coordinate overlaps nothing.
  if (b == nullptr || !Finite(b->pos)) return;
  shapes_[index] = {b->pos.x, b->pos.y, b->radius};
  link(index, cellof(b->pos));
}

void collisiongrid::remove(std::size_t index) {
  if (index >= cell_.size() || cell_[index] < 0) return;
  unlink(index);
}

void collisiongrid::moved(std::size_t index) {
  if (!built_ || index >= cell_.size()) return;
  const body* b = (*bodies_)[index];
  if (b != nullptr && cell_[index] >= 0 && Finite(b->pos) && cellof(b->pos) == cell_[index]) {
    shapes_[index].x = b->pos.x;
    shapes_[index].y = b->pos.y;
    return;
  }
  remove(index);
  insert(index);
}

void collisiongrid::query(const vect2d& centre, double radius, std::size_t after) {
  found_.clear();
  if (!built_ || after >= cell_.size()) return;
  const double reach = radius + maxradius_;
  // A negative or not-a-number reach admits no overlap at all.
  if (!(reach >= 0.0) || !Finite(centre)) return;
  // The cell range covers every centre within reach plus slack, with room
  // for the rounding of centre +- limit at the centre's own magnitude.
  const double limit = (reach + kQuerySlack) * (1.0 + kRelativeMargin) +
                       kRelativeMargin * (std::abs(centre.x) + std::abs(centre.y)) + kAbsoluteMargin;
  const std::int32_t c0 = column(centre.x - limit);
  const std::int32_t c1 = column(centre.x + limit);
  const std::int32_t r0 = row(centre.y - limit);
  const std::int32_t r1 = row(centre.y + limit);
  // Within the cells, the box test per body: |dx| and |dy| are at most the
  // distance (up to rounding, covered by the relative margin), and a centre
  // within the slack of `centre` is at most the slack nearer.
  for (std::int32_t r = r0; r <= r1; ++r) {
    const std::int32_t* const heads = heads_.data() + static_cast<std::ptrdiff_t>(r) * columns_;
    for (std::int32_t c = c0; c <= c1; ++c) {
      for (std::int32_t k = heads[c]; k >= 0; k = after_[static_cast<std::size_t>(k)]) {
        const auto j = static_cast<std::size_t>(k);
        if (j <= after) continue;
        const Shape& s = shapes_[j];
        const double near = (radius + s.radius + kQuerySlack) * (1.0 + kRelativeMargin) + kAbsoluteMargin;
        if (std::abs(centre.x - s.x) <= near && std::abs(centre.y - s.y) <= near) {
          found_.push_back(static_cast<std::uint32_t>(j));
        }
      }
    }
  }
}

std::size_t collisiongrid::next(std::size_t index) const {
  if (index >= cell_.size()) return kNone;
  std::size_t best = kNone;
  for (const std::uint32_t j : found_) {
    if (j > index && j < best) best = j;
  }
  return best;
}

bool collisiongrid::cellrange(const vect2d& centre, double radius, range& out) const {
  const double reach = radius + maxradius_;
  // A negative or not-a-number reach admits no overlap at all.
  if (!built_ || !(reach >= 0.0) || !Finite(centre)) return false;
  // Every centre within reach, with room for the rounding of centre +-
  // limit at the centre's own magnitude.
  const double limit = reach * (1.0 + kRelativeMargin) + kRelativeMargin * (std::abs(centre.x) + std::abs(centre.y)) +
                       kAbsoluteMargin;
  out.c0 = column(centre.x - limit);
  out.c1 = column(centre.x + limit);
  out.r0 = row(centre.y - limit);
  out.r1 = row(centre.y + limit);
  return true;
}

std::size_t collisiongrid::startcursors(const range& area, std::size_t after) {
  cursors_.clear();
  for (std::int32_t r = area.r0; r <= area.r1; ++r) {
    const std::int32_t* const heads = heads_.data() + static_cast<std::ptrdiff_t>(r) * columns_;
    for (std::int32_t c = area.c0; c <= area.c1; ++c) {
      std::int32_t k = heads[c];
      while (k >= 0 && static_cast<std::size_t>(k) <= after) k = after_[static_cast<std::size_t>(k)];
      if (k >= 0) cursors_.push_back(k);
    }
  }
  return cursors_.size();
}

std::uint64_t gridwalk(std::size_t index, const std::vector<body*>& bodies, collisiongrid& grid) {
  if (index >= bodies.size() || bodies.size() != grid.size() || bodies[index] == nullptr) return 0;
  body& b = *bodies[index];
  collisiongrid::range area;
  if (!grid.cellrange(b.pos, b.radius, area)) return 0;
  std::uint64_t tests = 0;
  int resolved = 0;
  // The chains of the cells within reach are merged lazily in ascending
  // order: the walk usually ends at its fourth collision long before it has
  // seen every body near it. Each body is tested against b's centre at the
  // time, as the walk along the list does; the bodies after the current one
  // have not moved, so after a collision only b's own range can change.
  std::size_t count = grid.startcursors(area, index);
  std::int32_t* cursors = grid.cursors_.data();
  while (count != 0) {
    std::size_t smallest = 0;
    for (std::size_t k = 1; k < count; ++k) {
      if (cursors[k] < cursors[smallest]) smallest = k;
    }
    const auto j = static_cast<std::size_t>(cursors[smallest]);
    const std::int32_t following = grid.after_[j];
    if (following >= 0) {
      cursors[smallest] = following;
    } else {
      cursors[smallest] = cursors[--count];
    }
    if (!grid.mayoverlap(j, b.pos, b.radius)) continue;
    body& o = *bodies[j];
    ++tests;
    if (!b.overlaps(o)) continue;
    b.handlecollision(o);
    o.sleep = 0;
    grid.moved(j);
    ++resolved;
    if (resolved >= kCollisionsPerWalk) break;
    collisiongrid::range now;
    if (!grid.cellrange(b.pos, b.radius, now)) break;
    if (now.c0 != area.c0 || now.c1 != area.c1 || now.r0 != area.r0 || now.r1 != area.r1) {
      area = now;
      count = grid.startcursors(area, j);
      cursors = grid.cursors_.data();
    }
  }
  return tests;
}
