// Wrapping 32-bit arithmetic, for the values that wrap around at 2^32 by
// design: the millisecond clock, pointer positions and their deltas, screen
// and client coordinates, counts. Computed unsigned, so it never overflows
// (signed overflow would be undefined). Used by the platforms, the polled
// input, the pointer tracker and the frame pacing.
#pragma once

#include <cstdint>

constexpr std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

constexpr std::int32_t WrappingSub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// How far the wrapping clock reading `later` is past `earlier`, negative
// when it lies before it: the signed difference of two readings less than
// 2^31 apart, right across the wrap.
constexpr std::int32_t WrappingDifference(std::uint32_t later, std::uint32_t earlier) {
  return static_cast<std::int32_t>(later - earlier);
}
