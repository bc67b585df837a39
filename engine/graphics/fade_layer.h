// A drawable that changes what lies below it in its layer instead of drawing
// a picture: it fades the frame toward black or toward a colour by a level
// of 0 (no change) to 32 (all the colour), or tints it by dividing the colour
// channels by small factors. Screen transitions step the level a few units a
// frame; combat weather uses the tint. Place it above what it should fade.
#pragma once

#include <cstdint>

#include "engine/graphics/drawable.h"

class FadeLayer : public Drawable {
public:
    static constexpr int32_t kMaxLevel = 32;

    // Covers and scrolls with its whole layer; level 0, black, no tint.
    FadeLayer();

    // Each of these ends the tint and marks the whole layer for redrawing.
    void set_color(uint16_t rgb565);
    // Stored as given; drawing uses it clamped to 0..32.
    void set_level(int32_t level);
    // Level moved by delta within 0..32; 1 when it changed (and was marked).
    int32_t add_level(int32_t delta);

    // Divides red, green and blue by these factors (below 1 counts as 1)
    // instead of fading. Marks nothing: the caller redraws.
    void set_tint(int32_t red, int32_t green, int32_t blue);

    void draw(const DrawTarget& target) override;

    uint16_t color() const { return color_; }
    int32_t level() const { return level_; }
    bool tinted() const { return tinted_; }

private:
    void invalidate_layer();
    void fade(const DrawTarget& target) const;
    void tint(const DrawTarget& target) const;

    uint16_t color_ = 0;
    int32_t level_ = 0;
    int32_t red_factor_ = 1, green_factor_ = 1, blue_factor_ = 1;
    bool tinted_ = false;
};

// One pixel through a tint, by the division formula: each channel divided
// and the lowest bit of red and green dropped.
constexpr uint16_t tint565(uint16_t p, int32_t red, int32_t green, int32_t blue) {
    return uint16_t(((uint32_t(p & 0xF800) / uint32_t(red)) & 0xF000) |
                    ((uint32_t(p & 0x7E0) / uint32_t(green)) & 0x7C0) | (uint32_t(p & 0x1F) / uint32_t(blue)));
}
