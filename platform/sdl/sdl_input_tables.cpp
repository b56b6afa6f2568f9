#include "platform/sdl/sdl_input_tables.h"

#include <SDL_keycode.h>
#include <SDL_mouse.h>
#include <SDL_scancode.h>

#include <array>
#include <cmath>
#include <utility>

#include "platform/platform.h"

namespace platform::sdl {
namespace {

struct Row {
  SDL_Scancode scancode;
  int virtual_key;
  std::uint8_t scan_code;
  bool extended;
};

// US layout. Scan codes are the set-1 make codes; extended keys are the ones
// whose make code carries the E0 prefix.
// clang-format off
constexpr Row kRows[] = {
    {SDL_SCANCODE_A, 'A', 0x1E, false}, {SDL_SCANCODE_B, 'B', 0x30, false},
    {SDL_SCANCODE_C, 'C', 0x2E, false}, {SDL_SCANCODE_D, 'D', 0x20, false},
    {SDL_SCANCODE_E, 'E', 0x12, false}, {SDL_SCANCODE_F, 'F', 0x21, false},
    {SDL_SCANCODE_G, 'G', 0x22, false}, {SDL_SCANCODE_H, 'H', 0x23, false},
    {SDL_SCANCODE_I, 'I', 0x17, false}, {SDL_SCANCODE_J, 'J', 0x24, false},
    {SDL_SCANCODE_K, 'K', 0x25, false}, {SDL_SCANCODE_L, 'L', 0x26, false},
    {SDL_SCANCODE_M, 'M', 0x32, false}, {SDL_SCANCODE_N, 'N', 0x31, false},
    {SDL_SCANCODE_O, 'O', 0x18, false}, {SDL_SCANCODE_P, 'P', 0x19, false},
    {SDL_SCANCODE_Q, 'Q', 0x10, false}, {SDL_SCANCODE_R, 'R', 0x13, false},
    {SDL_SCANCODE_S, 'S', 0x1F, false}, {SDL_SCANCODE_T, 'T', 0x14, false},
    {SDL_SCANCODE_U, 'U', 0x16, false}, {SDL_SCANCODE_V, 'V', 0x2F, false},
    {SDL_SCANCODE_W, 'W', 0x11, false}, {SDL_SCANCODE_X, 'X', 0x2D, false},
    {SDL_SCANCODE_Y, 'Y', 0x15, false}, {SDL_SCANCODE_Z, 'Z', 0x2C, false},
    {SDL_SCANCODE_1, '1', 0x02, false}, {SDL_SCANCODE_2, '2', 0x03, false},
    {SDL_SCANCODE_3, '3', 0x04, false}, {SDL_SCANCODE_4, '4', 0x05, false},
    {SDL_SCANCODE_5, '5', 0x06, false}, {SDL_SCANCODE_6, '6', 0x07, false},
    {SDL_SCANCODE_7, '7', 0x08, false}, {SDL_SCANCODE_8, '8', 0x09, false},
    {SDL_SCANCODE_9, '9', 0x0A, false}, {SDL_SCANCODE_0, '0', 0x0B, false},
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5, 0x2B, false},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false},
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0x56, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
    {SDL_SCANCODE_F1, VK_F1, 0x3B, false}, {SDL_SCANCODE_F2, VK_F2, 0x3C, false},
    {SDL_SCANCODE_F3, VK_F3, 0x3D, false}, {SDL_SCANCODE_F4, VK_F4, 0x3E, false},
    {SDL_SCANCODE_F5, VK_F5, 0x3F, false}, {SDL_SCANCODE_F6, VK_F6, 0x40, false},
    {SDL_SCANCODE_F7, VK_F7, 0x41, false}, {SDL_SCANCODE_F8, VK_F8, 0x42, false},
    {SDL_SCANCODE_F9, VK_F9, 0x43, false}, {SDL_SCANCODE_F10, VK_F10, 0x44, false},
    {SDL_SCANCODE_F11, VK_F11, 0x57, false}, {SDL_SCANCODE_F12, VK_F12, 0x58, false},
    {SDL_SCANCODE_F13, VK_F13, 0x64, false}, {SDL_SCANCODE_F14, VK_F14, 0x65, false},
    {SDL_SCANCODE_F15, VK_F15, 0x66, false}, {SDL_SCANCODE_F16, VK_F16, 0x67, false},
    {SDL_SCANCODE_F17, VK_F17, 0x68, false}, {SDL_SCANCODE_F18, VK_F18, 0x69, false},
    {SDL_SCANCODE_F19, VK_F19, 0x6A, false}, {SDL_SCANCODE_F20, VK_F20, 0x6B, false},
    {SDL_SCANCODE_F21, VK_F21, 0x6C, false}, {SDL_SCANCODE_F22, VK_F22, 0x6D, false},
    {SDL_SCANCODE_F23, VK_F23, 0x6E, false}, {SDL_SCANCODE_F24, VK_F24, 0x76, false},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0x37, true},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true}, {SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true}, {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
    {SDL_SCANCODE_END, VK_END, 0x4F, true}, {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true}, {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true}, {SDL_SCANCODE_UP, VK_UP, 0x48, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true},
    // The keypad as with Num Lock on (kNumLockOff has the other codes).
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
    {SDL_SCANCODE_KP_1, VK_NUMPAD1, 0x4F, false}, {SDL_SCANCODE_KP_2, VK_NUMPAD2, 0x50, false},
    {SDL_SCANCODE_KP_3, VK_NUMPAD3, 0x51, false}, {SDL_SCANCODE_KP_4, VK_NUMPAD4, 0x4B, false},
    {SDL_SCANCODE_KP_5, VK_NUMPAD5, 0x4C, false}, {SDL_SCANCODE_KP_6, VK_NUMPAD6, 0x4D, false},
    {SDL_SCANCODE_KP_7, VK_NUMPAD7, 0x47, false}, {SDL_SCANCODE_KP_8, VK_NUMPAD8, 0x48, false},
    {SDL_SCANCODE_KP_9, VK_NUMPAD9, 0x49, false}, {SDL_SCANCODE_KP_0, VK_NUMPAD0, 0x52, false},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, 0x53, false},
    {SDL_SCANCODE_APPLICATION, VK_APPS, 0x5D, true},
    {SDL_SCANCODE_MUTE, VK_VOLUME_MUTE, 0x20, true},
    {SDL_SCANCODE_VOLUMEUP, VK_VOLUME_UP, 0x30, true},
    {SDL_SCANCODE_VOLUMEDOWN, VK_VOLUME_DOWN, 0x2E, true},
    {SDL_SCANCODE_AUDIONEXT, VK_MEDIA_NEXT_TRACK, 0x19, true},
    {SDL_SCANCODE_AUDIOPREV, VK_MEDIA_PREV_TRACK, 0x10, true},
    {SDL_SCANCODE_AUDIOSTOP, VK_MEDIA_STOP, 0x24, true},
    {SDL_SCANCODE_AUDIOPLAY, VK_MEDIA_PLAY_PAUSE, 0x22, true},
    {SDL_SCANCODE_AUDIOMUTE, VK_VOLUME_MUTE, 0x20, true},
    // Shift, control and alt report the generic code; the scan code and the
    // extended flag tell the sides apart.
    {SDL_SCANCODE_LCTRL, VK_CONTROL, kScanControl, false},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, kScanControl, true},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, kScanLeftShift, false},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, kScanRightShift, false},
    {SDL_SCANCODE_LALT, VK_MENU, kScanAlt, false},
    {SDL_SCANCODE_RALT, VK_MENU, kScanAlt, true},
    {SDL_SCANCODE_LGUI, VK_LWIN, 0x5B, true}, {SDL_SCANCODE_RGUI, VK_RWIN, 0x5C, true},
};

