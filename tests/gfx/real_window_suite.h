// The fixture base of the 2D tests on a real window and GL context (SDL2
// platform, Mesa): one small window open for a whole suite, and each test
// starting from the same drawing state.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "gfx/flat2d.h"
#include "gfx/gl_flat2d_driver.h"
#include "platform/native_platform.h"
#include "support/format.h"
#include "system/startup.h"

class RealWindowSuite : public ::testing::Test {
 protected:
  static constexpr int kSize = 64;
  static constexpr std::uint32_t kRgb = 0x00FFFFFF;  // the window may have no alpha channel

  // Opens the suite's kSize by kSize window; each test fails at its start
  // when it could not be opened.
  static void OpenSuiteWindow(const char16_t* title) {
    platform::InstallNativePlatform();
    StartGLFlat2DModule();
    ApplicationTitle = title;
    graphics_ = OpenGraphics(kSize, kSize, 0, 0, 0);
  }
  static void TearDownTestSuite() {
    EndOpenedGraphics();
    graphics_ = nullptr;
  }

  // White drawing, black clearing, solid blend; the test clears itself.
  void SetUp() override {
    ASSERT_TRUE(graphics_) << ToUtf8(LastGraphicsError());
    SetBlend(MaskedBlend);
    SetColor(255, 255, 255);
    SetClsColor(0, 0, 0);
  }

  inline static std::shared_ptr<TGraphics> graphics_;
};
