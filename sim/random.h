// The program's single pseudo-random source: a Lehmer generator (multiplier
// 48271, modulus 2^31 - 1) with one module-wide state. The frame simulation
// draws every body's mass, radius and position from it.
#pragma once

#include <cstdint>

// Drops the sign bit; the two values that would lock the generator (0 and
// 2^31 - 1) become the initial state 4660.
void SeedRandom(std::int32_t seed);
// The current state; seeding with it later restarts the sequence there.
std::int32_t RandomSeed();
// A multiple of 2^-24 in [0, 1); one step.
float RandomFloat();
// A multiple of 2^-53 in [0, 1); two steps.
double RandomDouble();
// From the smaller bound up to the larger; the argument order does not
// change the value drawn. Two steps.
double RandomRange(double a, double b);
// An integer between the bounds, both included, for any two bounds. Two steps.
std::int32_t RandomInt(std::int32_t a, std::int32_t b);
