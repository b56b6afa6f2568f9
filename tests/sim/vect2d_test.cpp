#include "sim/vect2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

void ExpectVector(const vect2d& v, double x, double y) {
  EXPECT_EQ(v.x, x);
  EXPECT_EQ(v.y, y);
}

TEST(Vect2dText, SeventeenSignificantDigitsWithPointAndZerosKept) {
  EXPECT_EQ(vect2d::Create(1, 2.5).ToString(), u"1.0000000000000000,2.5000000000000000");
  EXPECT_EQ(vect2d::Create(0.1, -3).ToString(), u"0.10000000000000001,-3.0000000000000000");
}

TEST(Vect2dComparison, EqualsUsesTheReceiversComponentsAsInclusiveBounds) {
  EXPECT_EQ(vect2d::Create(1, 2).equals(vect2d::Create(1.05, 2.05), 0.1), 1);
  // A vector always equals an identical one, also with a zero component.
  EXPECT_EQ(vect2d::Create(0, 2).equals(vect2d::Create(0, 2), 0.0), 1);
  EXPECT_EQ(vect2d::Create(0, 2).equals(vect2d::Create(0, 2), 0.5), 1);
  // Only the receiver sets the bound: 1 vs 1.2 fails, 10 vs 9.8 passes at 0.1.
  EXPECT_EQ(vect2d::Create(1, 10).equals(vect2d::Create(1.2, 10), 0.1), 0);
  EXPECT_EQ(vect2d::Create(10, 1).equals(vect2d::Create(9.8, 1), 0.1), 1);
  EXPECT_EQ(vect2d::Create(1, 1).equals(vect2d::Create(1, 1.5), 0.1), 0);
  EXPECT_EQ(vect2d::Create(1, 1).equals(vect2d::Create(NAN, 1), 0.1), 0);
}

TEST(Vect2dComparison, OrdersBySquaredLengthOnly) {
  EXPECT_EQ(vect2d::Create(3, 4).comparevects(vect2d::Create(5, 0)), 0);
  EXPECT_EQ(vect2d::Create(3, 4).comparevects(vect2d::Create(1, 1)), 1);
  EXPECT_EQ(vect2d::Create(1, 1).comparevects(vect2d::Create(3, 4)), -1);
  EXPECT_EQ(vect2d::Create(1, 1).compare(vect2d::Create(3, 4)), -1);
  EXPECT_EQ(vect2d::Create(0, 0).iszero(), 1);
  EXPECT_EQ(vect2d::Create(0, -0.0).iszero(), 1);
  EXPECT_EQ(vect2d::Create(0, 1e-300).iszero(), 0);
  EXPECT_EQ(vect2d::Create(1, 2).equalsexact(vect2d::Create(1, 2)), 1);
  EXPECT_EQ(vect2d::Create(1, 2).equalsexact(vect2d::Create(1, 2.0000000000000004)), 0);
}

TEST(Vect2dArithmetic, PlainFormsLeaveTheReceiverAndApplyFormsChangeIt) {
  const vect2d a = vect2d::Create(6, -8);
  const vect2d b = vect2d::Create(2, 4);
  ExpectVector(a.add(b), 8, -4);
  ExpectVector(a.addx(b), 8, -8);
  ExpectVector(a.addy(b), 6, -4);
  ExpectVector(a.sub(b), 4, -12);
  ExpectVector(a.mult(b), 12, -32);
  ExpectVector(a.div(b), 3, -2);
  ExpectVector(a.negate(), -6, 8);
  ExpectVector(a.negatex(), -6, -8);
  ExpectVector(a.negatey(), 6, 8);
  ExpectVector(a.scale(0.5), 3, -4);
  ExpectVector(a, 6, -8);

  vect2d v = a;
  v.applyaddx(b);
  ExpectVector(v, 8, -8);
  v.applyaddy(b);
  ExpectVector(v, 8, -4);
  v.applysub(b);
  ExpectVector(v, 6, -8);
  v.applymult(b);
  ExpectVector(v, 12, -32);
  v.applydiv(b);
  ExpectVector(v, 6, -8);
  v.applynegatex();
  ExpectVector(v, -6, -8);
  v.applynegatey();
  ExpectVector(v, -6, 8);
  v.applynegate();
  ExpectVector(v, 6, -8);
  v.applyscale(2);
  ExpectVector(v, 12, -16);
  v.applyadd(v);  // the argument may be the receiver itself
  ExpectVector(v, 24, -32);
  v.applysub(v);
  ExpectVector(v, 0, 0);
}

