#include "gfx/flat2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "gfx/gl_graphics.h"
#include "support/format.h"
#include "tests/gfx/flat2d_fixture.h"

namespace {

// A wrapped graphics whose size the test changes.
class ResizableGraphics : public TGraphics {
 public:
  std::shared_ptr<TGraphicsDriver> Driver() override { return nullptr; }
  void GetSettings(int& w, int& h, int& depth, int& hertz, int& flags) override {
    w = width;
    h = height;
    depth = hertz = flags = 0;
  }
  void Close() override {}
  int width = 512;
  int height = 512;
};

const char kReset[] =
    "Disable(GL_TEXTURE_2D) MatrixMode(GL_PROJECTION) LoadIdentity() Ortho(0,512,512,0,-1,1) "
    "MatrixMode(GL_MODELVIEW) LoadIdentity() Viewport(0,0,512,512)";

TEST_F(Flat2DTest, OpeningResetsValidatesAndClearsBothBuffersOnce) {
  // Open a second time, recording from the start this time.
  EndOpenedGraphics();
  glFlat2DDriver->colorBytes = {0, 0, 0, 0};  // as at process start
  gl_.ClearCalls();
  fake_.ClearCalls();
  auto g = std::dynamic_pointer_cast<TFlat2DGraphics>(OpenGraphics(512, 512, 0, 60, 0));
  ASSERT_TRUE(g);
  EXPECT_EQ(Take(), std::string(kReset) +
                        " MatrixMode(GL_PROJECTION) LoadIdentity() Ortho(0,512,512,0,-1,1) "
                        "MatrixMode(GL_MODELVIEW)"
                        " Disable(GL_BLEND) Enable(GL_ALPHA_TEST) AlphaFunc(GL_GEQUAL,0.5)"
                        " Color4ubv(255,255,255,0) Color4ubv(255,255,255,255)"
                        " ClearColor(0,0,0,1) LineWidth(1) Disable(GL_SCISSOR_TEST)"
                        " Clear(GL_COLOR_BUFFER_BIT) Clear(GL_COLOR_BUFFER_BIT)");
  EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 2);
  EXPECT_EQ(g->_setup, 1);

  // Made current again: reset and validated, but no more clearing.
  SetGraphics(nullptr);
  EXPECT_EQ(TFlat2DGraphics::Current(), nullptr);
  EXPECT_EQ(currentFlat2DDriver, nullptr);
  fake_.ClearCalls();
  SetGraphics(g);
  EXPECT_EQ(gl_.CountCalls("Clear("), 0);
  EXPECT_EQ(fake_.CountCalls("SwapBuffers"), 0);
  EXPECT_EQ(gl_.CountCalls("Enable(GL_ALPHA_TEST)"), 1);  // the blend reached GL after the reset
}

TEST_F(Flat2DTest, StateSurvivesAndIsPushedBackInOrder) {
  SetVirtualSize(256, 256);
  SetViewport(0, 0, 128, 128);
  SetBlend(AlphaBlend);
  SetColor(10, 20, 30);
  SetAlpha(0.5f);
  SetClsColor(255, 0, 0);
  SetLineWidth(3);
  SetDrawOrigin(7, 8);
  SetDrawHandle(2, 3);
  SetRotationScale(90, 2, 2);
  SetGraphics(nullptr);
  gl_.ClearCalls();
  SetGraphics(graphics_);
  EXPECT_EQ(Take(), std::string(kReset) +
                        " MatrixMode(GL_PROJECTION) LoadIdentity() Ortho(0,256,256,0,-1,1) "
                        "MatrixMode(GL_MODELVIEW)"
                        " Enable(GL_BLEND) BlendFunc(GL_SRC_ALPHA,GL_ONE_MINUS_SRC_ALPHA)"
                        " Disable(GL_ALPHA_TEST) Color4ubv(10,20,30,127) Color4ubv(10,20,30,127)"
                        " ClearColor(1,0,0,1) LineWidth(3)"
                        " Enable(GL_SCISSOR_TEST) Scissor(0,256,256,256)");
  float x = 0, y = 0;
  CurrentDrawOrigin(x, y);
  EXPECT_EQ(x, 7.0f);
  CurrentDrawHandle(x, y);
  EXPECT_EQ(y, 3.0f);
  EXPECT_EQ(glFlat2DDriver->driverMatrix[2], 2.0f);  // jx = sin(90) × 2
}

