#include "engine/graphics/fade_layer.h"

#include <algorithm>

#include "engine/blit/color_math.h"
#include "engine/graphics/layer.h"

namespace {

// Calls op on every pixel of the clip.
template <typename Op>
void for_each_pixel(const DrawTarget& t, Op op) {
    const Rect& c = t.clip;
    for (int32_t y = c.top; y < c.bottom; ++y) {
        uint16_t* p = t.pixel16(c.left, y);
        for (int32_t n = c.width(); n > 0; --n, ++p) *p = op(*p);
    }
}

// A channel divided by 1 or 2 is a mask or a shift and a mask; the
// results equal tint565's divisions bit for bit.
template <bool HalveRed, bool HalveGreen, bool HalveBlue>
uint16_t tint_by_shifts(uint16_t p) {
    const uint32_t red = HalveRed ? (uint32_t(p) & 0xF800) >> 1 & 0xF000 : uint32_t(p) & 0xF000;
    const uint32_t green = HalveGreen ? (uint32_t(p) & 0x7E0) >> 1 & 0x7C0 : uint32_t(p) & 0x7C0;
    const uint32_t blue = HalveBlue ? (uint32_t(p) & 0x1F) >> 1 : uint32_t(p) & 0x1F;
    return uint16_t(red | green | blue);
}

template <bool R, bool G, bool B>
void tint_shifted(const DrawTarget& t) {
    for_each_pixel(t, tint_by_shifts<R, G, B>);
}

}  // namespace

FadeLayer::FadeLayer() { flags_ = kInvalidateOnOffset | kFollowLayerSize | kFollowLayerOffset; }

void FadeLayer::invalidate_layer() {
    if (layer()) layer()->invalidate_all();
}

void FadeLayer::set_color(uint16_t rgb565) {
    color_ = rgb565;
    tinted_ = false;
    invalidate_layer();
}

void FadeLayer::set_level(int32_t level) {
    level_ = level;
    tinted_ = false;
    invalidate_layer();
}

int32_t FadeLayer::add_level(int32_t delta) {
    const int64_t wanted = int64_t(level_) + delta;
    const int32_t next = int32_t(std::clamp<int64_t>(wanted, 0, kMaxLevel));
    if (next == level_) return 0;
    level_ = next;
    tinted_ = false;
    invalidate_layer();
    return 1;
}

void FadeLayer::set_tint(int32_t red, int32_t green, int32_t blue) {
    red_factor_ = std::max(red, 1);
    green_factor_ = std::max(green, 1);
    blue_factor_ = std::max(blue, 1);
    tinted_ = true;
}

void FadeLayer::draw(const DrawTarget& target) {
    if (w_ <= 0 || h_ <= 0 || target.clip.empty()) return;
    if (tinted_)
        tint(target);
    else
        fade(target);
}

void FadeLayer::fade(const DrawTarget& target) const {
    const uint32_t level = uint32_t(std::clamp(level_, 0, kMaxLevel));
    if (level == 0) return;
    if (color_ == 0) {
        // Toward black: one multiply of the spread channels per pixel.
        const uint32_t keep = kMaxLevel - level;
        for_each_pixel(target, [keep](uint16_t p) { return scale565(p, keep); });
        return;
    }
    const uint32_t toward = spread565(color_) * level;
    const uint32_t keep = kMaxLevel - level;
    for_each_pixel(target, [toward, keep](uint16_t p) { return pack565((toward + spread565(p) * keep) >> 5); });
}

void FadeLayer::tint(const DrawTarget& target) const {
    const int32_t r = red_factor_, g = green_factor_, b = blue_factor_;
    if (int64_t(r) * g * b == 1) return;
    if (r <= 2 && g <= 2 && b <= 2) {
        switch ((r == 2) << 2 | (g == 2) << 1 | (b == 2)) {
            case 1: return tint_shifted<false, false, true>(target);
            case 2: return tint_shifted<false, true, false>(target);
            case 3: return tint_shifted<false, true, true>(target);
            case 4: return tint_shifted<true, false, false>(target);
            case 5: return tint_shifted<true, false, true>(target);
            case 6: return tint_shifted<true, true, false>(target);
            default: return tint_shifted<true, true, true>(target);
        }
    }
    for_each_pixel(target, [r, g, b](uint16_t p) { return tint565(p, r, g, b); });
}
