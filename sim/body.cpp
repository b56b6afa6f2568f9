#include "sim/body.h"

#include <algorithm>

namespace {

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
  return *list.AddLast(fresh)->_value;
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
  // The stored body always knows its own node, whatever the copy carried.
  slot.value.link = &slot.link;
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
