#include "platform/window_registry.h"

#include <utility>

namespace platform {
namespace {

bool IsKeyIndex(int virtual_key) { return virtual_key >= 0 && virtual_key < 256; }

// The generic code of a sided modifier and the codes of its two sides.
struct ModifierGroup {
  int generic;
  int left;
  int right;
};

ModifierGroup GroupOf(int sided) {
  switch (sided) {
    case VK_LSHIFT:
    case VK_RSHIFT: return {VK_SHIFT, VK_LSHIFT, VK_RSHIFT};
    case VK_LCONTROL:
    case VK_RCONTROL: return {VK_CONTROL, VK_LCONTROL, VK_RCONTROL};
    default: return {VK_MENU, VK_LMENU, VK_RMENU};
  }
}

}  // namespace

WindowRegistry::WindowRegistry(std::function<void(const Msg&)> post_last)
    : post_last_(std::move(post_last)) {}

bool WindowRegistry::RegisterClass(const std::u16string& name, WindowProcedure procedure) {
  return classes_.emplace(name, std::move(procedure)).second;
}

bool WindowRegistry::IsClassRegistered(const std::u16string& name) const {
  return classes_.count(name) != 0;
}

Handle WindowRegistry::AddWindow(const std::u16string& class_name) {
  const Handle handle = next_window_++;
  windows_[handle] = class_name;
  return handle;
}

bool WindowRegistry::HasWindow(Handle window) const { return windows_.count(window) != 0; }

void WindowRegistry::RemoveWindow(Handle window) {
  if (windows_.erase(window) == 0) return;
  if (capture_ == window) capture_ = 0;
  if (active_ == window) active_ = 0;
  if (focus_ == window) focus_ = 0;
}

std::intptr_t WindowRegistry::CallWindowProcedure(Handle window, std::uint32_t message,
                                                  std::uintptr_t wparam, std::intptr_t lparam) {
  auto w = windows_.find(window);
  if (w == windows_.end()) return 0;
  auto c = classes_.find(w->second);
  if (c == classes_.end() || !c->second) return 0;
  WindowProcedure procedure = c->second;
  return procedure(window, message, wparam, lparam);
}

std::intptr_t WindowRegistry::DefWindowProc(Handle window, std::uint32_t message,
                                            std::uintptr_t wparam, std::intptr_t) {
  if (!HasWindow(window)) return 0;
  if (message == WM_SYSKEYDOWN && wparam == static_cast<std::uintptr_t>(VK_F4)) {
    post_last_(Msg{window, WM_SYSCOMMAND, SC_CLOSE, 0});
  } else if (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_CLOSE) {
    CallWindowProcedure(window, WM_CLOSE, 0, 0);
  }
  return 0;
}

void WindowRegistry::TrackKeyState(const Msg& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
      if (msg.wparam > 0 && msg.wparam < 256) SetKeyDown(static_cast<int>(msg.wparam), down);
      const int sided = SidedModifierKey(ExtendedScanCode(msg.lparam));
      if (sided == 0) return;
      const ModifierGroup group = GroupOf(sided);
      SetKeyDown(sided, down);
      SetKeyDown(group.generic, IsKeyDown(group.left) || IsKeyDown(group.right));
      return;
    }
    case WM_LBUTTONDOWN: SetKeyDown(VK_LBUTTON, true); return;
    case WM_LBUTTONUP: SetKeyDown(VK_LBUTTON, false); return;
    case WM_RBUTTONDOWN: SetKeyDown(VK_RBUTTON, true); return;
    case WM_RBUTTONUP: SetKeyDown(VK_RBUTTON, false); return;
    case WM_MBUTTONDOWN: SetKeyDown(VK_MBUTTON, true); return;
    case WM_MBUTTONUP: SetKeyDown(VK_MBUTTON, false); return;
    default: return;
  }
}

void WindowRegistry::SetKeyDown(int virtual_key, bool down) {
  if (IsKeyIndex(virtual_key)) keys_[static_cast<std::size_t>(virtual_key)] = down;
}

bool WindowRegistry::IsKeyDown(int virtual_key) const {
  return IsKeyIndex(virtual_key) && keys_[static_cast<std::size_t>(virtual_key)];
}

std::int16_t WindowRegistry::GetKeyState(int virtual_key) const {
  return IsKeyDown(virtual_key) ? static_cast<std::int16_t>(-128) : std::int16_t{0};
}

}  // namespace platform