// With Num Lock off the keypad's digits and point are the keys printed
// beneath them, as Win32 reports them: the codes of the navigation keys, but
// from the keypad's own (not extended) scan codes, which the table above has.
constexpr std::pair<SDL_Scancode, int> kNumLockOff[] = {
    {SDL_SCANCODE_KP_0, VK_INSERT}, {SDL_SCANCODE_KP_1, VK_END},
    {SDL_SCANCODE_KP_2, VK_DOWN},   {SDL_SCANCODE_KP_3, VK_NEXT},
    {SDL_SCANCODE_KP_4, VK_LEFT},   {SDL_SCANCODE_KP_5, VK_CLEAR},
    {SDL_SCANCODE_KP_6, VK_RIGHT},  {SDL_SCANCODE_KP_7, VK_HOME},
    {SDL_SCANCODE_KP_8, VK_UP},     {SDL_SCANCODE_KP_9, VK_PRIOR},
    {SDL_SCANCODE_KP_PERIOD, VK_DELETE},
};
// clang-format on

using Table = std::array<KeyInfo, SDL_NUM_SCANCODES>;

constexpr Table BuildTable() {
  Table table{};
  for (const Row& row : kRows) {
    table[static_cast<std::size_t>(row.scancode)] = {row.virtual_key, row.scan_code, row.extended};
  }
  return table;
}

