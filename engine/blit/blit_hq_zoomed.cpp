// The filtered zoom blitter: each target pixel averages four samples of its
// source row. Only the colour-keyed modes are drawn (16 and 19). Sample
// columns are clamped to the frame, and positions are measured from the
// frame's edge so that drawing in pieces equals drawing whole.
#include <algorithm>

#include "engine/blit/blit_placement.h"
#include "engine/blit/blitters.h"

namespace {

using HqModes = ModeList<16, 19>;

// Mean of four RGB565 colours, channel by channel (blue rounded).
inline uint16_t average4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    uint32_t blue = ((a & 0x1F) + (b & 0x1F) + (c & 0x1F) + (d & 0x1F) + 2) >> 2;
    uint32_t green = ((a & 0x7E0) + (b & 0x7E0) + (c & 0x7E0) + (d & 0x7E0)) >> 2;
    uint32_t red = ((a & 0xF800) + (b & 0xF800) + (c & 0xF800) + (d & 0xF800)) >> 2;
    return uint16_t((red & 0xF800) | (green & 0x7E0) | blue);
}

// Opacity of one sample for mode 19: pixel alpha times sprite alpha.
inline int32_t sample_opacity(uint32_t pixel_alpha, int32_t sprite_alpha) {
    return (pixel_alpha == 0 || sprite_alpha == 0) ? 0 : (int32_t(pixel_alpha) * sprite_alpha) >> 5;
}

template <uint32_t Mode>
void draw_rows(const BlitTarget& target, const BlitSource& src, const Rect& r, const WideRect& placed,
               int64_t step) {
    const int64_t half = step / 2;
    const int64_t across = int64_t(src.bitmap_width) * (step / 2048);
    const int64_t last = src.frame_width - 1;
    const int64_t first_pos = (r.left - placed.left) * step;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        int64_t row_start = src.frame_offset + (((y - placed.top) * step) >> 10) * src.bitmap_width;
        const uint16_t* s = src.pixels + row_start;
        const uint8_t* a = src.alpha + row_start;  // used by mode 19 only
        uint16_t* d = target.at(r.left, y);
        int64_t f = first_pos;
        for (int32_t x = r.left; x < r.right; ++x, f += step) {
            int64_t c1 = f >> 10, c2 = c1, c3 = c1, c4 = c1;
            if (f != 0) {
                c2 = std::min((f + half + across) >> 10, last);
                c3 = std::min((f + half) >> 10, last);
                c4 = std::min((f + across) >> 10, last);
            }
            uint16_t s1 = s[c1];
            if (s1 == kColorKey) continue;
            uint16_t s2 = s[c2], s3 = s[c3], s4 = s[c4];
            uint16_t color = (s2 == kColorKey || s3 == kColorKey || s4 == kColorKey)
                                 ? s1 : average4(s1, s2, s3, s4);
            uint16_t& out = d[x - r.left];
            if constexpr (Mode == 16) {
                out = color;
            } else {
                int32_t o = (sample_opacity(a[c1], src.alpha_value) + sample_opacity(a[c2], src.alpha_value) +
                             sample_opacity(a[c3], src.alpha_value) + sample_opacity(a[c4], src.alpha_value) + 2) >> 2;
                if (o >= 32 || color == out) {
                    out = color;
                } else if (o > 0) {
                    out = blend565(color, out, uint32_t(o));
                }
            }
        }
    }
}

}  // namespace

void blit_hq_zoomed(const BlitTarget& target, BlitSource src, const BlitView& view) {
    const std::optional<ZoomPlacement> at = place_zoomed(src, view);
    if (!at) return;
    dispatch_mode(blit_mode(src.flags), HqModes{},
                  [&](auto mode) { draw_rows<mode.value>(target, src, at->visible, at->placed, at->step); });
}
