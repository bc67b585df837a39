#include "sound/system/sound_random.h"

#include <mutex>

namespace {
std::mutex g_rand_lock;
uint32_t g_rand_state = 1;
}  // namespace

void sound_srand(uint32_t seed) {
    std::lock_guard guard(g_rand_lock);
    g_rand_state = seed;
}

int sound_rand() {
    std::lock_guard guard(g_rand_lock);
    g_rand_state = g_rand_state * 214013u + 2531011u;
    return int((g_rand_state >> 16) & 0x7FFF);
}