TEST(Vect2dArithmetic, DivisionByZeroGivesIeeeResults) {
  const vect2d q = vect2d::Create(1, 0).div(vect2d::Create(0, 0));
  EXPECT_EQ(q.x, std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(q.y));
  const vect2d p = vect2d::Create(1, 1).project(vect2d::Create(0, 0));
  EXPECT_TRUE(std::isnan(p.x));
}

TEST(Vect2dProducts, CrossIsTheTwoDimensionalCrossProduct) {
  EXPECT_EQ(vect2d::Create(1, 2).cross(vect2d::Create(3, 4)), -2);
  EXPECT_EQ(vect2d::Create(3, 4).cross(vect2d::Create(1, 2)), 2);
  EXPECT_EQ(vect2d::Create(1, 2).dot(vect2d::Create(3, 4)), 11);
  EXPECT_EQ(vect2d::Create(3, 4).length(), 5);
  EXPECT_EQ(vect2d::Create(3, 4).lengthsq(), 25);
  EXPECT_EQ(vect2d::Create(4, 6).dist(vect2d::Create(1, 2)), 5);
  EXPECT_EQ(vect2d::Create(4, 6).distsq(vect2d::Create(1, 2)), 25);
}

TEST(Vect2dNormalisation, SafeFormsGuardTheZeroVector) {
  ExpectVector(vect2d::Create(3, 4).normalize(), 0.6, 0.8);
  ExpectVector(vect2d::Create(0, 0).normalizesafe(), 0, 0);
  ExpectVector(vect2d::Create(0, -5).normalizesafe(), 0, -1);
  vect2d zero;
  zero.applynormalizesafe();
  ExpectVector(zero, 0, 0);
  vect2d v = vect2d::Create(3, 4);
  v.applynormalize();
  ExpectVector(v, 0.6, 0.8);
  const vect2d unguarded = vect2d::Create(0, 0).normalize();
  EXPECT_TRUE(std::isnan(unguarded.x) && std::isnan(unguarded.y));
}

TEST(Vect2dNormalisation, ClampShortensOnlyVectorsLongerThanTheLimit) {
  const vect2d v = vect2d::Create(3, 4);
  const vect2d two = v.clamp(2);
  EXPECT_DOUBLE_EQ(two.x, 1.2);
  EXPECT_DOUBLE_EQ(two.y, 1.6);
  ExpectVector(v.clamp(5), 3, 4);  // exactly as long: unchanged
  const vect2d negative = v.clamp(-2);
  EXPECT_DOUBLE_EQ(negative.x, -1.2);
  EXPECT_DOUBLE_EQ(negative.y, -1.6);
  vect2d w = v;
  w.applyclamp(2);
  EXPECT_EQ(w.x, two.x);
  EXPECT_EQ(w.y, two.y);
  w = v;
  w.applyclamp(5);
  ExpectVector(w, 3, 4);
}

TEST(Vect2dGeometry, PerpendicularsProjectionAndRotation) {
  ExpectVector(vect2d::Create(1, 2).perp(), -2, 1);
  ExpectVector(vect2d::Create(1, 2).rperp(), 2, -1);
  ExpectVector(vect2d::Create(2, 3).project(vect2d::Create(2, 0)), 2, 0);
  const vect2d turned = vect2d::Create(1, 0).rotate(vect2d::forangle(90));
  EXPECT_NEAR(turned.x, 0, 1e-15);
  EXPECT_EQ(turned.y, 1);
  ExpectVector(vect2d::Create(2, 3).unrotate(vect2d::Create(0, 1)), 3, -2);
}

