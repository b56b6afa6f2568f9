// Keyboard input, polled: KeyHits counts presses since it was last asked
// (arrow keys move a box one step per press), KeyIsDown tells whether a key
// is held (Shift makes the steps bigger), and NextTypedChar hands out the
// typed characters in order (they are collected into a line of text).
#include "examples/example_loop.h"
#include "gfx/flat2d.h"
#include "gfx/gl_flat2d_driver.h"
#include "gfx/graphics.h"
#include "gfx/image_font.h"
#include "platform/native_platform.h"
#include "platform/platform.h"
#include "support/error.h"
#include "system/polled_input.h"

namespace {

void KeyboardExample() {
  StartGLFlat2DModule();
  ApplicationTitle = u"Vuble example: keyboard";
  if (!OpenGraphics(480, 320, 0, 60, 0)) {
    throw RuntimeError(u"No window: " + LastGraphicsError());
  }
  SetBlend(AlphaBlend);

  float boxX = 220;
  float boxY = 140;
  Text typed;
  for (int frame = 0; ExampleKeepsRunning(frame); ++frame) {
    // Key events name the side of Shift, Control and Alt: ask for both.
    const bool shift = KeyIsDown(platform::VK_LSHIFT) || KeyIsDown(platform::VK_RSHIFT);
    const float step = shift ? 32.0f : 8.0f;
    boxX += step * static_cast<float>(KeyHits(platform::VK_RIGHT) - KeyHits(platform::VK_LEFT));
    boxY += step * static_cast<float>(KeyHits(platform::VK_DOWN) - KeyHits(platform::VK_UP));

    // Every character typed since the last frame, oldest first; 0 when none
    // is left. Backspace and Return arrive as characters too (8 and 13).
    for (int c = NextTypedChar(); c != 0; c = NextTypedChar()) {
      if (c == '\b') {
        if (!typed.empty()) typed.pop_back();
      } else if (c == '\r') {
        typed.clear();
      } else if (c >= 32 && c < 0x10000) {
        typed.push_back(static_cast<char16_t>(c));
      }
    }

    Cls();
    SetColor(80, 160, 255);
    DrawRect(boxX, boxY, 40, 40);
    SetColor(255, 255, 255);
    DrawTextString(u"Arrows move the box (hold Shift for big steps)", 8, 8);
    DrawTextString(u"Type: " + typed + u"_", 8, 280);
    Flip(-1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  platform::InstallNativePlatform();
  return RunProgram(argc, argv, KeyboardExample);
}
