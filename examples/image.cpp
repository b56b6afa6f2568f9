// Images: a picture made from a pixel buffer in memory, turned into an image
// (its texture is made on first draw), drawn rotated and scaled about its
// centre, stretched, and tiled over the whole window as a background.
#include <cmath>
#include <cstdint>

#include "examples/example_loop.h"
#include "gfx/flat2d.h"
#include "gfx/gl_flat2d_driver.h"
#include "gfx/graphics.h"
#include "gfx/image.h"
#include "gfx/image_font.h"
#include "platform/native_platform.h"
#include "support/error.h"
#include "support/pixmap.h"

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 384;

// A 64 by 64 picture: a colour gradient inside a white frame, with a
// transparent hole in the middle.
TPixmapPtr MakePicture() {
  TPixmapPtr p = TPixmap::Create(64, 64, RGBAFormat, 4);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool frame = x < 3 || y < 3 || x > 60 || y > 60;
      const bool hole = std::abs(x - 32) < 8 && std::abs(y - 32) < 8;
      const std::uint32_t red = static_cast<std::uint32_t>(x * 4);
      const std::uint32_t blue = static_cast<std::uint32_t>(y * 4);
      std::uint32_t argb = 0xFF000000u | red << 16 | 0x40u << 8 | blue;
      if (frame) argb = 0xFFFFFFFFu;
      if (hole) argb = 0;
      p->WritePixel(x, y, argb);
    }
  }
  return p;
}

// A small dark checker tile for the background.
TPixmapPtr MakeTile() {
  TPixmapPtr p = TPixmap::Create(16, 16, RGBFormat, 4);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) p->WritePixel(x, y, (x < 8) == (y < 8) ? 0xFF202030 : 0xFF101018);
  }
  return p;
}

void ImageExample() {
  StartGLFlat2DModule();
  ApplicationTitle = u"Vuble example: images";
  if (!OpenGraphics(kWidth, kHeight, 0, 60, 0)) {
    throw RuntimeError(u"No window: " + LastGraphicsError());
  }

  // Filtered and mipmapped, so turning and shrinking stay smooth. The
  // picture has its own alpha, so no mask colour is needed.
  TImagePtr picture = LoadImageFrom(MakePicture(), FilteredImageFlag | MipmappedImageFlag);
  CentreImageHandle(picture);  // rotate and scale about the middle
  TImagePtr tile = LoadImageFrom(MakeTile(), 0);

  for (int frame = 0; ExampleKeepsRunning(frame); ++frame) {
    Cls();
    SetBlend(OpaqueBlend);
    SetColor(255, 255, 255);                  // images are tinted by the drawing colour
    TileImageOver(tile, frame * 0.5f, 0, 0);  // scrolls slowly to the right

    SetBlend(AlphaBlend);
    const float angle = static_cast<float>(frame % 360);
    const float scale = 1.5f + std::sin(static_cast<float>(frame) * 0.05f);
    SetRotationScale(angle, scale, scale);
    DrawImageAt(picture, kWidth / 2.0f, kHeight / 2.0f, 0);

    SetRotationScale(0, 1, 1);
    SetColor(255, 160, 160);
    // Stretched to 96 by 32; the handle stays (32, 32) and lands on (40, 40).
    DrawImageStretched(picture, 40, 40, 96, 32, 0);
    SetColor(255, 255, 255);
    DrawTextString(u"rotated, scaled, stretched, tiled", 8, kHeight - 24);

    Flip(-1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  platform::InstallNativePlatform();
  return RunProgram(argc, argv, ImageExample);
}
