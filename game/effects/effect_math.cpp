#include "game/effects/effect_math.h"

#include "engine/core/fixed_math.h"

int32_t direction_of(int32_t dx, int32_t dy) {
    if (dx == 0 && dy == 0) return 0;
    const int32_t length = fix_distance(0, 0, to_fixed(dx), to_fixed(dy));
    if (length <= 0) return 0;
    const int32_t cosine = trunc32(int64_t(to_fixed(dx)) * kFixedOne / length);
    const int32_t angle = fix_acos(cosine);
    return dy < 0 ? 360 * kFixedOne - angle : angle;
}

int32_t sin_degrees(int32_t degrees) { return fix_sin(trunc32(int64_t(degrees % 360) * kFixedOne)); }

int32_t cos_degrees(int32_t degrees) { return fix_sin(trunc32(int64_t(degrees % 360 + 90) * kFixedOne)); }
