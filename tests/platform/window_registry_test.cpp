// The window registry the fake and the SDL2 platform share: default
// handling, key state in message order, and what destroying a window takes
// with it.
#include "platform/window_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform {
namespace {

class WindowRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry.RegisterClass(
        u"Window",
        [this](Handle w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) -> std::intptr_t {
          seen.push_back(m);
          return registry.DefWindowProc(w, m, wp, lp);
        }));
    window = registry.AddWindow(u"Window");
  }

  std::vector<Msg> posted;
  WindowRegistry registry{[this](const Msg& msg) { posted.push_back(msg); }};
  std::vector<std::uint32_t> seen;
  Handle window = 0;
};

TEST_F(WindowRegistryTest, AltF4PostsTheCloseCommandWhichSendsCloseAtOnce) {
  registry.CallWindowProcedure(window, WM_SYSKEYDOWN, VK_F4, KeyLParam(0x3E, false, false, false));
  // Posted, not sent: the procedure has not seen it yet.
  EXPECT_EQ(seen, std::vector<std::uint32_t>{WM_SYSKEYDOWN});
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].window, window);
  EXPECT_EQ(posted[0].message, WM_SYSCOMMAND);
  EXPECT_EQ(posted[0].wparam, SC_CLOSE);

  // Its default handling sends WM_CLOSE before returning, queueing nothing.
  seen.clear();
  registry.CallWindowProcedure(window, WM_SYSCOMMAND, SC_CLOSE | 0x2, 0);
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{WM_SYSCOMMAND, WM_CLOSE}));
  EXPECT_EQ(posted.size(), 1u);

  // Other keys and commands, and windows that are not ours, get nothing.
  seen.clear();
  registry.DefWindowProc(window, WM_SYSKEYDOWN, VK_F5, 0);
  registry.DefWindowProc(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
  registry.DefWindowProc(window + 1, WM_SYSKEYDOWN, VK_F4, 0);
  registry.DefWindowProc(window + 1, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(posted.size(), 1u);
}

TEST_F(WindowRegistryTest, GenericModifierStaysDownWhileEitherSideIs) {
  auto key = [&](std::uint32_t message, std::uint32_t scan, bool extended) {
    const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
    registry.TrackKeyState(Msg{window, message, static_cast<std::uintptr_t>(VK_CONTROL),
                               KeyLParam(scan, extended, up, up)});
  };
  key(WM_KEYDOWN, kScanControl, false);
  key(WM_KEYDOWN, kScanControl, true);
  key(WM_KEYUP, kScanControl, false);
  EXPECT_LT(registry.GetKeyState(VK_CONTROL), 0);
  EXPECT_LT(registry.GetKeyState(VK_RCONTROL), 0);
  EXPECT_EQ(registry.GetKeyState(VK_LCONTROL), 0);
  key(WM_KEYUP, kScanControl, true);
  EXPECT_EQ(registry.GetKeyState(VK_CONTROL), 0);
  // A side's message leaves the other modifiers as they were.
  registry.SetKeyDown(VK_SHIFT, true);
  key(WM_KEYDOWN, kScanControl, false);
  EXPECT_LT(registry.GetKeyState(VK_SHIFT), 0);
  EXPECT_EQ(registry.GetKeyState(-1), 0);
  EXPECT_EQ(registry.GetKeyState(256), 0);
}

TEST_F(WindowRegistryTest, DestroyingAWindowTakesItsCaptureActivationAndFocus) {
  const Handle other = registry.AddWindow(u"Window");
  EXPECT_EQ(other, window + 1);
  EXPECT_FALSE(registry.RegisterClass(u"Window", nullptr));  // as RegisterClassEx
  registry.SetCapture(window);
  registry.SetActive(window);
  registry.SetFocus(other);
  registry.RemoveWindow(window);
  EXPECT_EQ(registry.Capture(), 0u);
  EXPECT_EQ(registry.Active(), 0u);
  EXPECT_EQ(registry.Focus(), other);
  EXPECT_EQ(registry.CallWindowProcedure(window, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(seen.empty());
  // Handles are not reused.
  EXPECT_EQ(registry.AddWindow(u"Window"), other + 1);
}

}  // namespace
}  // namespace platform
