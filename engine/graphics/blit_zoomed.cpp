// The nearest-pixel zoom blitter. Source positions are measured from the
// frame's own edge, never from the clip edge, so that a sprite drawn in
// pieces (one dirty rectangle at a time) looks the same as drawn whole.
#include "engine/graphics/blit_placement.h"
#include "engine/graphics/blit_rows.h"
#include "engine/graphics/blitters.h"

namespace {

using ZoomModes = ModeList<0, 1, 2, 3, 16, 17, 4096, 4097, 4098, 4113, 8195>;

template <uint32_t Mode>
void draw_rows(const BlitTarget& target, const BlitSource& src, const Rect& r, const WideRect& placed,
               int64_t step) {
    if (step == 1024) {  // zoom 1.0: source rows are read as they stand
        for (int32_t y = r.top; y < r.bottom; ++y) {
            int64_t first = src.frame_offset + (y - placed.top) * src.bitmap_width + (r.left - placed.left);
            const uint8_t* a = (Mode & ALPHA_PIXEL) ? src.alpha + first : nullptr;
            blit_row<Mode>(target.at(r.left, y), src.pixels + first, a, r.width(), src.alpha_value);
        }
        return;
    }
    const int64_t first_column_pos = (r.left - placed.left) * step;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        int64_t row_start = src.frame_offset + (((y - placed.top) * step) >> 10) * src.bitmap_width;
        const uint16_t* s = src.pixels + row_start;
        const uint8_t* a = (Mode & ALPHA_PIXEL) ? src.alpha + row_start : nullptr;
        uint16_t* d = target.at(r.left, y);
        int64_t pos = first_column_pos;  // source column in 1/1024 pixels
        for (int32_t x = r.left; x < r.right; ++x, pos += step) {
            int64_t column = pos >> 10;
            blend_pixel<Mode>(d[x - r.left], s[column], (Mode & ALPHA_PIXEL) ? a[column] : 0, src.alpha_value);
        }
    }
}

}  // namespace

void blit_zoomed(const BlitTarget& target, BlitSource src, const BlitView& view) {
    const std::optional<ZoomPlacement> at = place_zoomed(src, view);
    if (!at) return;
    dispatch_mode(blit_mode(src.flags), ZoomModes{},
                  [&](auto mode) { draw_rows<mode.value>(target, src, at->visible, at->placed, at->step); });
}
