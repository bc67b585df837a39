#include "engine/graphics/vga_shadow.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t kUntouched = 0xBEEF;

struct Screens {
    std::vector<uint16_t> back = std::vector<uint16_t>(240 * 320);
    std::vector<uint16_t> frame = std::vector<uint16_t>(480 * 640, kUntouched);
    Screens() {
        for (size_t i = 0; i < back.size(); ++i) back[i] = uint16_t(i % 7 == 0 ? 0x1111 : i * 31);
    }
    uint16_t at(int32_t x, int32_t y) const { return frame[size_t(y) * 480 + size_t(x)]; }
};

TEST(VgaShadow, UnchangedFrameWritesNothing) {
    Screens s;
    VgaShadow shadow;
    shadow.commit(s.back.data());
    EXPECT_EQ(shadow.present_rect(s.back.data(), s.frame.data(), {0, 0, 240, 320}), 0);
    EXPECT_EQ(s.frame, std::vector<uint16_t>(480 * 640, kUntouched));
}

TEST(VgaShadow, SpoiledShadowRewritesAllButItsOwnValue) {
    Screens s;
    VgaShadow shadow;
    shadow.commit(s.back.data());
    shadow.spoil();
    int32_t expected = 0;
    for (uint16_t p : s.back) expected += p != 0x1111;
    EXPECT_EQ(shadow.present_rect(s.back.data(), s.frame.data(), {0, 0, 240, 320}), expected);
    for (int32_t y = 0; y < 320; ++y)
        for (int32_t x = 0; x < 240; ++x) {
            const uint16_t p = s.back[size_t(y) * 240 + size_t(x)];
            const uint16_t want = p == 0x1111 ? kUntouched : p;
            ASSERT_EQ(s.at(2 * x, 2 * y), want);
            ASSERT_EQ(s.at(2 * x + 1, 2 * y), want);
            ASSERT_EQ(s.at(2 * x, 2 * y + 1), want);
            ASSERT_EQ(s.at(2 * x + 1, 2 * y + 1), want);
        }
}

TEST(VgaShadow, OnlyTheRectangleAndOnlyChangedPixels) {
    Screens s;
    VgaShadow shadow;
    shadow.commit(s.back.data());
    s.back[size_t(10) * 240 + 20] ^= 0xFFFF;   // inside the rectangle
    s.back[size_t(100) * 240 + 200] ^= 0xFFFF; // outside
    EXPECT_EQ(shadow.present_rect(s.back.data(), s.frame.data(), {16, 8, 32, 16}), 1);
    EXPECT_EQ(s.at(41, 21), s.back[size_t(10) * 240 + 20]);
    EXPECT_EQ(s.at(400, 200), kUntouched);
}

TEST(VgaShadow, EveryThreeHundredthFrameRefreshes) {
    VgaShadow shadow;
    for (int i = 1; i < 300; ++i) ASSERT_FALSE(shadow.next_frame()) << i;
    Screens s;
    shadow.commit(s.back.data());
    EXPECT_TRUE(shadow.next_frame());
    EXPECT_GT(shadow.present_rect(s.back.data(), s.frame.data(), {0, 0, 240, 320}), 0);
    EXPECT_EQ(shadow.frames(), 300u);
}

}  // namespace
