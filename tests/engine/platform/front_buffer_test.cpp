// The in-memory screen: what present copies, its CRC and the PNG it writes.
#include <unistd.h>

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <vector>

#include "engine/platform/front_buffer.h"

namespace {

constexpr int kW = 240, kH = 320;

std::vector<uint16_t> filled(uint16_t value) { return std::vector<uint16_t>(kW * kH, value); }

TEST(FrontBuffer, PresentCopiesOnlyTheGivenRectangles) {
    FrontBuffer screen;
    ASSERT_TRUE(screen.open(kW, kH));
    std::vector<uint16_t> back = filled(0xF800);
    screen.present(back.data(), kW * 2, {Rect{10, 20, 30, 25}, Rect{-5, -5, 2, 2}, Rect{300, 0, 400, 10}}, false);
    EXPECT_EQ(screen.pixel(10, 20), 0xF800);
    EXPECT_EQ(screen.pixel(29, 24), 0xF800);
    EXPECT_EQ(screen.pixel(30, 24), 0);
    EXPECT_EQ(screen.pixel(29, 25), 0);
    EXPECT_EQ(screen.pixel(1, 1), 0xF800);  // clipped, not dropped
    EXPECT_EQ(screen.present_count(), 1u);
    EXPECT_EQ(screen.rect_count(), 2u);    // the one outside the screen copies nothing
    EXPECT_EQ(screen.pixel_count(), 20u * 5 + 2 * 2);
}

TEST(FrontBuffer, WholePresentHonoursThePitch) {
    FrontBuffer screen;
    ASSERT_TRUE(screen.open(kW, kH));
    // A back buffer with wider rows than the screen.
    const int pitch_pixels = kW + 16;
    std::vector<uint16_t> back(size_t(pitch_pixels) * kH, 0);
    for (int y = 0; y < kH; y++) back[size_t(y) * pitch_pixels + 7] = uint16_t(y);
    screen.present(back.data(), pitch_pixels * 2, {}, true);
    EXPECT_EQ(screen.pixel(7, 0), 0);
    EXPECT_EQ(screen.pixel(7, 319), 319);
    EXPECT_EQ(screen.pixel(8, 319), 0);
    EXPECT_EQ(screen.pixel_count(), uint64_t(kW) * kH);
}

TEST(FrontBuffer, CrcFollowsTheContent) {
    FrontBuffer a, b;
    ASSERT_TRUE(a.open(kW, kH));
    ASSERT_TRUE(b.open(kW, kH));
    EXPECT_EQ(a.crc(), b.crc());
    std::vector<uint16_t> back = filled(0x07E0);
    a.present(back.data(), kW * 2, {Rect{0, 0, 1, 1}}, false);
    EXPECT_NE(a.crc(), b.crc());
    b.present(back.data(), kW * 2, {Rect{0, 0, 1, 1}}, false);
    EXPECT_EQ(a.crc(), b.crc());
}

TEST(FrontBuffer, RefusesImpossibleSizes) {
    FrontBuffer screen;
    EXPECT_FALSE(screen.open(0, 320));
    EXPECT_FALSE(screen.open(240, -1));
    EXPECT_FALSE(screen.open(100000, 320));
    EXPECT_FALSE(screen.is_open());
    std::vector<uint16_t> back = filled(1);
    screen.present(back.data(), kW * 2, {}, true);  // not open: ignored
    EXPECT_EQ(screen.present_count(), 0u);
}

TEST(FrontBuffer, WritesARgbPngOfTheScreen) {
    FrontBuffer screen;
    ASSERT_TRUE(screen.open(kW, kH));
    std::vector<uint16_t> back = filled(0xFFFF);
    back[5 * kW + 3] = 0xF800;
    screen.present(back.data(), kW * 2, {}, true);
    const std::string path = testing::TempDir() + "front_buffer_test_" + std::to_string(getpid()) + ".png";
    std::string error;
    ASSERT_TRUE(screen.save_png(path, error)) << error;

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, uint32_t(kW));
    EXPECT_EQ(image.height, uint32_t(kH));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    const uint8_t* red = &rgb[(5 * kW + 3) * 3];
    EXPECT_EQ(red[0], 255);
    EXPECT_EQ(red[1], 0);
    EXPECT_EQ(red[2], 0);
    EXPECT_EQ(rgb[0], 255);  // white stays full white
    std::remove(path.c_str());
}

TEST(FrontBuffer, UnwritablePathIsAnError) {
    FrontBuffer screen;
    std::string error;
    EXPECT_FALSE(screen.save_png("/nonexistent-folder/x.png", error));
    EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos);
}

}  // namespace