TEST_F(Flat2DTest, PrimitivesWithDefaultState) {
  struct Case {
    std::function<void()> draw;
    const char* calls;
  };
  const Case cases[] = {
      {[] { Plot(10, 20); }, "Begin(GL_POINTS) Vertex2f(10.5,20.5) End()"},
      {[] { DrawLine(10, 10, 20, 10, 1); },
       "Begin(GL_LINES) Vertex2f(10.5,10.5) Vertex2f(20.5,10.5) End() "
       "Begin(GL_POINTS) Vertex2f(20.5,10.5) End()"},
      {[] { DrawLine(10, 10, 20, 10, 0); },
       "Begin(GL_LINES) Vertex2f(10.5,10.5) Vertex2f(20.5,10.5) End()"},
      {[] { DrawRect(4, 6, 2, 2); },
       "Begin(GL_QUADS) Vertex2f(4,6) Vertex2f(6,6) Vertex2f(6,8) Vertex2f(4,8) End()"},
      {[] {
         DrawPoly({0, 0, 10, 0, 5, 0.25f});
       },
       "Begin(GL_POLYGON) Vertex2f(0,0) Vertex2f(10,0) Vertex2f(5,0.25) End()"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.calls);
    c.draw();
    EXPECT_EQ(Take(), c.calls);
  }
}

TEST_F(Flat2DTest, HandleAndOriginMoveShapesButPlotOnlyByOrigin) {
  SetDrawHandle(5, 5);
  DrawRect(100, 100, 10, 10);
  EXPECT_EQ(Take(),
            "Begin(GL_QUADS) Vertex2f(95,95) Vertex2f(105,95) Vertex2f(105,105) Vertex2f(95,105) "
            "End()");
  Plot(100, 100);
  EXPECT_EQ(Take(), "Begin(GL_POINTS) Vertex2f(100.5,100.5) End()");
  DrawPoly({0, 0, 10, 0, 10, 10});
  EXPECT_EQ(Take(), "Begin(GL_POLYGON) Vertex2f(-5,-5) Vertex2f(5,-5) Vertex2f(5,5) End()");

  SetDrawHandle(0, 0);
  SetDrawOrigin(10, 0);
  Plot(0, 0);
  EXPECT_EQ(Take(), "Begin(GL_POINTS) Vertex2f(10.5,0.5) End()");
  DrawPixmap(TPixmap::Create(1, 1, RGBAFormat, 4), 3, 4);
  EXPECT_EQ(gl_.CallsStartingWith("Bitmap"), std::vector<std::string>{"Bitmap(0,0,0,0,3,-4,null)"});
}

TEST_F(Flat2DTest, RotationTurnsClockwiseAboutTheHandle) {
  SetDrawRotation(90);
  DrawLine(100, 100, 110, 100, 1);
  EXPECT_EQ(Take(),
            "Begin(GL_LINES) Vertex2f(100.5,100.5) Vertex2f(100.5,110.5) End() "
            "Begin(GL_POINTS) Vertex2f(100.5,110.5) End()");
  // A 10 by 4 box whose handle is its centre turns into a 4 by 10 box.
  SetDrawHandle(5, 2);
  DrawRect(50, 50, 10, 4);
  EXPECT_EQ(
      Take(),
      "Begin(GL_QUADS) Vertex2f(52,45) Vertex2f(52,55) Vertex2f(48,55) Vertex2f(48,45) End()");
  EXPECT_EQ(CurrentDrawRotation(), 90.0f);
}

