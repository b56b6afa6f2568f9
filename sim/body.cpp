#include "sim/body.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRestitutionFactor = -2.200000047683716;  // -2.2 in single precision
constexpr double kCollisionStrength = 0.10000000149011612;  // 0.1 in single precision
constexpr std::size_t kMinimumBlock = 256;

}  // namespace

void body::applygravity(body& b, vect2d& point, double strength, float pointermass) {
  const double q = b.pos.distsq(point);
  if (!(q >= 1.0)) return;
  const double m = static_cast<double>(pointermass);
  double f = (b.mass * m) / (q * 4.0);
  f = f * strength;
  vect2d u = b.pos.sub(point);
  u.applynormalize();
  const double rho = b.mass / (b.mass + m);
  point.applyadd(u.scale(f * rho));
  b.vel.applysub(u.scale(f * (1.0 - rho)));
}

body& body::Create(TList& list, double mass, double radius, double x, double y) {
  body fresh;
  fresh.setpos(x, y);
  fresh.setmass(mass);
  fresh.setradius(radius);
  TLink* node = list.AddLast(fresh);
  node->_value->link = node;
  return *node->_value;
}

void body::setradius(double r) {
  radius = r;
  diameter = r + r;
  r2 = r * r;
}

void body::setmass(double m) {
  mass = m;
  imass = 1.0 / m;
}

void body::setpos(double x, double y) {
  pos.x = x;
  pos.y = y;
}

std::int32_t body::overlaps(const body& other) const {
  return pos.dist(other.pos) < radius + other.radius ? 1 : 0;
}

void body::handlecollision(body& other) {
  body& a = *this;
  body& b = other;
  const vect2d d = a.pos.sub(b.pos);
  const double l = d.length();
  const double reach = a.radius + b.radius;
  const double depthperlength = (reach - l) / l;
  vect2d c;
  vect2d n;
  if (std::isfinite(l) && std::isfinite(reach) && !std::isfinite(depthperlength)) {
    // The centres coincide (or lie so close that d carries no direction):
    // push a toward +x and b toward -x rather than along a not-a-number.
    n = vect2d{1.0, 0.0};
    c = n.scale(reach - l);
  } else {
    c = d.scale(depthperlength);
    n = c.normalize();
  }
  const double s = a.imass + b.imass;
  a.pos.applyadd(c.scale(a.imass / s));
  b.pos.applysub(c.scale(b.imass / s));
  // A correction of zero length (bodies exactly touching) has no direction
  // and changes no velocity.
  if (c.iszero()) return;
  const vect2d v = a.vel.sub(b.vel);
  const double vn = v.dot(n);
  if (vn > 0.0) return;
  const double j = ((vn * kRestitutionFactor) / s) * kCollisionStrength;
  c.applyscale(j);
  a.vel.applyadd(c.scale(a.imass));
  b.vel.applysub(c.scale(b.imass));
}

TList::TList() {
  _head._succ = &_head;
  _head._pred = &_head;
}

TLink* TList::AddLast(const body& value) {
  if (blocks_.empty() || blocks_.back().used == blocks_.back().capacity) {
    NewBlock(std::max(kMinimumBlock, count_));
  }
  Block& block = blocks_.back();
  Slot& slot = block.slots[block.used];
  ++block.used;
  slot.value = value;
  slot.link._value = &slot.value;
  slot.link._pred = _head._pred;
  slot.link._succ = &_head;
  _head._pred->_succ = &slot.link;
  _head._pred = &slot.link;
  ++count_;
  return &slot.link;
}

void TList::Reserve(std::size_t count) {
  if (!blocks_.empty() && blocks_.back().capacity - blocks_.back().used >= count) return;
  NewBlock(std::max(kMinimumBlock, count));
}

void TList::NewBlock(std::size_t capacity) {
  Block block;
  block.slots = std::make_unique<Slot[]>(capacity);
  block.capacity = capacity;
  blocks_.push_back(std::move(block));
}
