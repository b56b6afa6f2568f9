#include "sim/collision_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "sim/random.h"
#include "sim/simulation.h"
#include "tests/sim/sim_scenarios.h"
#include "tests/sim/sim_state.h"

namespace {

// Runs the literal walk and the grid walk side by side and requires the
// same bits in every body after every frame, and the same drawing.
void ExpectSameFrames(simulation& literal, simulation& grid, const pointerview& p, framedrawing& a,
                      framedrawing& b, const std::string& where) {
  literal.frame(p, a);
  grid.frame(p, b);
  const std::string difference = simstate::FirstDifference(literal.bodylist, grid.bodylist);
  ASSERT_EQ(difference, "") << where;
  ASSERT_EQ(a.cells.size(), b.cells.size()) << where;
  ASSERT_EQ(simstate::Bits(literal.attractor.x), simstate::Bits(grid.attractor.x)) << where;
  ASSERT_EQ(simstate::Bits(literal.attractor.y), simstate::Bits(grid.attractor.y)) << where;
}

class GridWalk : public testing::TestWithParam<simscenario::kind> {};

INSTANTIATE_TEST_SUITE_P(Scenarios, GridWalk, testing::ValuesIn(simscenario::kAll),
                         [](const testing::TestParamInfo<simscenario::kind>& info) {
                           return std::string(simscenario::Name(info.param));
                         });

TEST_P(GridWalk, MatchesTheLiteralWalkBitForBitFor3000Frames) {
  SeedRandom(31337);
  simulation literal(collisionwalk::literal);
  literal.createbodies();
  SeedRandom(31337);
  simulation grid(collisionwalk::grid);
  grid.createbodies();
  framedrawing a;
  framedrawing b;
  for (int f = 0; f < 3000; ++f) {
    ExpectSameFrames(literal, grid, simscenario::Pointer(GetParam(), f), a, b,
                     "frame " + std::to_string(f));
    if (HasFatalFailure()) return;
  }
  // The grid must actually have skipped work, not fallen back to the list.
  EXPECT_LT(grid.overlaptests * 10, literal.overlaptests);
}

// Small worlds full of awkward values: coincident and nearly coincident
// centres, zero, negative, not-a-number, huge and infinite radii, bodies far
// outside the world or at non-finite positions.
void AddAwkwardBodies(simulation& world, int seed) {
  SeedRandom(seed);
  const double inf = std::numeric_limits<double>::infinity();
  for (int i = 0; i < 160; ++i) {
    double x = RandomRange(300, 340);
    double y = RandomRange(600, 640);
    double radius = RandomRange(0.5, 3);
    switch (RandomInt(0, 19)) {
      case 0:
        x = 320;
        y = 630;
        break;  // shared centre
      case 1:
        x = 320 + 1e-200;
        y = 630;
        radius = 1e-300;
        break;
      case 2: radius = 0; break;
      case 3: radius = -1; break;
      case 4: radius = NAN; break;
      case 5: radius = 40; break;
      case 6: y = -1e6 + RandomRange(0, 4); break;  // far above, in a cluster
      case 7: x = 1e300; break;
      case 8: x = NAN; break;
      case 9: y = -inf; break;
      case 10: x = RandomRange(-5000, -4990); break;
      default: break;
    }
    body& b = body::Create(world.bodylist, RandomRange(2, 28), radius, x, y);
    b.vel = vect2d::Create(RandomRange(-3, 3), RandomRange(-3, 3));
  }
}

TEST(GridWalkAwkward, MatchesTheLiteralWalkWithExtremeValues) {
  for (int seed = 1; seed <= 6; ++seed) {
    simulation literal(collisionwalk::literal);
    AddAwkwardBodies(literal, seed);
    simulation grid(collisionwalk::grid);
    AddAwkwardBodies(grid, seed);
    framedrawing a;
    framedrawing b;
    for (int f = 0; f < 60; ++f) {
      pointerview p;
      p.pointerx = 400;
      p.pointery = 500;
      p.down1 = seed % 2;
      p.down2 = seed % 3 == 0;
      p.pressed1 = f == 0 && p.down1;
      p.pressed2 = f == 0 && p.down2;
      p.pressed3 = f % 20 == 19;
      ExpectSameFrames(literal, grid, p, a, b,
                       "seed " + std::to_string(seed) + " frame " + std::to_string(f));
      if (HasFatalFailure()) return;
    }
  }
}

TEST(GridWalkAwkward, AnInfiniteRadiusFallsBackToTheListWalk) {
  simulation literal(collisionwalk::literal);
  simulation grid(collisionwalk::grid);
  for (simulation* world : {&literal, &grid}) {
    body::Create(world->bodylist, 5, 2, 100, 100);
    body::Create(world->bodylist, 5, std::numeric_limits<double>::infinity(), 500, 500);
    body::Create(world->bodylist, 5, 2, 300, 10);
  }
  framedrawing a;
  framedrawing b;
  for (int f = 0; f < 5; ++f) {
    ExpectSameFrames(literal, grid, pointerview{}, a, b, "frame " + std::to_string(f));
    if (HasFatalFailure()) return;
  }
}

// On a table that is not stepped, each body's walk through the index moves
// every body exactly as the walk along the table does, while testing only a
// fraction of the pairs.
TEST(GridIndex, WalksFindEveryOverlappingLaterBodyInOrder) {
  TList lists[2];
  std::vector<body*> tables[2];
  for (int t = 0; t < 2; ++t) {
    SeedRandom(5);
    for (int i = 0; i < 300; ++i) {
      const double radius = RandomRange(0.1, 2);
      const double x = RandomRange(0, 60);
      tables[t].push_back(&body::Create(lists[t], 3, radius, x, RandomRange(0, 60)));
    }
  }
  std::vector<body*>& listed = tables[0];
  std::vector<body*>& indexed = tables[1];
  collisiongrid grid;
  ASSERT_TRUE(grid.build(indexed));
  std::uint64_t listtests = 0;
  std::uint64_t gridtests = 0;
  int collisions = 0;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    int resolved = 0;
    for (std::size_t j = i + 1; j < listed.size() && resolved < 4; ++j) {
      ++listtests;
      if (listed[i]->overlaps(*listed[j])) {
        listed[i]->handlecollision(*listed[j]);
        ++resolved;
        ++collisions;
      }
    }
    gridtests += gridwalk(i, indexed, grid);
    for (std::size_t j = 0; j < listed.size(); ++j) {
      ASSERT_EQ(simstate::Bits(listed[j]->pos.x), simstate::Bits(indexed[j]->pos.x))
          << i << ", " << j;
      ASSERT_EQ(simstate::Bits(listed[j]->pos.y), simstate::Bits(indexed[j]->pos.y))
          << i << ", " << j;
      ASSERT_EQ(simstate::Bits(listed[j]->vel.x), simstate::Bits(indexed[j]->vel.x))
          << i << ", " << j;
      ASSERT_EQ(simstate::Bits(listed[j]->vel.y), simstate::Bits(indexed[j]->vel.y))
          << i << ", " << j;
    }
  }
  EXPECT_GT(collisions, 100);
  EXPECT_LT(gridtests * 5, listtests);
}