TEST(Vect2dInterpolation, LerpAndLerpconst) {
  ExpectVector(vect2d::Create(0, 0).lerp(vect2d::Create(10, 20), 0.25), 2.5, 5);
  ExpectVector(vect2d::Create(0, 0).lerpconst(vect2d::Create(10, 0), 3), 3, 0);
  ExpectVector(vect2d::Create(0, 0).lerpconst(vect2d::Create(1, 0), 3), 1, 0);
  // The distance is a single-precision argument.
  EXPECT_EQ(vect2d::Create(0, 0).lerpconst(vect2d::Create(10, 0), 0.1f).x,
            static_cast<double>(0.1f));
}

TEST(Vect2dAngles, DegreesEverywhere) {
  EXPECT_EQ(vect2d::Create(0, 1).toangle(), 90);
  EXPECT_EQ(vect2d::Create(-1, 0).toangle(), 180);
  EXPECT_EQ(vect2d::Create(0, -1).toangle(), -90);
  EXPECT_EQ(vect2d::Create(0, 0).toangle(), 0);
  EXPECT_EQ(vect2d::Create(1, 1).angleto(vect2d::Create(1, 5)), 90);
  ExpectVector(vect2d::Create(0, 2).recttopolar(), 2, 90);
  const vect2d up = vect2d::forangle(90);
  EXPECT_NEAR(up.x, 6.1e-17, 1e-18);
  EXPECT_EQ(up.y, 1);
  const vect2d back = vect2d::Create(2, 90).polartorect();
  EXPECT_NEAR(back.x, 0, 1e-15);
  EXPECT_EQ(back.y, 2);
  EXPECT_EQ(vect2d::Create(0, 5).slope(), std::numeric_limits<double>::infinity());
  EXPECT_EQ(vect2d::Create(2, 5).slope(), 2.5);
}

TEST(Vect2dPivots, TurnTheOppositeWayFromRotate) {
  const vect2d p = vect2d::Create(1, 0).pivotorigin(90);
  EXPECT_NEAR(p.x, 0, 1e-15);
  EXPECT_EQ(p.y, -1);
  const vect2d centre = vect2d::Create(10, 10);
  const vect2d q = vect2d::Create(11, 10).pivot(centre, 90);
  EXPECT_NEAR(q.x, 10, 1e-14);
  EXPECT_EQ(q.y, 9);

  vect2d v = vect2d::Create(11, 10);
  v.applypivot(centre, 90);
  EXPECT_EQ(v.x, q.x);
  EXPECT_EQ(v.y, q.y);
  vect2d w = vect2d::Create(3, 4);
  w.applypivotorigin(30);
  const vect2d expected = vect2d::Create(3, 4).pivotorigin(30);
  EXPECT_EQ(w.x, expected.x);
  EXPECT_EQ(w.y, expected.y);
  // Pivoting about itself steps through the receiver: the centre is read
  // after it has been moved to the origin.
  vect2d self = vect2d::Create(5, 7);
  self.applypivot(self, 45);
  ExpectVector(self, 0, 0);
}

TEST(Vect2dPointAt, MeetsTheAxisLineAlongTheDirection) {
  const auto y5 = pointaty(vect2d::Create(0, 0), vect2d::Create(1, 1), 5);
  ASSERT_TRUE(y5.has_value());
  ExpectVector(*y5, 5, 5);
  const auto x3 = pointatx(vect2d::Create(0, 0), vect2d::Create(1, 2), 3);
  ASSERT_TRUE(x3.has_value());
  ExpectVector(*x3, 3, 6);
  const auto offset = pointaty(vect2d::Create(1, 2), vect2d::Create(2, -1), 0);
  ASSERT_TRUE(offset.has_value());
  ExpectVector(*offset, 5, 0);
  EXPECT_FALSE(pointaty(vect2d::Create(0, 0), vect2d::Create(1, 0), 5).has_value());
  EXPECT_FALSE(pointatx(vect2d::Create(0, 0), vect2d::Create(0, 1), 5).has_value());
}

}  // namespace
