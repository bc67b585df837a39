// The C runtime's classic random generator, kept bit for bit so that every
// platform produces the same sequences: seed x 214013 + 2531011, result bits
// 16 to 30. The host's rand() differs between C libraries and is never used.
#pragma once

#include <cstdint>

void crt_srand(uint32_t seed);
// 0 .. 0x7FFF.
int32_t crt_rand();
