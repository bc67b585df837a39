#include "game/effects/effect_wave.h"

#include "engine/core/fixed_math.h"

namespace {

int32_t whole_degrees(int64_t degrees) {
    int64_t d = degrees % 360;
    return int32_t(d < 0 ? d + 360 : d);
}

}  // namespace

int32_t wave_shift(int32_t amplitude, int32_t frequency, int32_t phase, int32_t row) {
    const int32_t angle = whole_degrees(int64_t(frequency) * row + phase);
    return int32_t(int64_t(amplitude) * fix_sin(angle * kFixedOne) / kFixedOne);
}

int32_t advance_phase(int32_t& phase, int32_t speed) {
    const int64_t next = int64_t(phase) + speed;
    phase = whole_degrees(next);
    return next >= 360 ? int32_t(next / 360) : 0;
}
