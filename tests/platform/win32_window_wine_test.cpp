// The Win32 platform's windows and GL contexts under Wine: geometry as the
// X server sees it, pixel format, drawing, swap interval, display modes,
// and the trampoline carrying a window procedure's error up through every
// operation during which Windows calls it.
#include "tests/platform/win32_wine_fixture.h"
// clang-format off
#include <GL/gl.h>
// clang-format on

#include <sstream>

namespace platform::win32 {
namespace {

using WindowGeometry = Win32WindowTest;

TEST_F(WindowGeometry, ClientAreaHasTheAskedSizeAndPlaceInsideWinesFrame) {
  const Handle window = OpenGLWindow(u"Geometry", 704, 284, 512, 512);
  ASSERT_NE(window, 0u) << ToUtf8(platform_->LastErrorText());
  Rect client;
  ASSERT_TRUE(platform_->GetClientRect(window, client));
  EXPECT_EQ(client.right - client.left, 512);
  EXPECT_EQ(client.bottom - client.top, 512);
  Point origin{0, 0};
  ASSERT_TRUE(platform_->ClientToScreen(window, origin));
  EXPECT_EQ(origin.x, 704);
  EXPECT_EQ(origin.y, 284);

  // From outside: Wine draws the frame itself, so the X window is the outer
  // window, exactly the rectangle AdjustWindowRectEx grew the client to.
  Pump();
  Rect outer{704, 284, 704 + 512, 284 + 512};
  platform_->AdjustWindowRectEx(outer, kCaptionStyle, false, 0);
  EXPECT_LT(outer.top, 284);  // a caption above the client area
  std::ostringstream expected;
  expected << outer.left << " " << outer.top << " " << outer.right - outer.left << " "
           << outer.bottom - outer.top;
  EXPECT_EQ(Probe("window Geometry"), expected.str());
}

TEST_F(WindowGeometry, DesktopIsTheXScreen) {
  Rect desktop;
  ASSERT_TRUE(platform_->GetDesktopRect(desktop));
  EXPECT_EQ(desktop.right - desktop.left, 1920);
  EXPECT_EQ(desktop.bottom - desktop.top, 1080);
  EXPECT_EQ(platform_->GetDesktopDeviceCaps(kHorzRes), 1920);
  EXPECT_EQ(platform_->GetDesktopDeviceCaps(kVertRes), 1080);
}

using GLContext = Win32WindowTest;

TEST_F(GLContext, DoubleBufferedFormatDrawsAndSwapsToTheScreen) {
  const Handle window = OpenGLWindow(u"Drawing", 100, 100, 64, 64);
  ASSERT_NE(window, 0u) << ToUtf8(platform_->LastErrorText());
  const HDC dc = ::GetDC(reinterpret_cast<HWND>(window));
  PIXELFORMATDESCRIPTOR format{};
  ASSERT_NE(::DescribePixelFormat(dc, ::GetPixelFormat(dc), sizeof format, &format), 0);
  EXPECT_NE(format.dwFlags & PFD_DOUBLEBUFFER, 0u);
  EXPECT_NE(format.dwFlags & PFD_SUPPORT_OPENGL, 0u);
  EXPECT_GE(format.cColorBits, 24);

  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  // The back buffer is read before the swap: after it, its contents are
  // undefined.
  unsigned char pixel[4] = {};
  glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_EQ(pixel[1], 0);
  EXPECT_EQ(pixel[2], 0);
  ASSERT_TRUE(platform_->SwapBuffers(reinterpret_cast<Handle>(dc)));
  glFinish();
  Pump();
  EXPECT_EQ(Probe("pixel 132 132"), "FF0000");
}

TEST_F(GLContext, SwapIntervalExtensionIsFoundAndSetOnTheCurrentContext) {
  ASSERT_NE(OpenGLWindow(u"Interval", 100, 100, 64, 64), 0u);
  ASSERT_TRUE(platform_->HasSwapIntervalExtension());
  using GetInterval = int(WINAPI*)();
  const auto get_interval = reinterpret_cast<GetInterval>(
      reinterpret_cast<void*>(::wglGetProcAddress("wglGetSwapIntervalEXT")));
  ASSERT_NE(get_interval, nullptr);
  EXPECT_TRUE(platform_->wglSwapIntervalEXT(1));
  EXPECT_EQ(get_interval(), 1);
  EXPECT_TRUE(platform_->wglSwapIntervalEXT(0));
  EXPECT_EQ(get_interval(), 0);
}

TEST_F(GLContext, DisplayModesIncludeTheDesktopsAndEndWithAFailure) {
  DisplayMode mode;
  bool desktop_listed = false;
  std::uint32_t index = 0;
  for (; index < 4096 && platform_->EnumDisplaySettings(index, mode); ++index) {
    EXPECT_GT(mode.width, 0u);
    EXPECT_GT(mode.height, 0u);
    if (mode.width == 1920 && mode.height == 1080 && mode.bits_per_pixel >= 24) {
      desktop_listed = true;
    }
  }
  EXPECT_LT(index, 4096u);
  EXPECT_TRUE(desktop_listed);
}

// The error a window procedure raises comes out of the platform operation
// during which Windows called it, and the window procedure is not called
// again while it is on its way.
using Trampoline = Win32WindowTest;

TEST_F(Trampoline, ErrorTravelsUpThroughDispatchMessage) {
  const Handle window = CreateTestWindow(u"Raise", 100, 100, 64, 64);
  ASSERT_NE(window, 0u);
  ::PostMessageW(reinterpret_cast<HWND>(window), WM_USER + 1, 0, 0);
  raise_on_ = WM_USER + 1;
  EXPECT_THROW(Pump(), RuntimeError);
  raise_on_ = 0;
  ::PostMessageW(reinterpret_cast<HWND>(window), WM_USER + 2, 0, 0);
  EXPECT_NO_THROW(Pump());  // nothing is left pending
  EXPECT_EQ(received_.back().message, static_cast<std::uint32_t>(WM_USER + 2));
}

TEST_F(Trampoline, ErrorDuringCreationLeavesNoWindow) {
  raise_on_ = platform::WM_CREATE;
  EXPECT_THROW(CreateTestWindow(u"Doomed", 100, 100, 64, 64), RuntimeError);
  raise_on_ = 0;
  EXPECT_EQ(::FindWindowW(L"Win32TestWindow", L"Doomed"), nullptr);
}

TEST_F(Trampoline, ErrorTravelsUpThroughEveryOperationThatSendsMessages) {
  const Handle window = CreateTestWindow(u"Operations", 100, 100, 64, 64);
  ASSERT_NE(window, 0u);
  struct Case {
    const char* operation;
    std::uint32_t message;
    std::function<void()> call;
  };
  const Case cases[] = {
      {"ShowWindow", WM_SHOWWINDOW, [&] { platform_->ShowWindow(window, platform::SW_SHOW); }},
      {"SetCapture", WM_CAPTURECHANGED,
       [&] {
         platform_->SetCapture(window);
         platform_->ReleaseCapture();
       }},
      {"DefWindowProc (close command)", platform::WM_CLOSE,
       [&] { platform_->DefWindowProc(window, platform::WM_SYSCOMMAND, platform::SC_CLOSE, 0); }},
      {"SetFocus", platform::WM_KILLFOCUS,
       [&] {
         platform_->SetFocus(window);
         platform_->SetFocus(0);
       }},
      {"DestroyWindow", platform::WM_DESTROY, [&] { platform_->DestroyWindow(window); }},
  };
  for (const Case& c : cases) {
    raise_on_ = c.message;
    EXPECT_THROW(c.call(), RuntimeError) << c.operation;
    raise_on_ = 0;
  }
  EXPECT_FALSE(::IsWindow(reinterpret_cast<HWND>(window)));
}

}  // namespace
}  // namespace platform::win32
