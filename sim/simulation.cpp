#include "sim/simulation.h"

#include <algorithm>
#include <bit>
#include <optional>

#include "sim/random.h"

namespace {

constexpr double kWorldExtent = 640.0;
constexpr double kPointerStrength = 0.10000000149011612;  // 0.1 in single precision
constexpr double kDamping = 0.9800000190734863;           // 0.98 in single precision
constexpr double kCellSize = 2.5;
constexpr double kPixelsPerCell = 2.0;

// The integer part of v, or nothing when v is not a number or lies outside
// the 32-bit range.
std::optional<std::int32_t> Truncate(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return std::nullopt;
  return static_cast<std::int32_t>(v);
}

float ToPixel(double world) { return static_cast<float>(world / kCellSize * kPixelsPerCell); }

}  // namespace

simulation::simulation(collisionwalk walk)
    : walk(walk),
      density_(static_cast<std::size_t>(kDensityCells) * kDensityCells, 0),
      occupied_(density_.size() / 64, 0) {}

void simulation::createbodies(int count) {
  if (count > 0) bodylist.Reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double y = RandomRange(0.0, kWorldExtent);
    const double x = RandomRange(0.0, kWorldExtent);
    const double radius = RandomRange(1.25, 2.0);
    const double mass = RandomRange(2.0, 28.0);
    body::Create(bodylist, mass, radius, x, y);
  }
}

void simulation::frame(const pointerview& pointer, framedrawing& out) {
  out.lines.clear();
  out.cells.clear();
  applypointerforce(pointer);
  // The flip comes after this frame's forces: it acts from the next frame,
  // while this frame's mark already shows the new sign.
  if (pointer.pressed3) pointermass = -pointermass;

  bool usegrid = false;
  if (walk == collisionwalk::grid) {
    order_.clear();
    for (TLink* l = bodylist._head._succ; l != &bodylist._head; l = l->_succ)
      order_.push_back(l->_value);
    usegrid = grid_.build(order_);
  }
  if (usegrid) {
    for (std::size_t i = 0; i < order_.size(); ++i) {
      body& b = *order_[i];
      movebody(b);
      overlaptests += gridwalk(i, order_, grid_);
      finishbody(b, out);
    }
  } else {
    for (TLink* l = bodylist._head._succ; l != &bodylist._head; l = l->_succ) {
      body& b = *l->_value;
      movebody(b);
      literalwalk(b);
      finishbody(b, out);
    }
  }
  densitypass(out);

  const auto px = static_cast<std::int64_t>(pointer.pointerx);
  const auto py = static_cast<std::int64_t>(pointer.pointery);
  if (pointermass > 0.0f) {
    out.mark = {static_cast<float>(px - 2), static_cast<float>(py), static_cast<float>(px + 2),
                static_cast<float>(py)};
  } else {
    out.mark = {static_cast<float>(px), static_cast<float>(py - 2), static_cast<float>(px),
                static_cast<float>(py + 2)};
  }
}

void simulation::applypointerforce(const pointerview& pointer) {
  // The upper-left corner of the density cell under the pointer: the pixel
  // halved toward zero, times a single-precision 2.5.
  const vect2d target = vect2d::Create(static_cast<float>(pointer.pointerx / 2) * 2.5f,
                                       static_cast<float>(pointer.pointery / 2) * 2.5f);
  TLink* const head = &bodylist._head;
  if (pointer.pressed1 || pointer.pressed2) {
    // The frame a pull begins only places the attractor: no force, no gravity.
    attractor = target;
  } else if (pointer.down2) {
    attractor = attractor.lerp(target, 0.25);
    for (TLink* l = head->_succ; l != head; l = l->_succ) {
      body::applygravity(*l->_value, attractor, kPointerStrength, pointermass);
    }
  } else if (pointer.down1) {
    attractor = attractor.lerp(target, 0.25);
    for (TLink* l = head->_succ; l != head; l = l->_succ) {
      body::applygravity(*l->_value, attractor, kPointerStrength, pointermass);
      l->_value->vel.applyadd(gravity);
    }
  } else {
    for (TLink* l = head->_succ; l != head; l = l->_succ) l->_value->vel.applyadd(gravity);
  }
}

void simulation::movebody(body& b) const {
  b.lpos = b.pos.copy();
  b.pos.applyadd(b.vel.scale(1.0));
  // Heavier bodies bounce harder. The top is open and x is never clamped.
  const double k = 1.0 - kDamping / b.mass;
  if (b.pos.x >= kWorldExtent && b.vel.x > 0.0) b.vel.x = -b.vel.x * k;
  if (b.pos.x <= 0.0 && b.vel.x < 0.0) b.vel.x = -b.vel.x * k;
  if (b.pos.y >= kWorldExtent && b.vel.y > 0.0) b.vel.y = -b.vel.y * k;
  if (b.pos.y > kWorldExtent) b.pos.y = kWorldExtent;
}

void simulation::literalwalk(body& b) {
  // Every later body in list order; the walk ends after the fourth resolved
  // collision, not the third.
  int resolved = 0;
  std::uint64_t tests = 0;
  for (TLink* l = b.link->_succ; l != &bodylist._head; l = l->_succ) {
    body& o = *l->_value;
    ++tests;
    if (b.overlaps(o)) {
      b.handlecollision(o);
      o.sleep = 0;
      ++resolved;
      if (resolved >= kCollisionsPerWalk) break;
    }
  }
  overlaptests += tests;
}

void simulation::finishbody(body& b, framedrawing& out) {
  b.vel.applyscale(kDamping);
  // Only the row is clamped: a body resting on the floor counts in the last
  // row, while one at or beyond the right wall is not counted.
  const std::optional<std::int32_t> column = Truncate(b.pos.x / kCellSize);
  std::optional<std::int32_t> row = Truncate(b.pos.y / kCellSize);
  if (row && *row >= kDensityCells) row = kDensityCells - 1;
  if (column && row && *column >= 0 && *column < kDensityCells && *row >= 0) {
    const std::size_t cell =
        static_cast<std::size_t>(*column) * kDensityCells + static_cast<std::size_t>(*row);
    ++density_[cell];
    occupied_[cell / 64] |= std::uint64_t{1} << (cell % 64);
  }
  const vect2d& from = *b.lpos;
  out.lines.push_back({ToPixel(b.pos.x), ToPixel(b.pos.y), ToPixel(from.x), ToPixel(from.y)});
}

void simulation::densitypass(framedrawing& out) {
  // Cells in index order are column by column, rows within a column; the
  // occupancy bits lead straight to the non-empty ones.
  for (std::size_t w = 0; w < occupied_.size(); ++w) {
    std::uint64_t bits = occupied_[w];
    occupied_[w] = 0;
    while (bits != 0) {
      const std::size_t cell = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
      bits &= bits - 1;
      const std::int32_t count = density_[cell];
      density_[cell] = 0;
      const auto c = static_cast<std::int32_t>(
          std::min<std::int64_t>(50, 15 * static_cast<std::int64_t>(count)));
      out.cells.push_back({static_cast<std::int32_t>(cell / kDensityCells),
                           static_cast<std::int32_t>(cell % kDensityCells),
                           count,
                           {192 + c, 192 + c, 200 + c}});
    }
  }
}
