#include "sim/body.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kStrength = 0.10000000149011612;

TEST(BodyCreate, FillsTheBodyAndAppendsItToTheList) {
  TList list;
  body& first = body::Create(list, 3, 1, 0, 0);
  body& b = body::Create(list, 10, 2, 100, 50);
  EXPECT_EQ(b.mass, 10);
  EXPECT_EQ(b.imass, 0.1);
  EXPECT_EQ(b.radius, 2);
  EXPECT_EQ(b.diameter, 4);
  EXPECT_EQ(b.r2, 4);
  EXPECT_EQ(b.pos.x, 100);
  EXPECT_EQ(b.pos.y, 50);
  EXPECT_EQ(b.vel.x, 0);
  EXPECT_EQ(b.vel.y, 0);
  EXPECT_FALSE(b.lpos.has_value());
  EXPECT_EQ(b.sleep, 0);
  ASSERT_NE(b.link, nullptr);
  EXPECT_EQ(b.link->_value, &b);
  EXPECT_EQ(list._head._pred, b.link);
  EXPECT_EQ(list._head._succ, first.link);
  EXPECT_EQ(first.link->_succ, b.link);
  EXPECT_EQ(b.link->_pred, first.link);
  EXPECT_EQ(b.link->_succ, &list._head);
  EXPECT_EQ(list.Count(), 2u);
}

TEST(BodyList, KeepsOrderAndAddressesAcrossStorageBlocks) {
  TList list;
  EXPECT_EQ(list._head._succ, &list._head);
  std::vector<body*> made;
  for (int i = 0; i < 1500; ++i) made.push_back(&body::Create(list, 2, 1, i, 0));
  made.push_back(&body::Create(list, 2, 1, 1500, 0));
  std::size_t i = 0;
  for (TLink* l = list._head._succ; l != &list._head; l = l->_succ, ++i) {
    ASSERT_LT(i, made.size());
    ASSERT_EQ(l->_value, made[i]);
    ASSERT_EQ(l->_value->pos.x, static_cast<double>(i));
    ASSERT_EQ(l->_succ->_pred, l);
  }
  EXPECT_EQ(i, made.size());
  EXPECT_EQ(list.Count(), made.size());
}

TEST(BodyList, AStoredCopyPointsAtItsOwnNode) {
  TList first;
  body& original = body::Create(first, 2, 1, 5, 5);
  TList second;
  TLink* node = second.AddLast(original);
  EXPECT_NE(node->_value, &original);
  EXPECT_EQ(node->_value->link, node);
  EXPECT_EQ(original.link, first._head._succ);
}

TEST(BodyOverlaps, StrictlyCloserThanTheSumOfTheRadii) {
  TList list;
  body& a = body::Create(list, 1, 1.5, 0, 0);
  body& b = body::Create(list, 1, 1.5, 3, 0);
  EXPECT_EQ(a.overlaps(b), 0);  // exactly touching
  b.setradius(1.6);
  EXPECT_EQ(a.overlaps(b), 1);
  EXPECT_EQ(b.overlaps(a), 1);
  b.setpos(NAN, 0);
  EXPECT_EQ(a.overlaps(b), 0);
}

class BodyGravity : public testing::Test {
 protected:
  TList list;
  body& b = body::Create(list, 10, 2, 110, 100);
};

TEST_F(BodyGravity, PullsTheBodyAndMovesThePointByItsShare) {
  vect2d point = vect2d::Create(100, 100);
  body::applygravity(b, point, kStrength, 30000.0f);
  // q = 100, F = 75 (times the strength), share 10 / 30010 to the point.
  const double f = (10.0 * 30000.0) / (100.0 * 4.0) * kStrength;
  const double rho = 10.0 / 30010.0;
  EXPECT_EQ(point.x, 100 + f * rho);
  EXPECT_NEAR(point.x, 100.0249917, 1e-5);
  EXPECT_EQ(point.y, 100);
  EXPECT_EQ(b.vel.x, -(f * (1 - rho)));
  EXPECT_NEAR(b.vel.x, -74.9750083, 1e-5);  // the strength is 0.1 in single precision
  EXPECT_EQ(b.vel.y, 0);
}

TEST_F(BodyGravity, ActsFromExactlyOneUnit) {
  vect2d near = vect2d::Create(110.5, 100);
  body::applygravity(b, near, kStrength, 30000.0f);
  EXPECT_EQ(near.x, 110.5);
  EXPECT_EQ(b.vel.x, 0);
  vect2d one = vect2d::Create(111, 100);
  body::applygravity(b, one, kStrength, 30000.0f);
  EXPECT_GT(b.vel.x, 0);
  EXPECT_LT(one.x, 111);
}

