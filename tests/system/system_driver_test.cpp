#include "system/system_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "support/error.h"
#include "system/deferred_calls.h"
#include "tests/system/system_test_fixture.h"

namespace {

namespace pf = platform;
using test_support::SystemTest;
using Calls = std::vector<std::string>;

class SystemDriver : public SystemTest {};

TEST_F(SystemDriver, StartUpRunsOnceAndRecordsTheMainThread) {
  test_support::ResetSystemLayers();
  fake.SetMainThread(7);
  fake.ClearCalls();
  StartSystemModule();
  StartSystemModule();
  ASSERT_NE(systemDriver, nullptr);
  EXPECT_EQ(fake.Calls(), Calls{"timeBeginPeriod(1)"});
  EXPECT_EQ(driverState.mainThreadId, 7u);
  EXPECT_EQ(MainThreadForDeferredCalls(), 7u);
  EXPECT_EQ(driverState.pointerWanted, 1);
  EXPECT_EQ(driverState.wideCharacterFlag, 1);
  EXPECT_EQ(EventEmitHookId, 0);  // the event layer started first

  // A second driver object does not run the start-up again.
  TWin32SystemDriver another;
  EXPECT_EQ(fake.CountCalls("timeBeginPeriod"), 1);
}

// Writes the timer calls where the parent process can see them.
class TimerReportingPlatform : public pf::FakePlatform {
 public:
  void timeEndPeriod(std::uint32_t ms) override { std::fprintf(stderr, "timeEndPeriod(%u)\n", ms); }
};

TEST(SystemDriverExit, ExitHandlerReleasesTheTimerResolution) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        auto* platform = new TimerReportingPlatform();  // outlives the exit handlers
        pf::Install(*platform);
        test_support::ResetSystemLayers();
        StartSystemModule();
        std::exit(0);
      },
      testing::ExitedWithCode(0), "timeEndPeriod\\(1\\)");
}

TEST(SystemDriverBase, EveryOperationOfThePlainDriverRaises) {
  TSystemDriver driver;
  const std::vector<std::function<void()>> operations = {
      [&] { driver.Poll(); },
      [&] { driver.Wait(); },
      [&] { driver.MoveMouse(1, 2); },
      [&] { driver.SetMouseVisible(1); },
      [&] { driver.Notify(u"x", 0); },
      [&] { driver.Confirm(u"x", 0); },
      [&] { driver.Proceed(u"x", 0); },
      [&] { driver.RequestFile(u"x", u"", 0, u""); },
      [&] { driver.RequestDir(u"x", u""); },
      [&] { driver.OpenURL(u"x"); },
  };
  for (std::size_t i = 0; i < operations.size(); ++i) {
    try {
      operations[i]();
      ADD_FAILURE() << "operation " << i << " did not raise";
    } catch (const RuntimeError& error) {
      EXPECT_STREQ(error.what(), "Attempt to call abstract method") << i;
    }
  }
}

TEST_F(SystemDriver, PollTranslatesAndDispatchesEveryPendingMessage) {
  Queue(pf::WM_LBUTTONDOWN, 0, 0);
  Queue(pf::WM_PAINT, 0, 0);
  PumpSystemEvents();
  EXPECT_EQ(fake.Calls(),
            (Calls{"PeekMessage", "TranslateMessage(0x201)", "DispatchMessage(0x100,0x201)",
                   "SetCapture(0x100)", "PeekMessage", "TranslateMessage(0xf)",
                   "DispatchMessage(0x100,0xf)", "PeekMessage"}));
  EXPECT_EQ(fake.QueuedMessages(), 0u);
}

std::vector<std::intptr_t> deferredValues;
void DeferredProbe(ObjectPtr, std::intptr_t value) { deferredValues.push_back(value); }

TEST_F(SystemDriver, DeferredCallsRunWithoutDispatch) {
  deferredValues.clear();
  PostToMainThread(DeferredProbe, nullptr, 5);
  Queue(pf::WM_CLOSE, 0, 0);
  PostToMainThread(DeferredProbe, nullptr, 6);
  fake.ClearCalls();
  PumpSystemEvents();
  EXPECT_EQ(deferredValues, (std::vector<std::intptr_t>{5, 6}));
  EXPECT_EQ(fake.CallsStartingWith("DispatchMessage"), Calls{"DispatchMessage(0x100,0x10)"});
  EXPECT_EQ(fake.CountCalls("TranslateMessage"), 1);
}

TEST_F(SystemDriver, ChildControlMessagesAreOfferedToTheirDialogFirst) {
  constexpr std::uint32_t kTabChild = pf::WS_CHILD | pf::WS_TABSTOP;
  const pf::Handle dialog = fake.CreateWindowEx(0, u"TestWindow", u"Dialog", 0, 0, 0, 50, 50);
  const pf::Handle group = fake.CreateWindowEx(0, u"TestWindow", u"Group", 0, 0, 0, 40, 40);
  const pf::Handle button = fake.CreateWindowEx(0, u"TestWindow", u"Button", 0, 0, 0, 10, 10);
  const pf::Handle label = fake.CreateWindowEx(0, u"TestWindow", u"Label", 0, 0, 0, 10, 10);
  const pf::Handle orphan = fake.CreateWindowEx(0, u"TestWindow", u"Orphan", 0, 0, 0, 10, 10);
  fake.SetWindowParent(group, dialog, kTabChild);
  fake.SetWindowParent(button, group, kTabChild);
  fake.SetWindowParent(label, dialog, pf::WS_CHILD);  // no tab stop
  fake.SetWindowParent(orphan, 0, kTabChild);
  fake.SetDialogTakes(dialog, true);
  fake.ClearCalls();

  fake.QueueMessage(button, pf::WM_KEYDOWN, pf::VK_TAB, 0);
  PumpSystemEvents();
  EXPECT_EQ(fake.Calls(), (Calls{"PeekMessage", "IsDialogMessage(0x101,0x100)", "PeekMessage"}));

  fake.SetDialogTakes(dialog, false);
  fake.QueueMessage(button, pf::WM_KEYDOWN, pf::VK_TAB, 0);
  fake.QueueMessage(label, pf::WM_KEYDOWN, pf::VK_TAB, 0);
  fake.QueueMessage(orphan, pf::WM_KEYDOWN, pf::VK_TAB, 0);
  fake.ClearCalls();
  PumpSystemEvents();
  EXPECT_EQ(fake.CallsStartingWith("IsDialogMessage"), Calls{"IsDialogMessage(0x101,0x100)"});
  EXPECT_EQ(fake.CallsStartingWith("DispatchMessage"),
            (Calls{"DispatchMessage(0x103,0x100)", "DispatchMessage(0x104,0x100)",
                   "DispatchMessage(0x105,0x100)"}));
}

