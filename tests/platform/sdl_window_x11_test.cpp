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
  ASSERT_NE(window, 0u);
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

TEST_F(SdlWindow, TitleIsUtf8AndTheSizeIsFixed) {
  const Handle window = OpenWindow(u"Vuble Toy \u00e9\u4e16", 10, 10, 320, 200);
  ASSERT_NE(window, 0u);
  const ::Window xwindow = XWindowOf(window);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display_, xwindow, XInternAtom(display_, "_NET_WM_NAME", False), 0,
                               256, False, XInternAtom(display_, "UTF8_STRING", False), &type,
                               &format, &count, &after, &data),
            Success);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), count), "Vuble Toy \xc3\xa9\xe4\xb8\x96");
  XFree(data);
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(display_, xwindow, &hints, &supplied));
  ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
  EXPECT_EQ(hints.min_width, 320);
  EXPECT_EQ(hints.max_width, 320);
  EXPECT_EQ(hints.min_height, 200);
  EXPECT_EQ(hints.max_height, 200);
  EXPECT_EQ(platform_->GetWindowStyle(window), kCaptionStyle);
  EXPECT_EQ(platform_->GetWindowThreadProcessId(window), platform_->GetCurrentProcessId());
  EXPECT_EQ(platform_->GetWindowThreadProcessId(window + 1000), 0u);
}

TEST_F(SdlWindow, DoubleBufferingFollowsThePixelFormatRequest) {
  const Handle doubled = OpenWindow(u"double", 0, 0, 64, 64);
  ASSERT_NE(doubled, 0u);
  int value = -1;
  ASSERT_EQ(SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &value), 0);
  EXPECT_EQ(value, 1);
  const Handle single = OpenWindow(u"single", 100, 0, 64, 64, kPfdDrawToWindow | kPfdSupportOpenGL);
  ASSERT_NE(single, 0u);
  ASSERT_EQ(SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &value), 0);
  EXPECT_EQ(value, 0);
  // A window's pixel format is set once.
  PixelFormatRequest request;
  EXPECT_FALSE(platform_->SetPixelFormat(platform_->GetDC(single), 1, request));
  EXPECT_FALSE(platform_->LastErrorText().empty());
}

TEST_F(SdlWindow, LegacyContextDrawsImmediateModeAndSwaps) {
  const Handle window = OpenWindow(u"draw", 0, 0, 64, 64);
  ASSERT_NE(window, 0u);
  glViewport(0, 0, 64, 64);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 64, 64, 0, -1, 1);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3ub(255, 0, 0);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(32, 0);
  glVertex2f(32, 64);
  glVertex2f(0, 64);
  glEnd();
  glFinish();
  unsigned char left[4] = {};
  unsigned char right[4] = {};
  glReadBuffer(GL_BACK);
  glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, left);
  glReadPixels(50, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, right);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(left[0], 255);
  EXPECT_EQ(right[0], 0);
  EXPECT_TRUE(platform_->SwapBuffers(platform_->GetDC(window)));
  // Without the swap-control extension (as under Xvfb) the interval call
  // reports failure and nothing else happens.
  const bool has_extension = platform_->HasSwapIntervalExtension();
  EXPECT_EQ(platform_->wglSwapIntervalEXT(1), has_extension);
}

TEST_F(SdlWindow, SharedContextsSeeEachOthersTextures) {
  const Handle first = OpenWindow(u"first", 0, 0, 32, 32);
  ASSERT_NE(first, 0u);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  const unsigned char pixel[4] = {1, 2, 3, 4};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  glFinish();
  const Handle first_context = contexts_.back();

  // A second window whose context shares with the first (made while the
  // first is current, as the graphics layer does).
  const Handle second =
      platform_->CreateWindowEx(0, u"TestWindow", u"second", kCaptionStyle, 50, 0, 32, 32);
  ASSERT_NE(second, 0u);
  windows_.push_back(second);
  PixelFormatRequest request;
  request.flags = kPfdDoubleBuffer | kPfdDrawToWindow | kPfdSupportOpenGL;
  const Handle dc = platform_->GetDC(second);
  ASSERT_TRUE(platform_->SetPixelFormat(dc, platform_->ChoosePixelFormat(dc, request), request));
  const Handle second_context = platform_->wglCreateContext(dc);
  ASSERT_NE(second_context, 0u);
  contexts_.push_back(second_context);
  ASSERT_TRUE(platform_->wglShareLists(first_context, second_context));
  // Making the context did not change what is bound.
  EXPECT_EQ(SDL_GL_GetCurrentContext() != nullptr, true);
  EXPECT_TRUE(glIsTexture(texture));
  ASSERT_TRUE(platform_->wglMakeCurrent(dc, second_context));
  EXPECT_TRUE(glIsTexture(texture));
  // A context that was bound already cannot share any more.
  EXPECT_FALSE(platform_->wglShareLists(first_context, second_context));

  // An unshared context does not see it.
  const Handle third_context = platform_->wglCreateContext(dc);
  ASSERT_NE(third_context, 0u);
  contexts_.push_back(third_context);
  ASSERT_TRUE(platform_->wglMakeCurrent(dc, third_context));
  EXPECT_FALSE(glIsTexture(texture));
  ASSERT_TRUE(platform_->wglMakeCurrent(0, 0));
  EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
}

