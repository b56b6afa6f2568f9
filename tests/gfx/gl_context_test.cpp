#include "gfx/gl_context.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/error.h"
#include "support/format.h"
#include "tests/gfx/gl_window_fixture.h"

namespace {

using platform::Handle;

std::string Hex(std::uintptr_t value) {
  return Format("0x%llx", static_cast<unsigned long long>(value));
}

class GLContext : public GlWindowTest {};

TEST_F(GLContext, WindowIsCentredWithExactClientArea) {
  struct Case {
    int desktop_w, desktop_h, width, height;
    int client_x, client_y;
  };
  const Case cases[] = {
      {1920, 1080, 512, 512, 704, 284},
      {1366, 768, 301, 201, 533, 284},   // halves truncate: 683 - 150, 384 - 100
      {800, 600, 1024, 768, -112, -84},  // bigger than the desktop: off its edges
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Format("%dx%d on %dx%d", c.width, c.height, c.desktop_w, c.desktop_h));
    fake_.SetDesktop(c.desktop_w, c.desktop_h);
    fake_.ClearCalls();
    GLContextRecordPtr record = CreateGLContext(c.width, c.height, 0, 60, BackBufferFlag);
    ASSERT_TRUE(record);
    platform::Point origin{0, 0};
    fake_.ClientToScreen(record->window, origin);
    EXPECT_EQ(origin.x, c.client_x);
    EXPECT_EQ(origin.y, c.client_y);
    EXPECT_EQ(record->width, c.width);
    EXPECT_EQ(record->height, c.height);
    EXPECT_EQ(record->mode, WindowedMode);
    // The fake's frame is 3 pixels left, right and bottom and 26 on top.
    const std::string create =
        Format("CreateWindowEx(0x0,Quillon GLGraphics,Vuble Toy,0xca0000,%d,%d,%d,%d)",
               c.client_x - 3, c.client_y - 26, c.width + 6, c.height + 29);
    EXPECT_EQ(fake_.CallsStartingWith("CreateWindowEx"), std::vector<std::string>{create});
    EXPECT_EQ(fake_.CountCalls("AdjustWindowRectEx(0xca0000,0,0x0)"), 1);
    EXPECT_EQ(fake_.WindowTitle(record->window), u"Vuble Toy");
    CloseGLContext(record);
  }
}

TEST_F(GLContext, CreationSequenceAndRecord) {
  GLContextRecordPtr record = CreateGLContext(320, 240, 0, 0, BackBufferFlag | DepthBufferFlag);
  ASSERT_TRUE(record);
  const Handle window = record->window;
  const Handle dc = platform::FakePlatform::DcOf(window);
  EXPECT_EQ(
      CallsOf({"RegisterClass", "CreateWindowEx", "GetDC", "ChoosePixelFormat", "SetPixelFormat",
               "wglCreateContext", "wglShareLists", "ShowWindow"}),
      (std::vector<std::string>{
          "RegisterClass(Quillon GLGraphics,0x23)",
          "CreateWindowEx(0x0,Quillon GLGraphics,Vuble Toy,0xca0000,797,394,326,269)",
          "GetDC(" + Hex(window) + ")",
          "ChoosePixelFormat(" + Hex(dc) + ",flags=0x25,color=1,alpha=0,depth=1,stencil=0,accum=0)",
          "SetPixelFormat(" + Hex(dc) + ",1)",
          "wglCreateContext(" + Hex(dc) + ")",
          "ShowWindow(" + Hex(window) + ",5)",
      }));
  EXPECT_EQ(record->deviceContext, dc);
  EXPECT_EQ(record->flags, BackBufferFlag | DepthBufferFlag);
  EXPECT_EQ(contextList(), record);
  // The class is registered once per process.
  GLContextRecordPtr second = CreateGLContext(10, 10, 0, 0, 0);
  EXPECT_EQ(fake_.CountCalls("RegisterClass"), 1);
  EXPECT_EQ(contextList(), second);
  EXPECT_EQ(second->next, record);
}

