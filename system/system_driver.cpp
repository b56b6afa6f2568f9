#include "system/system_driver.h"

#include "support/error.h"
#include "system/at_exit.h"
#include "system/deferred_calls.h"
#include "system/dialogs.h"
#include "system/events.h"
#include "system/message_translation.h"
#include "system/module_resets.h"

std::shared_ptr<TSystemDriver> systemDriver;
SystemDriverState driverState;

namespace {

const testing_only::ModuleReset kReset(testing_only::ModuleRank::kSystemDriver,
                                       testing_only::ResetSystemDriver);

[[noreturn]] void AbstractMethod() { throw RuntimeError(u"Attempt to call abstract method"); }

TSystemDriver& Driver() {
  StartSystemModule();
  return *systemDriver;
}

// Clears the pump guard on the way out, also when a window procedure raises.
class PumpGuard {
 public:
  PumpGuard() { driverState.pumpGuard = true; }
  ~PumpGuard() { driverState.pumpGuard = false; }
  PumpGuard(const PumpGuard&) = delete;
  PumpGuard& operator=(const PumpGuard&) = delete;
};

bool IsTabStopChild(platform::Handle window) {
  constexpr std::uint32_t kBoth = platform::WS_CHILD | platform::WS_TABSTOP;
  return window != 0 && (platform::Current().GetWindowStyle(window) & kBoth) == kBoth;
}

// The dialog a child control's keyboard message belongs to: the first parent
// that is not itself a tab-stop child, or 0.
platform::Handle DialogOf(platform::Handle window) {
  auto& p = platform::Current();
  platform::Handle parent = p.GetParent(window);
  while (IsTabStopChild(parent)) parent = p.GetParent(parent);
  return parent;
}

}  // namespace

void TSystemDriver::Poll() { AbstractMethod(); }
void TSystemDriver::Wait() { AbstractMethod(); }
void TSystemDriver::MoveMouse(std::int32_t, std::int32_t) { AbstractMethod(); }
void TSystemDriver::SetMouseVisible(std::int32_t) { AbstractMethod(); }
std::int32_t TSystemDriver::Notify(const Text&, std::int32_t) { AbstractMethod(); }
std::int32_t TSystemDriver::Confirm(const Text&, std::int32_t) { AbstractMethod(); }
std::int32_t TSystemDriver::Proceed(const Text&, std::int32_t) { AbstractMethod(); }
Text TSystemDriver::RequestFile(const Text&, const Text&, std::int32_t, const Text&) {
  AbstractMethod();
}
Text TSystemDriver::RequestDir(const Text&, const Text&) { AbstractMethod(); }
std::int32_t TSystemDriver::OpenURL(const Text&) { AbstractMethod(); }

TWin32SystemDriver::TWin32SystemDriver() {
  if (driverState.started) return;
  auto& p = platform::Current();
  // Platform texts are UTF-16 at the seam.
  driverState.wideCharacterFlag = 1;
  driverState.pointerWanted = 1;
  driverState.mainThreadId = p.GetCurrentThreadId();
  // Deferred calls are run by Poll for every message it retrieves; they
  // need to know which thread to post to.
  SetMainThreadForDeferredCalls(driverState.mainThreadId);
  p.timeBeginPeriod(1);
  AtExit([] {
    if (!driverState.started) return;
    platform::Current().timeEndPeriod(1);
    driverState.started = false;
  });
  driverState.started = true;
}

void TWin32SystemDriver::Poll() {
  auto& p = platform::Current();
  platform::Msg msg;
  while (p.PeekMessage(msg)) {
    if (RunDeferredCall(msg)) continue;
    // Before dispatch, so the events of this very message carry the new mask.
    if (IsModifierKeyMessage(msg)) RecomputeModifierMask();
    if (IsTabStopChild(msg.window)) {
      const platform::Handle dialog = DialogOf(msg.window);
      if (dialog != 0 && p.IsDialogMessage(dialog, msg)) continue;
    }
    p.TranslateMessage(msg);
    p.DispatchMessage(msg);
  }
}

void TWin32SystemDriver::Wait() {
  platform::Current().WaitMessage();
  Poll();
}

void TWin32SystemDriver::MoveMouse(std::int32_t x, std::int32_t y) {
  auto& p = platform::Current();
  platform::Point point{x, y};
  if (const platform::Handle active = p.GetActiveWindow(); active != 0) {
    p.ClientToScreen(active, point);
  }
  p.SetCursorPos(point.x, point.y);
}

void TWin32SystemDriver::SetMouseVisible(std::int32_t visible) {
  driverState.pointerWanted = visible != 0 ? 1 : 0;
  ApplyPointerVisibility();
}

std::int32_t TWin32SystemDriver::Notify(const Text& text, std::int32_t serious) {
  return dialogs::Notify(text, serious);
}

std::int32_t TWin32SystemDriver::Confirm(const Text& text, std::int32_t serious) {
  return dialogs::Confirm(text, serious);
}

std::int32_t TWin32SystemDriver::Proceed(const Text& text, std::int32_t serious) {
  return dialogs::Proceed(text, serious);
}

Text TWin32SystemDriver::RequestFile(const Text& text, const Text& extensions, std::int32_t save,
                                     const Text& path) {
  return dialogs::RequestFile(text, extensions, save, path);
}

Text TWin32SystemDriver::RequestDir(const Text& text, const Text& path) {
  return dialogs::RequestDir(text, path);
}

std::int32_t TWin32SystemDriver::OpenURL(const Text& url) { return dialogs::OpenURL(url); }

void PumpSystemEvents() {
  if (driverState.pumpGuard) return;
  TSystemDriver& driver = Driver();
  PumpGuard guard;
  driver.Poll();
}

void AwaitSystemEvents() {
  if (driverState.pumpGuard) return;
  TSystemDriver& driver = Driver();
  PumpGuard guard;
  driver.Wait();
}

void PlacePointer(std::int32_t x, std::int32_t y) { Driver().MoveMouse(x, y); }
void ShowPointer() { Driver().SetMouseVisible(1); }
void HidePointer() { Driver().SetMouseVisible(0); }
void Notify(const Text& text, std::int32_t serious) { Driver().Notify(text, serious); }
std::int32_t Confirm(const Text& text, std::int32_t serious) {
  return Driver().Confirm(text, serious);
}
std::int32_t Proceed(const Text& text, std::int32_t serious) {
  return Driver().Proceed(text, serious);
}
Text RequestFile(const Text& text, const Text& extensions, std::int32_t save, const Text& path) {
  return Driver().RequestFile(text, extensions, save, path);
}
Text RequestDir(const Text& text, const Text& path) { return Driver().RequestDir(text, path); }
std::int32_t OpenURL(const Text& url) { return Driver().OpenURL(dialogs::CompleteURL(url)); }

std::int32_t ElapsedMillis() {
  // The clock wraps at 2^32; the conversion keeps the low 32 bits.
  return static_cast<std::int32_t>(platform::Current().timeGetTime());
}

void DelayMillis(std::int32_t ms) {
  if (ms < 0) return;
  platform::Current().Sleep(static_cast<std::uint32_t>(ms));
}

void StartSystemModule() {
  if (driverState.moduleStarted) return;
  driverState.moduleStarted = true;
  StartEventModule();
  systemDriver = std::make_shared<TWin32SystemDriver>();
}

namespace testing_only {
void ResetSystemDriver() {
  systemDriver.reset();
  driverState = SystemDriverState{};
}
}  // namespace testing_only