TEST_F(Flat2DTest, ScaleActsAboutTheHandleAndRotationScaleSetsAllThree) {
  SetDrawScale(2, 3);
  SetDrawHandle(1, 1);
  DrawRect(10, 10, 5, 5);
  EXPECT_EQ(Take(),
            "Begin(GL_QUADS) Vertex2f(8,7) Vertex2f(18,7) Vertex2f(18,22) Vertex2f(8,22) End()");
  SetRotationScale(180, 1, 1);
  float sx = 0, sy = 0;
  CurrentDrawScale(sx, sy);
  EXPECT_EQ(sx, 1.0f);
  EXPECT_EQ(graphics_->tform_jy, -1.0f);
  EXPECT_EQ(glFlat2DDriver->driverMatrix[0], -1.0f);
}

TEST_F(Flat2DTest, VirtualResolutionScalesDrawingViewportAndPointer) {
  SetVirtualSize(256, 256);
  EXPECT_EQ(
      Take(),
      "MatrixMode(GL_PROJECTION) LoadIdentity() Ortho(0,256,256,0,-1,1) MatrixMode(GL_MODELVIEW)");
  EXPECT_EQ(gl_.Matrix(GL_PROJECTION)[0], 2.0 / 256);
  DrawRect(0, 0, 128, 128);  // the top-left quarter, in virtual units
  EXPECT_EQ(
      Take(),
      "Begin(GL_QUADS) Vertex2f(0,0) Vertex2f(128,0) Vertex2f(128,128) Vertex2f(0,128) End()");
  SetViewport(0, 0, 128, 128);
  EXPECT_EQ(Take(), "Enable(GL_SCISSOR_TEST) Scissor(0,256,256,256)");
  SetViewport(0, 0, 256, 256);
  EXPECT_EQ(Take(), "Disable(GL_SCISSOR_TEST)");

  const auto* native = dynamic_cast<TGLGraphics*>(graphics_->_graphics.get());
  ASSERT_TRUE(native);
  fake_.QueueMessage(native->_context->window, platform::WM_MOUSEMOVE, 0, (60 << 16) | 100);
  EXPECT_EQ(VirtualPointerX(), 50.0f);
  EXPECT_EQ(VirtualPointerY(), 30.0f);
  fake_.SetActiveWindow(native->_context->window);
  fake_.ClearCalls();
  PlaceVirtualPointer(25.9f, 10);  // 51.8 pixels, truncated
  const auto moves = fake_.CallsStartingWith("SetCursorPos");
  ASSERT_EQ(moves.size(), 1u);
  platform::Point origin{0, 0};
  fake_.ClientToScreen(native->_context->window, origin);
  EXPECT_EQ(moves[0], Format("SetCursorPos(%d,%d)", origin.x + 51, origin.y + 20));
}

TEST_F(Flat2DTest, ViewportToScissorInWindowPixels) {
  SetViewport(10, 20, 100, 50);
  EXPECT_EQ(Take(), "Enable(GL_SCISSOR_TEST) Scissor(10,442,100,50)");
  SetViewport(0, 0, 512, 512);
  EXPECT_EQ(Take(), "Disable(GL_SCISSOR_TEST)");
  // Non-integral scales floor both edges, so neighbouring viewports meet.
  SetVirtualSize(300, 300);
  SetViewport(0, 0, 100, 100);
  SetViewport(100, 0, 100, 100);
  EXPECT_EQ(gl_.CallsStartingWith("Scissor"),
            (std::vector<std::string>{"Scissor(0,342,170,170)", "Scissor(170,342,171,170)"}));
  int x = 0, y = 0, w = 0, h = 0;
  CurrentViewport(x, y, w, h);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(w, 100);
}

