// The SDL2 platform's fixed input tables, checked against what Win32
// reports for the same keys, buttons and wheel motion. No display needed.
#include "platform/sdl/sdl_input_tables.h"

#include <SDL_keyboard.h>
#include <SDL_keycode.h>
#include <SDL_mouse.h>
#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <utility>

#include "platform/platform.h"

namespace platform::sdl {
namespace {

TEST(SdlKeyTable, KnownKeysGiveWin32CodesScanCodesAndExtendedFlags) {
  struct Case {
    SDL_Scancode scancode;
    int virtual_key;
    int scan_code;
    bool extended;
  };
  // clang-format off
  const Case cases[] = {
      {SDL_SCANCODE_A, 'A', 0x1E, false},      {SDL_SCANCODE_M, 'M', 0x32, false},
      {SDL_SCANCODE_Z, 'Z', 0x2C, false},      {SDL_SCANCODE_1, '1', 0x02, false},
      {SDL_SCANCODE_9, '9', 0x0A, false},      {SDL_SCANCODE_0, '0', 0x0B, false},
      {SDL_SCANCODE_F1, 0x70, 0x3B, false},    {SDL_SCANCODE_F4, 0x73, 0x3E, false},
      {SDL_SCANCODE_F10, 0x79, 0x44, false},   {SDL_SCANCODE_F11, 0x7A, 0x57, false},
      {SDL_SCANCODE_F12, 0x7B, 0x58, false},   {SDL_SCANCODE_RETURN, 13, 0x1C, false},
      {SDL_SCANCODE_KP_ENTER, 13, 0x1C, true}, {SDL_SCANCODE_ESCAPE, 27, 0x01, false},
      {SDL_SCANCODE_SPACE, 32, 0x39, false},   {SDL_SCANCODE_TAB, 9, 0x0F, false},
      {SDL_SCANCODE_BACKSPACE, 8, 0x0E, false}, {SDL_SCANCODE_LEFT, 0x25, 0x4B, true},
      {SDL_SCANCODE_UP, 0x26, 0x48, true},     {SDL_SCANCODE_RIGHT, 0x27, 0x4D, true},
      {SDL_SCANCODE_DOWN, 0x28, 0x50, true},   {SDL_SCANCODE_INSERT, 0x2D, 0x52, true},
      {SDL_SCANCODE_DELETE, 0x2E, 0x53, true}, {SDL_SCANCODE_HOME, 0x24, 0x47, true},
      {SDL_SCANCODE_PAGEDOWN, 0x22, 0x51, true}, {SDL_SCANCODE_KP_7, 0x67, 0x47, false},
      {SDL_SCANCODE_KP_DIVIDE, 0x6F, 0x35, true}, {SDL_SCANCODE_LSHIFT, 16, 0x2A, false},
      {SDL_SCANCODE_RSHIFT, 16, 0x36, false},  {SDL_SCANCODE_LCTRL, 17, 0x1D, false},
      {SDL_SCANCODE_RCTRL, 17, 0x1D, true},    {SDL_SCANCODE_LALT, 18, 0x38, false},
      {SDL_SCANCODE_RALT, 18, 0x38, true},     {SDL_SCANCODE_LGUI, 91, 0x5B, true},
      {SDL_SCANCODE_RGUI, 92, 0x5C, true},     {SDL_SCANCODE_CAPSLOCK, 0x14, 0x3A, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(SDL_GetScancodeName(c.scancode));
    const KeyInfo key = KeyForScancode(c.scancode);
    EXPECT_EQ(key.virtual_key, c.virtual_key);
    EXPECT_EQ(key.scan_code, c.scan_code);
    EXPECT_EQ(key.extended, c.extended);
  }
}

TEST(SdlKeyTable, LettersAndDigitsRunInOrder) {
  for (int i = 0; i < 26; ++i) {
    EXPECT_EQ(KeyForScancode(SDL_SCANCODE_A + i).virtual_key, 'A' + i);
  }
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(KeyForScancode(SDL_SCANCODE_1 + i).virtual_key, '1' + i);
  }
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(KeyForScancode(SDL_SCANCODE_F1 + i).virtual_key, 0x70 + i);
  }
}

TEST(SdlKeyTable, NoTwoDifferentKeysShareAScanCode) {
  // Keys the layers tell apart by scan code must not be confused.
  std::map<std::pair<int, bool>, int> seen;  // scan code, extended -> virtual key
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
    const KeyInfo key = KeyForScancode(scancode);
    if (key.virtual_key == 0) continue;
    EXPECT_NE(key.scan_code, 0) << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
    auto [it, added] = seen.emplace(std::make_pair(key.scan_code, key.extended), key.virtual_key);
    if (!added) {
      EXPECT_EQ(it->second, key.virtual_key)
          << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
    }
  }
}

TEST(SdlKeyTable, ModifierKeysBecomeTheSidedCodesThroughTheirScanCodes) {
  const std::pair<SDL_Scancode, int> cases[] = {
      {SDL_SCANCODE_LSHIFT, 160}, {SDL_SCANCODE_RSHIFT, 161}, {SDL_SCANCODE_LCTRL, 162},
      {SDL_SCANCODE_RCTRL, 163},  {SDL_SCANCODE_LALT, 164},   {SDL_SCANCODE_RALT, 165}};
  for (const auto& [scancode, sided] : cases) {
    const KeyInfo key = KeyForScancode(scancode);
    for (bool down : {true, false}) {
      const std::intptr_t lparam = KeyLParam(key.scan_code, key.extended, !down, !down);
      EXPECT_EQ(SidedModifierKey(ExtendedScanCode(lparam)), sided);
    }
  }
}