TEST_F(GLContext, PixelFormatRequestFollowsTheFlags) {
  struct Case {
    int flags;
    std::uint32_t pfd_flags;
    int alpha, depth, stencil, accum;
  };
  const Case cases[] = {
      {0, 0x24, 0, 0, 0, 0},
      {BackBufferFlag, 0x25, 0, 0, 0, 0},
      {AlphaBufferFlag, 0x24, 1, 0, 0, 0},
      {DepthBufferFlag, 0x24, 0, 1, 0, 0},
      {StencilBufferFlag, 0x24, 0, 0, 1, 0},
      {AccumBufferFlag, 0x24, 0, 0, 0, 1},
      {0x3E | 0x101, 0x25, 1, 1, 1, 1},  // unknown bits are ignored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    const platform::PixelFormatRequest r = BuildPixelFormatRequest(c.flags);
    EXPECT_EQ(r.version, 1);
    EXPECT_EQ(r.flags, c.pfd_flags);
    EXPECT_EQ(r.pixel_type, platform::kPfdTypeRgba);
    EXPECT_EQ(r.layer_type, platform::kPfdMainPlane);
    EXPECT_EQ(r.color_bits, 1);
    EXPECT_EQ(r.alpha_bits, c.alpha);
    EXPECT_EQ(r.depth_bits, c.depth);
    EXPECT_EQ(r.stencil_bits, c.stencil);
    EXPECT_EQ(r.accum_bits, c.accum);
  }
}

TEST_F(GLContext, FailedCreationLeavesNothingBehind) {
  for (const char* operation :
       {"CreateWindowEx", "GetDC", "ChoosePixelFormat", "SetPixelFormat", "wglCreateContext"}) {
    SCOPED_TRACE(operation);
    fake_.Fail(operation);
    EXPECT_FALSE(CreateGLContext(512, 512, 0, 60, BackBufferFlag));
    fake_.Succeed(operation);
    EXPECT_TRUE(fake_.LiveWindows().empty());
    EXPECT_TRUE(fake_.LiveContexts().empty());
    EXPECT_FALSE(contextList());
    // The reason names what failed, with the platform's own words.
    EXPECT_NE(LastGraphicsError().find(FromUtf8(operation)), Text::npos)
        << ToUtf8(LastGraphicsError());
  }
  // An outer window wider than a 32-bit size can say never reaches the platform.
  fake_.ClearCalls();
  EXPECT_FALSE(CreateGLContext(2147483647, 100, 0, 0, 0));
  EXPECT_FALSE(CreateGLContext(100, 2147483647, 0, 0, 0));
  EXPECT_EQ(fake_.CountCalls("CreateWindowEx"), 0);
}

TEST_F(GLContext, RegistrationFailureEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        fake_.Fail("RegisterClass");
        CreateGLContext(512, 512, 0, 0, 0);
        std::exit(3);
      },
      testing::ExitedWithCode(255), "");
}

TEST_F(GLContext, SharedContextIsHiddenAndSharedWith) {
  ShareGLContexts();
  GLContextRecordPtr shared = sharedContext();
  ASSERT_TRUE(shared);
  EXPECT_EQ(shared->mode, SharedMode);
  EXPECT_EQ(fake_.CountCalls("ShowWindow"), 0);
  EXPECT_FALSE(contextList());
  ShareGLContexts();
  EXPECT_EQ(fake_.CountCalls("wglCreateContext"), 1);

  GLContextRecordPtr record = CreateGLContext(64, 64, 0, 0, 0);
  ASSERT_TRUE(record);
  EXPECT_EQ(fake_.CallsStartingWith("wglShareLists"),
            std::vector<std::string>{"wglShareLists(" + Hex(shared->glContext) + "," +
                                     Hex(record->glContext) + ")"});
}

TEST_F(GLContext, SharedContextFailureEndsTheProcessWithTheErrorStatusAndSaysWhy) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::pair<const char*, const char*> cases[] = {
      {"CreateWindowEx", "The window could not be created"},
      {"GetDC", "The window has no device context"},
      {"ChoosePixelFormat", "No pixel format suits the window"},
      {"SetPixelFormat", "No pixel format suits the window"},
      {"wglCreateContext", "The GL context could not be created"}};
  for (const auto& [operation, what] : cases) {
    SCOPED_TRACE(operation);
    EXPECT_EXIT(
        {
          fake_.Fail(operation);
          ShareGLContexts();
          std::exit(3);
        },
        testing::ExitedWithCode(255),
        std::string("^GLGraphicsDriver failed to make its shared GL context: ") + what + ": " +
            operation + "\n$");
  }
}

