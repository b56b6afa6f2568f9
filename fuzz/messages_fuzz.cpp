// Fuzz target: arbitrary window messages (numbers, wParam and lParam) queued
// on the fake platform for our window, a window of another process, the
// thread (window 0) and unknown handles, then pumped with polled input
// attached, interleaved with key states, activation, minimising, clock steps,
// deferred calls and polled-input queries with arbitrary arguments.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>

#include "platform/fake_platform.h"
#include "support/error.h"
#include "system/deferred_calls.h"
#include "system/events.h"
#include "system/hooks.h"
#include "system/message_translation.h"
#include "system/polled_input.h"
#include "system/system_driver.h"

namespace {

// The numbers the translation and the pump treat specially, so the fuzzer
// reaches them more often than by chance.
constexpr std::array<std::uint32_t, 31> kMessages = {platform::WM_NULL,
                                                     platform::WM_CREATE,
                                                     platform::WM_DESTROY,
                                                     platform::WM_ACTIVATE,
                                                     platform::WM_SETFOCUS,
                                                     platform::WM_KILLFOCUS,
                                                     platform::WM_PAINT,
                                                     platform::WM_CLOSE,
                                                     platform::WM_QUIT,
                                                     platform::WM_KEYDOWN,
                                                     platform::WM_KEYUP,
                                                     platform::WM_CHAR,
                                                     platform::WM_SYSKEYDOWN,
                                                     platform::WM_SYSKEYUP,
                                                     platform::WM_SYSCHAR,
                                                     platform::WM_SYSCOMMAND,
                                                     platform::WM_MOUSEMOVE,
                                                     platform::WM_LBUTTONDOWN,
                                                     platform::WM_LBUTTONUP,
                                                     platform::WM_LBUTTONDBLCLK,
                                                     platform::WM_RBUTTONDOWN,
                                                     platform::WM_RBUTTONUP,
                                                     platform::WM_RBUTTONDBLCLK,
                                                     platform::WM_MBUTTONDOWN,
                                                     platform::WM_MBUTTONUP,
                                                     platform::WM_MBUTTONDBLCLK,
                                                     platform::WM_MOUSEWHEEL,
                                                     platform::WM_MOUSELEAVE,
                                                     platform::kDeferredCallMessage,
                                                     0x0005 /* WM_SIZE */,
                                                     0x0003 /* WM_MOVE */};

constexpr std::array<int, 17> kKeys = {
    platform::VK_SHIFT,    platform::VK_CONTROL, platform::VK_MENU,   platform::VK_LWIN,
    platform::VK_RWIN,     platform::VK_LSHIFT,  platform::VK_RSHIFT, platform::VK_LCONTROL,
    platform::VK_RCONTROL, platform::VK_LMENU,   platform::VK_RMENU,  platform::VK_ESCAPE,
    platform::VK_F4,       platform::VK_RETURN,  platform::VK_SPACE,  platform::VK_TAB,
    platform::VK_BACK};

struct World {
  platform::FakePlatform fake;
  platform::Handle window = 0;
  platform::Handle foreign = 0;
  platform::Handle child = 0;
  ObjectPtr source = std::make_shared<Object>();
  int deferred_runs = 0;

  World() {
    platform::Install(fake);
    StartSystemModule();
    StartPolledInputModule();
    fake.RegisterClass(u"FuzzWindow", 0,
                       [this](platform::Handle w, std::uint32_t m, std::uintptr_t wp,
                              std::intptr_t lp) -> std::intptr_t {
                         TranslateWindowMessage(w, m, wp, lp, source);
                         return 0;
                       });
    window =
        fake.CreateWindowEx(0, u"FuzzWindow", u"Fuzz", platform::WS_CAPTION, 100, 100, 518, 541);
    child = fake.CreateWindowEx(0, u"FuzzWindow", u"Child", platform::WS_CHILD, 0, 0, 20, 20);
    fake.SetWindowParent(child, window, platform::WS_CHILD | platform::WS_TABSTOP);
    foreign = fake.AddForeignWindow(300, 200);
    fake.SetWindowProcess(foreign, fake.ProcessId() + 1);
  }

  // Back to a known state between inputs, without starting the modules
  // again (each start registers an exit handler).
  void Reset() {
    platform::Msg drop;
    while (fake.PeekMessage(drop)) {
      // Posted deferred calls must still be taken back, so run them.
      if (!RunDeferredCall(drop)) continue;
    }
    fake.ClearCalls();
    for (int key = 0; key < 256; ++key) fake.SetKeyDown(key, false);
    fake.SetActiveWindow(window);
    fake.SetFocusWindow(window);
    fake.SetIconic(window, false);
    fake.SetCursor(0, 0);
    testing_only::ResetPolledInput();
    StartPolledInputModule();
    AttachPolledInput(nullptr);
    driverState.modifierMask = 0;
    driverState.pointerOverWindow = 0;
    driverState.enteredSource = nullptr;
    driverState.pointerWanted = 1;
  }

