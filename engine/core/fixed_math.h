// Fixed-point math on 16.16 numbers (65,536 = 1.0; angles in degrees),
// through lookup tables. Every routine is defined for every 32-bit input:
// intermediates are 64-bit and results saturate instead of wrapping.
#pragma once

#include <cstdint>

#include "engine/core/fixed_tables.h"

constexpr int32_t kFixedOne = 65536;

// Sine of a 16.16 angle in degrees, to a tenth of a degree; 16.16 result.
// Inline: the map's lighting takes thousands for every ground block.
inline int32_t fix_sin(int32_t angle) {
    const int64_t a = angle < 0 ? -int64_t(angle) : angle;
    const uint32_t tenths = uint32_t((a * 10) >> 16) % uint32_t(kSineTableSize);  // (a * 10) >> 16 < 2^19
    const int32_t value = g_sine_table[tenths] * 4;
    return angle < 0 ? -value : value;
}

// 256 * sqrt(v) for v >= 0 (a 16.16 input gives its 16.16 square root);
// 0 for negative v. Below 256 the result is a quarter of that scale.
int32_t fix_sqrt(int32_t v);

// Distance between two 16.16 points, 16.16; precision drops with distance
// (1/256 up to 120.0 apart, 1/8 up to 1,200.0, whole units beyond).
int32_t fix_distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// Arc cosine of a 16.16 value, in whole degrees as 16.16; inputs beyond
// +-1.0 clamp.
int32_t fix_acos(int32_t x);

// Decimal text to 16.16: every digit joins one number, a '-' anywhere makes
// it negative, and the digits after the first '.' are the fraction. Long
// digit runs saturate; the result is clamped to the 32-bit range.
int32_t parse_fixed(const char* text);
