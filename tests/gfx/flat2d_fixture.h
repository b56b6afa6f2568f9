// The fixture of the 2D drawing tests: the GL window fixture with the GL 2D
// driver selected, a GL recorder behind `gl`, and a 512 by 512 window opened
// the way the program opens it. The recorder starts each test empty.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gfx/flat2d.h"
#include "gfx/gl_flat2d_driver.h"
#include "gfx/gl_recorder.h"
#include "tests/gfx/gl_window_fixture.h"

class Flat2DTest : public GlWindowTest {
 protected:
  void SetUp() override {
    GlWindowTest::SetUp();
    StartGLFlat2DModule();
    SelectGraphicsDriver(glFlat2DDriver, BackBufferFlag);
    graphics_ = std::dynamic_pointer_cast<TFlat2DGraphics>(OpenGraphics(512, 512, 0, 60, 0));
    ASSERT_TRUE(graphics_);
    ASSERT_EQ(TFlat2DGraphics::Current(), graphics_);
    gl_.ClearCalls();
    fake_.ClearCalls();
  }

  void TearDown() override {
    GlWindowTest::TearDown();
    TFlat2DGraphics::ClearCurrent();
    EXPECT_EQ(gl_.Errors(), std::vector<std::string>{});
  }

  // The calls since the last look, joined by spaces; forgets them.
  std::string Take() {
    std::string calls = gl_.Joined();
    gl_.ClearCalls();
    return calls;
  }

  GlRecorder gl_;
  std::shared_ptr<TFlat2DGraphics> graphics_;
};
