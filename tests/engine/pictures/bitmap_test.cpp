#include "engine/pictures/bitmap.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t K = kColorKey;
constexpr uint16_t O = 0x1234;  // outline colour

Bitmap picture(int32_t width, int32_t height, std::vector<uint16_t> pixels) {
    Bitmap b(width, height, true);
    b.pixels = std::move(pixels);
    return b;
}

TEST(Bitmap, OutlineIsOnePixelWideIncludingDiagonals) {
    Bitmap b = picture(5, 5, {K, K, K, K, K,
                              K, K, K, K, K,
                              K, K, 7, K, K,
                              K, K, K, K, K,
                              K, K, K, K, K});
    b.add_outline(O);
    EXPECT_EQ(b.pixels, (std::vector<uint16_t>{K, K, K, K, K,
                                               K, O, O, O, K,
                                               K, O, 7, O, K,
                                               K, O, O, O, K,
                                               K, K, K, K, K}));
    EXPECT_FALSE(b.has_alpha());
}

TEST(Bitmap, OutlineDoesNotWrapAroundTheEdges) {
    // A picture pixel on the right edge must not outline the left edge of the
    // next row, nor the bottom row the top one.
    Bitmap b = picture(4, 3, {K, K, K, 9,
                              K, K, K, K,
                              K, K, K, K});
    b.add_outline(O);
    EXPECT_EQ(b.pixels, (std::vector<uint16_t>{K, K, O, 9,
                                               K, K, O, O,
                                               K, K, K, K}));
    Bitmap c = picture(3, 3, {K, K, K,
                              K, K, K,
                              5, K, K});
    c.add_outline(O);
    EXPECT_EQ(c.pixels, (std::vector<uint16_t>{K, K, K,
                                               O, O, K,
                                               5, O, K}));
}

TEST(Bitmap, CloneIsDeep) {
    Bitmap b = picture(2, 1, {1, 2});
    b.reserved = 77;
    b.alpha = {32, 5};
    auto copy = b.clone();
    b.pixels[0] = 9;
    b.alpha[0] = 0;
    EXPECT_EQ(copy->width, 2);
    EXPECT_EQ(copy->height, 1);
    EXPECT_EQ(copy->reserved, 77u);
    EXPECT_EQ(copy->pixels, (std::vector<uint16_t>{1, 2}));
    EXPECT_EQ(copy->alpha, (std::vector<uint8_t>{32, 5}));

    Bitmap plain(3, 2, false);
    EXPECT_FALSE(plain.clone()->has_alpha());
    EXPECT_EQ(plain.clone()->pixels.size(), 6u);
}

}  // namespace
