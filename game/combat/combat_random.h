// The fight's own random generator: the classic runtime formula on a seed
// of its own, so that a fight replays from its seed whatever else draws
// from the runtime's rand().
#pragma once

#include <cstdint>

class CombatRandom {
public:
    explicit CombatRandom(uint32_t seed = 0) : seed_(seed) {}

    void set_seed(uint32_t seed) { seed_ = seed; }
    uint32_t seed() const { return seed_; }
    // One step: 0 .. 32767.
    uint32_t next();
    // 0 .. n-1, unsigned; 0 when n is 0 (the seed advances all the same).
    uint32_t below(uint32_t n);

private:
    uint32_t seed_;
};
