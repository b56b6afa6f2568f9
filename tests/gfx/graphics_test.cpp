#include "gfx/graphics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/error.h"
#include "support/format.h"
#include "system/at_exit.h"
#include "tests/gfx/gl_window_fixture.h"

namespace {

std::shared_ptr<TGraphicsMode> Mode(int width, int height, int depth, int hertz) {
  auto mode = std::make_shared<TGraphicsMode>();
  mode->width = width;
  mode->height = height;
  mode->depth = depth;
  mode->hertz = hertz;
  return mode;
}

// A driver that records what the front end asks of it.
class RecordingDriver : public TGraphicsDriver {
 public:
  explicit RecordingDriver(std::string name, std::vector<std::string>* log)
      : name_(std::move(name)), log_(log) {}

  std::vector<std::shared_ptr<TGraphicsMode>> GraphicsModes() override {
    log_->push_back(name_ + ".GraphicsModes");
    return modes;
  }
  std::shared_ptr<TGraphics> AttachGraphics(platform::Handle, int flags) override {
    log_->push_back(name_ + Format(".AttachGraphics(%d)", flags));
    if (fail) throw RuntimeError(u"attach refused");
    return Make();
  }
  std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                            int flags) override {
    log_->push_back(name_ +
                    Format(".CreateGraphics(%d,%d,%d,%d,%d)", width, height, depth, hertz, flags));
    if (fail) throw RuntimeError(u"no such mode");
    return Make();
  }
  void SetGraphics(const std::shared_ptr<TGraphics>& graphics) override {
    log_->push_back(name_ + (graphics ? Format(".SetGraphics(set,width=%d)", CurrentGraphicsWidth())
                                      : std::string(".SetGraphics(null)")));
  }
  void Flip(int sync) override { log_->push_back(name_ + Format(".Flip(%d)", sync)); }

  std::shared_ptr<TGraphics> Make();

  std::vector<std::shared_ptr<TGraphicsMode>> modes;
  bool fail = false;

 private:
  std::string name_;
  std::vector<std::string>* log_;
};

class RecordingGraphics : public TGraphics {
 public:
  RecordingGraphics(std::shared_ptr<TGraphicsDriver> driver, std::vector<std::string>* log)
      : driver_(std::move(driver)), log_(log) {}
  std::shared_ptr<TGraphicsDriver> Driver() override { return driver_; }
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override {
    width = 320;
    height = 200;
    depth = 0;
    hertz = 70;
    flags = 6;
  }
  void Close() override { log_->push_back("Close"); }

 private:
  std::shared_ptr<TGraphicsDriver> driver_;
  std::vector<std::string>* log_;
};

std::shared_ptr<TGraphics> RecordingDriver::Make() {
  return std::make_shared<RecordingGraphics>(
      std::static_pointer_cast<TGraphicsDriver>(shared_from_this()), log_);
}

TEST(GraphicsMode, Text) {
  EXPECT_EQ(Mode(800, 600, 16, 75)->ToString(), u"800,600,16 75Hz");
  EXPECT_EQ(Mode(640, 480, 32, 0)->ToString(), u"640,480,32 0Hz");
  EXPECT_EQ(Mode(0, 0, 0, 0)->ToString(), u"0,0,0 0Hz");
}

class FrontEnd : public GlWindowTest {
 protected:
  std::vector<std::string> log;
  std::shared_ptr<RecordingDriver> one = std::make_shared<RecordingDriver>("one", &log);
  std::shared_ptr<RecordingDriver> two = std::make_shared<RecordingDriver>("two", &log);
};

TEST_F(FrontEnd, GraphicsSeqAdvancesAndNeverBecomesZero) {
  testing_only::SetGraphicsSeq(-1);
  AdvanceGraphicsSeq();
  EXPECT_EQ(graphicsSeq(), 1);
  testing_only::SetGraphicsSeq(2147483647);
  AdvanceGraphicsSeq();
  EXPECT_EQ(graphicsSeq(), -2147483647 - 1);

  // Selecting a driver, opening and ending graphics each start a generation.
  testing_only::SetGraphicsSeq(5);
  SelectGraphicsDriver(glGraphicsDriver, BackBufferFlag);
  EXPECT_EQ(graphicsSeq(), 6);
  ASSERT_TRUE(OpenGraphics(64, 64, 0, 0, 0));
  EXPECT_EQ(graphicsSeq(), 7);
  EndOpenedGraphics();
  EXPECT_EQ(graphicsSeq(), 8);
  EndOpenedGraphics();  // nothing opened: unchanged
  EXPECT_EQ(graphicsSeq(), 8);
}

