#include "game/map_view/block_lighting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <random>

#include "engine/core/crt_random.h"
#include "engine/core/fixed_math.h"
#include "engine/pictures/bitmap.h"

namespace {

// The lighting pixel by pixel as the rules give it: a level drawn at
// column 0 and at every period boundary of the row, each pixel's 8-bit
// channels then lit or scaled and clamped.
void reference_light_block(Bitmap& picture, uint32_t level_id, uint32_t kind, Point origin) {
    static constexpr std::array<std::array<int64_t, 2>, 6> kShapes = {
        {{250, 150}, {350, 270}, {100, 50}, {32, 16}, {48, 28}, {92, 50}}};
    if (kind >= kShapes.size()) return;
    const int64_t amplitude = kShapes[kind][0], bias = kShapes[kind][1];
    const bool additive = kind <= 2;
    const int32_t period = additive ? 12 : 10, spread = additive ? 41 : 11, centre = additive ? 20 : 5;
    crt_srand(level_id);
    std::array<int64_t, 4> f{};
    for (int64_t& factor : f) {
        factor = 40000 + 3000 * (crt_rand() % 11);
        if (crt_rand() & 1) factor = -factor;
    }
    const auto angle = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    const auto pack = [](int32_t r, int32_t g, int32_t b) {
        return uint16_t((std::clamp(r, 0, 255) >> 3) << 11 | (std::clamp(g, 0, 255) >> 2) << 5 |
                        (std::clamp(b, 0, 255) >> 3));
    };
    for (int32_t row = 0; row < picture.height; ++row) {
        const int32_t r = crt_rand();
        int32_t level = 0;
        for (int32_t column = 0; column < picture.width; ++column) {
            if (column == 0 || (column + r % period) % period == 0) {
                const int64_t px = int64_t(origin.x) + column, py = int64_t(origin.y) + row;
                const int64_t w = (int64_t(fix_sin(angle(f[0] * py + f[1] * px))) -
                                   fix_sin(angle(f[2] * py + f[3] * px + (90 << 16)))) /
                                  2;
                level = crt_rand() % spread + int32_t((w * amplitude - bias) / 65536) - centre;
            }
            if (level == 0) continue;
            const bool odd = (column + row) & 1;
            uint16_t& p = picture.pixels[picture.index(column, row)];
            const int32_t red = ((p >> 11) & 31) * 8, green = ((p >> 5) & 63) * 4, blue = (p & 31) * 8;
            if (additive) {
                const int32_t d = level + (odd ? 32 : 0);
                p = pack(red + (d + 9) / 8, green + (d + 18) / 8, blue + d / 8);
            } else {
                const int32_t m = level + 256 + (odd ? 16 : 0);
                p = pack((red * m) >> 8, (green * m) >> 8, (blue * m) >> 8);
            }
        }
    }
}

Bitmap random_picture(std::mt19937& rng, int32_t width, int32_t height) {
    Bitmap picture(width, height, false);
    // Black and white pixels among the random ones reach both clamps.
    for (uint16_t& p : picture.pixels) {
        const uint32_t pick = rng() % 8;
        p = pick == 0 ? 0x0000 : pick == 1 ? 0xFFFF : uint16_t(rng());
    }
    return picture;
}

// Lights a copy both ways and compares every pixel and the generator's
// state afterwards (the renderer draws on from it).
void expect_same_as_reference(const Bitmap& original, uint32_t level_id, uint32_t kind, Point origin) {
    Bitmap fast = original, reference = original;
    crt_srand(99);  // an unknown kind leaves the generator as it was
    light_block(fast, level_id, kind, origin);
    const int32_t after_fast = crt_rand();
    crt_srand(99);
    reference_light_block(reference, level_id, kind, origin);
    const int32_t after_reference = crt_rand();
    ASSERT_EQ(fast.pixels, reference.pixels) << "level " << level_id << " kind " << kind << " size " << original.width
                                             << "x" << original.height << " at " << origin.x << "," << origin.y;
    EXPECT_EQ(after_fast, after_reference) << "kind " << kind;
}

TEST(BlockLighting, EveryKindMatchesThePixelByPixelRulesOnEdgeShapes) {
    std::mt19937 rng(7);
    const struct {
        int32_t width, height;
        Point origin;
    } cases[] = {
        {160, 160, {320, 480}},                  // a whole block
        {64, 32, {4 * 160, 0}},                  // a short block at the level's edge
        {1, 1, {0, 0}},                          // one pixel: only column 0 draws a level
        {7, 3, {5, 9}},                          // narrower than eight lanes
        {13, 5, {-40, -72}},                     // a tail of five; negative angles
        {171, 4, {INT32_MAX - 100, INT32_MIN}},  // angles saturate
    };
    for (const auto& c : cases) {
        const Bitmap picture = random_picture(rng, c.width, c.height);
        for (uint32_t kind = 0; kind <= 6; ++kind) expect_same_as_reference(picture, 0x1102, kind, c.origin);
    }
}

TEST(BlockLighting, RandomLevelsKindsAndPlacesMatchThePixelByPixelRules) {
    std::mt19937 rng(21);
    for (int32_t i = 0; i < 300; ++i) {
        const int32_t width = 1 + int32_t(rng() % 200), height = 1 + int32_t(rng() % 24);
        const Bitmap picture = random_picture(rng, width, height);
        const Point origin{int32_t(rng() % 20000) - 10000, int32_t(rng() % 20000) - 10000};
        expect_same_as_reference(picture, rng(), rng() % 6, origin);
    }
}

}  // namespace
