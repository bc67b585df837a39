#include "game/combat/combat_random.h"

#include "engine/core/crt_random.h"

uint32_t CombatRandom::next() { return uint32_t(crt_rand_step(seed_)); }

uint32_t CombatRandom::below(uint32_t n) {
    const uint32_t value = next();
    return n == 0 ? 0 : value % n;
}
