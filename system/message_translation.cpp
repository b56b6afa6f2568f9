#include "system/message_translation.h"

#include "system/events.h"
#include "system/system_driver.h"

namespace {

using platform::Handle;

std::int32_t SignedLow(std::intptr_t lparam) { return platform::LowSigned(lparam); }
std::int32_t SignedHigh(std::intptr_t lparam) { return platform::HighSigned(lparam); }

void Emit(std::int32_t id, const ObjectPtr& source, std::int32_t data, std::int32_t mods,
          std::int32_t x, std::int32_t y) {
  EmitNewEvent(id, source, data, mods, x, y, nullptr);
}

// Activation moving between the application's own windows is neither a
// suspend nor a resume; nor is a minimised window being activated.
void TranslateActivate(Handle window, std::uintptr_t wparam, std::intptr_t lparam,
                       const ObjectPtr& source, std::int32_t mods) {
  auto& p = platform::Current();
  const bool gains = platform::LowWord(wparam) != 0;
  if (gains && p.IsIconic(window)) return;
  const auto other = static_cast<Handle>(lparam);
  if (other != 0 && p.GetWindowThreadProcessId(other) == p.GetCurrentProcessId()) return;
  Emit(gains ? AppResume : AppSuspend, source, 0, mods, 0, 0);
}

bool InsideClientArea(Handle window, std::int32_t x, std::int32_t y) {
  platform::Rect client;
  if (!platform::Current().GetClientRect(window, client)) return false;
  return x >= 0 && y >= 0 && x < client.right && y < client.bottom;
}

// The button a move reports: right before middle before left.
std::int32_t MoveButton(std::uintptr_t wparam) {
  if (wparam & platform::MK_RBUTTON) return 2;
  if (wparam & platform::MK_MBUTTON) return 4;
  if (wparam & platform::MK_LBUTTON) return 1;
  return 0;
}

bool IsKeyCode(std::uintptr_t wparam) { return wparam >= 1 && wparam <= 255; }

}  // namespace

void TranslateWindowMessage(Handle window, std::uint32_t message, std::uintptr_t wparam,
                            std::intptr_t lparam, const ObjectPtr& source) {
  namespace pf = platform;
  const std::int32_t mods = driverState.modifierMask;
  switch (message) {
    case pf::WM_ACTIVATE: TranslateActivate(window, wparam, lparam, source, mods); break;
    case pf::WM_CLOSE: Emit(AppTerminate, source, 0, mods, 0, 0); break;
    case pf::WM_KEYDOWN:
    case pf::WM_SYSKEYDOWN:
      if (IsKeyCode(wparam)) {
        Emit(pf::KeyWasDown(lparam) ? KeyRepeat : KeyDown, source, KeyCodeFor(wparam, lparam), mods,
             0, 0);
      }
      break;
    case pf::WM_KEYUP:
    case pf::WM_SYSKEYUP:
      if (IsKeyCode(wparam)) Emit(KeyUp, source, KeyCodeFor(wparam, lparam), mods, 0, 0);
      break;
    case pf::WM_CHAR:
    case pf::WM_SYSCHAR:
      Emit(KeyChar, source, static_cast<std::int32_t>(static_cast<std::uint32_t>(wparam)), mods, 0,
           0);
      break;
    case pf::WM_MOUSEMOVE: {
      const std::int32_t x = SignedLow(lparam);
      const std::int32_t y = SignedHigh(lparam);
      TrackPointerOver(InsideClientArea(window, x, y) ? window : 0, x, y, source);
      Emit(MouseMove, source, MoveButton(wparam), mods, x, y);
      break;
    }
    case pf::WM_LBUTTONDOWN:
    case pf::WM_RBUTTONDOWN:
    case pf::WM_MBUTTONDOWN: {
      // Captured so that a drag out of the window keeps reporting moves.
      pf::Current().SetCapture(window);
      const std::int32_t button = message == pf::WM_LBUTTONDOWN   ? 1
                                  : message == pf::WM_RBUTTONDOWN ? 2
                                                                  : 3;
      Emit(MouseDown, source, button, mods, SignedLow(lparam), SignedHigh(lparam));
      break;
    }
    case pf::WM_LBUTTONUP:
    case pf::WM_RBUTTONUP:
    case pf::WM_MBUTTONUP: {
      pf::Current().ReleaseCapture();
      const std::int32_t button = message == pf::WM_LBUTTONUP   ? 1
                                  : message == pf::WM_RBUTTONUP ? 2
                                                                : 3;
      Emit(MouseUp, source, button, mods, SignedLow(lparam), SignedHigh(lparam));
      break;
    }
    case pf::WM_MOUSEWHEEL: {
      // One notch is 120; a partial notch truncates toward zero.
      const std::int32_t delta = pf::GetWheelDelta(wparam);
      pf::Point point{SignedLow(lparam), SignedHigh(lparam)};  // screen coordinates
      pf::Current().ScreenToClient(window, point);
      Emit(MouseWheel, source, delta / 120, mods, point.x, point.y);
      break;
    }
    case pf::WM_MOUSELEAVE:
      if (window == driverState.pointerOverWindow) TrackPointerOver(0, 0, 0, source);
      break;
    default: break;
  }
}

