// The nearest-pixel zoom blitter. Source positions are measured from the
// frame's own edge, never from the clip edge, so that a sprite drawn in
// pieces (one dirty rectangle at a time) looks the same as drawn whole.
#include <vector>

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
    // The source column of every target column, once per blit; each source
    // row is gathered through it once and drawn by the row code of zoom 1.0.
    const int32_t n = r.width();
    thread_local std::vector<int32_t> columns;
    thread_local std::vector<uint16_t> row;
    thread_local std::vector<uint8_t> row_alpha;
    columns.resize(size_t(n));
    int64_t pos = (r.left - placed.left) * step;  // source column in 1/1024 pixels
    for (int32_t i = 0; i < n; ++i, pos += step) columns[size_t(i)] = int32_t(pos >> 10);
    row.resize(size_t(n));
    if constexpr ((Mode & ALPHA_PIXEL) != 0) row_alpha.resize(size_t(n));
    int64_t gathered = -1;  // source row now in `row`
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const int64_t row_start = src.frame_offset + (((y - placed.top) * step) >> 10) * src.bitmap_width;
        if (row_start != gathered) {
            const uint16_t* s = src.pixels + row_start;
            for (int32_t i = 0; i < n; ++i) row[size_t(i)] = s[columns[size_t(i)]];
            if constexpr ((Mode & ALPHA_PIXEL) != 0) {
                const uint8_t* a = src.alpha + row_start;
                for (int32_t i = 0; i < n; ++i) row_alpha[size_t(i)] = a[columns[size_t(i)]];
            }
            gathered = row_start;
        }
        blit_row<Mode>(target.at(r.left, y), row.data(), row_alpha.data(), n, src.alpha_value);
    }
}

}  // namespace

void blit_zoomed(const BlitTarget& target, BlitSource src, const BlitView& view) {
    const std::optional<ZoomPlacement> at = place_zoomed(src, view);
    if (!at) return;
    dispatch_mode(blit_mode(src.flags), ZoomModes{},
                  [&](auto mode) { draw_rows<mode.value>(target, src, at->visible, at->placed, at->step); });
}
