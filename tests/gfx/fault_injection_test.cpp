// Platform faults met while opening and running graphics: each creation step
// failing, display modes that cannot be set, a missing swap control, and a
// clock that wraps while frames are paced. Runs through the fake platform.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/graphics.h"
#include "support/text.h"
#include "tests/gfx/gl_window_fixture.h"

namespace {

class GraphicsFaults : public GlWindowTest {
 protected:
  std::vector<std::uint32_t> Sleeps() const {
    std::vector<std::uint32_t> out;
    for (const auto& call : fake_.CallsStartingWith("Sleep(")) {
      out.push_back(static_cast<std::uint32_t>(std::stoul(call.substr(6))));
    }
    return out;
  }
  void ExpectNothingOpen() {
    EXPECT_TRUE(fake_.LiveWindows().empty());
    EXPECT_TRUE(fake_.LiveContexts().empty());
    EXPECT_EQ(fake_.CurrentContext(), 0u);
    EXPECT_FALSE(OpenedGraphics());
    EXPECT_FALSE(CurrentGraphics());
    EXPECT_FALSE(PolledInputAttached());
  }
};

TEST_F(GraphicsFaults, EachFailingCreationStepOpensNothingAndTheNextOpeningWorks) {
  for (const char* operation :
       {"CreateWindowEx", "GetDC", "ChoosePixelFormat", "SetPixelFormat", "wglCreateContext"}) {
    SCOPED_TRACE(operation);
    fake_.Fail(operation);
    EXPECT_FALSE(OpenGraphics(512, 512, 0, 60, 0));
    ExpectNothingOpen();
    EXPECT_NE(LastGraphicsError().find(FromUtf8(operation)), Text::npos)
        << ToUtf8(LastGraphicsError());
    // The failure leaves no state behind that spoils the next attempt.
    fake_.Succeed(operation);
    ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0));
    EXPECT_EQ(fake_.LiveWindows().size(), 1u);
    EXPECT_EQ(fake_.LiveContexts().size(), 1u);
    EndOpenedGraphics();
    EXPECT_TRUE(fake_.LiveWindows().empty());
  }
}

TEST_F(GraphicsFaults, FullScreenModeThatCannotBeSet) {
  // Without a refresh rate there is one attempt only.
  fake_.QueueDisplayChangeResults({platform::kDispChangeFailed});
  EXPECT_FALSE(OpenGraphics(640, 480, 32, 0, 0));
  EXPECT_EQ(LastGraphicsError(), u"GLGraphicsDriver failed to set display mode");
  ASSERT_EQ(fake_.DisplayChanges().size(), 1u);
  EXPECT_EQ(fake_.DisplayChanges()[0].fields,
            platform::kDmBitsPerPel | platform::kDmPelsWidth | platform::kDmPelsHeight);
  ExpectNothingOpen();

  // With one, the attempt without it is made too; both failing leaves nothing.
  fake_.QueueDisplayChangeResults({platform::kDispChangeFailed, platform::kDispChangeFailed});
  EXPECT_FALSE(OpenGraphics(800, 600, 16, 75, 0));
  EXPECT_EQ(LastGraphicsError(), u"GLGraphicsDriver failed to set display mode");
  ASSERT_EQ(fake_.DisplayChanges().size(), 3u);
  EXPECT_EQ(fake_.DisplayChanges()[1].frequency, 75u);
  EXPECT_EQ(fake_.DisplayChanges()[2].frequency, 0u);
  ExpectNothingOpen();

  // A window can still be opened afterwards.
  EXPECT_TRUE(OpenGraphics(320, 200, 0, 60, 0));
  EXPECT_EQ(fake_.LiveWindows().size(), 1u);
}

TEST_F(GraphicsFaults, MissingSwapControlStillSwapsEveryFlip) {
  fake_.SetSwapIntervalExtension(false);
  fake_.SetClock(5000);
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0));
  fake_.ClearCalls();
  for (int sync : {-1, -1, 1, 0, 1, -1}) Flip(sync);
  EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 6);
  EXPECT_EQ(fake_.CountCalls("wglSwapIntervalEXT"), 0);
  // Paced frames keep their timing without it.
  EXPECT_EQ(Sleeps(), (std::vector<std::uint32_t>{16, 17, 17}));

  // Full screen at a refresh rate opens without it as well.
  ASSERT_TRUE(OpenGraphics(800, 600, 32, 60, 0));
  fake_.ClearCalls();
  Flip(-1);
  Flip(1);
  EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 2);
  EXPECT_EQ(fake_.CountCalls("wglSwapIntervalEXT"), 0);
}

TEST_F(GraphicsFaults, PacedFramesContinueAcrossTheClockWrap) {
  const std::uint32_t start = 0xFFFFFC00u;  // 1024 ms before the wrap
  fake_.SetClock(start);
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0));
  fake_.ClearCalls();
  // 180 frames with 5 ms of work each: three seconds, the wrap in the middle.
  for (int frame = 0; frame < 180; ++frame) {
    fake_.AdvanceClock(5);
    Flip(-1);
  }
  const std::vector<std::uint32_t> sleeps = Sleeps();
  ASSERT_EQ(sleeps.size(), 180u);
  for (std::size_t i = 0; i < sleeps.size(); ++i) {
    // 16, 17, 17 ms periods less the 5 ms of work.
    EXPECT_EQ(sleeps[i], i % 3 == 0 ? 11u : 12u) << "frame " << i;
  }
  EXPECT_EQ(fake_.Clock(), start + 3000u);
  EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 180);
}

TEST_F(GraphicsFaults, ClockJumpAcrossTheWrapNeverSleepsLong) {
  fake_.SetClock(0xFFFFFFF0u);
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0));
  Flip(-1);
  // The machine was suspended for an hour; the wrap lies inside the jump.
  fake_.AdvanceClock(3600u * 1000u);
  fake_.ClearCalls();
  Flip(-1);
  Flip(-1);
  Flip(-1);
  // The late frame is forgiven and pacing carries on from now.
  EXPECT_EQ(Sleeps(), (std::vector<std::uint32_t>{17, 16}));
}

}  // namespace
