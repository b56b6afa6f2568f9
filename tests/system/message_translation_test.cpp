#include "system/message_translation.h"

#include <gtest/gtest.h>

#include "tests/system/system_test_fixture.h"

namespace {

namespace pf = platform;
using test_support::RecordedEvents;
using test_support::SystemTest;
using Events = std::vector<std::string>;

std::string Ev(const char* description, int data, int mods, int x, int y) {
  return std::string(description) + ": data=" + std::to_string(data) +
         ", mods=" + std::to_string(mods) + ", x=" + std::to_string(x) +
         ", y=" + std::to_string(y) + ", extra=\"\"";
}

class Translation : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    Record();
    foreign = fake.AddForeignWindow(100, 100);
  }
  // Screen position of a client point of the test window.
  void CursorAtClient(int x, int y) { fake.SetCursor(103 + x, 126 + y); }
  pf::Handle foreign = 0;
};

struct Row {
  const char* name;
  std::uint32_t message;
  std::uintptr_t wparam;
  std::intptr_t lparam;
  Events expected;
};

// Every row runs with the pointer already over the window and no modifier
// key held.
TEST_F(Translation, EveryRowOfTheTable) {
  const std::intptr_t foreign_lparam = static_cast<std::intptr_t>(foreign);
  const auto key = [](std::uint32_t scan, bool previously_down = false) {
    return pf::KeyLParam(scan, false, previously_down, false);
  };
  const auto up = [](std::uint32_t scan) { return pf::KeyLParam(scan, false, true, true); };
  const auto at = [](int x, int y) { return pf::MakePointLParam(x, y); };
  const std::vector<Row> rows = {
      {"activate", pf::WM_ACTIVATE, pf::WA_ACTIVE, foreign_lparam, {Ev("AppResume", 0, 0, 0, 0)}},
      {"click activate", pf::WM_ACTIVATE, pf::WA_CLICKACTIVE, 0, {Ev("AppResume", 0, 0, 0, 0)}},
      {"deactivate",
       pf::WM_ACTIVATE,
       pf::WA_INACTIVE,
       foreign_lparam,
       {Ev("AppSuspend", 0, 0, 0, 0)}},
      {"close", pf::WM_CLOSE, 0, 0, {Ev("AppTerminate", 0, 0, 0, 0)}},
      {"key down", pf::WM_KEYDOWN, 'A', key(0x1E), {Ev("KeyDown", 65, 0, 0, 0)}},
      {"key repeat", pf::WM_KEYDOWN, 'A', key(0x1E, true), {Ev("KeyRepeat", 65, 0, 0, 0)}},
      {"sys key down", pf::WM_SYSKEYDOWN, pf::VK_F4, key(0x3E), {Ev("KeyDown", 115, 0, 0, 0)}},
      {"sys key repeat",
       pf::WM_SYSKEYDOWN,
       pf::VK_F4,
       key(0x3E, true),
       {Ev("KeyRepeat", 115, 0, 0, 0)}},
      {"key up", pf::WM_KEYUP, 'A', up(0x1E), {Ev("KeyUp", 65, 0, 0, 0)}},
      {"sys key up", pf::WM_SYSKEYUP, pf::VK_F4, up(0x3E), {Ev("KeyUp", 115, 0, 0, 0)}},
      {"highest key code", pf::WM_KEYDOWN, 255, key(0), {Ev("KeyDown", 255, 0, 0, 0)}},
      {"key code 0", pf::WM_KEYDOWN, 0, key(0), {}},
      {"key code 256", pf::WM_KEYDOWN, 256, key(0), {}},
      {"key up code 0", pf::WM_KEYUP, 0, up(0), {}},
      {"key up code 300", pf::WM_SYSKEYUP, 300, up(0), {}},
      {"char", pf::WM_CHAR, 'a', key(0x1E), {Ev("KeyChar", 97, 0, 0, 0)}},
      {"sys char", pf::WM_SYSCHAR, 0x20AC, 0, {Ev("KeyChar", 0x20AC, 0, 0, 0)}},
      {"move", pf::WM_MOUSEMOVE, 0, at(10, 20), {Ev("MouseMove", 0, 0, 10, 20)}},
      {"move left", pf::WM_MOUSEMOVE, pf::MK_LBUTTON, at(1, 2), {Ev("MouseMove", 1, 0, 1, 2)}},
      {"move middle+left",
       pf::WM_MOUSEMOVE,
       pf::MK_MBUTTON | pf::MK_LBUTTON,
       at(1, 2),
       {Ev("MouseMove", 4, 0, 1, 2)}},
      {"move right+left",
       pf::WM_MOUSEMOVE,
       pf::MK_RBUTTON | pf::MK_LBUTTON,
       at(1, 2),
       {Ev("MouseMove", 2, 0, 1, 2)}},
      {"move all",
       pf::WM_MOUSEMOVE,
       pf::MK_RBUTTON | pf::MK_MBUTTON | pf::MK_LBUTTON | pf::MK_SHIFT,
       at(511, 511),
       {Ev("MouseMove", 2, 0, 511, 511)}},
      {"left down", pf::WM_LBUTTONDOWN, pf::MK_LBUTTON, at(5, 6), {Ev("MouseDown", 1, 0, 5, 6)}},
      {"right down", pf::WM_RBUTTONDOWN, 0, at(7, 8), {Ev("MouseDown", 2, 0, 7, 8)}},
      {"middle down", pf::WM_MBUTTONDOWN, 0, at(9, 10), {Ev("MouseDown", 3, 0, 9, 10)}},
      {"left up", pf::WM_LBUTTONUP, 0, at(-5, 600), {Ev("MouseUp", 1, 0, -5, 600)}},
      {"right up", pf::WM_RBUTTONUP, 0, at(7, 8), {Ev("MouseUp", 2, 0, 7, 8)}},
      {"middle up", pf::WM_MBUTTONUP, 0, at(9, 10), {Ev("MouseUp", 3, 0, 9, 10)}},
      // Wheel points are screen positions; the client area starts at (103, 126).
      {"wheel notch",
       pf::WM_MOUSEWHEEL,
       pf::WheelWParam(120),
       at(113, 146),
       {Ev("MouseWheel", 1, 0, 10, 20)}},
      {"wheel half notch",
       pf::WM_MOUSEWHEEL,
       pf::WheelWParam(60),
       at(103, 126),
       {Ev("MouseWheel", 0, 0, 0, 0)}},
      {"wheel two back",
       pf::WM_MOUSEWHEEL,
       pf::WheelWParam(-240),
       at(100, 100),
       {Ev("MouseWheel", -2, 0, -3, -26)}},
      {"wheel almost two",
       pf::WM_MOUSEWHEEL,
       pf::WheelWParam(239, 0x8),
       at(103, 126),
       {Ev("MouseWheel", 1, 0, 0, 0)}},
      {"wheel almost one back",
       pf::WM_MOUSEWHEEL,
       pf::WheelWParam(-119),
       at(103, 126),
       {Ev("MouseWheel", 0, 0, 0, 0)}},
      {"double click", pf::WM_LBUTTONDBLCLK, 0, at(1, 1), {}},
      {"right double click", pf::WM_RBUTTONDBLCLK, 0, at(1, 1), {}},
      {"paint", pf::WM_PAINT, 0, 0, {}},
      {"sys command close", pf::WM_SYSCOMMAND, pf::SC_CLOSE, 0, {}},
  };
  for (const auto& row : rows) {
    driverState.pointerOverWindow = window;
    RecordedEvents().clear();
    TranslateWindowMessage(window, row.message, row.wparam, row.lparam, nullptr);
    EXPECT_EQ(test_support::EventTexts(), row.expected) << row.name;
  }
}

