// Turns window messages into events (key codes told apart by side, the
// modifier mask, pointer enter/leave tracking, the pointer visibility rule).
// Called by every graphics window procedure and by the system driver's pump.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "support/object.h"

// The state it reads and changes (the modifier mask, the window under the
// pointer, whether the pointer is wanted) is the system driver's
// (driverState, system/system_driver.h).

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
