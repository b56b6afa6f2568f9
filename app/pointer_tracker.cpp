#include "app/pointer_tracker.h"

#include "support/wrapping.h"
#include "system/module_resets.h"
#include "system/polled_input.h"
#include "system/system_driver.h"

std::int32_t pointerx = 0, pointery = 0;
std::int32_t pointerdx = 0, pointerdy = 0;
std::int32_t wheelz = 0;
std::int32_t wheeldz = 0;
std::int32_t down1 = 0, down2 = 0, down3 = 0;
std::int32_t pressed1 = 0, pressed2 = 0, pressed3 = 0;
std::int32_t released1 = 0, released2 = 0, released3 = 0;
std::int32_t doubleclick1 = 0, doubleclick2 = 0, doubleclick3 = 0;
std::int32_t lastpress1 = 0, lastpress2 = 0, lastpress3 = 0;
std::int32_t doubleclicktime = 320;
std::int32_t framessincerelease = 0;
std::int32_t anchorx = 0, anchory = 0;

namespace {

// The module's own state; its documented globals are above.
struct PointerTrackerState {
  bool started = false;
};
PointerTrackerState tracker;

const testing_only::ModuleReset kReset(testing_only::ModuleRank::kPointerTracker,
                                       testing_only::ResetPointerTracker);

// A press within doubleclicktime of the recorded press is a double click and
// keeps the recorded time, so a series is measured from its first press.
// The time since the recorded press wraps like the clock; a negative one
// means the clock has run more than half its range since, which is no
// double click (else every press in that half would be one).
void Press(std::int32_t now, std::int32_t& lastpress, std::int32_t& doubleclick,
           std::int32_t& pressed) {
  const std::int32_t since = WrappingSub(now, lastpress);
  if (since >= 0 && since <= doubleclicktime) {
    doubleclick = 1;
  } else {
    lastpress = now;
  }
  pressed = 1;
}

}  // namespace

void updatepointer() {
  const std::int32_t now = ElapsedMillis();
  framessincerelease = WrappingAdd(framessincerelease, 1);

  const std::int32_t nx = PointerX();
  const std::int32_t ny = PointerY();
  pointerdx = WrappingSub(nx, pointerx);
  pointerdy = WrappingSub(ny, pointery);
  pointerx = nx;
  pointery = ny;

  const std::int32_t o1 = down1, o2 = down2, o3 = down3;
  down1 = MouseIsDown(LeftMouseButton);
  down2 = MouseIsDown(RightMouseButton);
  down3 = MouseIsDown(MiddleMouseButton);

  const std::int32_t nz = WheelZ();
  wheeldz = WrappingSub(wheelz, nz);
  wheelz = nz;

  pressed1 = pressed2 = pressed3 = 0;
  released1 = o1 > down1 ? 1 : 0;
  released2 = o2 > down2 ? 1 : 0;
  released3 = o3 > down3 ? 1 : 0;
  doubleclick1 = doubleclick2 = doubleclick3 = 0;
  if (o1 < down1) Press(now, lastpress1, doubleclick1, pressed1);
  if (o2 < down2) Press(now, lastpress2, doubleclick2, pressed2);
  if (o3 < down3) Press(now, lastpress3, doubleclick3, pressed3);

  if (released1 || released2 || released3) framessincerelease = 0;
  if (!down1 && !down2 && !down3) {
    anchorx = pointerx;
    anchory = pointery;
  }
}

std::int32_t pointerinrect(std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height) {
  // Widened, so a rectangle reaching past the 32-bit range does not wrap.
  const std::int64_t right = static_cast<std::int64_t>(x) + width;
  const std::int64_t bottom = static_cast<std::int64_t>(y) + height;
  return pointerx >= x && pointerx < right && pointery >= y && pointery < bottom ? 1 : 0;
}

void StartPointerTrackerModule() {
  if (tracker.started) return;
  tracker.started = true;
  StartPolledInputModule();
}

namespace testing_only {
void ResetPointerTracker() {
  pointerx = pointery = pointerdx = pointerdy = 0;
  wheelz = wheeldz = 0;
  down1 = down2 = down3 = 0;
  pressed1 = pressed2 = pressed3 = 0;
  released1 = released2 = released3 = 0;
  doubleclick1 = doubleclick2 = doubleclick3 = 0;
  lastpress1 = lastpress2 = lastpress3 = 0;
  doubleclicktime = 320;
  framessincerelease = 0;
  anchorx = anchory = 0;
  tracker = PointerTrackerState{};
}
}  // namespace testing_only
