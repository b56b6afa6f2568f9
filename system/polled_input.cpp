#include "system/polled_input.h"

#include <array>

#include "support/wrapping.h"
#include "system/events.h"
#include "system/hooks.h"
#include "system/module_resets.h"
#include "system/system_driver.h"

namespace {

constexpr std::size_t kKeyCount = 256;
constexpr std::size_t kButtonCount = 4;
constexpr std::uint32_t kCharQueueSize = 256;

struct PolledInputState {
  bool started = false;
  std::array<std::int32_t, kKeyCount> keyStates{};
  std::array<std::int32_t, kKeyCount> keyHitCounts{};
  std::array<std::int32_t, kCharQueueSize> charQueue{};
  // Counters of characters ever taken and stored since the last clear; the
  // ring holds put - get entries, the slot of count n is n AND 255.
  std::uint32_t charGet = 0;
  std::uint32_t charPut = 0;
  std::array<std::int32_t, kButtonCount> mouseStates{};
  std::array<std::int32_t, kButtonCount> mouseHitCounts{};
  std::array<std::int32_t, 4> pointerLocation{};  // x, y, wheel z, spare
  std::array<std::int32_t, 4> lastPointerLocation{};
  std::int32_t suspended = 0;
  std::int32_t terminate = 0;
  ObjectPtr inputSource;
  bool attached = false;
};

PolledInputState state;

const testing_only::ModuleReset kReset(testing_only::ModuleRank::kPolledInput,
                                       testing_only::ResetPolledInput);

bool IsKey(std::int32_t key) { return key >= 0 && key < static_cast<std::int32_t>(kKeyCount); }
bool IsButton(std::int32_t button) {
  return button >= 0 && button < static_cast<std::int32_t>(kButtonCount);
}

std::int32_t Delta(std::size_t axis) {
  PumpSystemEvents();
  const std::int32_t now = state.pointerLocation[axis];
  const std::int32_t delta = WrappingSub(now, state.lastPointerLocation[axis]);
  state.lastPointerLocation[axis] = now;
  return delta;
}

void Press(std::int32_t& held, std::int32_t& hits) {
  if (held != 0) return;  // auto-repeat and repeated downs count once
  held = 1;
  hits = WrappingAdd(hits, 1);
}

}  // namespace

void AttachPolledInput(ObjectPtr source) {
  if (state.attached) return;
  state.inputSource = std::move(source);
  ClearKeyState();
  ClearMouseState();
  InsertHook(EventEmitHookId, PolledInputHook, nullptr, 0);
  state.attached = true;
}

void DetachPolledInput() {
  if (!state.attached) return;
  DeleteHook(EventEmitHookId, PolledInputHook, nullptr);
  ClearKeyState();
  ClearMouseState();
  state.inputSource = nullptr;
  state.attached = false;
}

std::int32_t SuspendRequested() {
  PumpSystemEvents();
  return state.suspended;
}

std::int32_t TerminateRequested() {
  PumpSystemEvents();
  const std::int32_t requested = state.terminate;
  state.terminate = 0;
  return requested;
}

std::int32_t KeyHits(std::int32_t key) {
  PumpSystemEvents();
  if (!IsKey(key)) return 0;
  const auto k = static_cast<std::size_t>(key);
  const std::int32_t hits = state.keyHitCounts[k];
  state.keyHitCounts[k] = 0;
  return hits;
}

std::int32_t KeyIsDown(std::int32_t key) {
  PumpSystemEvents();
  return IsKey(key) ? state.keyStates[static_cast<std::size_t>(key)] : 0;
}

std::int32_t NextTypedChar() {
  PumpSystemEvents();
  if (state.charPut == state.charGet) return 0;
  const std::int32_t c = state.charQueue[state.charGet & (kCharQueueSize - 1)];
  ++state.charGet;
  return c;
}

std::int32_t PointerX() {
  PumpSystemEvents();
  return state.pointerLocation[0];
}

std::int32_t PointerY() {
  PumpSystemEvents();
  return state.pointerLocation[1];
}

std::int32_t WheelZ() {
  PumpSystemEvents();
  return state.pointerLocation[2];
}

