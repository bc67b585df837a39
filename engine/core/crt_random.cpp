#include "engine/core/crt_random.h"

namespace {
uint32_t g_seed = 1;
}

void crt_srand(uint32_t seed) { g_seed = seed; }

int32_t crt_rand() { return crt_rand_step(g_seed); }
