#include "system/polled_input.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/system/system_test_fixture.h"

namespace {

namespace pf = platform;

// A platform on which input arrives while the program waits for it.
class ArrivingInputPlatform : public pf::FakePlatform {
 public:
  void WaitMessage() override {
    // A wait with nothing left to arrive would block for ever.
    if (waits_ >= arrivals.size()) throw std::runtime_error("waited with no input to come");
    for (const auto& msg : arrivals[waits_++]) QueueMessage(msg);
    FakePlatform::WaitMessage();
  }
  std::vector<std::vector<pf::Msg>> arrivals;  // queued at the first, second, ... wait

 private:
  std::size_t waits_ = 0;
};

class PolledInput : public test_support::BasicSystemTest<ArrivingInputPlatform> {
 protected:
  void SetUp() override {
    BasicSystemTest::SetUp();
    AttachPolledInput(nullptr);
  }
  void KeyDownMsg(int key, bool repeat = false) {
    Queue(pf::WM_KEYDOWN, static_cast<std::uintptr_t>(key), pf::KeyLParam(0, false, repeat, false));
  }
  void KeyUpMsg(int key) {
    Queue(pf::WM_KEYUP, static_cast<std::uintptr_t>(key), pf::KeyLParam(0, false, true, true));
  }
  pf::Msg At(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam = 0) {
    return pf::Msg{window, message, wparam, lparam};
  }
  void Deactivate() {
    const pf::Handle other = fake.AddForeignWindow(9, 9);
    Queue(pf::WM_ACTIVATE, pf::WA_INACTIVE, static_cast<std::intptr_t>(other));
  }
};

TEST_F(PolledInput, HeldKeyOrButtonCountsOnePressAndReadingClearsTheCount) {
  KeyDownMsg('A');
  KeyDownMsg('A', true);
  KeyDownMsg('A', true);
  EXPECT_EQ(KeyHits('A'), 1);
  EXPECT_EQ(KeyHits('A'), 0);
  EXPECT_EQ(KeyIsDown('A'), 1);
  EXPECT_EQ(KeyIsDown('A'), 1);
  KeyUpMsg('A');
  EXPECT_EQ(KeyIsDown('A'), 0);

  KeyDownMsg('B');
  KeyUpMsg('B');
  KeyDownMsg('B');
  KeyUpMsg('B');
  EXPECT_EQ(KeyHits('B'), 2);
  EXPECT_EQ(KeyIsDown('B'), 0);
  EXPECT_EQ(KeyHits('A'), 0);

  Queue(pf::WM_LBUTTONDOWN, 0, 0);
  Queue(pf::WM_LBUTTONUP, 0, 0);
  Queue(pf::WM_LBUTTONDOWN, 0, 0);
  Queue(pf::WM_MBUTTONDOWN, 0, 0);
  EXPECT_EQ(MouseHits(1), 2);
  EXPECT_EQ(MouseHits(1), 0);
  EXPECT_EQ((std::vector<int>{MouseIsDown(0), MouseIsDown(1), MouseIsDown(2), MouseIsDown(3)}),
            (std::vector<int>{0, 1, 0, 1}));
}

TEST_F(PolledInput, CodesOutsideTheTablesAreIgnoredAndReadAsZero) {
  for (const std::int32_t bad : {256, 300, -1, -2147483647 - 1}) {
    EmitNewEvent(KeyDown, nullptr, bad, 0, 0, 0, nullptr);
    EmitNewEvent(KeyUp, nullptr, bad, 0, 0, 0, nullptr);
    EXPECT_EQ(KeyHits(bad), 0);
    EXPECT_EQ(KeyIsDown(bad), 0);
  }
  for (const std::int32_t bad : {4, 5, -1}) {
    EmitNewEvent(MouseDown, nullptr, bad, 0, 0, 0, nullptr);
    EXPECT_EQ(MouseHits(bad), 0);
    EXPECT_EQ(MouseIsDown(bad), 0);
  }
  // Nothing leaked into the valid entries (300 AND 255 is 44).
  EXPECT_EQ(KeyIsDown(44), 0);
  EXPECT_EQ(KeyIsDown(255), 0);
  EXPECT_EQ(MouseIsDown(0), 0);
  EXPECT_EQ(MouseIsDown(3), 0);
}

TEST_F(PolledInput, RingKeepsTheFirst256UntypedCharacters) {
  for (int c = 1; c <= 300; ++c) Queue(pf::WM_CHAR, static_cast<std::uintptr_t>(c), 0);
  for (int c = 1; c <= 256; ++c) ASSERT_EQ(NextTypedChar(), c);
  EXPECT_EQ(NextTypedChar(), 0);
  EXPECT_EQ(NextTypedChar(), 0);
}

TEST_F(PolledInput, RingReusesItsSlotsInOrder) {
  for (int round = 0; round < 3; ++round) {
    for (int c = 0; c < 200; ++c) {
      Queue(pf::WM_CHAR, static_cast<std::uintptr_t>(1000 * round + c), 0);
    }
    for (int c = 0; c < 200; ++c) ASSERT_EQ(NextTypedChar(), 1000 * round + c) << round;
  }
  EXPECT_EQ(NextTypedChar(), 0);
}

TEST_F(PolledInput, CloseRequestIsReportedOnce) {
  EXPECT_EQ(TerminateRequested(), 0);
  Queue(pf::WM_CLOSE, 0, 0);
  EXPECT_EQ(TerminateRequested(), 1);
  EXPECT_EQ(TerminateRequested(), 0);
  // Clearing, detaching and attaching leave a pending request alone.
  Queue(pf::WM_CLOSE, 0, 0);
  ClearKeyState();
  ClearMouseState();
  DetachPolledInput();
  AttachPolledInput(nullptr);
  EXPECT_EQ(TerminateRequested(), 1);
}

TEST_F(PolledInput, SuspendAndResumeClearKeysButtonsCharactersAndWheel) {
  QueueMove(40, 50);
  KeyDownMsg('A');
  Queue(pf::WM_CHAR, 'a', 0);
  Queue(pf::WM_RBUTTONDOWN, 0, 0);
  Queue(pf::WM_MOUSEWHEEL, pf::WheelWParam(240), 0);
  Deactivate();
  KeyDownMsg('B');  // after the suspend, in the same pump
  EXPECT_EQ(SuspendRequested(), 1);
  EXPECT_EQ(KeyIsDown('A'), 0);
  EXPECT_EQ(KeyHits('A'), 0);
  EXPECT_EQ(KeyHits('B'), 1);
  EXPECT_EQ(NextTypedChar(), 0);
  EXPECT_EQ(MouseIsDown(2), 0);
  EXPECT_EQ(MouseHits(2), 0);
  EXPECT_EQ(WheelZ(), 0);
  EXPECT_EQ(PointerX(), 40);
  EXPECT_EQ(PointerY(), 50);

  KeyDownMsg('C');
  Queue(pf::WM_ACTIVATE, pf::WA_ACTIVE, static_cast<std::intptr_t>(fake.AddForeignWindow(9, 9)));
  EXPECT_EQ(SuspendRequested(), 0);
  EXPECT_EQ(KeyIsDown('C'), 0);
  EXPECT_EQ(KeyIsDown('B'), 0);
}

TEST_F(PolledInput, WheelCountsNotchesAndClearingResetsOnlyTheWheel) {
  QueueMove(7, 8);
  Queue(pf::WM_MOUSEWHEEL, pf::WheelWParam(120), 0);
  Queue(pf::WM_MOUSEWHEEL, pf::WheelWParam(120), 0);
  EXPECT_EQ(WheelZ(), 2);
  Queue(pf::WM_MOUSEWHEEL, pf::WheelWParam(-360), 0);
  EXPECT_EQ(WheelZ(), -1);
  ClearMouseState();
  EXPECT_EQ(WheelZ(), 0);
  EXPECT_EQ(PointerX(), 7);
  EXPECT_EQ(PointerY(), 8);
}

TEST_F(PolledInput, PointerFollowsMovesOnlyAndDeltasStartFromZero) {
  EXPECT_EQ(PointerX(), 0);
  EXPECT_EQ(PointerY(), 0);
  QueueMove(30, 40);
  Queue(pf::WM_LBUTTONDOWN, 0, pf::MakePointLParam(99, 99));  // positions of clicks are not used
  EXPECT_EQ(PointerX(), 30);
  EXPECT_EQ(PointerY(), 40);
  EXPECT_EQ(PointerXDelta(), 30);
  EXPECT_EQ(PointerYDelta(), 40);
  QueueMove(-5, 600, pf::MK_LBUTTON);  // captured drag outside the window
  EXPECT_EQ(PointerXDelta(), -35);
  EXPECT_EQ(PointerYDelta(), 560);
  EXPECT_EQ(PointerXDelta(), 0);
  EXPECT_EQ(PointerX(), -5);
  Queue(pf::WM_MOUSEWHEEL, pf::WheelWParam(360), 0);
  EXPECT_EQ(WheelZDelta(), 3);
  EXPECT_EQ(WheelZDelta(), 0);
}

TEST_F(PolledInput, SourceFilterTakesOnlyEventsOfTheAttachedSource) {
  DetachPolledInput();
  const ObjectPtr mine = std::make_shared<TextObject>(u"mine");
  const ObjectPtr other = std::make_shared<TextObject>(u"mine");
  AttachPolledInput(mine);
  AttachPolledInput(nullptr);  // a second attach keeps the first filter

  KeyDownMsg('A');  // the window procedure passes a null source
  EmitNewEvent(KeyDown, other, 'B', 0, 0, 0, nullptr);
  EmitNewEvent(KeyDown, mine, 'C', 0, 0, 0, nullptr);
  EXPECT_EQ(KeyIsDown('A'), 0);
  EXPECT_EQ(KeyIsDown('B'), 0);
  EXPECT_EQ(KeyIsDown('C'), 1);
  source = mine;
  KeyDownMsg('D');
  EXPECT_EQ(KeyIsDown('D'), 1);
}

TEST_F(PolledInput, DetachedInputStillPumpsButChangesNothing) {
  KeyDownMsg('A');
  Queue(pf::WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(KeyIsDown('A'), 1);
  DetachPolledInput();
  EXPECT_EQ(KeyIsDown('A'), 0);
  EXPECT_EQ(MouseIsDown(1), 0);
  EXPECT_EQ(HookChainHead(EventEmitHookId), nullptr);
  KeyDownMsg('B');
  EXPECT_EQ(KeyHits('B'), 0);
  EXPECT_EQ(fake.QueuedMessages(), 0u);
  DetachPolledInput();  // a second detach does nothing
}

TEST_F(PolledInput, AwaitKeyPressReturnsTheLowestKeyAndKeepsTheOthersCounted) {
  KeyDownMsg('Q');  // pressed before the wait: cleared
  fake.arrivals = {{At(pf::WM_PAINT, 0)}, {At(pf::WM_KEYDOWN, 'Z'), At(pf::WM_KEYDOWN, 'M')}};
  EXPECT_EQ(AwaitKeyPress(), 'M');
  EXPECT_EQ(fake.CountCalls("WaitMessage"), 2);
  EXPECT_EQ(KeyHits('Z'), 1);
  EXPECT_EQ(KeyHits('M'), 0);
  EXPECT_EQ(KeyHits('Q'), 0);
}

TEST_F(PolledInput, AwaitTypedCharAndAwaitMouseButton) {
  Queue(pf::WM_CHAR, 'x', 0);  // typed before the wait: cleared
  fake.arrivals = {{At(pf::WM_KEYDOWN, 'A')}, {At(pf::WM_CHAR, 'a'), At(pf::WM_CHAR, 'b')}};
  EXPECT_EQ(AwaitTypedChar(), 'a');
  EXPECT_EQ(NextTypedChar(), 'b');

  fake.arrivals.push_back({At(pf::WM_MBUTTONDOWN, 0), At(pf::WM_RBUTTONDOWN, 0)});
  EXPECT_EQ(AwaitMouseButton(), 2);
  EXPECT_EQ(MouseHits(3), 1);
}

}  // namespace
