// The library's own random generator for play variances: the classic linear
// congruential step, seedable and locked, so a render with a fixed seed
// repeats exactly and threads never share unguarded state.
#pragma once

#include <cstdint>

void sound_srand(uint32_t seed);
int sound_rand();  // 0..32767
