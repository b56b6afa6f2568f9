#include "gfx/graphics.h"

#include <exception>
#include <utility>

#include "gfx/gl_flat2d_driver.h"
#include "support/format.h"
#include "support/wrapping.h"
#include "system/at_exit.h"
#include "system/hooks.h"
#include "system/module_resets.h"
#include "system/polled_input.h"
#include "system/system_driver.h"

namespace {

struct FrontEnd {
  bool started = false;
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
  int flipHookId = 0;
  Text lastError;
};

bool& EndRegisteredAtExit() {
  static bool registered = false;
  return registered;
}

// Never destroyed: EndOpenedGraphics runs at exit, after the destructors
// of statics made later than the exit-handler registration.
FrontEnd& State() {
  static auto* state = new FrontEnd();
  return *state;
}

const testing_only::ModuleReset kReset(testing_only::ModuleRank::kGraphics,
                                       testing_only::ResetGraphics);

void ClearCurrentSettings(FrontEnd& s) {
  s.currentWidth = s.currentHeight = s.currentDepth = s.currentHertz = s.currentFlags = 0;
}

// The driver creation goes to. A program that selected none gets the GL 2D
// driver, started here as its module would be on first use; Null (with the
// reason kept) when no driver is selected even so.
std::shared_ptr<TGraphicsDriver> CreatingDriver(const char* operation) {
  FrontEnd& s = State();
  if (!s.currentDriver) StartGLFlat2DModule();
  if (!s.currentDriver) {
    s.lastError = FormatText(
        "%s: no graphics driver is selected; select one with SelectGraphicsDriver", operation);
  }
  return s.currentDriver;
}

// Null with the reason kept when the size is not one graphics can have: a
// window of another size than asked would be a wrong result.
bool SizeFits(const char* operation, int width, int height, int depth, int hertz, int flags) {
  const bool widthFits = width >= 1 && width <= MaxGraphicsSize;
  const bool heightFits = height >= 1 && height <= MaxGraphicsSize;
  if (widthFits && heightFits) return true;
  State().lastError = FormatText("%s(%d, %d, %d, %d, %d): the %s %d is outside 1..%d", operation,
                                 width, height, depth, hertz, flags, widthFits ? "height" : "width",
                                 widthFits ? height : width, MaxGraphicsSize);
  return false;
}

std::shared_ptr<TGraphics> CreateGraphicsFor(const char* operation, int width, int height,
                                             int depth, int hertz, int flags) {
  FrontEnd& s = State();
  s.lastError.clear();
  if (!SizeFits(operation, width, height, depth, hertz, flags)) return nullptr;
  const std::shared_ptr<TGraphicsDriver> driver = CreatingDriver(operation);
  if (!driver) return nullptr;
  try {
    return driver->CreateGraphics(width, height, depth, hertz, flags | s.defaultFlags);
  } catch (const std::exception& error) {
    s.lastError = FromUtf8(error.what());
    return nullptr;
  }
}

}  // namespace

Text TGraphicsMode::ToString() const {
  return FormatText("%d,%d,%d %dHz", width, height, depth, hertz);
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
  return CreateGraphicsFor("CreateGraphics", width, height, depth, hertz, flags);
}

std::shared_ptr<TGraphics> AttachGraphics(platform::Handle widget, int flags) {
  FrontEnd& s = State();
  s.lastError.clear();
  const std::shared_ptr<TGraphicsDriver> driver = CreatingDriver("AttachGraphics");
  if (!driver) return nullptr;
  try {
    return driver->AttachGraphics(widget, flags | s.defaultFlags);
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

void StartGraphicsModule() {
  FrontEnd& s = State();
  if (s.started) return;
  s.started = true;
  StartPolledInputModule();
  s.flipHookId = NewHookId();
}

void Flip(int sync) {
  FrontEnd& s = State();
  RunHookChain(s.flipHookId, nullptr);
  if (!s.currentDriver) return;
  if (sync != -1) {
    s.currentDriver->Flip(sync);
    return;
  }
  if (s.openedGraphics != s.currentGraphics) {
    s.currentDriver->Flip(1);
  } else if (s.softSync) {
    // The due time moves on by the period, plus one millisecond whenever
    // the fractions add up to a whole one (16, 17, 17 at 60 Hz).
    s.syncTime += static_cast<std::uint32_t>(s.syncPeriod);
    s.syncAccumulator += s.syncFraction;
    if (s.syncAccumulator >= s.syncRate) {
      s.syncAccumulator -= s.syncRate;
      s.syncTime += 1u;
    }
    // The clock wraps; the signed difference of the two readings is the wait.
    const std::uint32_t now = static_cast<std::uint32_t>(ElapsedMillis());
    const std::int32_t wait = WrappingDifference(s.syncTime, now);
    if (wait > 0) {
      DelayMillis(wait);
    } else {
      // A late frame is forgiven, never made up.
      s.syncTime = now;
    }
    s.currentDriver->Flip(0);
  } else {
    s.currentDriver->Flip(s.hardSync ? 1 : 0);
  }
}

std::shared_ptr<TGraphics> OpenGraphics(int width, int height, int depth, int hertz, int flags) {
  FrontEnd& s = State();
  EndOpenedGraphics();
  std::shared_ptr<TGraphics> graphics =
      CreateGraphicsFor("OpenGraphics", width, height, depth, hertz, flags);
  if (!graphics) return nullptr;
  AdvanceGraphicsSeq();
  SetGraphics(graphics);
  if (depth != 0) {
    s.softSync = false;
    s.hardSync = hertz != 0;
    PlacePointer(width / 2, height / 2);
  } else {
    s.hardSync = false;
    // A negative rate would make the due times run backwards; it paces
    // nothing, like 0.
    s.softSync = hertz > 0;
  }
  if (s.softSync) {
    s.syncRate = hertz;
    s.syncPeriod = 1000 / hertz;
    s.syncFraction = 1000 - s.syncPeriod * hertz;
    s.syncAccumulator = 0;
    s.syncTime = static_cast<std::uint32_t>(ElapsedMillis());
  }
  AttachPolledInput(nullptr);
  s.openedGraphics = graphics;
  if (!EndRegisteredAtExit()) {
    EndRegisteredAtExit() = true;
    AtExit(EndOpenedGraphics);
  }
  return graphics;
}

void EndOpenedGraphics() {
  FrontEnd& s = State();
  if (!s.openedGraphics) return;
  AdvanceGraphicsSeq();
  DetachPolledInput();
  ReleaseGraphics(s.openedGraphics);
}

int flipHookId() { return State().flipHookId; }

std::shared_ptr<TGraphics> OpenedGraphics() { return State().openedGraphics; }

int graphicsSeq() { return static_cast<int>(State().graphicsSeq); }

void AdvanceGraphicsSeq() {
  FrontEnd& s = State();
  s.graphicsSeq += 1u;
  if (s.graphicsSeq == 0) s.graphicsSeq = 1;
}

Text LastGraphicsError() { return State().lastError; }
void SetLastGraphicsError(Text reason) { State().lastError = std::move(reason); }

namespace testing_only {
void ResetGraphics() { State() = FrontEnd{}; }
void SetGraphicsSeq(int seq) { State().graphicsSeq = static_cast<std::uint32_t>(seq); }
}  // namespace testing_only
