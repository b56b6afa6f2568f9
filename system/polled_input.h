// Polled input: key, button, pointer, wheel, typed-character, suspend and
// terminate state built from the event stream. Attached by the graphics
// layer; read (each query pumping first) by the pointer tracker and frame loop.
#pragma once

#include <cstdint>

#include "support/object.h"

// Mouse buttons as the button queries number them. The wheel is not a
// button: WheelZ counts its notches, +1 for each notch turned away from the
// user.
inline constexpr std::int32_t LeftMouseButton = 1;
inline constexpr std::int32_t RightMouseButton = 2;
inline constexpr std::int32_t MiddleMouseButton = 3;

// Listens on the emit chain. source null: events of every source are taken;
// otherwise only events whose source is that very object. A second attach
// keeps the first filter.
void AttachPolledInput(ObjectPtr source);
void DetachPolledInput();

// Queries. Key codes are 0..255 (platform/virtual_keys.h) and buttons 0..3
// (the constants above); any other value gives 0. Pointer positions are
// window pixels from the client area's top-left corner, y down.
std::int32_t SuspendRequested();
// Reports a close request once: the flag is cleared by reading it.
std::int32_t TerminateRequested();
// Presses since the last read; reading clears the count.
std::int32_t KeyHits(std::int32_t key);
std::int32_t KeyIsDown(std::int32_t key);
// The oldest typed character not yet read, or 0.
std::int32_t NextTypedChar();
std::int32_t PointerX();
std::int32_t PointerY();
std::int32_t WheelZ();
// The change since the previous call of the same query.
std::int32_t PointerXDelta();
std::int32_t PointerYDelta();
std::int32_t WheelZDelta();
std::int32_t MouseHits(std::int32_t button);
std::int32_t MouseIsDown(std::int32_t button);

// Forgets held keys, key hits and typed characters.
void ClearKeyState();
// Forgets held buttons and button hits and puts the wheel back to 0; the
// pointer position stays.
void ClearMouseState();

// Block until a key is pressed / a character is typed / a button is
// pressed, and return it.
std::int32_t AwaitKeyPress();
std::int32_t AwaitTypedChar();
std::int32_t AwaitMouseButton();

// The emit-chain hook: always passes its data on unchanged.
ObjectPtr PolledInputHook(int id, ObjectPtr data, ObjectPtr context);

void StartPolledInputModule();

namespace testing_only {
// Detaches without pumping and zeroes all state.
void ResetPolledInput();
}  // namespace testing_only