TEST_F(FrontEnd, ModesAreAskedOnceAndMatchedByNonZeroFields) {
  one->modes = {Mode(640, 480, 16, 60), Mode(800, 600, 32, 75)};
  SelectGraphicsDriver(one, 0);
  EXPECT_FALSE(HasGraphicsMode(1024, 0, 0, 0));
  EXPECT_TRUE(HasGraphicsMode(0, 0, 0, 0));
  EXPECT_TRUE(HasGraphicsMode(640, 0, 0, 0));
  EXPECT_TRUE(HasGraphicsMode(0, 600, 32, 0));
  EXPECT_FALSE(HasGraphicsMode(640, 600, 0, 0));  // every field of one mode
  EXPECT_FALSE(HasGraphicsMode(800, 600, 32, 60));
  EXPECT_EQ(GraphicsModeCount(), 2);
  int w = -1, h = -1, d = -1, hz = -1;
  GraphicsModeAt(1, w, h, d, hz);
  EXPECT_EQ((std::vector<int>{w, h, d, hz}), (std::vector<int>{800, 600, 32, 75}));
  GraphicsModeAt(2, w, h, d, hz);
  EXPECT_EQ((std::vector<int>{w, h, d, hz}), (std::vector<int>{0, 0, 0, 0}));
  GraphicsModeAt(-1, w, h, d, hz);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(log, std::vector<std::string>{"one.GraphicsModes"});

  // A copy is returned: changing it does not change the list.
  ListGraphicsModes().clear();
  EXPECT_EQ(GraphicsModeCount(), 2);

  // Another driver has its own list.
  SelectGraphicsDriver(two, 0);
  EXPECT_FALSE(HasGraphicsMode(0, 0, 0, 0));
  SelectGraphicsDriver(one, 0);
  EXPECT_EQ(GraphicsModeCount(), 2);
  EXPECT_EQ(log.back(), "one.GraphicsModes");
}

TEST_F(FrontEnd, SelectingADriverUnbindsTheOldOnesGraphics) {
  SelectGraphicsDriver(one, 4);
  auto g = CreateGraphics(10, 20, 0, 0, 1);
  ASSERT_TRUE(g);
  SetGraphics(g);
  EXPECT_EQ(CurrentGraphicsHertz(), 70);
  SelectGraphicsDriver(one, 8);  // same driver: settings dropped, no unbinding
  EXPECT_EQ(CurrentGraphicsWidth(), 0);
  EXPECT_EQ(CurrentDefaultFlags(), 8);
  SetGraphics(g);
  log.clear();
  SelectGraphicsDriver(two, 0);
  EXPECT_EQ(log, std::vector<std::string>{"one.SetGraphics(null)"});
  EXPECT_FALSE(CurrentGraphics());
  EXPECT_EQ(CurrentGraphicsDriver(), two);
}

TEST_F(FrontEnd, CreationAddsDefaultFlagsAndTurnsErrorsIntoNull) {
  SelectGraphicsDriver(one, BackBufferFlag);
  EXPECT_TRUE(CreateGraphics(10, 20, 16, 60, 4));
  EXPECT_TRUE(AttachGraphics(0x55, 8));
  EXPECT_EQ(log, (std::vector<std::string>{"one.CreateGraphics(10,20,16,60,6)",
                                           "one.AttachGraphics(10)"}));
  one->fail = true;
  EXPECT_FALSE(CreateGraphics(10, 20, 0, 0, 0));
  EXPECT_EQ(LastGraphicsError(), u"no such mode");
  EXPECT_FALSE(AttachGraphics(0x55, 0));
  EXPECT_EQ(LastGraphicsError(), u"attach refused");
  one->fail = false;
  EXPECT_TRUE(CreateGraphics(10, 20, 0, 0, 0));
  EXPECT_EQ(LastGraphicsError(), u"");
}

TEST_F(FrontEnd, SetGraphicsFillsSettingsBeforeTellingTheDriver) {
  SelectGraphicsDriver(two, 0);
  auto g = one->Make();
  SetGraphics(g);  // switches to g's driver
  EXPECT_EQ(log, std::vector<std::string>{"one.SetGraphics(set,width=320)"});
  EXPECT_EQ(CurrentGraphicsDriver(), one);
  EXPECT_EQ(
      (std::vector<int>{CurrentGraphicsWidth(), CurrentGraphicsHeight(), CurrentGraphicsDepth(),
                        CurrentGraphicsHertz(), CurrentGraphicsFlags()}),
      (std::vector<int>{320, 200, 0, 70, 6}));

  // Graphics of another driver: the old driver lets go first.
  log.clear();
  SetGraphics(two->Make());
  EXPECT_EQ(log,
            (std::vector<std::string>{"one.SetGraphics(null)", "two.SetGraphics(set,width=320)"}));

  // Releasing the current graphics unbinds before closing.
  log.clear();
  ReleaseGraphics(CurrentGraphics());
  EXPECT_EQ(log, (std::vector<std::string>{"two.SetGraphics(null)", "Close"}));
  EXPECT_EQ(CurrentGraphicsWidth(), 0);
  log.clear();
  ReleaseGraphics(g);  // not current: only closed
  ReleaseGraphics(nullptr);
  EXPECT_EQ(log, std::vector<std::string>{"Close"});
}