TEST_F(SystemDriver, AwaitWaitsThenHandlesEverythingPending) {
  Queue(pf::WM_CLOSE, 0, 0);
  Queue(pf::WM_CLOSE, 0, 0);
  Record();
  AwaitSystemEvents();
  const Calls calls = fake.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "WaitMessage");
  EXPECT_EQ(test_support::RecordedEvents().size(), 2u);
}

std::vector<std::size_t> queuedDuringHook;

// Records how many messages are still queued when each event is seen, after
// trying to pump from inside the hook.
pf::FakePlatform* guardedFake = nullptr;
ObjectPtr PumpFromHook(int, ObjectPtr data, ObjectPtr) {
  PumpSystemEvents();
  AwaitSystemEvents();
  queuedDuringHook.push_back(guardedFake->QueuedMessages());
  return data;
}

TEST_F(SystemDriver, PumpInsideAPumpReturnsAtOnce) {
  guardedFake = &fake;
  queuedDuringHook.clear();
  Record();
  InsertHook(EventEmitHookId, PumpFromHook, nullptr, 0);
  Queue(pf::WM_LBUTTONDOWN, 0, 0);
  Queue(pf::WM_LBUTTONUP, 0, 0);
  PumpSystemEvents();
  EXPECT_EQ(queuedDuringHook, (std::vector<std::size_t>{1, 0}));
  EXPECT_EQ(test_support::EventTexts().size(), 2u);
  EXPECT_EQ(fake.CountCalls("WaitMessage"), 0);
}

TEST_F(SystemDriver, PumpGuardIsClearedWhenAWindowProcedureRaises) {
  fake.RegisterClass(u"Raising", 0,
                     [](pf::Handle, std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t {
                       throw RuntimeError(u"window procedure failed");
                     });
  const pf::Handle raising = fake.CreateWindowEx(0, u"Raising", u"R", 0, 0, 0, 10, 10);
  fake.QueueMessage(raising, pf::WM_PAINT, 0, 0);
  EXPECT_THROW(PumpSystemEvents(), RuntimeError);
  Queue(pf::WM_PAINT, 0, 0);
  PumpSystemEvents();
  EXPECT_EQ(fake.QueuedMessages(), 0u);
}

TEST_F(SystemDriver, PlacePointerTakesClientCoordinatesOfTheActiveWindow) {
  PlacePointer(10, 20);
  fake.SetActiveWindow(window);
  PlacePointer(10, 20);
  PlacePointer(-3, 600);
  EXPECT_EQ(fake.CallsStartingWith("SetCursorPos"),
            (Calls{"SetCursorPos(10,20)", "SetCursorPos(113,146)", "SetCursorPos(100,726)"}));
}

TEST_F(SystemDriver, ClockWrapsAndDelaySleepsOnlyForNonNegativeTimes) {
  fake.SetClock(0xFFFFFFF0u);
  const std::int32_t before = ElapsedMillis();
  EXPECT_EQ(before, -16);
  fake.AdvanceClock(40);
  EXPECT_EQ(ElapsedMillis(), 24);
  fake.SetClock(0x7FFFFFFFu);
  EXPECT_EQ(ElapsedMillis(), 2147483647);
  fake.AdvanceClock(1);
  EXPECT_EQ(ElapsedMillis(), -2147483647 - 1);

  fake.ClearCalls();
  DelayMillis(-5);
  DelayMillis(-2147483647 - 1);
  EXPECT_TRUE(fake.Calls().empty());
  DelayMillis(0);
  DelayMillis(17);
  EXPECT_EQ(fake.Calls(), (Calls{"Sleep(0)", "Sleep(17)"}));
}

TEST_F(SystemDriver, FrontEndForwardsDialogsAndCompletesUrls) {
  fake.SetMessageBoxResult(pf::IDNO);
  EXPECT_EQ(Proceed(u"Save?", 1), 0);
  fake.SetDialogAnswer(u"/tmp/a.png");
  EXPECT_EQ(RequestFile(u"Pick", u"png", 0, u""), u"/tmp/a.png");

  fake.AddExistingPath(u"/home/user/docs/readme.txt");
  EXPECT_EQ(OpenURL(u"docs/readme.txt#usage"), 1);
  fake.SetShellResult(5);
  EXPECT_EQ(OpenURL(u"example.org#top"), 0);
  EXPECT_EQ(fake.OpenedUrls(),
            (std::vector<std::u16string>{u"file:/home/user/docs/readme.txt#usage",
                                         u"http:example.org#top"}));
}

}  // namespace
