#include "engine/pictures/bmp_decoder.h"

#include <gtest/gtest.h>

#include "engine/pictures/color_convert.h"
#include "tools/bitmap_tools/bmp_writer.h"

namespace {

uint16_t rgb565(uint32_t rgb) {
    return convert_color(load_flag::kOutput565, uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
}

std::unique_ptr<Bitmap> decode(const std::vector<uint8_t>& file, uint32_t flags = 0) {
    std::string error;
    auto bitmap = decode_bmp(file, flags, error);
    EXPECT_TRUE(bitmap) << error;
    return bitmap;
}

std::string refusal(const std::vector<uint8_t>& file) {
    std::string error;
    auto bitmap = decode_bmp(file, 0, error);
    EXPECT_FALSE(bitmap);
    EXPECT_FALSE(error.empty());
    return error;
}

// Distinct colours so that a pixel in the wrong place shows.
std::vector<uint32_t> colour_ramp(int count) {
    std::vector<uint32_t> v;
    for (int i = 0; i < count; ++i)
        v.push_back(uint32_t((i * 37 + 11) % 256) << 16 | uint32_t((i * 91 + 3) % 256) << 8 |
                    uint32_t((i * 53 + 200) % 256));
    return v;
}

void expect_pixels(const Bitmap& b, const std::vector<uint16_t>& expected) {
    ASSERT_EQ(b.pixels.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(b.pixels[i], expected[i]) << "pixel " << i % size_t(b.width) << ","
                                            << i / size_t(b.width);
}

TEST(BmpDecoder, TrueColourRowsArePaddedAndBottomUp) {
    for (int width : {1, 2, 3, 4, 5}) {
        const auto colours = colour_ramp(width * 3);
        auto b = decode(write_bmp({.width = width, .height = 3, .bits = 24}, colours));
        ASSERT_TRUE(b);
        EXPECT_EQ(b->width, width);
        EXPECT_EQ(b->height, 3);
        EXPECT_FALSE(b->has_alpha());
        std::vector<uint16_t> expected;
        for (uint32_t c : colours) expected.push_back(rgb565(c));
        expect_pixels(*b, expected);
    }
}

TEST(BmpDecoder, TopDownFilesKeepTheirRowOrder) {
    const auto colours = colour_ramp(12);
    auto b = decode(write_bmp({.width = 3, .height = -4, .bits = 24}, colours));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->height, 4);
    EXPECT_EQ(b->pixel(0, 0), rgb565(colours[0]));
    EXPECT_EQ(b->pixel(2, 3), rgb565(colours[11]));
}

TEST(BmpDecoder, PalettedDepthsIndexThePalette) {
    const auto palette = colour_ramp(16);
    // Width 3 at 4 bits: two bytes of pixels and two of padding a row, left
    // pixel in the high nibble.
    const std::vector<uint32_t> indexes = {1, 2, 3, 15, 14, 13};
    auto b4 = decode(write_bmp({.width = 3, .height = 2, .bits = 4, .palette = palette, .colors_used = 16},
                               indexes));
    ASSERT_TRUE(b4);
    for (size_t i = 0; i < indexes.size(); ++i) EXPECT_EQ(b4->pixels[i], rgb565(palette[indexes[i]]));

    const std::vector<uint32_t> bits = {1, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0};  // crosses a byte
    auto b1 = decode(write_bmp({.width = 11, .height = 1, .bits = 1, .palette = {0x000000, 0xFFFFFF}},
                               bits));
    ASSERT_TRUE(b1);
    for (size_t i = 0; i < bits.size(); ++i) EXPECT_EQ(b1->pixels[i], bits[i] ? 0xFFFF : 0);
}

TEST(BmpDecoder, PaletteSizeFollowsColoursUsed) {
    // 0 means a full palette of 256 entries, 16 means the pixels follow the
    // sixteenth entry at once.
    std::vector<uint32_t> full = colour_ramp(256);
    const std::vector<uint32_t> indexes = {0, 200, 255, 7};
    auto b = decode(write_bmp({.width = 4, .height = 1, .bits = 8, .palette = full}, indexes));
    ASSERT_TRUE(b);
    for (size_t i = 0; i < indexes.size(); ++i) EXPECT_EQ(b->pixels[i], rgb565(full[indexes[i]]));

    std::vector<uint32_t> small = colour_ramp(16);
    auto s = decode(write_bmp({.width = 4, .height = 1, .bits = 8, .palette = small, .colors_used = 16},
                              {15, 0, 3, 9}));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->pixels[0], rgb565(small[15]));
    EXPECT_EQ(s->pixels[3], rgb565(small[9]));
}

TEST(BmpDecoder, IndexesBeyondThePaletteAreBlack) {
    std::vector<uint32_t> palette = {0xFFFFFF, 0x00FF00};
    auto b = decode(write_bmp({.width = 3, .height = 1, .bits = 8, .palette = palette, .colors_used = 2},
                              {1, 2, 255}));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->pixels[0], rgb565(0x00FF00));
    EXPECT_EQ(b->pixels[1], 0);
    EXPECT_EQ(b->pixels[2], 0);

