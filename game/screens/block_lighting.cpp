#include "game/screens/block_lighting.h"

#include <algorithm>
#include <array>

#include "engine/core/crt_random.h"
#include "engine/core/fixed_math.h"
#include "engine/graphics/bitmap.h"

namespace {

struct LightingShape {
    int64_t amplitude;
    int64_t bias;
};

constexpr std::array<LightingShape, 6> kShapes = {{{250, 150}, {350, 270}, {100, 50}, {32, 16}, {48, 28}, {92, 50}}};
constexpr int32_t kRightAngle = 90 << 16;

int32_t saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// The four wave factors, each 40000 + 3000 x (0..10) degrees (16.16) per
// pixel, negated at random.
std::array<int64_t, 4> wave_factors() {
    std::array<int64_t, 4> f{};
    for (int64_t& factor : f) {
        factor = 40000 + 3000 * (crt_rand() % 11);
        if (crt_rand() & 1) factor = -factor;
    }
    return f;
}

// The wave at an absolute pixel, 16.16. Angles reach about 1.1e9, so the
// products are taken in 64 bits.
int64_t wave(const std::array<int64_t, 4>& f, int64_t px, int64_t py) {
    const int64_t a = fix_sin(saturate(f[0] * py + f[1] * px));
    const int64_t b = fix_sin(saturate(f[2] * py + f[3] * px + kRightAngle));
    return (a - b) / 2;
}

uint16_t pack565(int32_t r, int32_t g, int32_t b) {
    return uint16_t((std::clamp(r, 0, 255) >> 3) << 11 | (std::clamp(g, 0, 255) >> 2) << 5 | (std::clamp(b, 0, 255) >> 3));
}

uint16_t add_light(uint16_t p, int32_t d) {
    const int32_t r = ((p >> 11) & 31) * 8, g = ((p >> 5) & 63) * 4, b = (p & 31) * 8;
    return pack565(r + (d + 9) / 8, g + (d + 18) / 8, b + d / 8);
}

uint16_t scale_light(uint16_t p, int32_t m) {
    const int32_t r = ((p >> 11) & 31) * 8, g = ((p >> 5) & 63) * 4, b = (p & 31) * 8;
    return pack565((r * m) >> 8, (g * m) >> 8, (b * m) >> 8);
}

}  // namespace

void light_block(Bitmap& picture, uint32_t level_id, uint32_t lighting_kind, Point origin) {
    if (lighting_kind >= kShapes.size()) return;
    const LightingShape shape = kShapes[lighting_kind];
    const bool additive = lighting_kind <= 2;
    const int32_t period = additive ? 12 : 10;
    const int32_t spread = additive ? 41 : 11;
    const int32_t centre = additive ? 20 : 5;

    crt_srand(level_id);
    const std::array<int64_t, 4> f = wave_factors();
    for (int32_t row = 0; row < picture.height; ++row) {
        const int32_t r = crt_rand();
        int32_t level = 0;
        for (int32_t column = 0; column < picture.width; ++column) {
            if (column == 0 || (column + r % period) % period == 0) {
                const int64_t w = wave(f, int64_t(origin.x) + column, int64_t(origin.y) + row);
                level = crt_rand() % spread + int32_t((w * shape.amplitude - shape.bias) / 65536) - centre;
            }
            if (level == 0) continue;
            const bool odd = (column + row) & 1;
            uint16_t& p = picture.pixels[picture.index(column, row)];
            p = additive ? add_light(p, level + (odd ? 32 : 0)) : scale_light(p, level + 256 + (odd ? 16 : 0));
        }
    }
}
