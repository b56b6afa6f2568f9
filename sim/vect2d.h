// The simulation's 2D vector of doubles: positions, velocities, directions
// and the attracting point. Used by the bodies and the frame simulation.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

#include "support/text.h"

// A plain value: plainly named operations return a new vector, the `apply`
// forms change the receiver in place. Angles are in degrees.
struct vect2d {
  double x = 0.0;
  double y = 0.0;

  // "x,y", each component printed with "%#.17lg".
  Text ToString() const;
  // Orders by squared length, as comparevects.
  std::int32_t compare(const vect2d& o) const;

  static vect2d Create(double p, double q);
  vect2d copy() const;
  void set(double p, double q);
  void setto(const vect2d& v);
  void setzero();

  std::int32_t iszero() const;
  // 1 when each component lies within the receiver's component times t
  // (bounds inclusive, so a vector always equals an identical one).
  std::int32_t equals(const vect2d& v, double t) const;
  std::int32_t equalsexact(const vect2d& v) const;
  std::int32_t comparevects(const vect2d& v) const;

  vect2d add(const vect2d& v) const;
  vect2d addx(const vect2d& v) const;
  vect2d addy(const vect2d& v) const;
  void applyadd(const vect2d& v);
  void applyaddx(const vect2d& v);
  void applyaddy(const vect2d& v);
  vect2d sub(const vect2d& v) const;
  void applysub(const vect2d& v);
  vect2d mult(const vect2d& v) const;
  void applymult(const vect2d& v);
  vect2d div(const vect2d& v) const;
  void applydiv(const vect2d& v);
  vect2d negate() const;
  void applynegate();
  vect2d negatex() const;
  vect2d negatey() const;
  void applynegatex();
  void applynegatey();
  vect2d scale(double s) const;
  void applyscale(double s);

  double dot(const vect2d& v) const;
  // The 2D cross product x * v.y - y * v.x.
  double cross(const vect2d& v) const;
  double length() const;
  double lengthsq() const;
  double dist(const vect2d& v) const;
  double distsq(const vect2d& v) const;

  // The plain forms divide by the length unguarded (a zero vector gives
  // not-a-numbers); the safe forms give or leave a zero vector instead.
  vect2d normalize() const;
  void applynormalize();
  vect2d normalizesafe() const;
  void applynormalizesafe();
  vect2d clamp(double s) const;
  void applyclamp(double s);

  vect2d perp() const;
  vect2d rperp() const;
  vect2d project(const vect2d& v) const;
  vect2d rotate(const vect2d& v) const;
  vect2d unrotate(const vect2d& v) const;

  vect2d lerp(const vect2d& v, double t) const;
  // The receiver moved toward v by at most d.
  vect2d lerpconst(const vect2d& v, float d) const;

  double angleto(const vect2d& v) const;
  static vect2d forangle(double a);
  double toangle() const;
  double slope() const;
  vect2d recttopolar() const;
  vect2d polartorect() const;

  // Turn by a about c, the opposite way from rotate(forangle(a)).
  vect2d pivot(const vect2d& c, double a) const;
  void applypivot(const vect2d& c, double a);
  vect2d pivotorigin(double a) const;
  void applypivotorigin(double a);
};

// Where the line through p with direction d meets y = t (x = t); empty when
// the line runs parallel to that axis line.
std::optional<vect2d> pointaty(const vect2d& p, const vect2d& d, double t);
std::optional<vect2d> pointatx(const vect2d& p, const vect2d& d, double t);

