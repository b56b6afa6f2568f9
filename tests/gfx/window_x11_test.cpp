// The graphics window on a real X server (SDL2 platform, Mesa): where it
// opens, its client size and title, and what the close box does.
#include <gtest/gtest.h>
// clang-format off
#include "tools/x11/x11_window.h"
// clang-format on

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "gfx/gl_flat2d_driver.h"
#include "gfx/graphics.h"
#include "platform/native_platform.h"
#include "support/text.h"
#include "system/polled_input.h"
#include "system/startup.h"
#include "system/system_driver.h"

namespace {

constexpr char kTitle[] = "Vuble graphics window test";

class GraphicsWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::InstallNativePlatform();
    StartGLFlat2DModule();
    display_ = XOpenDisplay(nullptr);
    // Windows come and go while the tree is searched; a query about one
    // that just went must not end the test program.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  static void TearDownTestSuite() {
    if (display_ != nullptr) XCloseDisplay(display_);
    display_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(display_, nullptr) << "no X server (DISPLAY)";
    ApplicationTitle = FromUtf8(kTitle);
  }
  void TearDown() override { EndOpenedGraphics(); }

  // Pumps the window messages until done() holds or about five seconds pass.
  static bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
      PumpSystemEvents();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  static Display* display_;
};

Display* GraphicsWindow::display_ = nullptr;

TEST_F(GraphicsWindow, OpensCentredWithExactClientAreaAndTitle) {
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0)) << ToUtf8(LastGraphicsError());
  const Window window = x11tools::FindWindowByTitle(display_, kTitle, 5000);
  ASSERT_NE(window, 0u);
  const int screen_w = DisplayWidth(display_, DefaultScreen(display_));
  const int screen_h = DisplayHeight(display_, DefaultScreen(display_));
  const int want_x = screen_w / 2 - 256;  // (704, 284) on 1920 by 1080
  const int want_y = screen_h / 2 - 256;
  int x = 0, y = 0, w = 0, h = 0;
  // A window manager may move the window once after mapping it.
  PumpUntil(
      [&] { return x11tools::ClientOrigin(display_, window, x, y) && x == want_x && y == want_y; });
  EXPECT_EQ(x, want_x);
  EXPECT_EQ(y, want_y);
  ASSERT_TRUE(x11tools::ClientSize(display_, window, w, h));
  EXPECT_EQ(w, 512);
  EXPECT_EQ(h, 512);
  EXPECT_EQ(CurrentGraphicsWidth(), 512);
  EXPECT_EQ(CurrentGraphicsHeight(), 512);
  // Frames are presented without error on the real context.
  for (int i = 0; i < 3; ++i) Flip(-1);
}

TEST_F(GraphicsWindow, CloseBoxRequestsTerminationAndTheWindowStays) {
  ASSERT_TRUE(OpenGraphics(512, 512, 0, 60, 0)) << ToUtf8(LastGraphicsError());
  const Window window = x11tools::FindWindowByTitle(display_, kTitle, 5000);
  ASSERT_NE(window, 0u);
  TerminateRequested();  // forget any earlier request
  x11tools::RequestClose(display_, window);
  int terminate = 0;
  EXPECT_TRUE(PumpUntil([&] {
    terminate = TerminateRequested();
    return terminate == 1;
  }));
  EXPECT_EQ(terminate, 1);
  int w = 0, h = 0;
  EXPECT_TRUE(x11tools::ClientSize(display_, window, w, h));
  EXPECT_EQ(x11tools::FindWindowByTitle(display_, kTitle, 0), window);

  // Ending the graphics takes the window away.
  EndOpenedGraphics();
  XSync(display_, False);
  EXPECT_EQ(x11tools::FindWindowByTitle(display_, kTitle, 500), 0u);
}

}  // namespace