TEST_F(GLContext, AttachingLeavesTheOwnersWindowAlone) {
  const Handle foreign = fake_.AddForeignWindow(300, 200);
  GLContextRecordPtr record = AttachGLContext(foreign, AlphaBufferFlag);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->mode, AttachedMode);
  EXPECT_EQ(fake_.CountCalls("ShowWindow"), 0);
  int w, h, d, hz, f;
  fake_.SetClientSize(foreign, 400, 250);
  GLContextSettings(record, w, h, d, hz, f);
  EXPECT_EQ((std::vector<int>{w, h, d, hz, f}),
            (std::vector<int>{400, 250, 0, 0, AlphaBufferFlag}));
  CloseGLContext(record);
  EXPECT_TRUE(fake_.WindowExists(foreign));
  EXPECT_EQ(fake_.CountCalls("DestroyWindow"), 0);
  EXPECT_TRUE(fake_.LiveContexts().empty());

  fake_.Fail("ChoosePixelFormat");
  EXPECT_FALSE(AttachGLContext(foreign, 0));
  fake_.Succeed("ChoosePixelFormat");
  EXPECT_FALSE(AttachGLContext(0x7777, 0));  // no such window: no device context
  EXPECT_TRUE(fake_.WindowExists(foreign));
  EXPECT_FALSE(contextList());
}

TEST_F(GLContext, BindingAndClosingOrder) {
  GLContextRecordPtr a = CreateGLContext(64, 64, 0, 0, 0);
  GLContextRecordPtr b = CreateGLContext(64, 64, 0, 0, 0);
  fake_.ClearCalls();
  MakeGLContextCurrent(a);
  MakeGLContextCurrent(a);  // already current: no platform call
  EXPECT_EQ(fake_.CallsStartingWith("wglMakeCurrent"),
            std::vector<std::string>{"wglMakeCurrent(" + Hex(a->deviceContext) + "," +
                                     Hex(a->glContext) + ")"});
  EXPECT_EQ(fake_.CurrentContext(), a->glContext);

  fake_.ClearCalls();
  CloseGLContext(b);  // not current: no unbinding
  EXPECT_EQ(fake_.CountCalls("wglMakeCurrent"), 0);
  EXPECT_EQ(contextList(), a);

  fake_.ClearCalls();
  CloseGLContext(a);
  EXPECT_EQ(CallsOf({"wglMakeCurrent", "wglDeleteContext", "DestroyWindow"}),
            (std::vector<std::string>{"wglMakeCurrent(0x0,0x0)",
                                      "wglDeleteContext(" + Hex(a->glContext) + ")",
                                      "DestroyWindow(" + Hex(a->window) + ")"}));
  EXPECT_FALSE(currentContext());
  EXPECT_FALSE(contextList());

  // A record no longer in the list is left alone.
  fake_.ClearCalls();
  CloseGLContext(a);
  CloseGLContext(nullptr);
  EXPECT_TRUE(fake_.Calls().empty());
  FlipGLContext(0);  // nothing current
  EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 0);
}