TEST_F(FrontEnd, FlipRunsTheFlipHookChain) {
  static int runs = 0;
  runs = 0;
  HookFunction count = [](int, ObjectPtr data, ObjectPtr) {
    ++runs;
    return data;
  };
  InsertHook(flipHookId(), count, nullptr, 0);
  SelectGraphicsDriver(one, 0);
  Flip(0);
  Flip(-1);
  DeleteHook(flipHookId(), count, nullptr);
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"one.Flip(0)", "one.Flip(0)"}));
}

class Pacing : public GlWindowTest {
 protected:
  // The sleeps and swap intervals of n calls of Flip(sync), with work_ms of
  // clock time passing before each.
  std::vector<std::string> Frames(int n, int sync, std::uint32_t work_ms) {
    fake_.ClearCalls();
    for (int i = 0; i < n; ++i) {
      fake_.AdvanceClock(work_ms);
      Flip(sync);
    }
    return CallsOf({"Sleep", "wglSwapIntervalEXT", "SwapBuffers"});
  }
  std::string swap() const {
    return Format(
        "SwapBuffers(0x%llx)",
        static_cast<unsigned long long>(platform::FakePlatform::DcOf(fake_.LiveWindows().at(0))));
  }
};

TEST_F(Pacing, WindowAt60HzIsDue16_17_17) {
  fake_.SetClock(1000);
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0));
  const std::string s = swap();
  EXPECT_EQ(Frames(6, -1, 0), (std::vector<std::string>{"Sleep(16)", "wglSwapIntervalEXT(0)", s,
                                                        "Sleep(17)", s, "Sleep(17)", s, "Sleep(16)",
                                                        s, "Sleep(17)", s, "Sleep(17)", s}));
  EXPECT_EQ(fake_.Clock(), 1100u);
  // Work inside the frame shortens the sleep; the steady state makes no
  // swap-interval call.
  EXPECT_EQ(Frames(3, -1, 10),
            (std::vector<std::string>{"Sleep(6)", s, "Sleep(7)", s, "Sleep(7)", s}));
}

TEST_F(Pacing, LateFrameIsForgivenNotMadeUp) {
  fake_.SetClock(0xFFFFFFF0u);  // the clock wraps during the test
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0));
  const std::string s = swap();
  // Due at +16; the frame ends at +40: no sleep, and the next frame is due
  // 17 ms after the clock reading, not after the missed due time.
  EXPECT_EQ(Frames(1, -1, 40), (std::vector<std::string>{"wglSwapIntervalEXT(0)", s}));
  EXPECT_EQ(Frames(3, -1, 0),
            (std::vector<std::string>{"Sleep(17)", s, "Sleep(17)", s, "Sleep(16)", s}));
  EXPECT_EQ(fake_.Clock(), 0xFFFFFFF0u + 40 + 50);
}

TEST_F(Pacing, SwapIntervalPerOpening) {
  struct Case {
    int depth, hertz;
    std::string interval;
  };
  const Case cases[] = {{0, 0, "wglSwapIntervalEXT(0)"},
                        {0, -60, "wglSwapIntervalEXT(0)"},  // negative: no pacing
                        {32, 60, "wglSwapIntervalEXT(1)"},
                        {32, 0, "wglSwapIntervalEXT(0)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Format("depth %d hertz %d", c.depth, c.hertz));
    ASSERT_TRUE(OpenGraphics(640, 480, c.depth, c.hertz, 0));
    fake_.ClearCalls();
    Flip(-1);
    Flip(-1);
    EXPECT_EQ(fake_.CountCalls("Sleep"), 0);
    EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 2);
    // Interval as requested; the full-screen mode change may already have
    // asked for it.
    for (const auto& call : fake_.CallsStartingWith("wglSwapIntervalEXT"))
      EXPECT_EQ(call, c.interval);
  }
}

TEST_F(Pacing, FullScreenPlacesThePointerInTheMiddle) {
  ASSERT_TRUE(OpenGraphics(801, 601, 32, 60, 0));
  EXPECT_EQ(fake_.CallsStartingWith("SetCursorPos"),
            std::vector<std::string>{"SetCursorPos(400,300)"});
}

TEST_F(Pacing, ExplicitSyncNeverSleeps) {
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0));
  const std::string s = swap();
  EXPECT_EQ(Frames(2, 0, 0), (std::vector<std::string>{"wglSwapIntervalEXT(0)", s, s}));
  EXPECT_EQ(Frames(2, 1, 0), (std::vector<std::string>{"wglSwapIntervalEXT(1)", s, s}));
}

