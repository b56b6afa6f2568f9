// Turns window messages into events (key codes told apart by side, the
// modifier mask, pointer enter/leave tracking, the pointer visibility rule).
// Called by every graphics window procedure and by the system driver's pump.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "support/object.h"

// The system driver's process-wide state.
struct SystemDriverState {
  bool started = false;
  int wideCharacterFlag = 0;  // 1: texts go to the platform as UTF-16
  platform::ThreadId mainThreadId = 0;
  std::int32_t modifierMask = 0;           // kModShift | kModControl | kModAlt | kModSystem
  platform::Handle pointerOverWindow = 0;  // the application window under the pointer
  ObjectPtr enteredSource;         // source given when the pointer entered pointerOverWindow
  std::int32_t pointerWanted = 0;  // 1: show the system pointer over our windows
};
extern SystemDriverState driverState;

inline constexpr std::int32_t kModShift = 1;
inline constexpr std::int32_t kModControl = 2;
inline constexpr std::int32_t kModAlt = 4;
inline constexpr std::int32_t kModSystem = 8;  // either Windows key

// Turns one message of window into zero or more events, emitted at once with
// source as their source. Window procedures call it first, with wparam and
// lparam as the platform gave them.
void TranslateWindowMessage(platform::Handle window, std::uint32_t message, std::uintptr_t wparam,
                            std::intptr_t lparam, const ObjectPtr& source);

// True for a key message of shift, control, alt or a Windows key: the pump
// recomputes the mask before dispatching it.
bool IsModifierKeyMessage(const platform::Msg& msg);
// modifierMask from the platform's current key states.
void RecomputeModifierMask();

// The key code of a key message: the virtual-key code, except that the
// shift, control and alt keys are told left from right by their scan code.
std::int32_t KeyCodeFor(std::uintptr_t wparam, std::intptr_t lparam);

// Moves pointerOverWindow to window (0: none), emitting MouseLeave for the
// window left and MouseEnter for the window entered.
void TrackPointerOver(platform::Handle window, std::int32_t x, std::int32_t y,
                      const ObjectPtr& source);

// Shows the system pointer when it is wanted or not over one of our windows,
// hides it otherwise, keeping the platform's display counter at 0 or -1.
void ApplyPointerVisibility();

// The lParam of a key message: repeat count in bits 0..15, scan code in
// bits 16..23, extended-key flag bit 24, previous key state bit 30,
// transition state bit 31 (set on release).
constexpr std::intptr_t KeyMessageLParam(std::uint32_t scan_code, bool extended,
                                         bool previously_down, bool releasing,
                                         std::uint32_t repeat = 1) {
  const std::uint32_t bits = (repeat & 0xFFFFu) | ((scan_code & 0xFFu) << 16) |
                             (extended ? 1u << 24 : 0u) | (previously_down ? 1u << 30 : 0u) |
                             (releasing ? 1u << 31 : 0u);
  return static_cast<std::intptr_t>(bits);
}

// The wParam of a wheel message: held-button flags in the low word, the
// signed wheel delta in the high word.
constexpr std::uintptr_t WheelWParam(std::int16_t delta, std::uint16_t flags = 0) {
  return static_cast<std::uintptr_t>(flags) |
         (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16);
}

namespace testing_only {
void ResetMessageTranslation();
}  // namespace testing_only
