// Helpers for the simulation tests: a fingerprint of every body's bits and
// a bit-exact comparison of two worlds.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "sim/simulation.h"

namespace simstate {

inline std::uint64_t Bits(double v) {
  std::uint64_t u = 0;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

// FNV-1a over the bits of every body's pos and vel, in list order.
inline std::uint64_t Fingerprint(const TList& list) {
  std::uint64_t h = 14695981039346656037ull;
  for (const TLink* l = list._head._succ; l != &list._head; l = l->_succ) {
    const body& b = *l->_value;
    for (const double v : {b.pos.x, b.pos.y, b.vel.x, b.vel.y}) {
      std::uint64_t u = Bits(v);
      for (int i = 0; i < 8; ++i) {
        h ^= u & 0xFF;
        h *= 1099511628211ull;
        u >>= 8;
      }
    }
  }
  return h;
}

// Empty when both lists hold the same number of bodies with bit-identical
// pos and vel; otherwise a description of the first difference.
inline std::string FirstDifference(const TList& a, const TList& b) {
  const TLink* x = a._head._succ;
  const TLink* y = b._head._succ;
  for (int i = 0; x != &a._head || y != &b._head; ++i, x = x->_succ, y = y->_succ) {
    if (x == &a._head || y == &b._head) return "lists differ in length";
    const body& p = *x->_value;
    const body& q = *y->_value;
    if (Bits(p.pos.x) != Bits(q.pos.x) || Bits(p.pos.y) != Bits(q.pos.y) ||
        Bits(p.vel.x) != Bits(q.vel.x) || Bits(p.vel.y) != Bits(q.vel.y)) {
      return "body " + std::to_string(i) + " differs";
    }
  }
  return {};
}

}  // namespace simstate