TEST_F(Translation, SideSpecificModifierCodesAndTheMaskOfTheirOwnEvent) {
  struct Press {
    const char* name;
    std::uint32_t message;
    int virtual_key;
    std::uint32_t scan;
    bool extended;
    int code;
    int mods;
  };
  const Press presses[] = {
      {"left shift", pf::WM_KEYDOWN, pf::VK_SHIFT, 0x2A, false, 160, 1},
      {"right shift", pf::WM_KEYDOWN, pf::VK_SHIFT, 0x36, false, 161, 1},
      {"left control", pf::WM_KEYDOWN, pf::VK_CONTROL, 0x1D, false, 162, 2},
      {"right control", pf::WM_KEYDOWN, pf::VK_CONTROL, 0x1D, true, 163, 2},
      {"left alt", pf::WM_SYSKEYDOWN, pf::VK_MENU, 0x38, false, 164, 4},
      {"right alt", pf::WM_SYSKEYDOWN, pf::VK_MENU, 0x38, true, 165, 4},
      {"left windows", pf::WM_KEYDOWN, pf::VK_LWIN, 0x5B, true, pf::VK_LWIN, 8},
      {"right windows", pf::WM_KEYDOWN, pf::VK_RWIN, 0x5C, true, pf::VK_RWIN, 8},
  };
  for (const auto& p : presses) {
    fake.SetKeyDown(p.virtual_key, true);
    Queue(p.message, static_cast<std::uintptr_t>(p.virtual_key),
          pf::KeyLParam(p.scan, p.extended, false, false));
    EXPECT_EQ(Pump(), Events{Ev("KeyDown", p.code, p.mods, 0, 0)}) << p.name;
    fake.SetKeyDown(p.virtual_key, false);
    Queue(p.message + 1, static_cast<std::uintptr_t>(p.virtual_key),
          pf::KeyLParam(p.scan, p.extended, true, true));
    EXPECT_EQ(Pump(), Events{Ev("KeyUp", p.code, 0, 0, 0)}) << p.name;
  }
  // Only the 7-bit scan code and the extended flag decide, not the key.
  EXPECT_EQ(KeyCodeFor('A', pf::KeyLParam(0x2A | 0x80, false, false, false)), 160);
  EXPECT_EQ(KeyCodeFor(pf::VK_SHIFT, pf::KeyLParam(0x2A, true, false, false)), pf::VK_SHIFT);
}