std::int32_t PointerXDelta() { return Delta(0); }
std::int32_t PointerYDelta() { return Delta(1); }
std::int32_t WheelZDelta() { return Delta(2); }

std::int32_t MouseHits(std::int32_t button) {
  PumpSystemEvents();
  if (!IsButton(button)) return 0;
  const auto b = static_cast<std::size_t>(button);
  const std::int32_t hits = state.mouseHitCounts[b];
  state.mouseHitCounts[b] = 0;
  return hits;
}

std::int32_t MouseIsDown(std::int32_t button) {
  PumpSystemEvents();
  return IsButton(button) ? state.mouseStates[static_cast<std::size_t>(button)] : 0;
}

void ClearKeyState() {
  PumpSystemEvents();
  state.charGet = 0;
  state.charPut = 0;
  state.keyStates.fill(0);
  state.keyHitCounts.fill(0);
}

void ClearMouseState() {
  PumpSystemEvents();
  state.mouseStates.fill(0);
  state.mouseHitCounts.fill(0);
  state.pointerLocation[2] = 0;
}

std::int32_t AwaitKeyPress() {
  ClearKeyState();
  for (;;) {
    AwaitSystemEvents();
    for (std::int32_t key = 1; key <= 255; ++key) {
      if (KeyHits(key) != 0) return key;
    }
  }
}

std::int32_t AwaitTypedChar() {
  ClearKeyState();
  for (;;) {
    AwaitSystemEvents();
    if (const std::int32_t c = NextTypedChar(); c != 0) return c;
  }
}

std::int32_t AwaitMouseButton() {
  ClearMouseState();
  for (;;) {
    AwaitSystemEvents();
    for (std::int32_t button = 1; button <= 3; ++button) {
      if (MouseHits(button) != 0) return button;
    }
  }
}

ObjectPtr PolledInputHook(int, ObjectPtr data, ObjectPtr) {
  const auto* event = dynamic_cast<const TEvent*>(data.get());
  if (event == nullptr) return data;
  if (state.inputSource && event->source != state.inputSource) return data;
  const std::int32_t value = event->data;
  switch (event->id) {
    case KeyDown:
      if (IsKey(value)) {
        const auto k = static_cast<std::size_t>(value);
        Press(state.keyStates[k], state.keyHitCounts[k]);
      }
      break;
    case KeyUp:
      if (IsKey(value)) state.keyStates[static_cast<std::size_t>(value)] = 0;
      break;
    case KeyChar:
      // A full ring drops the new character and keeps the oldest ones.
      if (state.charPut - state.charGet < kCharQueueSize) {
        state.charQueue[state.charPut & (kCharQueueSize - 1)] = value;
        ++state.charPut;
      }
      break;
    case MouseDown:
      if (IsButton(value)) {
        const auto b = static_cast<std::size_t>(value);
        Press(state.mouseStates[b], state.mouseHitCounts[b]);
      }
      break;
    case MouseUp:
      if (IsButton(value)) state.mouseStates[static_cast<std::size_t>(value)] = 0;
      break;
    case MouseMove:
      state.pointerLocation[0] = event->x;
      state.pointerLocation[1] = event->y;
      break;
    case MouseWheel: state.pointerLocation[2] = WrappingAdd(state.pointerLocation[2], value); break;
    case AppSuspend:
      ClearKeyState();
      ClearMouseState();
      state.suspended = 1;
      break;
    case AppResume:
      ClearKeyState();
      ClearMouseState();
      state.suspended = 0;
      break;
    case AppTerminate: state.terminate = 1; break;
    default: break;  // KeyRepeat, MouseEnter, MouseLeave and the rest
  }
  return data;
}

void StartPolledInputModule() {
  if (state.started) return;
  state.started = true;
  StartSystemModule();
  // The state is static storage, zero from the start.
}

namespace testing_only {
void ResetPolledInput() {
  if (state.attached && EventEmitHookId >= 0) {
    DeleteHook(EventEmitHookId, PolledInputHook, nullptr);
  }
  state = PolledInputState{};
}
}  // namespace testing_only
