// The fixed tables that turn SDL2 input into the Win32-shaped window messages
// of the seam: scancodes to virtual-key codes and set-1 scan codes, mouse
// buttons and modifiers to message flags, wheel motion to 120ths. Pure
// functions, no display needed; called by the SDL2 platform's event
// conversion, which packs the messages with platform/message_packing.h.
#pragma once

#include <cstdint>

namespace platform::sdl {

// What Win32 would report for one physical key: the virtual-key code (0 for
// keys it has none for), the set-1 scan code and the extended-key flag.
struct KeyInfo {
  int virtual_key = 0;
  std::uint8_t scan_code = 0;
  bool extended = false;
};

// The key at an SDL scancode, as laid out on a US keyboard.
KeyInfo KeyForScancode(int scancode);
// The virtual-key code of a key press: letters follow the active keyboard
// layout (the SDL keycode), as Win32's do; every other key keeps the code of
// its physical position. With Num Lock off the keypad's digits and point
// give the codes of Insert, End, Down ... Delete, as on Win32.
int VirtualKeyFor(int scancode, int keycode, bool num_lock);
// Whether a key message goes out as WM_SYSKEYDOWN/WM_SYSKEYUP: keys pressed
// while Alt is held without Control (Control with Alt is AltGr), Alt itself
// and F10.
bool IsSystemKey(int scancode, bool alt_held, bool control_held);

// The system's button number of an SDL button (SDL: 1 left, 2 middle,
// 3 right; system: 1 left, 2 right, 3 middle); 0 for the extra buttons.
int SystemButton(int sdl_button);
// WM_LBUTTONDOWN ... WM_MBUTTONUP for an SDL button; 0 for the extra ones.
std::uint32_t ButtonMessage(int sdl_button, bool down);
// The MK_* flags of a mouse message from SDL's button mask and key
// modifiers (KMOD_* bits).
std::uintptr_t MouseKeyFlags(std::uint32_t sdl_button_mask, std::uint32_t sdl_modifiers);

// The wheel delta of WM_MOUSEWHEEL: one notch away from the user is +120.
// precise is SDL's fractional notch count, notches the integer one (used
// when the fractional one is missing); flipped reverses both.
std::int16_t WheelDelta(float precise, std::int32_t notches, bool flipped);

}  // namespace platform::sdl
