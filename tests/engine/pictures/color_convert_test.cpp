#include "engine/pictures/color_convert.h"

#include <gtest/gtest.h>

namespace {

using namespace load_flag;

// Restores the engine-wide settings after each test.
class ColorConvert : public testing::Test {
protected:
    void TearDown() override { g_color_correction = {}; }
};

TEST_F(ColorConvert, OutputPackings) {
    EXPECT_EQ(convert_color(kOutput565, 0xFF, 0xFF, 0xFF), 0xFFFF);
    EXPECT_EQ(convert_color(kOutput565, 0xFF, 0x00, 0xFF), 0xF81F);
    EXPECT_EQ(convert_color(kOutput565, 0x12, 0x34, 0x56), (0x10 << 8) | (0x34 << 3) | (0x56 >> 3));
    EXPECT_EQ(convert_color(kOutput555, 0xFF, 0x80, 0x08), 0x7C00 | (0x80 << 2) | 0x01);
    EXPECT_EQ(convert_color(kOutput444, 0xAB, 0xCD, 0xEF), 0x0ACE);
    // The first format bit wins: 444, then 555, then 565.
    EXPECT_EQ(convert_color(kOutput444 | kOutput565, 0xAB, 0xCD, 0xEF), 0x0ACE);
    EXPECT_EQ(convert_color(kOutput555 | kOutput565, 0xFF, 0xFF, 0xFF), 0x7FFF);
    // No format bit, no colour; the scaling bit alone counts as a request.
    EXPECT_EQ(convert_color(kGrayscale, 0xFF, 0xFF, 0xFF), 0);
    EXPECT_EQ(convert_color(kScaleBit, 0xFF, 0xFF, 0xFF), 0);
    EXPECT_EQ(with_default_format(kGrayscale), kGrayscale | kOutput565);
    EXPECT_EQ(with_default_format(kScaleBit), kScaleBit);
}

TEST_F(ColorConvert, StepsRunInOrder) {
    // Invert comes first, then the masks: inverted red is masked away.
    EXPECT_EQ(convert_color(kOutput565 | kInvert | kNoRed, 0x00, 0xFF, 0xFF), 0x0000);
    EXPECT_EQ(convert_color(kOutput565 | kInvert, 0x00, 0xFF, 0xFF), 0xF800);
    // Grey averages the masked channels: (0 + 2 * 200 + 100) / 4 = 125.
    const uint16_t grey125 = convert_color(kOutput565, 125, 125, 125);
    EXPECT_EQ(convert_color(kOutput565 | kGrayscale | kNoRed, 255, 200, 100), grey125);
    EXPECT_EQ(convert_color(kOutput565 | kNoGreen | kNoBlue, 255, 200, 100), 0xF800);
}

TEST_F(ColorConvert, CorrectionIsNeutralAt128AndSparesTheKey) {
    for (int c = 0; c < 256; c += 17)
        EXPECT_EQ(convert_color(kOutput565 | kColorCorrect, uint8_t(c), uint8_t(255 - c), 77),
                  convert_color(kOutput565, uint8_t(c), uint8_t(255 - c), 77));

    g_color_correction = {256, 128};
    // (200 - 128) * 2 + 128 = 272 -> 255; (100 - 128) * 2 + 128 = 72.
    EXPECT_EQ(convert_color(kOutput565 | kColorCorrect, 200, 100, 128),
              convert_color(kOutput565, 255, 72, 128));
    // Truncation toward zero: (127 - 128) * 100 / 128 = 0 -> 128.
    g_color_correction = {100, 128};
    EXPECT_EQ(convert_color(kOutput565 | kColorCorrect, 127, 127, 127),
              convert_color(kOutput565, 128, 128, 128));
    g_color_correction = {128, 200};
    EXPECT_EQ(convert_color(kOutput565 | kColorCorrect, 10, 250, 100),
              convert_color(kOutput565, 82, 255, 172));
    // The key and its neighbours pass unchanged; correction off without the flag.
    EXPECT_EQ(convert_color(kOutput565 | kColorCorrect, 255, 0, 255), 0xF81F);
    EXPECT_EQ(convert_color(kOutput565 | kColorCorrect, 248, 8, 250), convert_color(kOutput565, 248, 8, 250));
    EXPECT_NE(convert_color(kOutput565 | kColorCorrect, 248, 9, 250), convert_color(kOutput565, 248, 9, 250));
}

}  // namespace