  platform::Handle PickWindow(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
      case 0: return 0;
      case 1: return foreign;
      case 2: return child;
      case 3: return in.ConsumeIntegral<platform::Handle>();
      default: return window;
    }
  }
};

World& TheWorld() {
  static World* world = new World();  // outlives the exit handlers
  return *world;
}

void CountDeferred(ObjectPtr, std::intptr_t) { ++TheWorld().deferred_runs; }

void Query(FuzzedDataProvider& in) {
  const std::int32_t arg = in.ConsumeIntegralInRange(0, 3) == 0
                               ? in.ConsumeIntegral<std::int32_t>()
                               : in.ConsumeIntegralInRange<std::int32_t>(-1, 257);
  switch (in.ConsumeIntegralInRange(0, 14)) {
    case 0: (void)KeyHits(arg); break;
    case 1: (void)KeyIsDown(arg); break;
    case 2: (void)MouseHits(arg); break;
    case 3: (void)MouseIsDown(arg); break;
    case 4: (void)NextTypedChar(); break;
    case 5:
      (void)PointerX();
      (void)PointerY();
      break;
    case 6:
      (void)PointerXDelta();
      (void)PointerYDelta();
      break;
    case 7:
      (void)WheelZ();
      (void)WheelZDelta();
      break;
    case 8:
      (void)SuspendRequested();
      (void)TerminateRequested();
      break;
    case 9: ClearKeyState(); break;
    case 10: ClearMouseState(); break;
    case 11: PlacePointer(arg, in.ConsumeIntegral<std::int32_t>()); break;
    case 12: in.ConsumeBool() ? ShowPointer() : HidePointer(); break;
    case 13: (void)ElapsedMillis(); break;
    case 14: DelayMillis(in.ConsumeIntegralInRange<std::int32_t>(-5, 20)); break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  World& world = TheWorld();
  world.Reset();
  FuzzedDataProvider in(data, size);
  int steps = 0;
  while (in.remaining_bytes() > 0 && ++steps < 256) {
    switch (in.ConsumeIntegralInRange(0, 15)) {
      case 0: world.fake.SetKeyDown(in.PickValueInArray(kKeys), in.ConsumeBool()); break;
      case 1: world.fake.SetKeyDown(in.ConsumeIntegral<std::uint8_t>(), in.ConsumeBool()); break;
      case 2: world.fake.SetActiveWindow(world.PickWindow(in)); break;
      case 3: world.fake.SetIconic(world.window, in.ConsumeBool()); break;
      case 4: world.fake.AdvanceClock(in.ConsumeIntegral<std::uint32_t>()); break;
      case 5:
        world.fake.SetCursor(in.ConsumeIntegral<std::int32_t>(),
                             in.ConsumeIntegral<std::int32_t>());
        break;
      case 6: PostToMainThread(CountDeferred, nullptr, in.ConsumeIntegral<std::intptr_t>()); break;
      case 7: try { PumpSystemEvents();
        } catch (const RuntimeError&) {
        }
        break;
      case 8:
      case 9: Query(in); break;
      case 10:
        world.fake.QueueMessage(world.PickWindow(in), in.ConsumeIntegral<std::uint32_t>(),
                                in.ConsumeIntegral<std::uintptr_t>(),
                                in.ConsumeIntegral<std::intptr_t>());
        break;
      default: {
        const std::uint32_t message = in.PickValueInArray(kMessages);
        const std::uintptr_t wparam = in.ConsumeBool()
                                          ? in.ConsumeIntegral<std::uintptr_t>()
                                          : in.ConsumeIntegralInRange<std::uintptr_t>(0, 0x1FF);
        const std::intptr_t lparam = in.ConsumeIntegral<std::intptr_t>();
        world.fake.QueueMessage(world.PickWindow(in), message, wparam, lparam);
        break;
      }
    }
  }
  try {
    PumpSystemEvents();
  } catch (const RuntimeError&) {
  }
  // Everything the input produced is readable afterwards.
  for (std::int32_t key = 0; key < 256; ++key) (void)KeyIsDown(key);
  while (NextTypedChar() != 0) {
  }
  return 0;
}
