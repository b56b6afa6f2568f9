#include "app/vuble_toy.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/pointer_tracker.h"
#include "gfx/flat2d.h"
#include "gfx/gl_flat2d_driver.h"
#include "gfx/graphics.h"
#include "sim/random.h"
#include "support/error.h"
#include "system/polled_input.h"
#include "system/startup.h"
#include "system/system_driver.h"

void StartVubleToyModule() {
  static bool started = false;
  if (started) return;
  started = true;
  StartPointerTrackerModule();
  StartGLFlat2DModule();
}

void drawframe(const framedrawing& drawing) {
  for (const motionline& line : drawing.lines) {
    SetColor(kMotionLineColor.red, kMotionLineColor.green, kMotionLineColor.blue);
    DrawLine(line.x1, line.y1, line.x2, line.y2, IncludeLastPixel);
  }
  for (const densitycell& cell : drawing.cells) {
    SetColor(cell.color.red, cell.color.green, cell.color.blue);
    DrawRect(static_cast<float>(2 * cell.column), static_cast<float>(2 * cell.row), 2.0f, 2.0f);
  }
  SetColor(kPointerMarkColor.red, kPointerMarkColor.green, kPointerMarkColor.blue);
  Plot(drawing.mark.x1, drawing.mark.y1);
  Plot(drawing.mark.x2, drawing.mark.y2);
}

void vubletoy() {
  StartVubleToyModule();
  static simulation world;  // lives until the process ends, like the bodies
  ApplicationTitle = u"Vuble Toy";
  SeedRandom(ElapsedMillis());
  if (!OpenGraphics(512, 512, WindowedDepth, 60, 0)) {
    // Without a window there is nothing to draw into; say why and end with
    // the raised-error status instead of running on into a crash.
    throw RuntimeError(u"Vuble Toy could not open its 512 by 512 window: " + LastGraphicsError());
  }
  world.createbodies();
  HidePointer();

  // With VUBLE_TOY_STATS=1 the toy reports its frame rate on standard error
  // every 5 seconds (the soak test reads it).
  const char* stats = std::getenv("VUBLE_TOY_STATS");
  const bool report = stats != nullptr && stats[0] == '1';
  std::uint32_t stats_start = static_cast<std::uint32_t>(ElapsedMillis());
  std::uint32_t stats_frames = 0;

  framedrawing drawing;
  for (;;) {
    Cls();
    updatepointer();
    world.frame(pointerview{pointerx, pointery, down1, down2, pressed1, pressed2, pressed3},
                drawing);
    drawframe(drawing);
    Flip(PacedFlip);
    if (report) {
      ++stats_frames;
      const std::uint32_t elapsed = static_cast<std::uint32_t>(ElapsedMillis()) - stats_start;
      if (elapsed >= 5000) {
        std::fprintf(stderr, "vuble-toy: %u frames in %u ms\n", stats_frames, elapsed);
        stats_start += elapsed;
        stats_frames = 0;
      }
    }
    if (TerminateRequested()) std::exit(0);
  }
}
