// The zoom blitter's whole and half steps (zooms of 1/2 and 2 read rows
// eight pixels at a time) on frames wide enough for those loops, cut by
// clips at odd columns and rows, against the reference model.
#include <gtest/gtest.h>

#include <random>

#include "blit_test_support.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"

namespace {

TEST(ZoomedBlit, HalfAndDoubleZoomsMatchTheReferenceOnWideFrames) {
    std::mt19937 rng(2048);
    // 2046 and 2047 step as 2048 does (half a source pixel a target pixel);
    // 1536 and 683 take the column table, 256 a whole step of four.
    const int32_t zooms[] = {512, 2046, 2047, 2048, 1536, 683, 256};
    const uint32_t modes[] = {0, TRANS_COLOR, ALPHA_PIXEL, ALPHA_LAYER | TRANS_COLOR, BLT_LIGHTEN | ALPHA_PIXEL};
    const int32_t w = 260, h = 200;
    int drawn = 0;
    for (int round = 0; round < 400; ++round) {
        const int32_t fw = int32_t(9 + rng() % 120), fh = int32_t(1 + rng() % 30), frames = int32_t(1 + rng() % 3);
        TestPicture picture(fw, fh * frames);
        for (uint16_t& p : picture.pixels) p = rng() % 4 == 0 ? kColorKey : uint16_t(rng());
        picture.alpha.resize(picture.pixels.size());
        for (uint8_t& a : picture.alpha) a = uint8_t(rng() % 33);
        const uint32_t mode = modes[rng() % std::size(modes)];
        BlitSource src = picture.source(int32_t(rng() % (w + 60)) - 30, int32_t(rng() % (h + 60)) - 30,
                                        mode | (uint32_t(rng() % 16) << 24));
        src.frame_height = fh;
        src.frame_offset = fw * fh * int32_t(rng() % frames);  // the last frame ends the buffer
        src.alpha_value = int32_t(rng() % 33);
        src.zoom = zooms[rng() % std::size(zooms)];
        const int32_t l = int32_t(rng() % w), t = int32_t(rng() % h);
        BlitView view{Rect{l, t, l + int32_t(rng() % (w - l + 1)), t + int32_t(rng() % (h - t + 1))}, Point{}};
        if (rng() % 2 == 0) view.clip = {0, 0, w, h};
        TestSurface fast(w, h), expected(w, h);
        for (size_t p = 0; p < fast.pixels.size(); ++p) fast.pixels[p] = expected.pixels[p] = uint16_t(rng());
        const std::vector<uint16_t> before = fast.pixels;
        blit_zoomed(fast.target(), src, view);
        reference_blit(BlitKind::zoomed, expected.target(), src, view);
        ASSERT_EQ(fast.pixels, expected.pixels) << "round " << round << " mode " << mode << " zoom " << src.zoom
                                                << " frame " << fw << "x" << fh << " at " << src.x << "," << src.y;
        drawn += fast.pixels != before;
    }
    EXPECT_GT(drawn, 100);  // many cases draw, not only clip away
}

}  // namespace
