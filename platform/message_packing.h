// How window messages pack their values into wParam and lParam, as Win32
// packs them: the words of a parameter, points, key messages (repeat count,
// scan code, extended flag, transition bits), the wheel, and the scan codes
// that tell the left and right shift, control and alt keys apart. The one
// place this packing is written: the platforms pack with it, the message
// translation and the fake's scripts unpack and pack with it.
#pragma once

#include <cstdint>

#include "platform/virtual_keys.h"
#include "platform/windows_macros_push.h"

namespace platform {

// --- Words -------------------------------------------------------------------

constexpr std::uint16_t LowWord(std::uintptr_t value) {
  return static_cast<std::uint16_t>(value & 0xFFFF);
}
constexpr std::uint16_t HighWord(std::uintptr_t value) {
  return static_cast<std::uint16_t>((value >> 16) & 0xFFFF);
}
// The words of an lParam read as signed 16-bit numbers (GET_X_LPARAM,
// GET_Y_LPARAM).
constexpr std::int16_t LowSigned(std::intptr_t value) {
  return static_cast<std::int16_t>(LowWord(static_cast<std::uintptr_t>(value)));
}
constexpr std::int16_t HighSigned(std::intptr_t value) {
  return static_cast<std::int16_t>(HighWord(static_cast<std::uintptr_t>(value)));
}

// --- Points ------------------------------------------------------------------

// Two coordinates as an lParam (MAKELPARAM): each keeps its low 16 bits, so
// a coordinate outside -32768..32767 wraps, as on Win32.
constexpr std::intptr_t MakePointLParam(std::int32_t x, std::int32_t y) {
  return static_cast<std::intptr_t>(
      static_cast<std::uint32_t>(static_cast<std::uint16_t>(x)) |
      (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16));
}

// --- Key messages ------------------------------------------------------------

// The lParam of WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN and WM_SYSKEYUP: the
// repeat count in bits 0..15, the scan code in bits 16..23, the extended-key
// flag in bit 24, the context code (Alt held) in bit 29, the previous key
// state in bit 30 and the transition state (set on release) in bit 31. The
// 32 bits are passed sign-extended, as a LONG would be, so a release has a
// negative lParam on every platform.
constexpr std::intptr_t KeyLParam(std::uint32_t scan_code, bool extended, bool previously_down,
                                  bool releasing, bool alt_context = false,
                                  std::uint32_t repeat = 1) {
  const std::uint32_t bits = (repeat & 0xFFFFu) | ((scan_code & 0xFFu) << 16) |
                             (extended ? 1u << 24 : 0u) | (alt_context ? 1u << 29 : 0u) |
                             (previously_down ? 1u << 30 : 0u) | (releasing ? 1u << 31 : 0u);
  return static_cast<std::intptr_t>(static_cast<std::int32_t>(bits));
}

// Whether the key was already down before this key message (an auto-repeat).
constexpr bool KeyWasDown(std::intptr_t lparam) {
  return ((static_cast<std::uintptr_t>(lparam) >> 30) & 1u) != 0;
}

// The scan code of a key message's lParam with the extended-key flag folded
// in: the 7-bit scan code (bits 16..22), plus 128 for an extended key.
constexpr std::uint32_t ExtendedScanCode(std::intptr_t lparam) {
  const auto bits = static_cast<std::uintptr_t>(lparam);
  const auto scan = static_cast<std::uint32_t>((bits >> 16) & 0x7Fu);
  return ((bits >> 24) & 1u) != 0 ? scan + 128 : scan;
}

// The set-1 scan codes of the modifier keys (right control and right alt are
// the extended ones, 128 more as ExtendedScanCode gives them).
inline constexpr std::uint32_t kScanLeftShift = 0x2A;
inline constexpr std::uint32_t kScanRightShift = 0x36;
inline constexpr std::uint32_t kScanControl = 0x1D;
inline constexpr std::uint32_t kScanAlt = 0x38;

// The side-specific key code (VK_LSHIFT ... VK_RMENU) of a shift, control or
// alt key message, told by its scan code alone (ExtendedScanCode); 0 for
// every other key.
constexpr int SidedModifierKey(std::uint32_t extended_scan_code) {
  switch (extended_scan_code) {
    case kScanLeftShift: return VK_LSHIFT;
    case kScanRightShift: return VK_RSHIFT;
    case kScanControl: return VK_LCONTROL;
    case kScanControl + 128: return VK_RCONTROL;
    case kScanAlt: return VK_LMENU;
    case kScanAlt + 128: return VK_RMENU;
    default: return 0;
  }
}

// --- The wheel ---------------------------------------------------------------

// One notch of the wheel away from the user.
inline constexpr std::int16_t WHEEL_DELTA = 120;

// The wParam of WM_MOUSEWHEEL: the signed delta in the high word, the MK_*
// flags of the held buttons and keys in the low word.
constexpr std::uintptr_t WheelWParam(std::int16_t delta, std::uintptr_t key_flags = 0) {
  return (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16) |
         (key_flags & 0xFFFF);
}
constexpr std::int16_t GetWheelDelta(std::uintptr_t wparam) {
  return static_cast<std::int16_t>(HighWord(wparam));
}

}  // namespace platform

#include "platform/windows_macros_pop.h"
