// The C runtime's classic random generator, kept bit for bit so that every
// platform produces the same sequences: seed x 214013 + 2531011, result bits
// 16 to 30. The host's rand() differs between C libraries and is never used.
#pragma once

#include <cstdint>

// One step of that generator on a seed of the caller's (the story and the
// fight keep their own): 0 .. 0x7FFF.
inline int32_t crt_rand_step(uint32_t& seed) {
    seed = seed * 214013u + 2531011u;
    return int32_t((seed >> 16) & 0x7FFF);
}

void crt_srand(uint32_t seed);
// 0 .. 0x7FFF.
int32_t crt_rand();