TEST_F(Translation, MaskCombinesHeldModifiersAndChangesOnlyOnModifierMessages) {
  fake.SetKeyDown(pf::VK_SHIFT, true);
  fake.SetKeyDown(pf::VK_CONTROL, true);
  Queue(pf::WM_KEYDOWN, 'A', pf::KeyLParam(0x1E, false, false, false));
  EXPECT_EQ(Pump(), Events{Ev("KeyDown", 65, 0, 0, 0)});  // not recomputed yet

  Queue(pf::WM_KEYDOWN, pf::VK_CONTROL, pf::KeyLParam(0x1D, false, false, false));
  Queue(pf::WM_CHAR, 1, 0);
  Queue(pf::WM_LBUTTONDOWN, 0, pf::MakePointLParam(3, 4));
  EXPECT_EQ(Pump(), (Events{Ev("KeyDown", 162, 3, 0, 0), Ev("KeyChar", 1, 3, 0, 0),
                            Ev("MouseDown", 1, 3, 3, 4)}));
}

TEST_F(Translation, PointerEnteringAndLeavingTheWindow) {
  source = std::make_shared<TextObject>(u"window source");
  fake.SetKeyDown(pf::VK_SHIFT, true);
  RecomputeModifierMask();
  QueueMove(10, 20);
  EXPECT_EQ(Pump(), (Events{Ev("MouseEnter", 0, 0, 10, 20), Ev("MouseMove", 0, 1, 10, 20)}));
  EXPECT_EQ(fake.CountCalls("TrackMouseLeave(0x100)"), 1);
  EXPECT_EQ(RecordedEvents()[0]->source, source);

  QueueMove(11, 21);
  EXPECT_EQ(Pump(), Events{Ev("MouseMove", 0, 1, 11, 21)});

  // A leave message of another window is not ours to act on.
  CursorAtClient(600, 5);
  TranslateWindowMessage(foreign, pf::WM_MOUSELEAVE, 0, 0, nullptr);
  EXPECT_EQ(driverState.pointerOverWindow, window);

  // The leave event carries the source the pointer entered with.
  const ObjectPtr entered = source;
  source = nullptr;
  Queue(pf::WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Pump(), Events{Ev("MouseLeave", 0, 0, 600, 5)});
  EXPECT_EQ(RecordedEvents()[0]->source, entered);
  EXPECT_EQ(driverState.enteredSource, nullptr);
  Queue(pf::WM_MOUSELEAVE, 0, 0);  // over nothing now: no second leave
  EXPECT_TRUE(Pump().empty());
}

