// Text: the default 8 by 16 image font drawn through the 2D state (colour,
// origin, handle, rotation and scale apply to text as to any shape), text
// measured to centre it, and overlay text drawn straight on the GL context.
#include "vuble.h"

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 320;

void TextExample() {
  ApplicationTitle = u"Vuble example: text";
  if (!OpenGraphics(kWidth, kHeight, WindowedDepth, 60, 0)) {
    throw RuntimeError(u"No window: " + LastGraphicsError());
  }
  SetBlend(AlphaBlend);  // the glyphs' transparent texels blend away

  const Text title = u"Hello from the 2D layer";
  // Escape or the close box ends the program.
  for (int frame = 0; !TerminateRequested() && KeyHits(platform::VK_ESCAPE) == 0; ++frame) {
    Cls();

    // Plain text: the pen starts at the top-left corner of the first glyph.
    SetColor(255, 255, 255);
    DrawTextString(u"Top-left at (8, 8)", 8, 8);

    // Centred: measure first, then draw half the width to the left.
    SetColor(255, 220, 64);
    DrawTextString(title, static_cast<float>(kWidth - TextPixelWidth(title)) / 2, 60);

    // Turning about the text's centre: the handle is the point that lands on
    // the drawing position, and rotation and scale act about it.
    const Text spin = u"round and round";
    SetDrawHandle(static_cast<float>(TextPixelWidth(spin)) / 2,
                  static_cast<float>(TextPixelHeight(spin)) / 2);
    SetRotationScale(static_cast<float>(frame % 360), 1.5f, 1.5f);
    SetColor(96, 200, 255);
    DrawTextString(spin, kWidth / 2.0f, kHeight / 2.0f + 20);
    SetRotationScale(0, 1, 1);
    SetDrawHandle(0, 0);

    // Overlay text ignores the 2D state's origin, handle and transform: it
    // is placed in window pixels, in the GL colour and blending in force.
    SetColor(160, 160, 160);
    OverlayText(FormatText("frame %d", frame), 8, kHeight - 24);

    Flip(PacedFlip);
  }
}

}  // namespace

int main(int argc, char** argv) {
  platform::InstallNativePlatform();
  return RunProgram(argc, argv, TextExample);
}