TEST(SdlKeyTable, OutsideScancodesAreNoKey) {
  for (int scancode : {-1, 0, static_cast<int>(SDL_NUM_SCANCODES), std::numeric_limits<int>::max(),
                       std::numeric_limits<int>::min()}) {
    EXPECT_EQ(KeyForScancode(scancode).virtual_key, 0);
  }
}

TEST(SdlKeyTable, LettersFollowTheLayoutOtherKeysTheirPosition) {
  // AZERTY: the key at Q's place types "a"; the digit row types symbols.
  EXPECT_EQ(VirtualKeyFor(SDL_SCANCODE_Q, SDLK_a, true), 'A');
  EXPECT_EQ(VirtualKeyFor(SDL_SCANCODE_1, SDLK_AMPERSAND, true), '1');
  EXPECT_EQ(VirtualKeyFor(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, true), VK_SHIFT);
  EXPECT_EQ(VirtualKeyFor(SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN, true), 0);
}

TEST(SdlKeyMessage, AltMakesSystemKeysUnlessControlIsHeldToo) {
  EXPECT_TRUE(IsSystemKey(SDL_SCANCODE_F4, true, false));
  EXPECT_FALSE(IsSystemKey(SDL_SCANCODE_F4, false, false));
  EXPECT_FALSE(IsSystemKey(SDL_SCANCODE_F4, true, true));     // AltGr
  EXPECT_TRUE(IsSystemKey(SDL_SCANCODE_LALT, false, false));  // Alt released
  EXPECT_TRUE(IsSystemKey(SDL_SCANCODE_RALT, true, false));
  EXPECT_TRUE(IsSystemKey(SDL_SCANCODE_F10, false, false));
  EXPECT_FALSE(IsSystemKey(SDL_SCANCODE_A, false, false));
}

TEST(SdlMouse, MiddleAndRightButtonsSwapNumbers) {
  EXPECT_EQ(SystemButton(SDL_BUTTON_LEFT), 1);
  EXPECT_EQ(SystemButton(SDL_BUTTON_RIGHT), 2);
  EXPECT_EQ(SystemButton(SDL_BUTTON_MIDDLE), 3);
  EXPECT_EQ(SystemButton(SDL_BUTTON_X1), 0);
  EXPECT_EQ(SystemButton(0), 0);
  EXPECT_EQ(ButtonMessage(SDL_BUTTON_LEFT, true), WM_LBUTTONDOWN);
  EXPECT_EQ(ButtonMessage(SDL_BUTTON_LEFT, false), WM_LBUTTONUP);
  EXPECT_EQ(ButtonMessage(SDL_BUTTON_MIDDLE, true), WM_MBUTTONDOWN);
  EXPECT_EQ(ButtonMessage(SDL_BUTTON_MIDDLE, false), WM_MBUTTONUP);
  EXPECT_EQ(ButtonMessage(SDL_BUTTON_RIGHT, true), WM_RBUTTONDOWN);
  EXPECT_EQ(ButtonMessage(SDL_BUTTON_RIGHT, false), WM_RBUTTONUP);
  EXPECT_EQ(ButtonMessage(SDL_BUTTON_X2, true), 0u);
}

TEST(SdlMouse, HeldButtonsAndModifiersBecomeMouseKeyFlags) {
  EXPECT_EQ(MouseKeyFlags(0, KMOD_NONE), 0u);
  EXPECT_EQ(MouseKeyFlags(SDL_BUTTON_LMASK, KMOD_NONE), MK_LBUTTON);
  EXPECT_EQ(MouseKeyFlags(SDL_BUTTON_MMASK, KMOD_NONE), MK_MBUTTON);
  EXPECT_EQ(MouseKeyFlags(SDL_BUTTON_RMASK, KMOD_NONE), MK_RBUTTON);
  EXPECT_EQ(MouseKeyFlags(SDL_BUTTON_LMASK | SDL_BUTTON_RMASK | SDL_BUTTON_MMASK, KMOD_NONE),
            MK_LBUTTON | MK_RBUTTON | MK_MBUTTON);
  EXPECT_EQ(MouseKeyFlags(0, KMOD_RSHIFT), MK_SHIFT);
  EXPECT_EQ(MouseKeyFlags(0, KMOD_LCTRL | KMOD_LALT), MK_CONTROL);
  EXPECT_EQ(MouseKeyFlags(SDL_BUTTON_X1MASK, KMOD_NONE), 0x20u);
}

TEST(SdlMouse, WheelNotchesAreOneHundredTwentyEach) {
  EXPECT_EQ(WheelDelta(1.0f, 1, false), 120);
  EXPECT_EQ(WheelDelta(-2.0f, -2, false), -240);
  EXPECT_EQ(WheelDelta(0.5f, 0, false), 60);
  EXPECT_EQ(WheelDelta(1.0f, 1, true), -120);
  EXPECT_EQ(WheelDelta(0.0f, 3, false), 360);  // no fractional count reported
  EXPECT_EQ(WheelDelta(std::nanf(""), -1, false), -120);
  EXPECT_EQ(WheelDelta(1e9f, 0, false), 32767);
  EXPECT_EQ(WheelDelta(-1e9f, 0, false), -32768);
  EXPECT_EQ(WheelDelta(std::numeric_limits<float>::infinity(), 1, false), 120);
}

}  // namespace
}  // namespace platform::sdl