TEST_F(BodyGravity, NegativeMassPushesTheBodyWhileThePointStillApproaches) {
  vect2d point = vect2d::Create(100, 100);
  body::applygravity(b, point, kStrength, -30000.0f);
  EXPECT_GT(b.vel.x, 0);
  EXPECT_GT(point.x, 100);
}

class BodyCollision : public testing::Test {
 protected:
  TList list;
  body& a = body::Create(list, 1, 2, 0, 0);
  body& b = body::Create(list, 1, 2, 3, 0);
};

TEST_F(BodyCollision, SeparatesAndExchangesVelocityAlongTheOverlap) {
  a.vel = vect2d::Create(1, 0);
  b.vel = vect2d::Create(-1, 0);
  a.handlecollision(b);
  EXPECT_EQ(a.pos.x, -0.5);
  EXPECT_EQ(b.pos.x, 3.5);
  EXPECT_EQ(a.pos.y, 0);
  // vn = -2, j = (-2 * -2.2f / 2) * 0.1f, applied along c = (-1, 0), which
  // points from b toward a and is as long as the overlap.
  const double j = ((-2.0 * -2.200000047683716) / 2.0) * 0.10000000149011612;
  EXPECT_NEAR(j, 0.22000000805, 1e-10);
  EXPECT_EQ(a.vel.x, 1 - j);
  EXPECT_EQ(b.vel.x, -1 + j);
  EXPECT_NEAR(a.vel.x, 0.78, 1e-8);
  EXPECT_EQ(a.overlaps(b), 0);
}

TEST_F(BodyCollision, ShallowerOverlapChangesVelocityLess) {
  b.setpos(3.5, 0);
  a.vel = vect2d::Create(1, 0);
  b.vel = vect2d::Create(-1, 0);
  a.handlecollision(b);
  EXPECT_EQ(a.pos.x, -0.25);
  EXPECT_EQ(b.pos.x, 3.75);
  const double j = ((-2.0 * -2.200000047683716) / 2.0) * 0.10000000149011612;
  EXPECT_EQ(a.vel.x, 1 - 0.5 * j);
  EXPECT_EQ(b.vel.x, -1 + 0.5 * j);
}

TEST_F(BodyCollision, SeparatingBodiesAreMovedButKeepTheirVelocities) {
  a.vel = vect2d::Create(-1, 0);
  b.vel = vect2d::Create(1, 0);
  a.handlecollision(b);
  EXPECT_EQ(a.pos.x, -0.5);
  EXPECT_EQ(b.pos.x, 3.5);
  EXPECT_EQ(a.vel.x, -1);
  EXPECT_EQ(b.vel.x, 1);
}

TEST_F(BodyCollision, LighterBodyMovesFarther) {
  a.setmass(3);
  a.handlecollision(b);
  EXPECT_DOUBLE_EQ(a.pos.x, -0.25);
  EXPECT_DOUBLE_EQ(b.pos.x, 3.75);
}

TEST_F(BodyCollision, CoincidentCentresArePushedApartWithoutNotANumber) {
  b.setpos(0, 0);
  a.vel = vect2d::Create(0, 1);
  ASSERT_EQ(a.overlaps(b), 1);
  a.handlecollision(b);
  for (const double v : {a.pos.x, a.pos.y, b.pos.x, b.pos.y, a.vel.x, a.vel.y, b.vel.x, b.vel.y}) {
    EXPECT_FALSE(std::isnan(v));
  }
  EXPECT_DOUBLE_EQ(a.pos.dist(b.pos), 4);
  EXPECT_EQ(a.overlaps(b), 0);
  // Centres a denormal apart carry no usable direction either.
  b.setpos(a.pos.x + 5e-324, a.pos.y);
  a.handlecollision(b);
  EXPECT_FALSE(std::isnan(a.pos.x) || std::isnan(b.pos.x) || std::isnan(a.vel.x) ||
               std::isnan(b.vel.x));
  EXPECT_GT(a.pos.dist(b.pos), 3.9);
}

TEST_F(BodyCollision, ExactlyTouchingBodiesKeepFiniteVelocities) {
  b.setpos(4, 0);
  a.vel = vect2d::Create(1, 0);
  a.handlecollision(b);
  EXPECT_EQ(a.pos.x, 0);
  EXPECT_EQ(b.pos.x, 4);
  EXPECT_EQ(a.vel.x, 1);
  EXPECT_EQ(b.vel.x, 0);
}

}  // namespace
