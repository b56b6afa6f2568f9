// Text: the default 8 by 16 image font drawn through the 2D state (colour,
// origin, handle, rotation and scale apply to text as to any shape), text
// measured to centre it, and overlay text drawn straight on the GL context.
#include "examples/example_loop.h"
#include "gfx/flat2d.h"
#include "gfx/gl_flat2d_driver.h"
#include "gfx/graphics.h"
#include "gfx/image_font.h"
#include "gfx/overlay.h"
#include "platform/native_platform.h"
#include "support/error.h"
#include "support/format.h"

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 320;

void TextExample() {
  StartGLFlat2DModule();  // the GL 2D driver becomes the current driver
  ApplicationTitle = u"Vuble example: text";
  if (!OpenGraphics(kWidth, kHeight, 0, 60, 0)) {
    throw RuntimeError(u"No window: " + LastGraphicsError());
  }
  SetBlend(AlphaBlend);  // the glyphs' transparent texels blend away

  const Text title = u"Hello from the 2D layer";
  for (int frame = 0; ExampleKeepsRunning(frame); ++frame) {
    Cls();

    // Plain text: the pen starts at the top-left corner of the first glyph.
    SetColor(255, 255, 255);
    DrawTextString(u"Top-left at (8, 8)", 8, 8);

    // Centred: measure first, then draw half the width to the left.
    SetColor(255, 220, 64);
    DrawTextString(title, (kWidth - TextPixelWidth(title)) / 2.0f, 60);

    // Turning about the text's centre: the handle is the point that lands on
    // the drawing position, and rotation and scale act about it.
    const Text spin = u"round and round";
    SetDrawHandle(TextPixelWidth(spin) / 2.0f, TextPixelHeight(spin) / 2.0f);
    SetRotationScale(static_cast<float>(frame % 360), 1.5f, 1.5f);
    SetColor(96, 200, 255);
    DrawTextString(spin, kWidth / 2.0f, kHeight / 2.0f + 20);
    SetRotationScale(0, 1, 1);
    SetDrawHandle(0, 0);

    // Overlay text ignores the 2D state's origin, handle and transform: it
    // is placed in window pixels, in the GL colour and blending in force.
    SetColor(160, 160, 160);
    OverlayText(FromUtf8(Format("frame %d", frame)), 8, kHeight - 24);

    Flip(-1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  platform::InstallNativePlatform();
  return RunProgram(argc, argv, TextExample);
}