TEST_F(GLContext, SwapIntervalIsAskedOnlyWhenItChanges) {
  GLContextRecordPtr a = CreateGLContext(64, 64, 0, 0, 0);
  GLContextRecordPtr b = CreateGLContext(64, 64, 0, 0, 0);
  MakeGLContextCurrent(a);
  fake_.ClearCalls();
  FlipGLContext(-1);
  FlipGLContext(1);
  FlipGLContext(5);
  FlipGLContext(0);
  FlipGLContext(0);
  EXPECT_EQ(CallsOf({"wglSwapIntervalEXT", "SwapBuffers"}),
            (std::vector<std::string>{
                "wglSwapIntervalEXT(1)", "SwapBuffers(" + Hex(a->deviceContext) + ")",
                "SwapBuffers(" + Hex(a->deviceContext) + ")",
                "SwapBuffers(" + Hex(a->deviceContext) + ")", "wglSwapIntervalEXT(0)",
                "SwapBuffers(" + Hex(a->deviceContext) + ")",
                "SwapBuffers(" + Hex(a->deviceContext) + ")"}));

  // Another context starts with an unknown interval.
  MakeGLContextCurrent(b);
  fake_.ClearCalls();
  FlipGLContext(0);
  EXPECT_EQ(fake_.CallsStartingWith("wglSwapIntervalEXT"),
            std::vector<std::string>{"wglSwapIntervalEXT(0)"});

  // A refused request counts as made.
  fake_.Fail("wglSwapIntervalEXT");
  fake_.ClearCalls();
  FlipGLContext(1);
  FlipGLContext(1);
  EXPECT_EQ(fake_.CountCalls("wglSwapIntervalEXT"), 1);
  EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 2);

  // Without swap control the buffers are still swapped, and the platform is
  // not asked again every frame.
  fake_.SetSwapIntervalExtension(false);
  MakeGLContextCurrent(a);
  fake_.ClearCalls();
  FlipGLContext(1);
  FlipGLContext(1);
  EXPECT_EQ(fake_.CountCalls("wglSwapIntervalEXT"), 0);
  EXPECT_EQ(fake_.CountCalls("HasSwapIntervalExtension"), 1);
  EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 2);
}

TEST_F(GLContext, DisplayModesSkipShallowOnesAndFitTheBuffer) {
  auto mode = [](std::uint32_t w, std::uint32_t h, std::uint32_t bpp, std::uint32_t hz) {
    platform::DisplayMode m;
    m.width = w;
    m.height = h;
    m.bits_per_pixel = bpp;
    m.frequency = hz;
    return m;
  };
  fake_.SetDisplayModes({mode(640, 480, 8, 60), mode(640, 480, 16, 60), mode(800, 600, 15, 60),
                         mode(800, 600, 32, 75), mode(1024, 768, 32, 60),
                         mode(1280, 1024, 24, 60)});
  std::vector<GLDisplayMode> buffer(8);
  ASSERT_EQ(ListDisplayModes(buffer), 4);
  EXPECT_EQ(buffer[0].width, 640);
  EXPECT_EQ(buffer[0].depth, 16);
  EXPECT_EQ(buffer[1].height, 600);
  EXPECT_EQ(buffer[1].hertz, 75);
  EXPECT_EQ(buffer[3].width, 1280);
  EXPECT_EQ(buffer[3].depth, 24);

  std::vector<GLDisplayMode> small(2);
  ASSERT_EQ(ListDisplayModes(small), 2);
  EXPECT_EQ(small[1].width, 800);
  EXPECT_EQ(ListDisplayModes(std::span<GLDisplayMode>()), 0);
}

TEST_F(GLContext, DisplayModeChangeRetriesWithoutRefreshRate) {
  // Both attempts fail: the error is raised and nothing is left behind.
  fake_.QueueDisplayChangeResults({platform::kDispChangeFailed, platform::kDispChangeFailed});
  try {
    CreateGLContext(800, 600, 16, 75, 0);
    FAIL() << "no error raised";
  } catch (const RuntimeError& error) {
    EXPECT_STREQ(error.what(), "GLGraphicsDriver failed to set display mode");
  }
  ASSERT_EQ(fake_.DisplayChanges().size(), 2u);
  EXPECT_EQ(fake_.DisplayChanges()[0].fields, 0x5C0000u);
  EXPECT_EQ(fake_.DisplayChanges()[0].frequency, 75u);
  EXPECT_EQ(fake_.DisplayChanges()[1].fields, 0x1C0000u);
  EXPECT_EQ(fake_.DisplayChanges()[1].frequency, 0u);
  EXPECT_TRUE(fake_.LiveWindows().empty());
  EXPECT_TRUE(fake_.LiveContexts().empty());
  EXPECT_FALSE(contextList());
  EXPECT_EQ(fullScreenWindow(), 0u);

  // The retry succeeds: full screen, swap interval 0.
  fake_.QueueDisplayChangeResults({platform::kDispChangeFailed});
  fake_.ClearCalls();
  GLContextRecordPtr record = CreateGLContext(800, 600, 16, 75, 0);
  ASSERT_TRUE(record);
  EXPECT_EQ(fullScreenWindow(), record->window);
  EXPECT_EQ(fake_.CallsStartingWith("wglSwapIntervalEXT"),
            std::vector<std::string>{"wglSwapIntervalEXT(0)"});
}

