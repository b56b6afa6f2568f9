#include "sim/vect2d.h"

#include <cmath>
#include <limits>

#include "support/format.h"

namespace {

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;

double SinDegrees(double a) { return std::sin(a * kDegreesToRadians); }
double CosDegrees(double a) { return std::cos(a * kDegreesToRadians); }

}  // namespace

Text vect2d::ToString() const { return FromUtf8(Format("%#.17lg,%#.17lg", x, y)); }

vect2d vect2d::lerpconst(const vect2d& v, float d) const {
  return add(v.sub(*this).clamp(static_cast<double>(d)));
}

double vect2d::angleto(const vect2d& v) const {
  return std::atan2(v.y - y, v.x - x) * kRadiansToDegrees;
}

vect2d vect2d::forangle(double a) { return {CosDegrees(a), SinDegrees(a)}; }

double vect2d::toangle() const { return std::atan2(y, x) * kRadiansToDegrees; }

double vect2d::slope() const {
  if (x != 0.0) return y / x;
  return std::numeric_limits<double>::infinity();
}

vect2d vect2d::recttopolar() const { return {length(), toangle()}; }

vect2d vect2d::polartorect() const { return {x * CosDegrees(y), x * SinDegrees(y)}; }

vect2d vect2d::pivot(const vect2d& c, double a) const {
  const vect2d d{x - c.x, y - c.y};
  const double cs = CosDegrees(a);
  const double sn = SinDegrees(a);
  return {d.x * cs + d.y * sn + c.x, -d.x * sn + d.y * cs + c.y};
}

void vect2d::applypivot(const vect2d& c, double a) {
  // Step by step on the receiver, reading the centre afresh at each step, so
  // a centre that is the receiver itself behaves like a shared object would.
  x = x - c.x;
  y = y - c.y;
  applypivotorigin(a);
  x = x + c.x;
  y = y + c.y;
}

vect2d vect2d::pivotorigin(double a) const {
  const double cs = CosDegrees(a);
  const double sn = SinDegrees(a);
  return {x * cs + y * sn, -x * sn + y * cs};
}

void vect2d::applypivotorigin(double a) { *this = pivotorigin(a); }

std::optional<vect2d> pointaty(const vect2d& p, const vect2d& d, double t) {
  if (d.y == 0.0) return std::nullopt;
  return vect2d{p.x + (d.x / d.y) * (t - p.y), t};
}

std::optional<vect2d> pointatx(const vect2d& p, const vect2d& d, double t) {
  if (d.x == 0.0) return std::nullopt;
  return vect2d{t, p.y + (d.y / d.x) * (t - p.x)};
}
