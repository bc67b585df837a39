#include "game/map_view/block_lighting.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "engine/core/crt_random.h"
#include "engine/core/fixed_math.h"
#include "engine/pictures/bitmap.h"

namespace {

struct LightingShape {
    int64_t amplitude;
    int64_t bias;
};

constexpr std::array<LightingShape, 6> kShapes = {{{250, 150}, {350, 270}, {100, 50}, {32, 16}, {48, 28}, {92, 50}}};
constexpr uint32_t kLastAdditiveKind = 2;
constexpr int32_t kRightAngle = 90 << 16;

// How each family of kinds draws its levels: a new level every `period`
// pixels of a row (at a random phase), rand() % spread - centre of grain.
struct LevelSteps {
    int32_t period, spread, centre;
};
constexpr LevelSteps kAdditiveSteps{12, 41, 20};
constexpr LevelSteps kScalingSteps{10, 11, 5};

// The pixel pass works in signed 16-bit lanes. The wave lies within
// +-65536 (sines of +-1.0), so a level lies within amplitude + spread of
// zero; the scaling kinds multiply a 6-bit green by up to 256 + 16 plus
// that, which must stay below 2^15.
constexpr int64_t most_scaling_factor() {
    int64_t most = 0;
    for (size_t kind = kLastAdditiveKind + 1; kind < kShapes.size(); ++kind)
        most = std::max(most, kShapes[kind].amplitude + kScalingSteps.spread + 256 + 16);
    return most;
}
static_assert(63 * most_scaling_factor() < 32768, "scaled channels must fit 16-bit lanes");

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

// --- the pixel pass: eight pixels at a time -----------------------------------

typedef int16_t Lanes __attribute__((vector_size(16)));
typedef uint16_t Pixels __attribute__((vector_size(16)));
constexpr int32_t kLanes = 8;

inline Lanes clamp(Lanes v, int16_t low, int16_t high) {
    const Lanes lo = Lanes{} + low, hi = Lanes{} + high;
    v = v < lo ? lo : v;
    return v > hi ? hi : v;
}

// Division by 8 toward zero, as the integer division of C rounds.
inline Lanes div8(Lanes v) { return (v + ((v >> 15) & 7)) >> 3; }

struct Channels {
    Lanes red, green, blue;  // 5, 6 and 5 bits
};

inline Channels unpack(Pixels p) {
    return {Lanes(p >> 11), Lanes((p >> 5) & 63), Lanes(p & 31)};
}

// Back from 8-bit channels, each clamped to 0..255.
inline Pixels pack8(Lanes red, Lanes green, Lanes blue) {
    return Pixels(clamp(red, 0, 255) >> 3) << 11 | Pixels(clamp(green, 0, 255) >> 2) << 5 |
           Pixels(clamp(blue, 0, 255) >> 3);
}

// Adds d (the level, plus 32 on odd pixels) to the 8-bit channels.
inline Pixels add_light(Pixels p, Lanes d) {
    const Channels c = unpack(p);
    return pack8(c.red * 8 + div8(d + 9), c.green * 4 + div8(d + 18), c.blue * 8 + div8(d));
}

// Scales the 8-bit channels by m / 256 (m: 256 + the level, plus 16 on odd
// pixels); channel x 8 x m >> 8 is the 5-bit channel x m >> 5, and green's
// x 4 x m >> 8 its x m >> 6, which keep the products in 16 bits.
inline Pixels scale_light(Pixels p, Lanes m) {
    const Channels c = unpack(p);
    return pack8((c.red * m) >> 5, (c.green * m) >> 6, (c.blue * m) >> 5);
}

// Eight pixels of a row lit by their levels; a level of 0 leaves its
// pixel as it is. `grain` is added to the levels: the checkerboard of +32
// (adding) or +16 (scaling) over the 256 that scaling starts from.
template <bool Additive>
inline Pixels light8(Pixels p, Lanes level, Lanes grain) {
    const Pixels lit = Additive ? add_light(p, level + grain) : scale_light(p, level + grain);
    const Pixels unlit = Pixels(level == 0);
    return (p & unlit) | (lit & ~unlit);
}

template <bool Additive>
void light_row(uint16_t* pixels, const int16_t* levels, int32_t width, int32_t row) {
    constexpr int16_t g = Additive ? 32 : 16, base = Additive ? 0 : 256;
    const Lanes even_first = {base, int16_t(base + g), base, int16_t(base + g),
                              base, int16_t(base + g), base, int16_t(base + g)};
    const Lanes odd_first = {int16_t(base + g), base, int16_t(base + g), base,
                             int16_t(base + g), base, int16_t(base + g), base};
    const Lanes grain = (row & 1) ? odd_first : even_first;
    int32_t column = 0;
    for (; column + kLanes <= width; column += kLanes) {
        Pixels p;
        Lanes level;
        std::memcpy(&p, pixels + column, sizeof p);
        std::memcpy(&level, levels + column, sizeof level);
        p = light8<Additive>(p, level, grain);
        std::memcpy(pixels + column, &p, sizeof p);
    }
    if (column == width) return;
    // The last few pixels through a full set of lanes, of which only the
    // row's are kept.
    const size_t bytes = size_t(width - column) * 2;
    Pixels p{};
    Lanes level;
    std::memcpy(&p, pixels + column, bytes);
    std::memcpy(&level, levels + column, sizeof level);
    p = light8<Additive>(p, level, grain);
    std::memcpy(pixels + column, &p, bytes);
}

// The rows one by one: each row's levels first, drawn from the generator in
// the same order as pixel by pixel (one level a run of `period` columns),
// then the row lit in one pass.
template <bool Additive>
void light_rows(Bitmap& picture, const LightingShape& shape, const std::array<int64_t, 4>& f, Point origin) {
    constexpr LevelSteps steps = Additive ? kAdditiveSteps : kScalingSteps;
    // A run is at most 12 columns: two sets of lanes store it whole, and
    // what they write beyond it the next run overwrites.
    static_assert(steps.period <= 2 * kLanes);
    std::vector<int16_t> levels(size_t(picture.width + 2 * kLanes), 0);
    for (int32_t row = 0; row < picture.height; ++row) {
        const int32_t phase = crt_rand() % steps.period;
        // A run starts at column 0 and wherever (column + phase) % period = 0.
        int32_t next_start = steps.period - phase;
        for (int32_t start = 0; start < picture.width; next_start += steps.period) {
            const int64_t w = wave(f, int64_t(origin.x) + start, int64_t(origin.y) + row);
            const int32_t level =
                crt_rand() % steps.spread + int32_t((w * shape.amplitude - shape.bias) / 65536) - steps.centre;
            const Lanes run = Lanes{} + int16_t(level);
            std::memcpy(&levels[size_t(start)], &run, sizeof run);
            std::memcpy(&levels[size_t(start + kLanes)], &run, sizeof run);
            start = std::min(next_start, picture.width);
        }
        light_row<Additive>(picture.pixels.data() + picture.index(0, row), levels.data(), picture.width, row);
    }
}

}  // namespace

void light_block(Bitmap& picture, uint32_t level_id, uint32_t lighting_kind, Point origin) {
    if (lighting_kind >= kShapes.size()) return;
    crt_srand(level_id);
    const std::array<int64_t, 4> f = wave_factors();
    if (lighting_kind <= kLastAdditiveKind) light_rows<true>(picture, kShapes[lighting_kind], f, origin);
    else light_rows<false>(picture, kShapes[lighting_kind], f, origin);
}