    // A colours-used count far beyond 2^bits is clamped to the depth.
    palette = colour_ramp(16);
    auto c = decode(write_bmp({.width = 2, .height = 1, .bits = 4, .palette = palette,
                               .colors_used = 0x7FFFFFFF},
                              {15, 1}));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->pixels[0], rgb565(palette[15]));
}

TEST(BmpDecoder, SixteenBitLayouts) {
    // 5-5-5 without masks, odd width so every row carries one padding word.
    const std::vector<uint32_t> words555 = {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x0000, 0x1234};
    auto a = decode(write_bmp({.width = 3, .height = 2, .bits = 16}, words555));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->pixels[0], 0xF800);
    EXPECT_EQ(a->pixels[1], 0x07C0);  // five green bits land in the top of six
    EXPECT_EQ(a->pixels[2], 0x001F);
    EXPECT_EQ(a->pixels[3], 0xFFDF);
    EXPECT_EQ(a->pixels[5], uint16_t(((0x1234 >> 7 & 0xF8) << 8) | ((0x1234 >> 2 & 0xF8) << 3) |
                                     ((0x1234 << 3 & 0xFF) >> 3)));

    // 5-6-5 with masks passes unchanged into RGB565.
    const std::vector<uint32_t> words565 = {0xF81F, 0x07E0, 0x1234};
    for (uint32_t header : {40u, 124u}) {
        auto b = decode(write_bmp({.width = 3, .height = 1, .bits = 16, .compression = 3,
                                   .info_size = header, .masks = {0xF800, 0x07E0, 0x001F}},
                                  words565));
        ASSERT_TRUE(b);
        EXPECT_EQ(b->pixels, (std::vector<uint16_t>{0xF81F, 0x07E0, 0x1234}));
    }
}

TEST(BmpDecoder, ThirtyTwoBitAlphaPlane) {
    const std::vector<uint32_t> argb = {0xFAFF0000, 0xFB00FF00, 0x070000FF, 0x00FFFFFF, 0xFF123456};
    auto b = decode(write_bmp({.width = 5, .height = 1, .bits = 32}, argb));
    ASSERT_TRUE(b);
    ASSERT_TRUE(b->has_alpha());
    EXPECT_EQ(b->alpha, (std::vector<uint8_t>{31, 32, 0, 0, 32}));
    EXPECT_EQ(b->pixels[0], 0xF800);
    EXPECT_EQ(b->pixels[4], rgb565(0x123456));

    // Masks without an alpha channel: the fourth byte means nothing, opaque.
    auto o = decode(write_bmp({.width = 2, .height = 1, .bits = 32, .compression = 3,
                               .masks = {0xFF0000, 0xFF00, 0xFF}},
                              {0x00FF0000, 0x0000FF00}));
    ASSERT_TRUE(o);
    EXPECT_EQ(o->alpha, (std::vector<uint8_t>{32, 32}));
}

TEST(BmpDecoder, LongHeadersAndPixelOffsetAreHonoured) {
    const auto palette = colour_ramp(4);
    for (uint32_t header : {40u, 52u, 56u, 108u, 124u}) {
        auto b = decode(write_bmp({.width = 2, .height = 2, .bits = 8, .info_size = header,
                                   .palette = palette, .colors_used = 4, .gap = 10},
                                  {0, 1, 2, 3}));
        ASSERT_TRUE(b) << header;
        EXPECT_EQ(b->pixels, (std::vector<uint16_t>{rgb565(palette[0]), rgb565(palette[1]),
                                                    rgb565(palette[2]), rgb565(palette[3])}))
            << header;
    }
}

