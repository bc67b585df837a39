#include "engine/core/crt_random.h"

namespace {
uint32_t g_seed = 1;
}

void crt_srand(uint32_t seed) { g_seed = seed; }

int32_t crt_rand() {
    g_seed = g_seed * 214013u + 2531011u;
    return int32_t((g_seed >> 16) & 0x7FFF);
}
