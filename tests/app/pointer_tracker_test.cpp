#include "app/pointer_tracker.h"

#include <gtest/gtest.h>

#include "tests/system/system_test_fixture.h"

namespace {

namespace pf = platform;

class PointerTracker : public test_support::SystemTest {
 protected:
  void SetUp() override {
    BasicSystemTest::SetUp();
    StartPointerTrackerModule();
    AttachPolledInput(nullptr);
    fake.SetClock(10000);
  }
  // One frame at the given clock time.
  void FrameAt(std::uint32_t now) {
    fake.SetClock(now);
    updatepointer();
  }
  void Down(int button) {
    static constexpr std::uint32_t kDown[] = {0, pf::WM_LBUTTONDOWN, pf::WM_RBUTTONDOWN,
                                              pf::WM_MBUTTONDOWN};
    Queue(kDown[button], 0, 0);
  }
  void Up(int button) {
    static constexpr std::uint32_t kUp[] = {0, pf::WM_LBUTTONUP, pf::WM_RBUTTONUP,
                                            pf::WM_MBUTTONUP};
    Queue(kUp[button], 0, 0);
  }
};

TEST_F(PointerTracker, FirstUpdateReportsTheWholePositionAsMovement) {
  QueueMove(30, 40);
  Queue(pf::WM_MOUSEWHEEL, pf::WheelWParam(240), 0);
  updatepointer();
  EXPECT_EQ(pointerx, 30);
  EXPECT_EQ(pointery, 40);
  EXPECT_EQ(pointerdx, 30);
  EXPECT_EQ(pointerdy, 40);
  EXPECT_EQ(wheelz, 2);
  EXPECT_EQ(wheeldz, -2);
  EXPECT_EQ(framessincerelease, 1);
  EXPECT_EQ(anchorx, 30);
  EXPECT_EQ(anchory, 40);

  QueueMove(25, 41);
  Queue(pf::WM_MOUSEWHEEL, pf::WheelWParam(-120), 0);
  updatepointer();
  EXPECT_EQ(pointerdx, -5);
  EXPECT_EQ(pointerdy, 1);
  EXPECT_EQ(wheeldz, 1);  // positive when the wheel position went down
  updatepointer();
  EXPECT_EQ(pointerdx, 0);
  EXPECT_EQ(wheeldz, 0);
}

TEST_F(PointerTracker, PressAndReleaseAreReportedOnceEach) {
  Down(1);
  updatepointer();
  EXPECT_EQ(down1, 1);
  EXPECT_EQ(pressed1, 1);
  EXPECT_EQ(released1, 0);
  updatepointer();
  updatepointer();
  EXPECT_EQ(down1, 1);
  EXPECT_EQ(pressed1, 0);
  EXPECT_EQ(framessincerelease, 3);

  Up(1);
  updatepointer();
  EXPECT_EQ(down1, 0);
  EXPECT_EQ(released1, 1);
  EXPECT_EQ(framessincerelease, 0);
  updatepointer();
  EXPECT_EQ(released1, 0);
  EXPECT_EQ(framessincerelease, 1);
}

TEST_F(PointerTracker, PressAndReleaseBetweenTwoUpdatesIsNotSeen) {
  updatepointer();
  Down(1);
  Up(1);
  updatepointer();
  EXPECT_EQ(pressed1, 0);
  EXPECT_EQ(released1, 0);
  EXPECT_EQ(framessincerelease, 2);
  EXPECT_EQ(lastpress1, 0);
}

TEST_F(PointerTracker, SeriesIsMeasuredFromItsFirstPress) {
  const std::uint32_t t = 50000;
  std::vector<int> doubles;
  for (const std::uint32_t at : {t, t + 200, t + 300, t + 400, t + 500}) {
    Down(1);
    FrameAt(at);
    doubles.push_back(doubleclick1);
    Up(1);
    FrameAt(at + 1);
  }
  EXPECT_EQ(doubles, (std::vector<int>{0, 1, 1, 0, 1}));
  EXPECT_EQ(lastpress1, static_cast<std::int32_t>(t + 400));
}

TEST_F(PointerTracker, SecondPressWithin320IsADoubleClick) {
  Down(2);
  FrameAt(7000);
  Up(2);
  FrameAt(7100);
  Down(2);
  FrameAt(7320);
  EXPECT_EQ(doubleclick2, 1);
  EXPECT_EQ(pressed2, 1);
  EXPECT_EQ(lastpress2, 7000);
  // Another button's press times and states are its own.
  Down(3);
  FrameAt(7330);
  EXPECT_EQ((std::vector<int>{down1, down2, down3, pressed2, pressed3, doubleclick3}),
            (std::vector<int>{0, 1, 1, 0, 1, 0}));
  EXPECT_EQ(lastpress3, 7330);
  EXPECT_EQ(lastpress1, 0);
  Up(3);
  FrameAt(7340);
  EXPECT_EQ((std::vector<int>{down2, down3, released2, released3}), (std::vector<int>{1, 0, 0, 1}));
}

TEST_F(PointerTracker, FirstPressEarlyInTheClockCountsAsDoubleClick) {
  Down(1);
  FrameAt(320);
  EXPECT_EQ(doubleclick1, 1);
  EXPECT_EQ(lastpress1, 0);
  Down(3);
  FrameAt(321);
  EXPECT_EQ(doubleclick3, 0);
  EXPECT_EQ(lastpress3, 321);
}

TEST_F(PointerTracker, DoubleClickAcrossTheClockWrap) {
  Down(1);
  FrameAt(0xFFFFFF00u);
  EXPECT_EQ(lastpress1, -256);
  Up(1);
  FrameAt(0xFFFFFF80u);
  Down(1);
  FrameAt(0x40u);  // 320 ms after the first press
  EXPECT_EQ(doubleclick1, 1);
  Up(1);
  FrameAt(0x41u);
  Down(1);
  FrameAt(0x41u);  // 321 ms
  EXPECT_EQ(doubleclick1, 0);
  EXPECT_EQ(lastpress1, 0x41);
}

TEST_F(PointerTracker, FirstPressInTheClocksNegativeHalfIsNoDoubleClick) {
  Down(1);
  FrameAt(0x90000000u);
  EXPECT_EQ(doubleclick1, 0);
  EXPECT_EQ(lastpress1, static_cast<std::int32_t>(0x90000000u));
}

TEST_F(PointerTracker, AnchorKeepsThePositionBeforeTheDrag) {
  QueueMove(10, 12);
  updatepointer();
  Down(1);
  QueueMove(50, 60, pf::MK_LBUTTON);
  updatepointer();
  EXPECT_EQ(anchorx, 10);
  EXPECT_EQ(anchory, 12);
  QueueMove(-20, 700, pf::MK_LBUTTON);
  Down(3);
  updatepointer();
  Up(1);
  updatepointer();
  EXPECT_EQ(anchorx, 10);  // the middle button is still held
  Up(3);
  updatepointer();
  EXPECT_EQ(anchorx, -20);
  EXPECT_EQ(anchory, 700);
}

TEST_F(PointerTracker, PointerInRectExcludesTheRightAndBottomEdges) {
  struct Case {
    int px, py, x, y, w, h, inside;
  };
  const Case cases[] = {
      {10, 10, 10, 10, 5, 5, 1},
      {14, 14, 10, 10, 5, 5, 1},
      {15, 10, 10, 10, 5, 5, 0},
      {10, 15, 10, 10, 5, 5, 0},
      {9, 10, 10, 10, 5, 5, 0},
      {10, 9, 10, 10, 5, 5, 0},
      {10, 10, 10, 10, 0, 5, 0},
      {10, 10, 10, 10, 5, 0, 0},
      {10, 10, 10, 10, -5, 5, 0},
      {-3, -4, -10, -10, 8, 8, 1},
      // A rectangle reaching past the 32-bit range does not wrap around.
      {20, 20, 10, 10, 2147483647, 2147483647, 1},
  };
  for (const auto& c : cases) {
    pointerx = c.px;
    pointery = c.py;
    EXPECT_EQ(pointerinrect(c.x, c.y, c.w, c.h), c.inside)
        << c.px << "," << c.py << " in " << c.x << "," << c.y << "," << c.w << "," << c.h;
  }
}

}  // namespace