TEST_F(Flat2DTest, ColourAndAlphaAreClampedOnTheWayToGLButStoredAsGiven) {
  SetColor(300, -5, 128);
  EXPECT_EQ(Take(), "Color4ubv(255,0,128,255)");
  int r = 0, g = 0, b = 0;
  CurrentColor(r, g, b);
  EXPECT_EQ(r, 300);
  EXPECT_EQ(g, -5);
  struct Case {
    float alpha;
    int byte;
  };
  const Case cases[] = {{0.5f, 127},
                        {2.0f, 255},
                        {-1.0f, 0},
                        {1.0f, 255},
                        {std::numeric_limits<float>::quiet_NaN(), 0},
                        {128.0f / 255.0f, 128}};
  for (const Case& c : cases) {
    SetAlpha(c.alpha);
    EXPECT_EQ(Take(), Format("Color4ubv(255,0,128,%d)", c.byte)) << c.alpha;
  }
  SetAlpha(2.0f);
  EXPECT_EQ(CurrentAlpha(), 2.0f);
  gl_.ClearCalls();
  SetClsColor(255, 0, 400);
  EXPECT_EQ(Take(), "ClearColor(1,0,1,1)");
  CurrentClsColor(r, g, b);
  EXPECT_EQ(b, 400);
}

TEST_F(Flat2DTest, SizeChangeOfTheWrappedGraphicsResetsTheVirtualResolution) {
  auto inner = std::make_shared<ResizableGraphics>();
  auto g = TFlat2DGraphics::Create(inner, glFlat2DDriver);
  EXPECT_EQ(g->vres_width, 512.0f);
  EXPECT_EQ(g->viewport_w, 512);
  g->vres_width = 100.0f;
  g->vres_mousexscale = 0.25f;
  g->Validate();  // same size: the virtual resolution stays
  EXPECT_EQ(g->vres_width, 100.0f);
  inner->width = 640;
  gl_.ClearCalls();
  g->Validate();
  EXPECT_EQ(g->g_width, 640);
  EXPECT_EQ(g->vres_width, 640.0f);
  // Scaled against the size the front end read when the graphics became current.
  EXPECT_EQ(g->vres_mousexscale, 640.0f / 512.0f);
  EXPECT_EQ(gl_.CallsStartingWith("Ortho"), std::vector<std::string>{"Ortho(0,640,512,0,-1,1)"});
}

TEST_F(Flat2DTest, ClosedAndForeignGraphicsUnbindInsteadOfFailing) {
  auto other = std::make_shared<ResizableGraphics>();
  glFlat2DDriver->SetGraphics(other);
  EXPECT_EQ(TFlat2DGraphics::Current(), nullptr);
  EXPECT_EQ(fake_.CurrentContext(), 0u);

  auto closed = TFlat2DGraphics::Create(std::make_shared<ResizableGraphics>(), glFlat2DDriver);
  closed->Close();
  EXPECT_EQ(closed->_driver, nullptr);
  glFlat2DDriver->SetGraphics(closed);
  EXPECT_EQ(TFlat2DGraphics::Current(), nullptr);
  EXPECT_EQ(gl_.Calls(), std::vector<std::string>{});
}

TEST_F(Flat2DTest, WithoutCurrentGraphicsNothingIsDrawnAndQueriesAnswerZero) {
  SetGraphics(nullptr);
  gl_.ClearCalls();
  Cls();
  SetColor(1, 2, 3);
  SetViewport(1, 2, 3, 4);
  Plot(1, 1);
  DrawLine(0, 0, 1, 1, 1);
  DrawRect(0, 0, 1, 1);
  RecomputeMatrix();
  EXPECT_EQ(GrabPixmap(0, 0, 1, 1), nullptr);
  EXPECT_EQ(CurrentBlend(), 0);
  EXPECT_EQ(VirtualWidth(), 0.0f);
  EXPECT_EQ(gl_.Calls(), std::vector<std::string>{});
}

TEST(Flat2DConversions, FloatsBecomeIntsWithoutOverflow) {
  EXPECT_EQ(TruncatedInt(-2.7), -2);
  EXPECT_EQ(FlooredInt(-2.2), -3);
  EXPECT_EQ(TruncatedInt(std::nan("")), 0);
  EXPECT_EQ(TruncatedInt(1e300), std::numeric_limits<int>::max());
  EXPECT_EQ(FlooredInt(-INFINITY), std::numeric_limits<int>::min());
}

}  // namespace