TEST_F(GLContext, FullScreenFocusRoundTrip) {
  GLContextRecordPtr record = CreateGLContext(800, 600, 32, 60, 0);
  ASSERT_TRUE(record);
  const Handle window = record->window;
  EXPECT_EQ(record->mode, FullScreenMode);
  EXPECT_EQ(fake_.CallsStartingWith("CreateWindowEx"),
            std::vector<std::string>{
                "CreateWindowEx(0x0,Quillon GLGraphics,Vuble Toy,0x80000000,0,0,800,600)"});
  // Where the platform does not deliver the focus while showing, the mode
  // change has happened by the time creation returns.
  ASSERT_EQ(fake_.DisplayChanges().size(), 1u);
  EXPECT_EQ(fake_.DisplayChanges()[0].fields, 0x5C0000u);
  EXPECT_EQ(fake_.DisplayChanges()[0].width, 800u);
  EXPECT_EQ(fake_.DisplayChanges()[0].bits_per_pixel, 32u);
  EXPECT_EQ(fake_.DisplayChanges()[0].frequency, 60u);
  EXPECT_EQ(fullScreenWindow(), window);
  EXPECT_EQ(fake_.CallsStartingWith("wglSwapIntervalEXT"),
            std::vector<std::string>{"wglSwapIntervalEXT(1)"});

  // Focus lost: desktop mode back, window minimised, interval 0.
  fake_.ClearCalls();
  EXPECT_EQ(GLWindowProcedure(window, platform::WM_KILLFOCUS, 0, 0), 0);
  EXPECT_EQ(
      CallsOf({"ChangeDisplaySettings", "ShowWindow", "wglSwapIntervalEXT"}),
      (std::vector<std::string>{"ChangeDisplaySettings(none,0x4)",
                                "ShowWindow(" + Hex(window) + ",6)", "wglSwapIntervalEXT(0)"}));
  EXPECT_EQ(fullScreenWindow(), 0u);
  // A second loss changes nothing.
  fake_.ClearCalls();
  GLWindowProcedure(window, platform::WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(fake_.CountCalls("ChangeDisplaySettings"), 0);

  // Focus regained: the mode is switched again; again while held: nothing.
  GLWindowProcedure(window, platform::WM_SETFOCUS, 0, 0);
  GLWindowProcedure(window, platform::WM_SETFOCUS, 0, 0);
  EXPECT_EQ(fake_.DisplayChanges().size(), 2u);
  EXPECT_EQ(fullScreenWindow(), window);

  // Closing gives the desktop mode back even where the platform does not
  // deliver the destroy message.
  fake_.ClearCalls();
  CloseGLContext(record);
  EXPECT_EQ(fake_.CallsStartingWith("ChangeDisplaySettings"),
            std::vector<std::string>{"ChangeDisplaySettings(none,0x4)"});
  EXPECT_EQ(fullScreenWindow(), 0u);
}

// A platform that delivers the focus while showing a window, as Win32 does:
// the mode change runs inside ShowWindow.
class FocusOnShowPlatform : public platform::FakePlatform {
 public:
  bool ShowWindow(Handle window, int command) override {
    const bool shown = FakePlatform::ShowWindow(window, command);
    if (command == platform::SW_SHOW)
      DispatchMessage(platform::Msg{window, platform::WM_SETFOCUS, 0, 0});
    return shown;
  }
  bool DestroyWindow(Handle window) override {
    DispatchMessage(platform::Msg{window, platform::WM_DESTROY, 0, 0});
    return FakePlatform::DestroyWindow(window);
  }
};

TEST_F(GLContext, ModeChangeInsideShowWindow) {
  FocusOnShowPlatform focusing;
  platform::Install(focusing);
  testing_only::ResetGLContextLayer();

  GLContextRecordPtr record = CreateGLContext(1024, 768, 32, 0, 0);
  ASSERT_TRUE(record);
  EXPECT_EQ(focusing.DisplayChanges().size(), 1u);  // not repeated after showing
  EXPECT_EQ(fullScreenWindow(), record->window);
  focusing.ClearCalls();
  CloseGLContext(record);
  // WM_DESTROY restored the mode; closing does not do it twice.
  EXPECT_EQ(focusing.CountCalls("ChangeDisplaySettings(none"), 1);

  // The error raised inside ShowWindow: the window is destroyed, nothing leaks.
  focusing.QueueDisplayChangeResults({platform::kDispChangeFailed});
  EXPECT_THROW(CreateGLContext(1024, 768, 32, 0, 0), RuntimeError);
  EXPECT_TRUE(focusing.LiveWindows().empty());
  EXPECT_TRUE(focusing.LiveContexts().empty());
  EXPECT_FALSE(contextList());
  testing_only::ResetGLContextLayer();
  platform::Install(fake_);
}

TEST_F(GLContext, WindowProcedureTable) {
  GLContextRecordPtr record = CreateGLContext(64, 64, 0, 0, 0);
  const Handle w = record->window;
  const std::string def = "DefWindowProc(" + Hex(w) + ",";
  struct Case {
    std::uint32_t message;
    std::uintptr_t wparam;
    std::intptr_t result;
    std::string call;  // the platform call made, "" for none
  };
  const Case cases[] = {
      {platform::WM_PAINT, 0, 0, "ValidateRect(" + Hex(w) + ")"},
      {platform::WM_CLOSE, 0, 0, ""},
      {platform::WM_SYSKEYDOWN, platform::VK_F4, 0, def + "0x104,0x73)"},
      {platform::WM_SYSKEYDOWN, platform::VK_MENU, 0, ""},
      {platform::WM_SYSKEYDOWN, 0x41, 0, ""},
      {platform::WM_SYSCOMMAND, platform::SC_SCREENSAVE, 1, ""},
      {platform::WM_SYSCOMMAND, platform::SC_MONITORPOWER, 1, ""},
      {platform::WM_SYSCOMMAND, platform::SC_MONITORPOWER + 2, 0, def + "0x112,0xf172)"},
      {platform::WM_SYSCOMMAND, platform::SC_KEYMENU, 0, def + "0x112,0xf100)"},
      {platform::WM_SETFOCUS, 0, 0, ""},  // windowed: no mode change
      {platform::WM_KILLFOCUS, 0, 0, ""},
      {platform::WM_MOUSEMOVE, 0, 0, def + "0x200,0x0)"},
      {platform::WM_KEYDOWN, 0x41, 0, def + "0x100,0x41)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(
        Format("message 0x%x wparam 0x%llx", c.message, static_cast<unsigned long long>(c.wparam)));
    fake_.ClearCalls();
    EXPECT_EQ(GLWindowProcedure(w, c.message, c.wparam, 0), c.result);
    const auto made =
        CallsOf({"DefWindowProc", "ValidateRect", "ChangeDisplaySettings", "DestroyWindow"});
    EXPECT_EQ(made, c.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.call});
  }
  EXPECT_TRUE(fake_.WindowExists(w));
}

TEST_F(GLContext, CloseRequestBecomesTerminationOnlyForOwnWindows) {
  GLContextRecordPtr record = CreateGLContext(64, 64, 0, 0, 0);
  AttachPolledInput(nullptr);
  // A window without a record gets default processing and no translation.
  const Handle stranger = fake_.AddForeignWindow(10, 10);
  fake_.ClearCalls();
  EXPECT_EQ(GLWindowProcedure(stranger, platform::WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(fake_.CallsStartingWith("DefWindowProc"),
            std::vector<std::string>{"DefWindowProc(" + Hex(stranger) + ",0x10,0x0)"});
  EXPECT_EQ(TerminateRequested(), 0);

  EXPECT_EQ(GLWindowProcedure(record->window, platform::WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(TerminateRequested(), 1);
  EXPECT_TRUE(fake_.WindowExists(record->window));

  // Alt+F4 goes the default way, which asks to close the window.
  fake_.QueueMessage(record->window, platform::WM_SYSKEYDOWN, platform::VK_F4, 0);
  PumpSystemEvents();
  EXPECT_EQ(TerminateRequested(), 1);
  EXPECT_TRUE(fake_.WindowExists(record->window));
}

}  // namespace
