// How many pixels the blitters' row loops work on at once. Eight (SSE2)
// runs on every x86-64 processor; 16 (AVX2) and 32 (AVX-512 with 16-bit
// lanes) where the processor and the system have them. Every width draws
// the same pixels; only the time differs.
#pragma once

#include <cstdint>
#include <vector>

// The instruction sets the 16- and 32-lane rows are compiled for; the
// widths are chosen only where the processor has all of them.
#define LANE_WIDTH_16_TARGET "avx2"
#define LANE_WIDTH_32_TARGET "avx2,avx512f,avx512bw,avx512vl"

// The width the blitters use now: the widest this processor runs, unless
// use_lane_width chose another.
int32_t lane_width();

// The widths this processor runs, narrowest first.
std::vector<int32_t> supported_lane_widths();

// Makes the blitters use the given width (tests and benchmarks compare the
// widths). False, changing nothing, for a width this processor cannot run.
bool use_lane_width(int32_t pixels);
