#include "engine/blit/color_math.h"

#include <gtest/gtest.h>

#include <random>

#include "blit_reference.h"

TEST(ColorMath, SpreadAndPackRoundTripEveryColour) {
    for (uint32_t p = 0; p < 0x10000; ++p) ASSERT_EQ(pack565(spread565(uint16_t(p))), p);
}

TEST(ColorMath, ScaleAndBlendMatchChannelArithmetic) {
    std::mt19937 rng(7);
    for (int i = 0; i < 200000; ++i) {
        uint16_t s = uint16_t(rng()), d = uint16_t(rng());
        uint32_t a = rng() % 33;
        ASSERT_EQ(scale565(s, a), reference_scale(s, int32_t(a))) << s << " " << a;
        ASSERT_EQ(blend565(s, d, a), reference_blend(s, d, int32_t(a))) << s << " " << d << " " << a;
    }
    // Opacity 32 copies, 0 keeps the background; white at 16 over black halves.
    EXPECT_EQ(blend565(0x1234, 0xABCD, 32), 0x1234);
    EXPECT_EQ(blend565(0x1234, 0xABCD, 0), 0xABCD);
    EXPECT_EQ(blend565(0xFFFF, 0x0000, 16), 0x7BEF);
}

TEST(ColorMath, LightenAndDarkenSaturatePerChannel) {
    EXPECT_EQ(lighten565(0x8410, 0x8410), 0xF7DE);
    EXPECT_EQ(darken565(0x8410, 0x8410), 0x0000);
    // Every background against a spread of sources, and random pairs.
    for (uint32_t d = 0; d < 0x10000; ++d) {
        for (uint16_t s : {0x0000, 0x0001, 0x0821, 0x8410, 0xF81F, 0x07E0, 0xFFFF, 0x1234}) {
            ASSERT_EQ(lighten565(uint16_t(d), s), reference_lighten(uint16_t(d), s)) << d << " " << s;
            ASSERT_EQ(darken565(uint16_t(d), s), reference_darken(uint16_t(d), s)) << d << " " << s;
        }
    }
    std::mt19937 rng(11);
    for (int i = 0; i < 200000; ++i) {
        uint16_t s = uint16_t(rng()), d = uint16_t(rng());
        ASSERT_EQ(lighten565(d, s), reference_lighten(d, s));
        ASSERT_EQ(darken565(d, s), reference_darken(d, s));
    }
}
