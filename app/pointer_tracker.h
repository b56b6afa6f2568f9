// The pointer tracker: a per-frame view of the pointer, the wheel and the
// three buttons (held, pressed, released, double-clicked). The frame loop
// calls updatepointer at the start of every frame, then reads the variables.
#pragma once

#include <cstdint>

extern std::int32_t pointerx, pointery;
extern std::int32_t pointerdx, pointerdy;
extern std::int32_t wheelz;
extern std::int32_t wheeldz;
extern std::int32_t down1, down2, down3;
extern std::int32_t pressed1, pressed2, pressed3;
extern std::int32_t released1, released2, released3;
extern std::int32_t doubleclick1, doubleclick2, doubleclick3;
extern std::int32_t lastpress1, lastpress2, lastpress3;
extern std::int32_t doubleclicktime;
extern std::int32_t framessincerelease;
extern std::int32_t anchorx, anchory;

void updatepointer();
// 1 when the pointer of the last update lies in the rectangle (right and
// bottom edges excluded), else 0.
std::int32_t pointerinrect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

void StartPointerTrackerModule();

namespace testing_only {
// Every variable back to its initial value.
void ResetPointerTracker();
}  // namespace testing_only
