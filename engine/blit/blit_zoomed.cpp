// The nearest-pixel zoom blitter. Source positions are measured from the
// frame's own edge, never from the clip edge, so that a sprite drawn in
// pieces (one dirty rectangle at a time) looks the same as drawn whole.
#include <cstring>
#include <vector>

#include "engine/blit/blit_placement.h"
#include "engine/blit/blit_rows.h"
#include "engine/blit/blitters.h"

namespace {

using ZoomModes = ModeList<0, 1, 2, 3, 16, 17, 4096, 4097, 4098, 4113, 8195>;

// Where the source pixels of a target row come from: target column i
// takes source column (start + i x step) >> 10, through a table made once
// per blit, or computed when the step is whole or half source pixels. The
// vector loops read no further than the frame's `width` pixels.
struct SourceColumns {
    const int32_t* table;  // null: computed
    int64_t start, step;
    int32_t width;  // of the frame
};

// A zoom of 1/2: every other pixel, eight at a time. Keyed, they go
// straight onto the target, each lane keeping the target where the source
// is the key (no test of the lanes: small sprites' edges would mispredict).
template <bool Keyed>
inline void take_every_other(uint16_t* out, const uint16_t* s, const SourceColumns& columns, int32_t n, int32_t& i) {
    using namespace blit_rows_detail;
    const int64_t first = columns.start >> 10;
    for (; i + 8 <= n && first + 2 * i + 16 <= columns.width; i += 8) {
        const Pixels8 a = load8(s + first + 2 * i), b = load8(s + first + 2 * i + 8);
        Pixels8 even = __builtin_shufflevector(a, b, 0, 2, 4, 6, 8, 10, 12, 14);
        if constexpr (Keyed) {
            const Pixels8 keep = key_lanes(even);
            even = (load8(out + i) & keep) | (even & ~keep);
        }
        store8(out + i, even);
    }
}

// A zoom of 2: every pixel twice, eight source pixels at a time. A frame
// cut at a half pixel starts with a single one.
inline void take_doubled(uint16_t* out, const uint16_t* s, const SourceColumns& columns, int32_t n, int32_t& i) {
    using namespace blit_rows_detail;
    const int64_t half = columns.start >> 9;  // in half source pixels
    if ((half & 1) && n > 0) out[i++] = s[half >> 1];
    for (; i + 16 <= n; i += 16) {
        const int64_t column = (half + i) >> 1;
        if (column + 8 > columns.width) break;
        const Pixels8 a = load8(s + column);
        store8(out + i, __builtin_shufflevector(a, a, 0, 0, 1, 1, 2, 2, 3, 3));
        store8(out + i + 8, __builtin_shufflevector(a, a, 4, 4, 5, 5, 6, 6, 7, 7));
    }
}

// The n source pixels of one target row from the source row s.
template <typename T>
void gather(T* out, const T* s, const SourceColumns& columns, int32_t n) {
    int32_t i = 0;
    if (columns.table) {
        for (; i < n; ++i) out[i] = s[columns.table[i]];
        return;
    }
    if constexpr (sizeof(T) == 2) {
        if (columns.step == 2048) take_every_other<false>(out, s, columns, n, i);
        if (columns.step == 512) take_doubled(out, s, columns, n, i);
    }
    for (; i < n; ++i) out[i] = s[(columns.start + i * columns.step) >> 10];
}

// A keyed copy at a zoom of 1/2, onto the target row d.
void copy_every_other_keyed(uint16_t* d, const uint16_t* s, const SourceColumns& columns, int32_t n) {
    int32_t i = 0;
    take_every_other<true>(d, s, columns, n, i);
    for (; i < n; ++i) {
        const uint16_t p = s[(columns.start + i * columns.step) >> 10];
        if (p != kColorKey) d[i] = p;
    }
}

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
    // The source column of every target column, once per blit (computed
    // as it goes for whole and half steps); each source row is gathered
    // once and drawn by the row code of zoom 1.0. A plain copy gathers
    // straight into the target and repeats a source row by copying the
    // target row above.
    const int32_t n = r.width();
    const int64_t start = (r.left - placed.left) * step;  // source column in 1/1024 pixels
    thread_local std::vector<int32_t> table;
    thread_local std::vector<uint16_t> row;
    thread_local std::vector<uint8_t> row_alpha;
    SourceColumns columns{nullptr, start, step, src.frame_width};
    if (step % 1024 != 0 && step != 512) {
        table.resize(size_t(n));
        int64_t pos = start;
        for (int32_t i = 0; i < n; ++i, pos += step) table[size_t(i)] = int32_t(pos >> 10);
        columns.table = table.data();
    }
    constexpr bool copy = Mode == 0;
    if constexpr (!copy) row.resize(size_t(n));
    if constexpr ((Mode & ALPHA_PIXEL) != 0) row_alpha.resize(size_t(n));
    int64_t gathered = -1;  // source row now in `row` (or in the target row above)
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const int64_t row_start = src.frame_offset + (((y - placed.top) * step) >> 10) * src.bitmap_width;
        if constexpr (copy) {
            uint16_t* d = target.at(r.left, y);
            if (row_start == gathered) std::memcpy(d, target.at(r.left, y - 1), size_t(n) * 2);
            else gather(d, src.pixels + row_start, columns, n);
            gathered = row_start;
            continue;
        }
        if constexpr (Mode == TRANS_COLOR) {
            if (step == 2048) {  // no source row repeats
                copy_every_other_keyed(target.at(r.left, y), src.pixels + row_start, columns, n);
                continue;
            }
        }
        if (row_start != gathered) {
            gather(row.data(), src.pixels + row_start, columns, n);
            if constexpr ((Mode & ALPHA_PIXEL) != 0) gather(row_alpha.data(), src.alpha + row_start, columns, n);
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
