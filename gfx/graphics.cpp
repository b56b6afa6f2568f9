#include "gfx/graphics.h"

#include <exception>
#include <utility>

#include "support/format.h"

namespace {

struct FrontEnd {
  std::shared_ptr<TGraphicsDriver> currentDriver;
  int defaultFlags = 0;
  std::vector<std::shared_ptr<TGraphicsMode>> modeCache;
  std::shared_ptr<TGraphics> currentGraphics;
  int currentWidth = 0;
  int currentHeight = 0;
  int currentDepth = 0;
  int currentHertz = 0;
  int currentFlags = 0;
  std::shared_ptr<TGraphics> openedGraphics;
  bool softSync = false;
  bool hardSync = false;
  int syncRate = 0;
  int syncPeriod = 0;
  int syncFraction = 0;
  int syncAccumulator = 0;
  std::uint32_t syncTime = 0;  // the wrapping millisecond clock
  // Unsigned so that the step past the largest value wraps without overflow.
  std::uint32_t graphicsSeq = 1;
  Text lastError;
};

FrontEnd& State() {
  static FrontEnd state;
  return state;
}

void ClearCurrentSettings(FrontEnd& s) {
  s.currentWidth = s.currentHeight = s.currentDepth = s.currentHertz = s.currentFlags = 0;
}

}  // namespace

Text TGraphicsMode::ToString() const {
  return FromUtf8(Format("%d,%d,%d %dHz", width, height, depth, hertz));
}

void SelectGraphicsDriver(std::shared_ptr<TGraphicsDriver> driver, int flags) {
  FrontEnd& s = State();
  AdvanceGraphicsSeq();
  if (driver != s.currentDriver) {
    if (s.currentDriver && s.currentGraphics) s.currentDriver->SetGraphics(nullptr);
    s.modeCache.clear();
    s.currentDriver = std::move(driver);
  }
  s.defaultFlags = flags;
  s.currentGraphics = nullptr;
  ClearCurrentSettings(s);
}

std::shared_ptr<TGraphicsDriver> CurrentGraphicsDriver() { return State().currentDriver; }
int CurrentDefaultFlags() { return State().defaultFlags; }

std::vector<std::shared_ptr<TGraphicsMode>> ListGraphicsModes() {
  FrontEnd& s = State();
  if (s.modeCache.empty() && s.currentDriver) s.modeCache = s.currentDriver->GraphicsModes();
  return s.modeCache;
}

int GraphicsModeCount() { return static_cast<int>(ListGraphicsModes().size()); }

void GraphicsModeAt(int index, int& width, int& height, int& depth, int& hertz) {
  const auto modes = ListGraphicsModes();
  width = height = depth = hertz = 0;
  if (index < 0 || static_cast<std::size_t>(index) >= modes.size()) return;
  const auto& mode = modes[static_cast<std::size_t>(index)];
  if (!mode) return;
  width = mode->width;
  height = mode->height;
  depth = mode->depth;
  hertz = mode->hertz;
}

bool HasGraphicsMode(int width, int height, int depth, int hertz) {
  for (const auto& mode : ListGraphicsModes()) {
    if (!mode) continue;
    if (width != 0 && mode->width != width) continue;
    if (height != 0 && mode->height != height) continue;
    if (depth != 0 && mode->depth != depth) continue;
    if (hertz != 0 && mode->hertz != hertz) continue;
    return true;
  }
  return false;
}

std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz, int flags) {
  FrontEnd& s = State();
  if (!s.currentDriver) return nullptr;
  try {
    return s.currentDriver->CreateGraphics(width, height, depth, hertz, flags | s.defaultFlags);
  } catch (const std::exception& error) {
    s.lastError = FromUtf8(error.what());
    return nullptr;
  }
}

std::shared_ptr<TGraphics> AttachGraphics(platform::Handle widget, int flags) {
  FrontEnd& s = State();
  if (!s.currentDriver) return nullptr;
  try {
    return s.currentDriver->AttachGraphics(widget, flags | s.defaultFlags);
  } catch (const std::exception& error) {
    s.lastError = FromUtf8(error.what());
    return nullptr;
  }
}

void SetGraphics(std::shared_ptr<TGraphics> graphics) {
  FrontEnd& s = State();
  if (!graphics) {
    if (s.currentDriver && s.currentGraphics) s.currentDriver->SetGraphics(nullptr);
    s.currentGraphics = nullptr;
    ClearCurrentSettings(s);
    return;
  }
  std::shared_ptr<TGraphicsDriver> driver = graphics->Driver();
  if (driver != s.currentDriver) {
    if (s.currentDriver && s.currentGraphics) s.currentDriver->SetGraphics(nullptr);
    s.modeCache.clear();
    s.currentDriver = driver;
  }
  // The settings are in place before the driver is told, so that it can
  // read them while it binds.
  graphics->GetSettings(s.currentWidth, s.currentHeight, s.currentDepth, s.currentHertz,
                        s.currentFlags);
  if (driver) driver->SetGraphics(graphics);
  s.currentGraphics = std::move(graphics);
}

void ReleaseGraphics(std::shared_ptr<TGraphics> graphics) {
  if (!graphics) return;
  FrontEnd& s = State();
  if (graphics == s.openedGraphics) s.openedGraphics = nullptr;
  if (graphics == s.currentGraphics) SetGraphics(nullptr);
  graphics->Close();
}

std::shared_ptr<TGraphics> CurrentGraphics() { return State().currentGraphics; }
int CurrentGraphicsWidth() { return State().currentWidth; }
int CurrentGraphicsHeight() { return State().currentHeight; }
int CurrentGraphicsDepth() { return State().currentDepth; }
int CurrentGraphicsHertz() { return State().currentHertz; }
int CurrentGraphicsFlags() { return State().currentFlags; }

std::shared_ptr<TGraphics> OpenedGraphics() { return State().openedGraphics; }

int graphicsSeq() { return static_cast<int>(State().graphicsSeq); }

void AdvanceGraphicsSeq() {
  FrontEnd& s = State();
  s.graphicsSeq += 1u;
  if (s.graphicsSeq == 0) s.graphicsSeq = 1;
}

Text LastGraphicsError() { return State().lastError; }
void SetLastGraphicsError(Text reason) { State().lastError = std::move(reason); }

void ResetGraphicsFrontEndForTest(int seq) {
  FrontEnd& s = State();
  s = FrontEnd{};
  s.graphicsSeq = static_cast<std::uint32_t>(seq);
}
