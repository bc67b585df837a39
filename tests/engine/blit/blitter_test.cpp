// Fixed cases of the blitters: which modes each one draws, and the values
// of the operations that matter to the game.
#include <gtest/gtest.h>

#include "blit_test_support.h"
#include "engine/blit/color_math.h"
#include "engine/pictures/sprite_flags.h"

namespace {

constexpr BlitKind kAllKinds[] = {BlitKind::plain, BlitKind::zoomed, BlitKind::hq_zoomed, BlitKind::rotozoomed};

// A source that every supported mode visibly draws: no key, no black,
// half-opaque pixels, over a mid-grey background.
TestPicture mode_probe() {
    TestPicture p(6, 6, 0x4208);
    p.alpha.assign(36, 16);
    return p;
}

bool draws_anything(BlitKind kind, uint32_t flags) {
    TestPicture picture = mode_probe();
    TestSurface surface(16, 16, 0x8410);
    BlitSource src = picture.source(8, 8, flags | GRAB_CENTER);
    src.alpha_value = 16;
    src.zoom = 1024;
    fast_blitter(kind)(surface.target(), src, surface.whole());
    for (uint16_t p : surface.pixels)
        if (p != 0x8410) return true;
    return false;
}

}  // namespace

TEST(BlitterModes, EachBlitterDrawsExactlyItsModes) {
    // Every combination of the alpha, key and blend bits, plus the bits that
    // no blitter draws (half-alpha, flips, quarter turns, unknown bits).
    std::vector<uint32_t> modes;
    for (uint32_t blend : {0u, BLT_LIGHTEN, BLT_DARKEN, BLT_LIGHTEN | BLT_DARKEN})
        for (uint32_t key : {0u, TRANS_COLOR})
            for (uint32_t alpha = 0; alpha < 4; ++alpha) modes.push_back(blend | key | alpha);
    for (uint32_t odd : {ALPHA_SEMI, FLIP_HORIZONTAL, FLIP_VERTICAL, ROTATE_90, ROTATE_270, 0x20u, 0x800000u})
        modes.push_back(odd), modes.push_back(odd | TRANS_COLOR);
    for (BlitKind kind : kAllKinds) {
        for (uint32_t mode : modes) {
            EXPECT_EQ(draws_anything(kind, mode), reference_supports(kind, mode))
                << "blitter " << int(kind) << " mode " << mode;
        }
    }
    // Flags outside the mode do not change what is drawn.
    EXPECT_TRUE(draws_anything(BlitKind::plain, ALPHA_AUTO | HIT_RECT | RZ_ZOOMED));
    // Dynamic blending is the plain blitter's alone.
    EXPECT_TRUE(draws_anything(BlitKind::plain, BLT_DYNAMIC));
    EXPECT_FALSE(draws_anything(BlitKind::zoomed, BLT_DYNAMIC));
    EXPECT_FALSE(draws_anything(BlitKind::rotozoomed, BLT_DYNAMIC));
}

TEST(BlitterModes, LayerAlphaHalvesOverBlackAndCopiesWhenOpaque) {
    TestPicture picture(4, 4, 0xFFFF);
    for (int32_t alpha : {16, 32, 0, 40, -5}) {
        TestSurface surface(8, 8, 0x0000);
        BlitSource src = picture.source(2, 2, ALPHA_LAYER);
        src.alpha_value = alpha;
        blit_plain(surface.target(), src, surface.whole());
        uint16_t expected = alpha >= 32 ? 0xFFFF : alpha <= 0 ? 0x0000 : 0x7BEF;
        EXPECT_EQ(surface.at(3, 3), expected) << alpha;
        EXPECT_EQ(surface.at(1, 1), 0x0000);
    }
}

TEST(BlitterModes, DynamicBlendFollowsTheBackground) {
    TestPicture picture(4, 4, 0x8410);
    TestSurface white(4, 4, 0xFFFF), black(4, 4, 0x0000);
    blit_plain(white.target(), picture.source(0, 0, BLT_DYNAMIC), white.whole());
    blit_plain(black.target(), picture.source(0, 0, BLT_DYNAMIC), black.whole());
    EXPECT_EQ(white.at(1, 1), darken565(0xFFFF, 0x8410));
    EXPECT_EQ(black.at(1, 1), lighten565(0x0000, 0x8410));
    EXPECT_LT(white.at(1, 1), 0xFFFF);
    EXPECT_GT(black.at(1, 1), 0x0000);
}

TEST(BlitterModes, PixelAlphaWithoutAPlaneDrawsOpaque) {
    TestPicture picture(2, 2, 0x1234);  // no alpha plane
    TestSurface surface(2, 2, 0x0000);
    blit_plain(surface.target(), picture.source(0, 0, ALPHA_PIXEL), surface.whole());
    EXPECT_EQ(surface.at(0, 0), 0x1234);
}

TEST(Blitters, ZoomDoublesEachSourcePixel) {
    TestPicture picture(10, 10);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x) picture.at(x, y) = uint16_t(1 + y * 10 + x);
    TestSurface surface(30, 30, 0);
    BlitSource src = picture.source(5, 5, 0);
    src.zoom = 2048;
    blit_zoomed(surface.target(), src, surface.whole());
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 30; ++x) {
            bool inside = x >= 5 && x < 25 && y >= 5 && y < 25;
            uint16_t expected = inside ? uint16_t(1 + (y - 5) / 2 * 10 + (x - 5) / 2) : 0;
            ASSERT_EQ(surface.at(x, y), expected) << x << "," << y;
        }
}

