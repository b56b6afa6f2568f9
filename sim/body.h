// The circular particles of the simulation and the ordered list that holds
// them. The frame simulation creates the bodies, steps them and walks the
// list; tests and benchmarks build lists of their own.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "sim/vect2d.h"

struct body;
class TList;

// A node of a TList: the value it holds and its neighbours.
struct TLink {
  body* _value = nullptr;
  TLink* _succ = nullptr;
  TLink* _pred = nullptr;
};

struct body {
  static constexpr double kBounceFactor = -2.200000047683716;     // -2.2 in single precision
  static constexpr double kBounceStrength = 0.10000000149011612;  // 0.1 in single precision

  double mass = 0.0;
  double imass = 0.0;
  double radius = 0.0;
  double diameter = 0.0;
  double r2 = 0.0;
  vect2d vel;
  vect2d pos;
  // The centre before the current frame step; empty until the first step.
  std::optional<vect2d> lpos;
  // Cleared on the partner of every resolved collision; nothing reads it.
  std::int32_t sleep = 0;
  // The node that holds this body in its list.
  TLink* link = nullptr;

  // Mutual pull between b and point (a push when pointermass is negative).
  // Changes b.vel and moves point itself by its share of the reaction; does
  // nothing when point lies less than 1 unit from the centre.
  static void applygravity(body& b, vect2d& point, double strength, float pointermass);
  // A new body at (x, y), appended to the end of list; the returned body
  // lives in the list's storage, its link set to the node that holds it.
  static body& Create(TList& list, double mass, double radius, double x, double y);
  void setradius(double r);
  void setmass(double m);
  void setpos(double x, double y);
  // 1 when the centres are strictly closer than the sum of the radii.
  std::int32_t overlaps(const body& other) const;
  // Moves two overlapping bodies apart (the lighter one farther) and, unless
  // they already separate, changes their velocities along the correction.
  void handlecollision(body& other);
};

// An ordered doubly linked list of bodies with a head sentinel. The list
// owns its bodies and nodes and keeps them in large blocks that never move,
// so a forward walk reads nearly contiguous memory and every pointer handed
// out stays valid for the list's life.
class TList {
 public:
  TList();
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  // Copies value into the list's storage, appends a node holding that copy,
  // points the copy's link at that node and returns the node.
  TLink* AddLast(const body& value);
  std::size_t Count() const { return count_; }
  // Makes room so that the next `count` bodies are stored in one block.
  void Reserve(std::size_t count);

  // The sentinel: _succ is the first node and _pred the last; a forward
  // walk ends when it comes back here.
  TLink _head;

 private:
  struct Slot {
    body value;
    TLink link;
  };
  struct Block {
    std::unique_ptr<Slot[]> slots;
    std::size_t capacity = 0;
    std::size_t used = 0;
  };
  void NewBlock(std::size_t capacity);

  std::vector<Block> blocks_;
  std::size_t count_ = 0;
};

// The collision operations run in the innermost loop of every frame, so
// they are defined here where the walks can inline them.

inline std::int32_t body::overlaps(const body& other) const {
  return pos.dist(other.pos) < radius + other.radius ? 1 : 0;
}

inline void body::handlecollision(body& other) {
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
  const double j = ((vn * kBounceFactor) / s) * kBounceStrength;
  c.applyscale(j);
  a.vel.applyadd(c.scale(a.imass));
  b.vel.applysub(c.scale(b.imass));
}
