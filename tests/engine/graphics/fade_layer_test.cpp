// The fade layer: level steps and what they mark, exact pixels of fades and
// tints, and the same picture from dirty and from full redraws.
#include "engine/graphics/fade_layer.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/graphics/layer.h"
#include "graphics_test_support.h"

namespace {

struct Screen {
    Screen(int32_t w, int32_t h) : width(w), height(h), pixels(size_t(w) * size_t(h), 0) {}
    DrawTarget target() {
        return whole_surface_target(pixels.data(), {width, height});
    }
    int32_t width, height;
    std::vector<uint16_t> pixels;
};

uint16_t rgb(uint32_t r, uint32_t g, uint32_t b) { return uint16_t(r << 11 | g << 5 | b); }
uint32_t red(uint16_t p) { return p >> 11; }
uint32_t green(uint16_t p) { return p >> 5 & 0x3F; }
uint32_t blue(uint16_t p) { return p & 0x1F; }

// Every 16-bit colour once, in a 256 x 256 picture.
Screen all_colors() {
    Screen s(256, 256);
    for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = uint16_t(i);
    return s;
}

// Draws a fade layer straight into a screen of every colour.
std::vector<uint16_t> faded(FadeLayer& fade) {
    Screen s = all_colors();
    fade.set_size(s.width, s.height);
    fade.draw(s.target());
    return s.pixels;
}

}  // namespace

TEST(FadeLayerTest, LevelStepsStayInRangeAndMarkTheLayer) {
    Layer layer;
    layer.set_size(16, 8);
    auto* fade = new FadeLayer;
    layer.add(fade, 10);
    EXPECT_EQ(fade->size().width, 16);
    layer.clear_dirty();

    EXPECT_EQ(fade->add_level(-2), 0);  // already 0
    EXPECT_TRUE(layer.region().is_clear());
    EXPECT_EQ(fade->add_level(1), 1);
    EXPECT_FALSE(layer.region().is_clear());
    layer.clear_dirty();
    EXPECT_EQ(fade->add_level(-2), 1);
    EXPECT_EQ(fade->level(), 0);
    EXPECT_EQ(fade->add_level(40), 1);
    EXPECT_EQ(fade->level(), 32);
    EXPECT_EQ(fade->add_level(INT32_MAX), 0);

    fade->set_tint(2, 2, 2);
    EXPECT_TRUE(fade->tinted());
    layer.clear_dirty();
    fade->set_tint(3, 1, 1);
    EXPECT_TRUE(layer.region().is_clear());  // the caller redraws
    fade->set_level(40);
    EXPECT_EQ(fade->level(), 40);
    EXPECT_FALSE(fade->tinted());
    EXPECT_FALSE(layer.region().is_clear());
    fade->set_tint(2, 2, 2);
    layer.clear_dirty();
    fade->set_color(0x1234);
    EXPECT_FALSE(fade->tinted());
    EXPECT_FALSE(layer.region().is_clear());
}

TEST(FadeLayerTest, FadesTowardBlackAndTowardAColour) {
    const std::vector<uint16_t> before = all_colors().pixels;
    FadeLayer fade;
    EXPECT_EQ(faded(fade), before);  // level 0 changes nothing
    fade.set_level(16);
    const std::vector<uint16_t> half = faded(fade);
    fade.set_level(32);
    const std::vector<uint16_t> black = faded(fade);
    fade.set_level(40);  // stored as given, drawn as 32
    const std::vector<uint16_t> beyond = faded(fade);
    fade.set_level(-3);
    const std::vector<uint16_t> below = faded(fade);
    fade.set_color(0xFFFF);
    fade.set_level(16);
    const std::vector<uint16_t> toward_white = faded(fade);
    fade.set_color(rgb(31, 0, 0));
    fade.set_level(8);
    const std::vector<uint16_t> quarter_red = faded(fade);
    for (size_t i = 0; i < before.size(); ++i) {
        const uint16_t p = before[i];
        ASSERT_EQ(half[i], rgb(red(p) / 2, green(p) / 2, blue(p) / 2)) << i;
        ASSERT_EQ(black[i], 0) << i;
        ASSERT_EQ(beyond[i], 0) << i;
        ASSERT_EQ(below[i], p) << i;
        ASSERT_EQ(toward_white[i], rgb((31 + red(p)) / 2, (63 + green(p)) / 2, (31 + blue(p)) / 2)) << i;
        ASSERT_EQ(quarter_red[i], rgb((31 * 8 + red(p) * 24) / 32, green(p) * 24 / 32, blue(p) * 24 / 32)) << i;
    }
}

TEST(FadeLayerTest, TintsMatchTheDivisionOnEveryColour) {
    const std::vector<uint16_t> before = all_colors().pixels;
    FadeLayer fade;
    fade.set_tint(1, 1, 1);
    EXPECT_EQ(faded(fade), before);
    fade.set_tint(2, 2, 2);
    const std::vector<uint16_t> halved = faded(fade);
    for (size_t i = 0; i < before.size(); ++i) {
        const uint16_t p = before[i];
        ASSERT_EQ(halved[i], rgb(red(p) / 2 & ~1u, green(p) / 2 & ~1u, blue(p) / 2)) << i;
    }
    for (int32_t r = 0; r <= 3; ++r)
        for (int32_t g = 1; g <= 3; ++g)
            for (int32_t b = 1; b <= 3; ++b) {
                const int32_t rf = r < 1 ? 1 : r;  // factors below 1 count as 1
                if (rf * g * b == 1) continue;    // no tint at all (checked above)
                fade.set_tint(r, g, b);
                const std::vector<uint16_t> out = faded(fade);
                for (size_t i = 0; i < before.size(); ++i)
                    ASSERT_EQ(out[i], tint565(before[i], rf, g, b)) << r << g << b << " colour " << i;
            }
}

TEST(FadeLayerTest, DirtyRedrawsMatchAFullRedraw) {
    auto build = [](Layer& layer, Box*& box) {
        layer.set_size(32, 16);
        auto* ground = new Box(0x4321, Drawable::kFollowLayerSize | Drawable::kFollowLayerOffset);
        layer.add(ground, 0);
        box = new Box(0x1357);
        layer.add_at(box, 5, 3, 6, 4, 5);
        auto* fade = new FadeLayer;
        layer.add(fade, 10);
        fade->set_color(0x8410);
        fade->set_level(12);
    };
    Layer dirty_layer, full_layer;
    Box *dirty_box = nullptr, *full_box = nullptr;
    build(dirty_layer, dirty_box);
    build(full_layer, full_box);
    Screen dirty(32, 16), full(32, 16);
    dirty_layer.draw(dirty.target());
    for (int frame = 0; frame < 3; ++frame) {
        dirty_box->set_color(uint16_t(0x2000 * frame + 7));
        dirty_box->set_position(5 + frame * 4, 3 + frame);
        dirty_layer.draw(dirty.target());
        full_box->set_color(uint16_t(0x2000 * frame + 7));
        full_box->set_position(5 + frame * 4, 3 + frame);
    }
    full_layer.invalidate_all();
    full_layer.draw(full.target());
    EXPECT_EQ(dirty.pixels, full.pixels);
    EXPECT_NE(dirty.pixels[0], Box(0x4321).shade(0, 0));  // the fade was drawn
}