TEST_F(SdlWindow, DestroyingSendsDestroyToTheProcedureFirst) {
  const Handle window = OpenWindow(u"doomed", 0, 0, 32, 32);
  ASSERT_NE(window, 0u);
  const ::Window xwindow = XWindowOf(window);
  received_.clear();
  ASSERT_TRUE(platform_->DestroyWindow(window));
  ASSERT_EQ(received_.size(), 1u);
  EXPECT_EQ(received_[0].message, WM_DESTROY);
  EXPECT_EQ(received_[0].window, window);
  EXPECT_FALSE(platform_->DestroyWindow(window));
  EXPECT_EQ(platform_->GetDC(window), 0u);
  EXPECT_EQ(platform_->GetWindowThreadProcessId(window), 0u);
  // The X window is gone too.
  XSync(display_, False);
  XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XWindowAttributes attributes{};
  EXPECT_EQ(XGetWindowAttributes(display_, xwindow, &attributes), 0);
  XSetErrorHandler(previous);
}

TEST_F(SdlWindow, UnknownClassFailsWithAReason) {
  EXPECT_EQ(platform_->CreateWindowEx(0, u"NoSuchClass", u"x", kCaptionStyle, 0, 0, 10, 10), 0u);
  EXPECT_EQ(platform_->LastErrorText(), u"The window class is not registered");
  EXPECT_FALSE(platform_->RegisterClass(u"TestWindow", 0, nullptr));
}

TEST_F(SdlWindow, DisplayModesAndDesktopMetricsDescribeTheScreen) {
  EXPECT_EQ(platform_->GetDesktopDeviceCaps(kHorzRes), 1920);
  EXPECT_EQ(platform_->GetDesktopDeviceCaps(kVertRes), 1080);
  EXPECT_EQ(platform_->GetDesktopDeviceCaps(kBitsPixel), 24);
  EXPECT_GE(platform_->GetDesktopDeviceCaps(kVRefresh), 0);
  DisplayMode mode;
  ASSERT_TRUE(platform_->EnumDisplaySettings(0, mode));
  EXPECT_EQ(mode.width, 1920u);
  EXPECT_EQ(mode.height, 1080u);
  EXPECT_EQ(mode.bits_per_pixel, 24u);
  std::uint32_t count = 1;
  while (platform_->EnumDisplaySettings(count, mode)) ++count;
  EXPECT_FALSE(platform_->EnumDisplaySettings(count, mode));
  EXPECT_FALSE(platform_->EnumDisplaySettings(0xFFFFFFFFu, mode));
}

TEST_F(SdlWindow, FullScreenTakesAnExistingModeAndGivesItBack) {
  const Handle window = OpenWindow(u"full", 100, 100, 320, 200);
  ASSERT_NE(window, 0u);
  ASSERT_EQ(platform_->GetActiveWindow(), window);
  DisplayMode mode;
  mode.fields = kDmBitsPerPel | kDmPelsWidth | kDmPelsHeight;
  mode.bits_per_pixel = 32;
  mode.width = 800;
  mode.height = 600;
  EXPECT_EQ(platform_->ChangeDisplaySettings(&mode, kCdsFullScreen), kDispChangeFailed);
  EXPECT_FALSE(platform_->LastErrorText().empty());
  // The screen's own size exists; a refresh rate it does not have does not.
  mode.width = 1920;
  mode.height = 1080;
  mode.fields |= kDmDisplayFrequency;
  mode.frequency = 12345;
  EXPECT_EQ(platform_->ChangeDisplaySettings(&mode, kCdsFullScreen), kDispChangeFailed);
  mode.fields &= ~kDmDisplayFrequency;
  ASSERT_EQ(platform_->ChangeDisplaySettings(&mode, kCdsFullScreen), kDispChangeSuccessful);
  SDL_Window* sdl = platform_->SdlWindowOf(window);
  EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN, 0u);
  ASSERT_EQ(platform_->ChangeDisplaySettings(nullptr, kCdsFullScreen), kDispChangeSuccessful);
  EXPECT_EQ(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN, 0u);
  // Nothing is full screen any more: leaving again changes nothing.
  EXPECT_EQ(platform_->ChangeDisplaySettings(nullptr, kCdsFullScreen), kDispChangeSuccessful);
}

}  // namespace
}  // namespace platform::sdl