TEST_F(Translation, CapturedDragOutsideReportsMovesAndLeavesOnce) {
  QueueMove(500, 500);
  Queue(pf::WM_LBUTTONDOWN, pf::MK_LBUTTON, pf::MakePointLParam(500, 500));
  Pump();
  EXPECT_EQ(fake.Capture(), window);
  EXPECT_EQ(fake.CallsStartingWith("SetCapture"), std::vector<std::string>{"SetCapture(0x100)"});

  CursorAtClient(512, 500);
  QueueMove(512, 500, pf::MK_LBUTTON);
  QueueMove(-1, -40, pf::MK_LBUTTON);
  EXPECT_EQ(Pump(), (Events{Ev("MouseLeave", 0, 0, 512, 500), Ev("MouseMove", 1, 0, 512, 500),
                            Ev("MouseMove", 1, 0, -1, -40)}));

  QueueMove(0, 0, pf::MK_LBUTTON);
  Queue(pf::WM_LBUTTONUP, 0, pf::MakePointLParam(0, 0));
  EXPECT_EQ(Pump(), (Events{Ev("MouseEnter", 0, 0, 0, 0), Ev("MouseMove", 1, 0, 0, 0),
                            Ev("MouseUp", 1, 0, 0, 0)}));
  EXPECT_EQ(fake.Capture(), 0u);
  EXPECT_EQ(fake.CountCalls("ReleaseCapture"), 1);
}

TEST_F(Translation, MovingStraightIntoAnotherOwnWindowLeavesBeforeEntering) {
  const pf::Handle second = fake.CreateWindowEx(0, u"TestWindow", u"Second", 0, 700, 100, 200, 200);
  QueueMove(10, 10);
  Pump();
  fake.SetCursor(705, 106);
  fake.QueueMessage(second, pf::WM_MOUSEMOVE, 0, pf::MakePointLParam(5, 6));
  EXPECT_EQ(Pump(), (Events{Ev("MouseLeave", 0, 0, 602, -20), Ev("MouseEnter", 0, 0, 5, 6),
                            Ev("MouseMove", 0, 0, 5, 6)}));
  EXPECT_EQ(driverState.pointerOverWindow, second);
}

TEST_F(Translation, HiddenPointerIsHiddenOnlyOverOurWindows) {
  ASSERT_EQ(fake.CursorCounter(), 0);
  HidePointer();  // outside: stays shown
  EXPECT_EQ(fake.CursorCounter(), 0);
  QueueMove(10, 10);
  Pump();
  EXPECT_EQ(fake.CursorCounter(), -1);
  HidePointer();  // a second time changes nothing
  EXPECT_EQ(fake.CursorCounter(), -1);
  QueueMove(-10, 10);
  Pump();
  EXPECT_EQ(fake.CursorCounter(), 0);
  QueueMove(10, 10);
  Pump();
  EXPECT_EQ(fake.CursorCounter(), -1);
  ShowPointer();
  EXPECT_EQ(fake.CursorCounter(), 0);
  ShowPointer();
  EXPECT_EQ(fake.CursorCounter(), 0);
  EXPECT_EQ(fake.CallsStartingWith("ShowCursor").back(), "ShowCursor(0)=0");  // undone
}

TEST_F(Translation, ActivationSuspendsAndResumesOnlyAgainstOtherPrograms) {
  const pf::Handle own = fake.CreateWindowEx(0, u"TestWindow", u"Tool", 0, 0, 0, 50, 50);
  const auto lp = [](pf::Handle h) { return static_cast<std::intptr_t>(h); };
  Queue(pf::WM_ACTIVATE, pf::WA_INACTIVE, lp(own));
  Queue(pf::WM_ACTIVATE, pf::WA_ACTIVE, lp(own));
  EXPECT_TRUE(Pump().empty());

  Queue(pf::WM_ACTIVATE, pf::WA_INACTIVE, lp(foreign));
  Queue(pf::WM_ACTIVATE, pf::WA_CLICKACTIVE, lp(foreign));
  EXPECT_EQ(Pump(), (Events{Ev("AppSuspend", 0, 0, 0, 0), Ev("AppResume", 0, 0, 0, 0)}));

  // A window that moved to another process counts as foreign.
  fake.SetWindowProcess(own, 77);
  Queue(pf::WM_ACTIVATE, pf::WA_INACTIVE, lp(own));
  EXPECT_EQ(Pump(), Events{Ev("AppSuspend", 0, 0, 0, 0)});

  fake.SetIconic(window, true);
  Queue(pf::WM_ACTIVATE, pf::WA_ACTIVE, lp(foreign));
  EXPECT_TRUE(Pump().empty());
  Queue(pf::WM_ACTIVATE, pf::WA_INACTIVE, lp(foreign));
  EXPECT_EQ(Pump(), Events{Ev("AppSuspend", 0, 0, 0, 0)});
}

}  // namespace