TEST(Blitters, ZeroOrNegativeZoomDrawsNothing) {
    TestPicture picture(8, 8, 0x1234);
    for (BlitKind kind : {BlitKind::zoomed, BlitKind::hq_zoomed, BlitKind::rotozoomed})
        for (int32_t zoom : {0, -1, -1024, INT32_MIN}) {
            TestSurface surface(16, 16, 0);
            BlitSource src = picture.source(8, 8, TRANS_COLOR | ALPHA_LAYER);
            src.zoom = zoom;
            fast_blitter(kind)(surface.target(), src, surface.whole());
            for (uint16_t p : surface.pixels) ASSERT_EQ(p, 0) << int(kind) << " zoom " << zoom;
        }
}

TEST(Blitters, FilteredZoomOfOddWidthsStaysInsideTheFrame) {
    // The last frame of a stack at zoom 512: the right-hand samples would
    // reach past the last pixel of the bitmap without clamping.
    for (int32_t width : {1, 3, 5, 7, 31}) {
        TestPicture picture(width, 6, 0x07E0);
        picture.alpha.assign(picture.pixels.size(), 32);
        picture.pixels.back() = 0x001F;
        TestSurface surface(40, 40, 0);
        BlitSource src = picture.source(0, 0, TRANS_COLOR);
        src.frame_height = 3;
        src.frame_offset = width * 3;
        src.zoom = 512;
        blit_hq_zoomed(surface.target(), src, surface.whole());
        src.flags |= ALPHA_LAYER | ALPHA_PIXEL;
        blit_hq_zoomed(surface.target(), src, surface.whole());
        EXPECT_NE(surface.at(0, 0), 0) << width;
    }
}

TEST(Blitters, RotozoomNeverDrawsTheFirstColumnOrRow) {
    TestPicture picture(10, 10);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x) picture.at(x, y) = uint16_t(1 + y * 10 + x);
    TestSurface surface(20, 20, 0);
    blit_rotozoomed(surface.target(), picture.source(10, 10, 0), surface.whole());
    // At 0 degrees and zoom 1.0, frame pixel (c, r) lands at (5 + c, 5 + r)
    // for c, r in 1..9; column 0 and row 0 have no inside target pixel.
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            bool inside = x >= 6 && x < 15 && y >= 6 && y < 15;
            uint16_t expected = inside ? uint16_t(1 + (y - 5) * 10 + (x - 5)) : 0;
            ASSERT_EQ(surface.at(x, y), expected) << x << "," << y;
        }
}

TEST(Blitters, RotozoomAtRightAnglesTurnsThePicture) {
    TestPicture picture(10, 6);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 10; ++x) picture.at(x, y) = uint16_t(1 + y * 10 + x);
    for (int32_t quarter = 1; quarter <= 3; ++quarter) {
        TestSurface surface(30, 30, 0);
        BlitSource src = picture.source(15, 15, 0);
        src.rotation = quarter * 0x5A0000;
        blit_rotozoomed(surface.target(), src, surface.whole());
        int32_t drawn = 0;
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 30; ++x) {
                int32_t dx = x - 15, dy = y - 15;
                // Inverse quarter turns: (u, v) from (dx, dy).
                int32_t u = quarter == 1 ? -dy : quarter == 2 ? -dx : dy;
                int32_t v = quarter == 1 ? dx : quarter == 2 ? -dy : -dx;
                bool inside = u > -5 && u < 5 && v > -3 && v < 3;
                uint16_t expected = inside ? uint16_t(1 + (v + 3) * 10 + (u + 5)) : 0;
                ASSERT_EQ(surface.at(x, y), expected) << quarter << ": " << x << "," << y;
                drawn += inside;
            }
        EXPECT_EQ(drawn, 9 * 5);
    }
}

TEST(Blitters, ClipAndShiftBoundEveryWrite) {
    TestPicture picture(12, 12, 0x1234);
    for (BlitKind kind : kAllKinds) {
        TestSurface surface(24, 24, 0);
        uint32_t mode = kind == BlitKind::rotozoomed ? TRANS_COLOR | ALPHA_LAYER : TRANS_COLOR;
        BlitSource src = picture.source(30, 30, mode | GRAB_CENTER);
        src.zoom = 1500;
        src.rotation = 0x1E0000;
        BlitView view{Rect{5, 6, 17, 15}, Point{18, 20}};  // sprite centre lands at 12, 10
        fast_blitter(kind)(surface.target(), src, view);
        int32_t drawn = 0;
        for (int32_t y = 0; y < 24; ++y)
            for (int32_t x = 0; x < 24; ++x) {
                if (surface.at(x, y) == 0) continue;
                ++drawn;
                ASSERT_TRUE(view.clip.contains({x, y})) << int(kind) << ": " << x << "," << y;
            }
        EXPECT_GT(drawn, 50) << int(kind);
    }
}
