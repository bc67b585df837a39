// Small integer helpers the effect types share: products past 32 bits are
// worked out in 64 bits and cut back to 32 explicitly, pixels turn into
// 16.16 and back by division (never by shifts, which round negative values
// the other way), and angles come from the fixed-point tables.
#pragma once

#include <cstdint>

#include "engine/core/fixed_math.h"
#include "engine/core/geometry.h"

// The low 32 bits, as two's complement.
constexpr int32_t trunc32(int64_t v) { return int32_t(uint32_t(uint64_t(v))); }
constexpr int32_t to_fixed(int32_t pixels) { return trunc32(int64_t(pixels) * kFixedOne); }
constexpr int32_t to_pixels(int32_t fixed) { return fixed / kFixedOne; }
constexpr int32_t abs32(int32_t v) { return v < 0 ? (v == INT32_MIN ? INT32_MAX : -v) : v; }

// Direction of (dx, dy) in 16.16 degrees, 0 along +x, 90 along +y.
int32_t direction_of(int32_t dx, int32_t dy);
// Sine and cosine of whole degrees, 16.16.
int32_t sin_degrees(int32_t degrees);
int32_t cos_degrees(int32_t degrees);