TEST(BmpDecoder, LoadFlagsReachEveryPixel) {
    auto grey = decode(write_bmp({.width = 1, .height = 1, .bits = 24}, {0x4080C0}),
                       load_flag::kGrayscale);
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->pixels[0], convert_color(load_flag::kGrayscale | load_flag::kOutput565, 0x40, 0x80, 0xC0));
    auto c444 = decode(write_bmp({.width = 1, .height = 1, .bits = 24}, {0xF0A050}),
                       load_flag::kOutput444);
    ASSERT_TRUE(c444);
    EXPECT_EQ(c444->pixels[0], 0x0FA5);
}

std::vector<uint8_t> valid_file() {
    return write_bmp({.width = 3, .height = 2, .bits = 8, .palette = colour_ramp(4), .colors_used = 4},
                     {0, 1, 2, 3, 0, 1});
}

TEST(BmpDecoder, RefusesMalformedHeaders) {
    EXPECT_EQ(refusal({}), "not a BMP file");
    EXPECT_EQ(refusal({'P', 'K', 3, 4}), "not a BMP file");

    auto file = valid_file();
    write_u32le(&file[14], 12);  // core header
    EXPECT_NE(refusal(file).find("header of 12"), std::string::npos);

    file = valid_file();
    write_u32le(&file[30], 1);  // run-length, as ImageMagick writes by default
    EXPECT_NE(refusal(file).find("compression 1"), std::string::npos);
    file = valid_file();
    write_u32le(&file[30], 3);  // masks on a paletted file
    EXPECT_NE(refusal(file).find("compression 3"), std::string::npos);

    file = valid_file();
    write_u16le(&file[28], 2);
    EXPECT_NE(refusal(file).find("depth"), std::string::npos);

    for (int32_t width : {0, -5}) {
        file = valid_file();
        write_u32le(&file[18], uint32_t(width));
        EXPECT_NE(refusal(file).find("width"), std::string::npos);
    }
    file = valid_file();
    write_u32le(&file[22], 0);
    EXPECT_NE(refusal(file).find("height"), std::string::npos);
}

TEST(BmpDecoder, RefusesSizesTheFileCannotHold) {
    auto file = valid_file();
    write_u32le(&file[18], 0x7FFFFFFF);
    write_u32le(&file[22], 0x7FFFFFFF);
    EXPECT_NE(refusal(file).find("too large"), std::string::npos);

    file = valid_file();
    write_u32le(&file[22], 0x80000000u);  // the most negative height
    EXPECT_NE(refusal(file).find("too large"), std::string::npos);

    file = valid_file();
    write_u32le(&file[18], 4000);
    EXPECT_NE(refusal(file).find("past the end"), std::string::npos);

    file = valid_file();
    write_u32le(&file[10], 0xFFFFFFF0u);
    EXPECT_NE(refusal(file).find("past the end"), std::string::npos);

    file = valid_file();
    write_u32le(&file[10], 20);
    EXPECT_NE(refusal(file).find("inside the header"), std::string::npos);

    auto masked = write_bmp({.width = 2, .height = 1, .bits = 16, .compression = 3,
                             .masks = {0x00F0, 0x0F00, 0xF000}},
                            {1, 2});
    EXPECT_NE(refusal(masked).find("masks"), std::string::npos);
}

TEST(BmpDecoder, EveryTruncationFailsCleanly) {
    for (const auto& file :
         {valid_file(), write_bmp({.width = 3, .height = 2, .bits = 32}, colour_ramp(6)),
          write_bmp({.width = 3, .height = 1, .bits = 16, .compression = 3,
                     .masks = {0xF800, 0x07E0, 0x001F}},
                    {1, 2, 3})}) {
        for (size_t size = 0; size < file.size(); ++size) {
            std::vector<uint8_t> cut(file.begin(), file.begin() + std::ptrdiff_t(size));
            std::string error;
            EXPECT_FALSE(decode_bmp(cut, 0, error)) << "size " << size;
            EXPECT_FALSE(error.empty()) << "size " << size;
        }
    }
}

TEST(BmpDecoder, LoadByNameReportsTheName) {
    testing::internal::CaptureStderr();
    auto b = load_bitmap_file("pics/broken.bmp", std::vector<uint8_t>{'B', 'M', 0}, 0);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(b);
    EXPECT_NE(log.find("pics/broken.bmp"), std::string::npos);
    EXPECT_NE(log.find("truncated"), std::string::npos);
}

}  // namespace
