#include "sim/random.h"

namespace {

constexpr std::int32_t kInitialState = 4660;
constexpr std::int32_t kModulus = 2147483647;

std::int32_t state = kInitialState;

// Schrage's method: 48271 * s mod (2^31 - 1) without leaving 32-bit range.
// The state always lies in [1, 2^31 - 2], so neither product overflows.
std::int32_t Step() {
  const std::int32_t s = state;
  std::int32_t next = 48271 * (s % 44488) - 3399 * (s / 44488);
  if (next < 0) next += kModulus;
  state = next;
  return next;
}

}  // namespace

void SeedRandom(std::int32_t seed) {
  const std::uint32_t bits = static_cast<std::uint32_t>(seed) & 0x7FFFFFFFu;
  std::int32_t s = static_cast<std::int32_t>(bits);
  if (s == 0 || s == kModulus) s = kInitialState;
  state = s;
}

std::int32_t RandomSeed() { return state; }

float RandomFloat() {
  const std::int32_t s = Step();
  return static_cast<float>(s & 0x0FFFFFF0) / 268435456.0f;
}

double RandomDouble() {
  const std::int32_t hi = Step() & 0x1FFFFFFC;
  const std::int32_t lo = Step() & 0x1FFFFFF8;
  return (static_cast<double>(hi) + static_cast<double>(lo) / 134217728.0) / 536870912.0;
}

double RandomRange(double a, double b) {
  const double r = RandomDouble();
  if (b > a) return r * (b - a) + a;
  return r * (a - b) + b;
}

std::int32_t RandomInt(std::int32_t a, std::int32_t b) {
  // The span is taken in 64 bits so that bounds far apart cannot overflow;
  // r * (span + 1) stays below span + 1, so the result lies between the
  // bounds and fits in 32 bits.
  const std::int64_t span = static_cast<std::int64_t>(b) - static_cast<std::int64_t>(a);
  const double r = RandomDouble();
  if (span > 0) {
    const auto part = static_cast<std::int64_t>(r * static_cast<double>(span + 1));
    return static_cast<std::int32_t>(static_cast<std::int64_t>(a) + part);
  }
  const auto part = static_cast<std::int64_t>(r * static_cast<double>(1 - span));
  return static_cast<std::int32_t>(static_cast<std::int64_t>(b) + part);
}