constexpr Table kTable = BuildTable();

}  // namespace

KeyInfo KeyForScancode(int scancode) {
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return {};
  return kTable[static_cast<std::size_t>(scancode)];
}

int VirtualKeyFor(int scancode, int keycode, bool num_lock) {
  if (keycode >= 'a' && keycode <= 'z') return 'A' + (keycode - 'a');
  if (!num_lock) {
    for (const auto& [key, virtual_key] : kNumLockOff) {
      if (key == scancode) return virtual_key;
    }
  }
  return KeyForScancode(scancode).virtual_key;
}

bool IsSystemKey(int scancode, bool alt_held, bool control_held) {
  if (control_held) return false;
  if (scancode == SDL_SCANCODE_F10) return true;
  if (scancode == SDL_SCANCODE_LALT || scancode == SDL_SCANCODE_RALT) return true;
  return alt_held;
}

int SystemButton(int sdl_button) {
  switch (sdl_button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}

std::uint32_t ButtonMessage(int sdl_button, bool down) {
  switch (SystemButton(sdl_button)) {
    case 1: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case 2: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case 3: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return 0;
  }
}

std::uintptr_t MouseKeyFlags(std::uint32_t sdl_button_mask, std::uint32_t sdl_modifiers) {
  std::uintptr_t flags = 0;
  if (sdl_button_mask & SDL_BUTTON_LMASK) flags |= MK_LBUTTON;
  if (sdl_button_mask & SDL_BUTTON_RMASK) flags |= MK_RBUTTON;
  if (sdl_button_mask & SDL_BUTTON_MMASK) flags |= MK_MBUTTON;
  if (sdl_button_mask & SDL_BUTTON_X1MASK) flags |= 0x20;  // MK_XBUTTON1
  if (sdl_button_mask & SDL_BUTTON_X2MASK) flags |= 0x40;  // MK_XBUTTON2
  if (sdl_modifiers & KMOD_SHIFT) flags |= MK_SHIFT;
  if (sdl_modifiers & KMOD_CTRL) flags |= MK_CONTROL;
  return flags;
}

std::int16_t WheelDelta(float precise, std::int32_t notches, bool flipped) {
  double value = std::isfinite(precise) && precise != 0.0f ? static_cast<double>(precise)
                                                           : static_cast<double>(notches);
  if (flipped) value = -value;
  value = std::round(value * WHEEL_DELTA);
  if (value > 32767.0) return 32767;
  if (value < -32768.0) return -32768;
  return static_cast<std::int16_t>(value);
}

}  // namespace platform::sdl