// The small operations are defined here so that the physics inlines them.
inline std::int32_t vect2d::compare(const vect2d& o) const { return comparevects(o); }
inline vect2d vect2d::Create(double p, double q) { return vect2d{p, q}; }
inline vect2d vect2d::copy() const { return *this; }
inline void vect2d::set(double p, double q) {
  x = p;
  y = q;
}
inline void vect2d::setto(const vect2d& v) {
  x = v.x;
  y = v.y;
}
inline void vect2d::setzero() {
  x = 0.0;
  y = 0.0;
}
inline std::int32_t vect2d::iszero() const { return (x == 0.0 && y == 0.0) ? 1 : 0; }
inline std::int32_t vect2d::equals(const vect2d& v, double t) const {
  if (!(std::abs(x - v.x) <= std::abs(x * t))) return 0;
  return std::abs(y - v.y) <= std::abs(y * t) ? 1 : 0;
}
inline std::int32_t vect2d::equalsexact(const vect2d& v) const {
  return (x == v.x && y == v.y) ? 1 : 0;
}
inline std::int32_t vect2d::comparevects(const vect2d& v) const {
  const double mine = lengthsq();
  const double theirs = v.lengthsq();
  if (mine > theirs) return 1;
  if (mine == theirs) return 0;
  return -1;
}
inline vect2d vect2d::add(const vect2d& v) const { return {x + v.x, y + v.y}; }
inline vect2d vect2d::addx(const vect2d& v) const { return {x + v.x, y}; }
inline vect2d vect2d::addy(const vect2d& v) const { return {x, y + v.y}; }
inline void vect2d::applyadd(const vect2d& v) {
  x = x + v.x;
  y = y + v.y;
}
inline void vect2d::applyaddx(const vect2d& v) { x = x + v.x; }
inline void vect2d::applyaddy(const vect2d& v) { y = y + v.y; }
inline vect2d vect2d::sub(const vect2d& v) const { return {x - v.x, y - v.y}; }
inline void vect2d::applysub(const vect2d& v) {
  x = x - v.x;
  y = y - v.y;
}
inline vect2d vect2d::mult(const vect2d& v) const { return {x * v.x, y * v.y}; }
inline void vect2d::applymult(const vect2d& v) {
  x = x * v.x;
  y = y * v.y;
}
inline vect2d vect2d::div(const vect2d& v) const { return {x / v.x, y / v.y}; }
inline void vect2d::applydiv(const vect2d& v) {
  x = x / v.x;
  y = y / v.y;
}
inline vect2d vect2d::negate() const { return {-x, -y}; }
inline void vect2d::applynegate() {
  x = -x;
  y = -y;
}
inline vect2d vect2d::negatex() const { return {-x, y}; }
inline vect2d vect2d::negatey() const { return {x, -y}; }
inline void vect2d::applynegatex() { x = -x; }
inline void vect2d::applynegatey() { y = -y; }
inline vect2d vect2d::scale(double s) const { return {x * s, y * s}; }
inline void vect2d::applyscale(double s) {
  x = x * s;
  y = y * s;
}
inline double vect2d::dot(const vect2d& v) const { return x * v.x + y * v.y; }
inline double vect2d::cross(const vect2d& v) const { return x * v.y - y * v.x; }
inline double vect2d::length() const { return std::sqrt(x * x + y * y); }
inline double vect2d::lengthsq() const { return x * x + y * y; }
inline double vect2d::dist(const vect2d& v) const {
  const double dx = x - v.x;
  const double dy = y - v.y;
  return std::sqrt(dx * dx + dy * dy);
}
inline double vect2d::distsq(const vect2d& v) const {
  const double dx = x - v.x;
  const double dy = y - v.y;
  return dx * dx + dy * dy;
}
inline vect2d vect2d::normalize() const {
  const double l = length();
  return {x / l, y / l};
}
inline void vect2d::applynormalize() {
  const double l = length();
  x = x / l;
  y = y / l;
}
inline vect2d vect2d::normalizesafe() const {
  const double l = length();
  if (l == 0.0) return {};
  return {x / l, y / l};
}
inline void vect2d::applynormalizesafe() {
  const double l = length();
  if (l == 0.0) {
    setzero();
    return;
  }
  x = x / l;
  y = y / l;
}
inline vect2d vect2d::clamp(double s) const {
  if (lengthsq() > s * s) return normalize().scale(s);
  return copy();
}
inline void vect2d::applyclamp(double s) {
  if (lengthsq() > s * s) {
    applynormalize();
    applyscale(s);
  }
}
inline vect2d vect2d::perp() const { return {-y, x}; }
inline vect2d vect2d::rperp() const { return {y, -x}; }
inline vect2d vect2d::project(const vect2d& v) const { return v.scale(dot(v) / v.lengthsq()); }
inline vect2d vect2d::rotate(const vect2d& v) const {
  return {x * v.x - y * v.y, x * v.y + y * v.x};
}
inline vect2d vect2d::unrotate(const vect2d& v) const {
  return {x * v.x + y * v.y, y * v.x - x * v.y};
}
inline vect2d vect2d::lerp(const vect2d& v, double t) const {
  return scale(1.0 - t).add(v.scale(t));
}
