// The graphics front end: display modes, the abstract driver and graphics
// classes, the current driver and graphics with their settings, and frame
// pacing. The program calls OpenGraphics once and Flip every frame; the 2D
// drawing layer derives its drivers and graphics from the classes here.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "support/object.h"
#include "support/text.h"

class TGraphicsDriver;

// One display mode: size in pixels, colour depth in bits, refresh rate.
class TGraphicsMode : public Object {
 public:
  int width = 0;
  int height = 0;
  int depth = 0;
  int hertz = 0;

  // "640,480,32 60Hz"
  Text ToString() const override;
};

// A surface that can be drawn into and presented (a window with its GL
// context, or a wrapper around one). Closed explicitly; Close twice is safe.
class TGraphics : public Object {
 public:
  // Does nothing: it holds the first slot of the class's table, so the
  // operations after it keep their documented places.
  virtual int _pad() { return 0; }
  virtual std::shared_ptr<TGraphicsDriver> Driver() = 0;
  // width, height, depth (0: window), hertz (0: none requested), flags.
  virtual void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) = 0;
  virtual void Close() = 0;
};

// Makes graphics objects, binds one of them and presents its frames.
// Derived drivers may call shared_from_this() to hand themselves out.
class TGraphicsDriver : public Object, public std::enable_shared_from_this<TGraphicsDriver> {
 public:
  virtual std::vector<std::shared_ptr<TGraphicsMode>> GraphicsModes() = 0;
  // Wraps an existing platform window; Null when that is not possible.
  virtual std::shared_ptr<TGraphics> AttachGraphics(platform::Handle widget, int flags) = 0;
  // Depth 0 opens a window centred on the desktop, any other depth full
  // screen; Null when no graphics could be made.
  virtual std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                                    int flags) = 0;
  // Binds graphics (one this driver made), or unbinds with Null.
  virtual void SetGraphics(const std::shared_ptr<TGraphics>& graphics) = 0;
  // Presents the current graphics: sync 0 swaps at once, any other value
  // waits for the vertical retrace.
  virtual void Flip(int sync) = 0;
};

// Starts the front end once: the hook and system layers first, then the
// flip hook id. Driver modules call it before selecting their driver.
void StartGraphicsModule();

// Makes driver current with flags ORed into every creation; drops the
// current graphics (unbinding it when the driver changes) and the mode list.
void SelectGraphicsDriver(std::shared_ptr<TGraphicsDriver> driver, int flags);
std::shared_ptr<TGraphicsDriver> CurrentGraphicsDriver();
int CurrentDefaultFlags();

// The current driver's display modes, asked once and kept until the driver
// changes. Returns a copy of the list.
std::vector<std::shared_ptr<TGraphicsMode>> ListGraphicsModes();
int GraphicsModeCount();
// Fields of mode index; all 0 when index is outside the list.
void GraphicsModeAt(int index, int& width, int& height, int& depth, int& hertz);
// True when some mode matches every argument that is not 0.
bool HasGraphicsMode(int width, int height, int depth, int hertz);

// The current driver's CreateGraphics / AttachGraphics with the default
// flags added. Any error raised inside gives Null (its text is kept for
// LastGraphicsError).
std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags);
std::shared_ptr<TGraphics> AttachGraphics(platform::Handle widget, int flags);
// Makes graphics current (switching to its driver), or unbinds with Null.
void SetGraphics(std::shared_ptr<TGraphics> graphics);
// Forgets graphics as the opened or current one, then closes it.
void ReleaseGraphics(std::shared_ptr<TGraphics> graphics);

std::shared_ptr<TGraphics> CurrentGraphics();
int CurrentGraphicsWidth();
int CurrentGraphicsHeight();
int CurrentGraphicsDepth();
int CurrentGraphicsHertz();
int CurrentGraphicsFlags();

// Presents the frame. sync -1 paces the opened graphics: by the clock for a
// window with a refresh rate (sleeps until the frame is due, swaps at once),
// by the vertical retrace for full screen with a refresh rate.
void Flip(int sync);

// Closes graphics opened earlier, creates new ones, makes them current, sets
// up the pacing and attaches the polled input. Null when creation failed;
// nothing is open then.
std::shared_ptr<TGraphics> OpenGraphics(int width, int height, int depth, int hertz, int flags);
std::shared_ptr<TGraphics> OpenedGraphics();
// Detaches the polled input and releases the opened graphics, if any. Also
// runs at process exit once OpenGraphics has succeeded.
void EndOpenedGraphics();

// The generation of GL objects: changes whenever a driver is selected or
// graphics are opened or ended, and is never 0. Objects holding textures
// record it and remake their textures when it differs.
int graphicsSeq();
void AdvanceGraphicsSeq();

// The hook chain Flip runs before presenting (allocated at module start).
int flipHookId();

// Why the last graphics creation failed: the platform's reason or the raised
// error's text; empty when there was none.
Text LastGraphicsError();
void SetLastGraphicsError(Text reason);

namespace testing_only {
// Back to the state before the module started: no driver, no graphics, the
// sequence number at 1. Does not unregister the exit handler.
void ResetGraphics();
// Puts the sequence number at seq (which may be 0 or negative, as after a
// wrap), for the tests of its wrap.
void SetGraphicsSeq(int seq);
}  // namespace testing_only