// A pass that stops before stepping every body leaves bodies in the index;
// the next build, over a smaller table in other places, must not keep them.
TEST(GridIndex, ARebuildForgetsBodiesLeftFromAnUnfinishedPass) {
  TList list;
  std::vector<body*> table;
  SeedRandom(9);
  for (int i = 0; i < 200; ++i)
    table.push_back(&body::Create(list, 3, 1.5, RandomRange(0, 40), RandomRange(0, 40)));
  collisiongrid grid;
  ASSERT_TRUE(grid.build(table));
  for (std::size_t i = 0; i < 50; ++i) gridwalk(i, table, grid);

  TList small;
  std::vector<body*> few;
  for (int i = 0; i < 4; ++i) few.push_back(&body::Create(small, 3, 1.5, 10 + i, 10));
  ASSERT_TRUE(grid.build(few));
  // The first pushes the second to 12 and itself back to 9, just touching
  // the third (tested, no overlap); the fourth is out of reach.
  EXPECT_EQ(gridwalk(0, few, grid), 2u);
  EXPECT_EQ(few[0]->pos.x, 9.0);
  EXPECT_EQ(few[1]->pos.x, 12.0);
}

// The index summarises its bit sets in one word, so it takes at most 64
// words of bodies; a larger table is walked along the list instead.
TEST(GridIndex, TakesUpTo4096BodiesAndTheLastOneIsFound) {
  TList list;
  std::vector<body*> table;
  for (int i = 0; i < 4097; ++i)
    table.push_back(&body::Create(list, 3, 1, 2.5 * (i % 64), 2.5 * (i / 64)));
  collisiongrid grid;
  EXPECT_FALSE(grid.build(table));
  table.pop_back();
  ASSERT_TRUE(grid.build(table));
  // Move the last body onto the second last: the walk of the latter must
  // find it in the topmost word.
  table[4095]->setpos(table[4094]->pos.x + 0.5, table[4094]->pos.y);
  grid.moved(4095);
  EXPECT_EQ(gridwalk(4094, table, grid), 1u);
  EXPECT_EQ(table[4094]->pos.dist(table[4095]->pos), 2.0);
}

TEST(GridIndex, IgnoresIndicesOutsideItsTableAndEmptySlots) {
  TList list;
  std::vector<body*> table{&body::Create(list, 2, 1, 10, 10), nullptr,
                           &body::Create(list, 2, 1, 10.5, 10)};
  collisiongrid grid;
  grid.moved(0);  // never built: nothing to tell
  EXPECT_EQ(gridwalk(0, table, grid), 0u);
  EXPECT_EQ(table[0]->pos.x, 10.0);

  ASSERT_TRUE(grid.build(table));
  grid.moved(99);
  EXPECT_EQ(gridwalk(99, table, grid), 0u);
  std::vector<body*> shorter{table[0]};
  EXPECT_EQ(gridwalk(0, shorter, grid), 0u);
  // The empty slot is skipped and the real pair still collides.
  table[2]->sleep = 5;
  EXPECT_EQ(gridwalk(0, table, grid), 1u);
  EXPECT_EQ(table[2]->sleep, 0);
  EXPECT_GT(table[0]->pos.dist(table[2]->pos), 1.99);
}

}  // namespace
