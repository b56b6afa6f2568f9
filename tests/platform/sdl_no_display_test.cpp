// The SDL2 platform where there is no display: windows and message boxes
// fail at once with a reason, and what needs no display still works.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>
#include <thread>

#include "platform/sdl/sdl_platform.h"

namespace platform::sdl {
namespace {

// Takes the display away for one test and gives it back afterwards.
class SdlWithoutDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
      const char* value = getenv(name);
      saved_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
    }
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    // Only the X11 driver: a console driver could otherwise take over.
    setenv("SDL_VIDEODRIVER", "x11", 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(SdlWithoutDisplay, WindowCreationFailsAndSaysWhy) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.RegisterClass(u"Test", 0, nullptr));
  EXPECT_EQ(platform.CreateWindowEx(0, u"Test", u"t", WS_POPUP, 0, 0, 10, 10), 0u);
  const std::u16string reason = platform.LastErrorText();
  EXPECT_EQ(reason.rfind(u"SDL could not start its video subsystem: ", 0), 0u);
  EXPECT_GT(reason.size(), std::u16string(u"SDL could not start its video subsystem: ").size());
  Rect desktop;
  EXPECT_FALSE(platform.GetDesktopRect(desktop));
  EXPECT_EQ(platform.GetDesktopDeviceCaps(kHorzRes), 0);
  Msg msg;
  EXPECT_FALSE(platform.PeekMessage(msg));
}

TEST_F(SdlWithoutDisplay, MessageBoxReturnsZero) {
  SdlPlatform platform;
  EXPECT_EQ(platform.MessageBox(0, u"text", u"caption", MB_OK | MB_ICONWARNING), 0);
  EXPECT_FALSE(platform.LastErrorText().empty());
}

TEST_F(SdlWithoutDisplay, ThreadMessagesStillFlow) {
  SdlPlatform platform;
  const ThreadId main_thread = platform.GetCurrentThreadId();
  std::thread poster([&] { platform.PostThreadMessage(main_thread, kDeferredCallMessage, 1, 2); });
  platform.WaitMessage();
  poster.join();
  Msg msg;
  ASSERT_TRUE(platform.PeekMessage(msg));
  EXPECT_EQ(msg.message, kDeferredCallMessage);
  EXPECT_EQ(msg.lparam, 2);
  EXPECT_FALSE(platform.PeekMessage(msg));
  // A thread that is not the one the platform was made on has no queue.
  ThreadId other = 0;
  std::thread([&] { other = platform.GetCurrentThreadId(); }).join();
  EXPECT_NE(other, main_thread);
  EXPECT_FALSE(platform.PostThreadMessage(other, kDeferredCallMessage, 0, 0));
}

}  // namespace
}  // namespace platform::sdl
