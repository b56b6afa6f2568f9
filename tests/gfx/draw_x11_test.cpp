// The 2D drawing layer on a real window and GL context (SDL2 platform, Mesa):
// which pixels the primitives, the clear and the pixmap transfers touch.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "tests/gfx/real_window_suite.h"

namespace {

class Draw : public RealWindowSuite {
 protected:
  static void SetUpTestSuite() { OpenSuiteWindow(u"Vuble draw test"); }

  void SetUp() override {
    RealWindowSuite::SetUp();
    if (HasFatalFailure()) return;
    SetViewport(0, 0, kSize, kSize);
    SetAlpha(1);
    Cls();
  }

  // Every pixel of the window is white where inside(x, y) holds, black elsewhere.
  static void ExpectWhereWhite(const std::function<bool(int, int)>& inside) {
    TPixmapPtr p = GrabPixmap(0, 0, kSize, kSize);
    ASSERT_TRUE(p);
    int wrong = 0;
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        const std::uint32_t want = inside(x, y) ? 0xFFFFFF : 0;
        const std::uint32_t got = p->ReadPixel(x, y) & kRgb;
        if (got != want && ++wrong <= 5) {
          ADD_FAILURE() << Format("pixel (%d,%d) is %06x, want %06x", x, y, got, want);
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
};

TEST_F(Draw, ClsFillsWithTheClearColour) {
  SetClsColor(255, 0, 0);
  Cls();
  TPixmapPtr p = GrabPixmap(0, 0, kSize, kSize);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->ReadPixel(0, 0) & kRgb, 0xFF0000u);
  EXPECT_EQ(p->ReadPixel(kSize - 1, kSize - 1) & kRgb, 0xFF0000u);
}

TEST_F(Draw, RectCoversExactlyItsPixels) {
  DrawRect(4, 6, 2, 2);
  ExpectWhereWhite([](int x, int y) { return x >= 4 && x < 6 && y >= 6 && y < 8; });
}

TEST_F(Draw, PlotAndLinesLandOnTheIntendedPixels) {
  Plot(10, 20);
  DrawLine(10, 30, 20, 30, 1);  // with its last pixel
  DrawLine(40, 10, 40, 15, 0);  // without: rows 10 to 14
  ExpectWhereWhite([](int x, int y) {
    return (x == 10 && y == 20) || (y == 30 && x >= 10 && x <= 20) ||
           (x == 40 && y >= 10 && y < 15);
  });
}

TEST_F(Draw, HalfAlphaFailsTheMaskedAlphaTest) {
  SetAlpha(0.5f);  // byte 127: not drawn
  DrawRect(0, 0, 8, 8);
  SetAlpha(128.0f / 255.0f);  // byte 128: drawn fully opaque
  DrawRect(8, 0, 8, 8);
  ExpectWhereWhite([](int x, int y) { return x >= 8 && x < 16 && y < 8; });
}

TEST_F(Draw, ViewportLimitsClsAndDrawing) {
  SetViewport(10, 20, 30, 5);
  SetClsColor(255, 255, 255);
  Cls();
  DrawRect(0, 0, kSize, kSize);
  ExpectWhereWhite([](int x, int y) { return x >= 10 && x < 40 && y >= 20 && y < 25; });
}

TEST_F(Draw, GrabReturnsTheTopRowFirst) {
  DrawRect(0, 0, 4, 1);
  TPixmapPtr p = GrabPixmap(0, 0, 4, 3);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->ReadPixel(0, 0) & kRgb, 0xFFFFFFu);
  EXPECT_EQ(p->ReadPixel(3, 0) & kRgb, 0xFFFFFFu);
  EXPECT_EQ(p->ReadPixel(0, 2) & kRgb, 0u);
}

TEST_F(Draw, DrawPixmapPlacesItsTopLeftPixel) {
  TPixmapPtr p = TPixmap::Create(3, 2, RGBFormat, 1);
  p->WritePixel(0, 0, 0xFF112233);
  p->WritePixel(2, 0, 0xFF445566);
  p->WritePixel(0, 1, 0xFF778899);
  SetDrawOrigin(20, 20);  // not applied to pixmaps
  DrawPixmap(p, 5, 7);
  SetDrawOrigin(0, 0);
  TPixmapPtr back = GrabPixmap(5, 7, 3, 2);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->ReadPixel(0, 0) & kRgb, 0x112233u);
  EXPECT_EQ(back->ReadPixel(2, 0) & kRgb, 0x445566u);
  EXPECT_EQ(back->ReadPixel(0, 1) & kRgb, 0x778899u);
  EXPECT_EQ(back->ReadPixel(1, 1) & kRgb, 0u);
  TPixmapPtr before = GrabPixmap(4, 7, 1, 1);
  EXPECT_EQ(before->ReadPixel(0, 0) & kRgb, 0u);
}

}  // namespace