bool IsModifierKeyMessage(const platform::Msg& msg) {
  namespace pf = platform;
  switch (msg.message) {
    case pf::WM_KEYDOWN:
    case pf::WM_KEYUP:
    case pf::WM_SYSKEYDOWN:
    case pf::WM_SYSKEYUP: break;
    default: return false;
  }
  switch (msg.wparam) {
    case pf::VK_SHIFT:
    case pf::VK_CONTROL:
    case pf::VK_MENU:
    case pf::VK_LWIN:
    case pf::VK_RWIN: return true;
    default: return false;
  }
}

void RecomputeModifierMask() {
  auto& p = platform::Current();
  std::int32_t mask = 0;
  if (p.GetKeyState(platform::VK_SHIFT) < 0) mask |= kModShift;
  if (p.GetKeyState(platform::VK_CONTROL) < 0) mask |= kModControl;
  if (p.GetKeyState(platform::VK_MENU) < 0) mask |= kModAlt;
  if (p.GetKeyState(platform::VK_LWIN) < 0 || p.GetKeyState(platform::VK_RWIN) < 0) {
    mask |= kModSystem;
  }
  driverState.modifierMask = mask;
}

std::int32_t KeyCodeFor(std::uintptr_t wparam, std::intptr_t lparam) {
  // Only the scan code decides for shift, control and alt, not wParam.
  const int sided = platform::SidedModifierKey(platform::ExtendedScanCode(lparam));
  if (sided != 0) return sided;
  return static_cast<std::int32_t>(wparam);  // 1..255, checked by the caller
}

void TrackPointerOver(Handle window, std::int32_t x, std::int32_t y, const ObjectPtr& source) {
  if (window == driverState.pointerOverWindow) return;
  auto& p = platform::Current();
  if (const Handle left = driverState.pointerOverWindow; left != 0) {
    ObjectPtr left_source = std::move(driverState.enteredSource);
    driverState.enteredSource = nullptr;
    platform::Point at;
    p.GetCursorPos(at);
    p.ScreenToClient(left, at);
    Emit(MouseLeave, left_source, 0, 0, at.x, at.y);
  }
  driverState.pointerOverWindow = window;
  ApplyPointerVisibility();
  if (window != 0) {
    driverState.enteredSource = source;
    Emit(MouseEnter, source, 0, 0, x, y);
    p.TrackMouseLeave(window);
  }
}

void ApplyPointerVisibility() {
  const bool show = driverState.pointerWanted == 1 || driverState.pointerOverWindow == 0;
  auto& p = platform::Current();
  const int counter = p.ShowCursor(show);
  if (counter != 0 && counter != -1) p.ShowCursor(!show);
}