TEST_F(Pacing, GraphicsNotOpenedHereSwapOnTheRetrace) {
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0));
  auto other = CreateGraphics(100, 100, 0, 60, 0);
  ASSERT_TRUE(other);
  SetGraphics(other);
  fake_.ClearCalls();
  Flip(-1);
  EXPECT_EQ(fake_.CountCalls("Sleep"), 0);
  EXPECT_EQ(fake_.CallsStartingWith("wglSwapIntervalEXT"),
            std::vector<std::string>{"wglSwapIntervalEXT(1)"});
  // Nothing current: nothing to present.
  SetGraphics(nullptr);
  fake_.ClearCalls();
  Flip(-1);
  EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 0);
  ReleaseGraphics(other);
}

TEST_F(Pacing, SecondOpeningClosesTheFirst) {
  auto first = OpenGraphics(512, 512, 0, 60, 0);
  ASSERT_TRUE(first);
  const platform::Handle first_window = fake_.LiveWindows().at(0);
  EXPECT_TRUE(PolledInputAttached());
  EXPECT_EQ(fake_.CurrentContext(), fake_.LiveContexts().at(0));

  auto second = OpenGraphics(256, 256, 0, 0, 0);
  ASSERT_TRUE(second);
  EXPECT_FALSE(fake_.WindowExists(first_window));
  EXPECT_EQ(fake_.LiveWindows().size(), 1u);
  EXPECT_EQ(OpenedGraphics(), second);
  EXPECT_EQ(CurrentGraphicsWidth(), 256);

  // A failing third: Null, and nothing is open any more.
  fake_.Fail("CreateWindowEx");
  EXPECT_FALSE(OpenGraphics(128, 128, 0, 60, 0));
  EXPECT_TRUE(fake_.LiveWindows().empty());
  EXPECT_TRUE(fake_.LiveContexts().empty());
  EXPECT_FALSE(OpenedGraphics());
  EXPECT_FALSE(CurrentGraphics());
  EXPECT_FALSE(PolledInputAttached());
}

TEST_F(Pacing, FailedCreationOpensNothing) {
  for (const char* operation : {"CreateWindowEx", "ChoosePixelFormat", "wglCreateContext"}) {
    SCOPED_TRACE(operation);
    fake_.Fail(operation);
    fake_.ClearCalls();
    EXPECT_FALSE(OpenGraphics(512, 512, 0, 60, 0));
    fake_.Succeed(operation);
    EXPECT_TRUE(fake_.LiveWindows().empty());
    EXPECT_TRUE(fake_.LiveContexts().empty());
    EXPECT_FALSE(OpenedGraphics());
    EXPECT_FALSE(PolledInputAttached());
    EXPECT_EQ(fake_.CountCalls("timeGetTime"), 0);  // no pacing set up
    EXPECT_FALSE(LastGraphicsError().empty());
  }
  // A full-screen mode that cannot be set: the raised error becomes Null.
  fake_.QueueDisplayChangeResults({platform::kDispChangeFailed, platform::kDispChangeFailed});
  EXPECT_FALSE(OpenGraphics(640, 480, 32, 60, 0));
  EXPECT_EQ(LastGraphicsError(), u"GLGraphicsDriver failed to set display mode");
  EXPECT_TRUE(fake_.LiveWindows().empty());
  EXPECT_TRUE(fake_.LiveContexts().empty());
}

TEST_F(Pacing, EndingUnbindsThenClosesAndDetaches) {
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0));
  const auto context = fake_.LiveContexts().at(0);
  fake_.ClearCalls();
  EndOpenedGraphics();
  EXPECT_EQ(CallsOf({"wglMakeCurrent", "wglDeleteContext", "DestroyWindow"}),
            (std::vector<std::string>{
                "wglMakeCurrent(0x0,0x0)",
                Format("wglDeleteContext(0x%llx)", static_cast<unsigned long long>(context)),
                "DestroyWindow(0x100)"}));
  EXPECT_FALSE(PolledInputAttached());
  EXPECT_FALSE(CurrentGraphics());
  fake_.ClearCalls();
  Flip(-1);
  EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 0);
}

TEST_F(Pacing, OpenedGraphicsAreEndedAtExitBeforeOlderHandlers) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // Registered before graphics open, so it runs after their handler.
        AtExit([this] {
          std::fprintf(stderr, "windows=%zu contexts=%zu attached=%d\n", fake_.LiveWindows().size(),
                       fake_.LiveContexts().size(), PolledInputAttached() ? 1 : 0);
        });
        OpenGraphics(512, 512, 0, 60, 0);
        OpenGraphics(512, 512, 0, 60, 0);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "windows=0 contexts=0 attached=0");
}

}  // namespace
