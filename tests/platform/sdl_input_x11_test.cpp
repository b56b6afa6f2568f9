// The SDL2 platform's input on a real X server: pointer, buttons, capture,
// wheel, cursor, keys, typed text, leave tracking; injected with XTest as a
// user's input would arrive.
#include "tests/platform/sdl_x11_fixture.h"
// clang-format off
#include <X11/XKBlib.h>
#include <X11/keysym.h>
// clang-format on

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace platform::sdl {
namespace {

using SdlInput = SdlWindowTest;

constexpr int kLeft = 300;
constexpr int kTop = 200;

// The key code the layers above make of a key message: shift, control and
// alt told apart by scan code and extended flag.
int SidedKey(const Msg& m) {
  const int sided = SidedModifierKey(ExtendedScanCode(m.lparam));
  return sided != 0 ? sided : static_cast<int>(m.wparam);
}

TEST_F(SdlInput, PointerMovesAndButtonsArriveInClientCoordinates) {
  const Handle window = OpenWindow(u"pointer", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(PointerTo(window, 10, 20));
  EXPECT_EQ(Find(WM_MOUSEMOVE)->wparam, 0u);

  // X numbers the middle button 2 and the right one 3.
  struct Case {
    unsigned x_button;
    std::uint32_t down;
    std::uint32_t up;
    std::uintptr_t flag;
  };
  for (const Case& c : {Case{1, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON},
                        Case{2, WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON},
                        Case{3, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON}}) {
    SCOPED_TRACE(c.x_button);
    received_.clear();
    FakeButton(c.x_button, true);
    ASSERT_TRUE(PumpUntilMessage(c.down, window));
    EXPECT_EQ(Find(c.down)->wparam, c.flag);
    EXPECT_EQ(Find(c.down)->lparam, MakePointLParam(10, 20));
    EXPECT_LT(platform_->GetKeyState(c.x_button == 1 ? 1 : c.x_button == 3 ? 2 : 4), 0);
    FakeButton(c.x_button, false);
    ASSERT_TRUE(PumpUntilMessage(c.up, window));
    EXPECT_EQ(Find(c.up)->wparam, 0u);
    EXPECT_EQ(Received(WM_LBUTTONDOWN).size() + Received(WM_MBUTTONDOWN).size() +
                  Received(WM_RBUTTONDOWN).size(),
              1u);
  }

  // Moving with the left and right buttons held reports both.
  FakeButton(1, true);
  FakeButton(3, true);
  received_.clear();
  ASSERT_TRUE(PointerTo(window, 30, 40));
  EXPECT_EQ(Received(WM_MOUSEMOVE).back().wparam, MK_LBUTTON | MK_RBUTTON);
  FakeButton(3, false);
  FakeButton(1, false);
  ASSERT_TRUE(PumpUntilMessage(WM_LBUTTONUP, window));
}

TEST_F(SdlInput, CapturedPointerReportsMovesOutsideTheClientArea) {
  const Handle window = OpenWindow(u"capture", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(PointerTo(window, 50, 50));
  FakeButton(1, true);
  ASSERT_TRUE(PumpUntilMessage(WM_LBUTTONDOWN, window));
  EXPECT_EQ(platform_->SetCapture(window), 0u);
  received_.clear();
  FakeMotion(kLeft - 30, kTop + 60);
  ASSERT_TRUE(PumpUntil([&] {
    for (const Msg& m : Received(WM_MOUSEMOVE)) {
      if (LowSigned(m.lparam) == -30 && HighSigned(m.lparam) == 60) return true;
    }
    return false;
  }));
  EXPECT_EQ(Received(WM_MOUSEMOVE).back().wparam, MK_LBUTTON);
  FakeMotion(kLeft + 250, kTop + 170);
  ASSERT_TRUE(PumpUntil([&] {
    const auto moves = Received(WM_MOUSEMOVE);
    return LowSigned(moves.back().lparam) == 250 && HighSigned(moves.back().lparam) == 170;
  }));
  FakeButton(1, false);
  ASSERT_TRUE(PumpUntilMessage(WM_LBUTTONUP, window));
  EXPECT_TRUE(platform_->ReleaseCapture());
}

TEST_F(SdlInput, WheelNotchesAreSignedTwelfthsOfTenWithScreenCoordinates) {
  const Handle window = OpenWindow(u"wheel", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(PointerTo(window, 25, 35));
  FakeButton(4, true);  // away from the user
  FakeButton(4, false);
  ASSERT_TRUE(PumpUntilMessage(WM_MOUSEWHEEL, window));
  const Msg up = *Find(WM_MOUSEWHEEL);
  EXPECT_EQ(static_cast<std::int16_t>(HighWord(up.wparam)), 120);
  EXPECT_EQ(LowSigned(up.lparam), kLeft + 25);
  EXPECT_EQ(HighSigned(up.lparam), kTop + 35);
  received_.clear();
  FakeButton(5, true);  // toward the user
  FakeButton(5, false);
  ASSERT_TRUE(PumpUntilMessage(WM_MOUSEWHEEL, window));
  EXPECT_EQ(static_cast<std::int16_t>(HighWord(Find(WM_MOUSEWHEEL)->wparam)), -120);
}

TEST_F(SdlInput, CursorCounterSwitchesThePointerOnlyAcrossZero) {
  const Handle window = OpenWindow(u"cursor", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(PointerTo(window, 60, 60));
  EXPECT_EQ(platform_->ShowCursor(false), -1);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  EXPECT_EQ(platform_->ShowCursor(false), -2);
  EXPECT_EQ(platform_->ShowCursor(true), -1);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  EXPECT_EQ(platform_->ShowCursor(true), 0);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  EXPECT_EQ(platform_->ShowCursor(true), 1);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  EXPECT_EQ(platform_->ShowCursor(false), 0);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(SdlInput, LeaveIsReportedOnceAndOnlyWhenTracked) {
  const Handle window = OpenWindow(u"leave", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(PointerTo(window, 100, 70));
  // Not armed: leaving says nothing.
  FakeMotion(kLeft + 400, kTop + 70);
  FakeMotion(kLeft + 100, kTop + 70);
  ASSERT_TRUE(PointerTo(window, 101, 70));
  EXPECT_EQ(Find(WM_MOUSELEAVE), nullptr);
  ASSERT_TRUE(platform_->TrackMouseLeave(window));
  FakeMotion(kLeft + 400, kTop + 70);
  ASSERT_TRUE(PumpUntilMessage(WM_MOUSELEAVE, window));
  FakeMotion(kLeft + 420, kTop + 70);
  FakeMotion(kLeft + 100, kTop + 70);
  ASSERT_TRUE(PointerTo(window, 102, 70));
  FakeMotion(kLeft + 400, kTop + 90);
  Point cursor;
  PumpUntil([&] { return platform_->GetCursorPos(cursor) && cursor.x == kLeft + 400; });
  EXPECT_EQ(cursor.y, kTop + 90);
  PumpUntil([] { return false; });
  EXPECT_EQ(Received(WM_MOUSELEAVE).size(), 1u);
}

TEST_F(SdlInput, KeysCarryVirtualKeyScanCodeAndTransitionBits) {
  const Handle window = OpenWindow(u"keys", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  FakeKey(XK_a, true);
  FakeKey(XK_a, false);
  ASSERT_TRUE(PumpUntilMessage(WM_KEYUP, window));
  ASSERT_TRUE(PumpUntilMessage(WM_CHAR, window));
  const Msg down = *Find(WM_KEYDOWN);
  const Msg up = *Find(WM_KEYUP);
  EXPECT_EQ(down.wparam, static_cast<std::uintptr_t>('A'));
  EXPECT_EQ(static_cast<std::uintptr_t>(down.lparam) & 0xFFFFFFFFu, 0x001E0001u);
  EXPECT_EQ(up.wparam, static_cast<std::uintptr_t>('A'));
  EXPECT_EQ(static_cast<std::uintptr_t>(up.lparam) & 0xFFFFFFFFu, 0xC01E0001u);
  EXPECT_EQ(Find(WM_CHAR)->wparam, static_cast<std::uintptr_t>('a'));

  // Keys that type control characters get them through TranslateMessage.
  received_.clear();
  FakeKey(XK_Return, true);
  FakeKey(XK_Return, false);
  ASSERT_TRUE(PumpUntilMessage(WM_KEYUP, window));
  ASSERT_EQ(Received(WM_CHAR).size(), 1u);
  EXPECT_EQ(Find(WM_CHAR)->wparam, 13u);

  // Arrows are extended keys.
  received_.clear();
  FakeKey(XK_Left, true);
  FakeKey(XK_Left, false);
  ASSERT_TRUE(PumpUntilMessage(WM_KEYUP, window));
  EXPECT_EQ(Find(WM_KEYDOWN)->wparam, 0x25u);
  EXPECT_EQ((static_cast<std::uintptr_t>(Find(WM_KEYDOWN)->lparam) >> 16) & 0x1FF, 0x14Bu);
}

// Whether the X server has Num Lock on.
bool NumLockOn(Display* display) {
  XkbStateRec state;
  if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) return false;
  return (state.locked_mods & XkbKeysymToModifiers(display, XK_Num_Lock)) != 0;
}

TEST_F(SdlInput, KeypadKeysFollowNumLock) {
  const Handle window = OpenWindow(u"keypad", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  ASSERT_NE(XKeysymToKeycode(display_, XK_Num_Lock), 0) << "the X keymap lacks Num Lock";
  const bool was_on = NumLockOn(display_);
  auto set_num_lock = [&](bool on) {
    if (NumLockOn(display_) == on) return true;
    received_.clear();
    FakeKey(XK_Num_Lock, true);
    FakeKey(XK_Num_Lock, false);
    return PumpUntilMessage(WM_KEYUP, window) && NumLockOn(display_) == on;
  };
  struct Case {
    KeySym key;
    int scan_code;
    int num_lock_off;
    int num_lock_on;
  };
  // Both codes come from the same key, never an extended one.
  const Case cases[] = {
      {XK_KP_0, 0x52, VK_INSERT, VK_NUMPAD0},      {XK_KP_1, 0x4F, VK_END, VK_NUMPAD1},
      {XK_KP_2, 0x50, VK_DOWN, VK_NUMPAD2},        {XK_KP_3, 0x51, VK_NEXT, VK_NUMPAD3},
      {XK_KP_4, 0x4B, VK_LEFT, VK_NUMPAD4},        {XK_KP_5, 0x4C, VK_CLEAR, VK_NUMPAD5},
      {XK_KP_6, 0x4D, VK_RIGHT, VK_NUMPAD6},       {XK_KP_7, 0x47, VK_HOME, VK_NUMPAD7},
      {XK_KP_8, 0x48, VK_UP, VK_NUMPAD8},          {XK_KP_9, 0x49, VK_PRIOR, VK_NUMPAD9},
      {XK_KP_Decimal, 0x53, VK_DELETE, VK_DECIMAL}};
  for (const bool on : {false, true}) {
    ASSERT_TRUE(set_num_lock(on));
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(XKeysymToString(c.key)) + (on ? " with" : " without") + " Num Lock");
      ASSERT_NE(XKeysymToKeycode(display_, c.key), 0);
      received_.clear();
      FakeKey(c.key, true);
      FakeKey(c.key, false);
      ASSERT_TRUE(PumpUntilMessage(WM_KEYUP, window));
      const auto expected = static_cast<std::uintptr_t>(on ? c.num_lock_on : c.num_lock_off);
      ASSERT_NE(Find(WM_KEYDOWN), nullptr);
      EXPECT_EQ(Find(WM_KEYDOWN)->wparam, expected);
      EXPECT_EQ(Find(WM_KEYUP)->wparam, expected);
      EXPECT_EQ((static_cast<std::uintptr_t>(Find(WM_KEYDOWN)->lparam) >> 16) & 0x1FF,
                static_cast<std::uintptr_t>(c.scan_code));
    }
  }
  EXPECT_TRUE(set_num_lock(was_on));
}

TEST_F(SdlInput, ControlWithALetterOrBracketKeyTypesAControlCharacter) {
  const Handle window = OpenWindow(u"control characters", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  struct Case {
    std::vector<KeySym> held;  // pressed in this order, released in reverse
    KeySym key;
    std::vector<std::uintptr_t> typed;
  };
  const std::vector<KeySym> control = {XK_Control_L};
  const std::vector<KeySym> control_shift = {XK_Control_R, XK_Shift_L};
  const Case cases[] = {
      {control, XK_a, {1}},
      {control, XK_c, {3}},
      {control, XK_z, {26}},
      {control_shift, XK_a, {1}},
      {control, XK_bracketleft, {27}},
      {control, XK_backslash, {28}},
      {control, XK_bracketright, {29}},
      {control_shift, XK_6, {30}},      // Ctrl+^
      {control_shift, XK_minus, {31}},  // Ctrl+_
      {control, XK_6, {}},
      {{XK_Control_L, XK_Alt_L}, XK_a, {}},  // Control with Alt is AltGr
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(XKeysymToString(c.key) + std::string(" with ") + std::to_string(c.held.size()) +
                 " held");
    received_.clear();
    for (KeySym sym : c.held) FakeKey(sym, true);
    FakeKey(c.key, true);
    FakeKey(c.key, false);
    for (auto sym = c.held.rbegin(); sym != c.held.rend(); ++sym) FakeKey(*sym, false);
    // Control, held first, is released last.
    ASSERT_TRUE(PumpUntil([&] {
      for (const Msg& m : received_) {
        if (m.message == WM_KEYUP && m.wparam == static_cast<std::uintptr_t>(VK_CONTROL)) {
          return true;
        }
      }
      return false;
    }));
    std::vector<std::uintptr_t> typed;
    for (const Msg& m : Received(WM_CHAR)) typed.push_back(m.wparam);
    EXPECT_EQ(typed, c.typed);
  }
}

TEST_F(SdlInput, ShiftControlAndAltAreToldApartBySide) {
  const Handle window = OpenWindow(u"modifiers", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  struct Case {
    KeySym sym;
    int generic;
    int sided;
    std::uint32_t down_message;
  };
  for (const Case& c :
       {Case{XK_Shift_L, VK_SHIFT, 160, WM_KEYDOWN}, Case{XK_Shift_R, VK_SHIFT, 161, WM_KEYDOWN},
        Case{XK_Control_L, VK_CONTROL, 162, WM_KEYDOWN},
        Case{XK_Control_R, VK_CONTROL, 163, WM_KEYDOWN},
        Case{XK_Alt_L, VK_MENU, 164, WM_SYSKEYDOWN}, Case{XK_Alt_R, VK_MENU, 165, WM_SYSKEYDOWN}}) {
    SCOPED_TRACE(c.sided);
    ASSERT_NE(XKeysymToKeycode(display_, c.sym), 0) << "the X keymap lacks the key";
    received_.clear();
    FakeKey(c.sym, true);
    ASSERT_TRUE(PumpUntilMessage(c.down_message, window));
    const Msg down = *Find(c.down_message);
    EXPECT_EQ(down.wparam, static_cast<std::uintptr_t>(c.generic));
    EXPECT_EQ(SidedKey(down), c.sided);
    EXPECT_LT(platform_->GetKeyState(c.generic), 0);
    EXPECT_LT(platform_->GetKeyState(c.sided), 0);
    FakeKey(c.sym, false);
    const std::uint32_t up_message = c.down_message == WM_SYSKEYDOWN ? WM_SYSKEYUP : WM_KEYUP;
    ASSERT_TRUE(PumpUntilMessage(up_message, window));
    EXPECT_EQ(SidedKey(*Find(up_message)), c.sided);
    EXPECT_GE(platform_->GetKeyState(c.generic), 0);
    EXPECT_GE(platform_->GetKeyState(c.sided), 0);
  }
}

TEST_F(SdlInput, AltF4IsACloseRequest) {
  const Handle window = OpenWindow(u"alt f4", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  FakeKey(XK_Alt_L, true);
  FakeKey(XK_F4, true);
  FakeKey(XK_F4, false);
  FakeKey(XK_Alt_L, false);
  ASSERT_TRUE(PumpUntilMessage(WM_CLOSE, window));
  std::optional<Msg> f4;
  for (const Msg& m : Received(WM_SYSKEYDOWN)) {
    if (m.wparam == static_cast<std::uintptr_t>(VK_F4)) f4 = m;
  }
  // A window manager may take Alt+F4 itself and send its close request;
  // without one the key arrives and its default handling asks to close.
  if (!UnderWindowManager()) {
    ASSERT_TRUE(f4.has_value());
  }
  if (f4) {
    EXPECT_NE(static_cast<std::uintptr_t>(f4->lparam) & (1u << 29), 0u);  // Alt held
  }
  EXPECT_EQ(Received(WM_CLOSE).size(), 1u);
}

TEST_F(SdlInput, HeldKeyRepeatsWithThePreviousStateBitSet) {
  const Handle window = OpenWindow(u"repeat", kLeft, kTop, 200, 150);
  ASSERT_NE(window, 0u);
  XAutoRepeatOn(display_);
  XkbSetAutoRepeatRate(display_, XkbUseCoreKbd, 200, 30);
  XSync(display_, False);
  FakeKey(XK_b, true);
  const bool repeated = PumpUntil([&] { return Received(WM_KEYDOWN).size() >= 3; });
  FakeKey(XK_b, false);
  ASSERT_TRUE(repeated);
  ASSERT_TRUE(PumpUntilMessage(WM_KEYUP, window));
  const auto downs = Received(WM_KEYDOWN);
  EXPECT_EQ(static_cast<std::uintptr_t>(downs[0].lparam) & (1u << 30), 0u);
  for (std::size_t i = 1; i < downs.size(); ++i) {
    EXPECT_NE(static_cast<std::uintptr_t>(downs[i].lparam) & (1u << 30), 0u);
    EXPECT_EQ(downs[i].wparam, static_cast<std::uintptr_t>('B'));
  }
  EXPECT_EQ(Received(WM_KEYUP).size(), 1u);
}

}  // namespace
}  // namespace platform::sdl
