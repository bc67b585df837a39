// The plain blitter: one source pixel per target pixel.
#include "engine/graphics/blit_placement.h"
#include "engine/graphics/blit_rows.h"
#include "engine/graphics/blitters.h"

namespace {

using PlainModes = ModeList<0, 1, 2, 3, 16, 17, 18, 19, 4096, 4097, 4098, 4099, 4112, 4113,
                            8192, 8193, 8194, 8195, 8208, 8209>;

// Mean brightness of the target under the rectangle, 0..255 (8-bit channels).
uint32_t mean_brightness(const BlitTarget& target, const Rect& r) {
    uint64_t sum = 0;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const uint16_t* row = target.at(r.left, y);
        for (int32_t i = 0; i < r.width(); ++i) {
            uint32_t p = row[i];
            sum += ((p >> 8) & 0xF8) + ((p >> 3) & 0xFC) + ((p << 3) & 0xFF);
        }
    }
    return uint32_t(sum / (3 * uint64_t(r.width()) * uint64_t(r.height())));
}

template <uint32_t Mode>
void draw_rows(const BlitTarget& target, const BlitSource& src, const Rect& r, int64_t left, int64_t top) {
    const int32_t n = r.width();
    for (int32_t y = r.top; y < r.bottom; ++y) {
        int64_t first = src.frame_offset + (y - top) * src.bitmap_width + (r.left - left);
        const uint16_t* s = src.pixels + first;
        const uint8_t* a = (Mode & ALPHA_PIXEL) ? src.alpha + first : nullptr;
        blit_row<Mode>(target.at(r.left, y), s, a, n, src.alpha_value);
    }
}

}  // namespace

void blit_plain(const BlitTarget& target, BlitSource src, const BlitView& view) {
    if (!prepare_source(src)) return;

    WideRect placed = anchored_rect(int64_t(src.x) - view.shift.x, int64_t(src.y) - view.shift.y,
                                    src.frame_width, src.frame_height, src.flags);
    Rect r = clip_wide(placed, view.clip);
    if (r.empty()) return;

    if ((src.flags & ALPHA_LAYER) && src.alpha_value == 32) src.flags &= ~ALPHA_LAYER;
    if (src.flags & BLT_DYNAMIC) {
        src.flags &= ~BLT_DYNAMIC;
        src.flags |= mean_brightness(target, r) < 128 ? BLT_LIGHTEN : BLT_DARKEN;
    }

    dispatch_mode(blit_mode(src.flags), PlainModes{},
                  [&](auto mode) { draw_rows<mode.value>(target, src, r, placed.left, placed.top); });
}
