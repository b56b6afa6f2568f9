// The SDL2 platform's windows on a real X server: title, client size and
// place, fixed size, pixel format, contexts.
#include "tests/platform/sdl_x11_fixture.h"
// clang-format off
#include <GL/gl.h>
#include <X11/Xatom.h>
// clang-format on

namespace platform::sdl {
namespace {

using SdlWindow = SdlWindowTest;

TEST_F(SdlWindow, CentredClientAreaLiesExactlyWhereTheCallerPutIt) {
  Rect desktop;
  ASSERT_TRUE(platform_->GetDesktopRect(desktop));
  ASSERT_EQ(desktop.right, 1920);
  ASSERT_EQ(desktop.bottom, 1080);
  const int left = desktop.right / 2 - 512 / 2;
  const int top = desktop.bottom / 2 - 512 / 2;
  const Handle window = OpenWindow(u"Vuble Toy", left, top, 512, 512);
  ASSERT_NE(window, 0u) ;
  int x = 0;
  int y = 0;
  // A window manager places the frame after the window is shown.
  const bool placed = PumpUntil([&] { return ClientOrigin(window, x, y) && x == 704 && y == 284; });
  EXPECT_TRUE(placed) << "client area at " << x << "," << y;
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(display_, XWindowOf(window), &attributes));
  EXPECT_EQ(attributes.width, 512);
  EXPECT_EQ(attributes.height, 512);
  Rect client;
  ASSERT_TRUE(platform_->GetClientRect(window, client));
  EXPECT_EQ(client.right, 512);
  EXPECT_EQ(client.bottom, 512);
  Point origin{0, 0};
  ASSERT_TRUE(platform_->ClientToScreen(window, origin));
  EXPECT_EQ(origin.x, 704);
  EXPECT_EQ(origin.y, 284);
}

}  // namespace
}  // namespace platform::sdl
