// The plain blitter: one source pixel per target pixel.
//
// Its rows are also compiled for AVX2 and AVX-512 (below). The compilers
// note, at the row helpers, that a wide vector would be passed differently
// to a function built without those instructions; every helper that takes
// or returns a vector is always inlined, so no such call exists. (GCC's
// note is turned off for this file in CMakeLists.txt, as its pragma leaves
// part of it.)
#if defined(__clang__)
#if __has_warning("-Wpsabi")
#pragma clang diagnostic ignored "-Wpsabi"
#endif
#endif
#include <algorithm>
#include <type_traits>

#include "engine/blit/blit_placement.h"
#include "engine/blit/blit_rows.h"
#include "engine/blit/blitters.h"
#include "engine/blit/key_spans.h"
#include "engine/blit/lane_width.h"

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

// A frame's rows in the picture, its alpha plane and the target, from the
// pixel drawn at the clip's top left, stepped a row at a time.
template <uint32_t Mode>
struct FrameRows {
    static constexpr bool kReadsAlpha = (Mode & ALPHA_PIXEL) != 0;

    const uint16_t* source;
    const uint8_t* alpha;  // null where the mode does not read it
    uint16_t* target;
    std::ptrdiff_t source_step, target_step;

    FrameRows(const BlitTarget& to, const BlitSource& src, const Rect& r, int64_t left, int64_t top)
        : source_step(src.bitmap_width), target_step(to.row_pitch / 2) {
        const int64_t first = src.frame_offset + (r.top - top) * src.bitmap_width + (r.left - left);
        source = src.pixels + first;
        alpha = kReadsAlpha ? src.alpha + first : nullptr;
        target = to.at(r.left, r.top);
    }

    // Draws columns a .. b of the current row in the given mode.
    template <uint32_t DrawMode, int Lanes>
    void draw(int32_t a, int32_t b, int32_t alpha_value) const {
        blit_row<DrawMode, Lanes>(target + a, source + a, kReadsAlpha ? alpha + a : nullptr, b - a, alpha_value);
    }

    void next() {
        source += source_step;
        if constexpr (kReadsAlpha) alpha += source_step;
        target += target_step;
    }
};

// The keyed rows through the picture's key spans: solid spans are drawn in
// the mode without the key, mixed ones with it, long key gaps not at all.
// False, having drawn nothing, when the spans do not cover the frame.
template <uint32_t Mode, int Lanes>
bool draw_spans(const BlitTarget& target, const BlitSource& src, const Rect& r, int64_t left, int64_t top) {
    const KeySpans* spans = src.key_spans;
    if (!spans || spans->width() != src.bitmap_width || src.bitmap_width <= 0 || src.frame_offset < 0) return false;
    const int32_t first_row = src.frame_offset / src.bitmap_width, first_column = src.frame_offset % src.bitmap_width;
    if (int64_t(first_column) + src.frame_width > spans->width() || int64_t(first_row) + src.frame_height > spans->height())
        return false;
    constexpr uint32_t unkeyed = Mode & ~TRANS_COLOR;
    // Spans are in the picture's columns; from is the one drawn at the
    // clip's left edge.
    const int32_t from = first_column + int32_t(r.left - left), width = r.width(), alpha_value = src.alpha_value;
    const int32_t first = first_row + int32_t(r.top - top);
    FrameRows<Mode> rows(target, src, r, left, top);
    // Every span from the first row's first to the last row's end, stepping
    // to the next row at each row's end; rows after the last span are not
    // visited.
    const KeySpan* span = spans->row_begin(first);
    const KeySpan* const last = spans->row_end(first + r.height() - 1);
    auto each_row = [&](auto cut) {
        for (int32_t row = first; span != last; ++row) {
            for (const KeySpan* const end = spans->row_end(row); span != end; ++span) {
                int32_t a = span->start - from, b = a + span->length;
                if constexpr (cut.value) {
                    a = std::max(a, 0);
                    b = std::min(b, width);
                    if (a >= b) continue;
                }
                if (span->solid) rows.template draw<unkeyed, Lanes>(a, b, alpha_value);
                else rows.template draw<Mode, Lanes>(a, b, alpha_value);
            }
            rows.next();
        }
    };
    // A frame as wide as its bitmap and not cut at either side, as most
    // sprites are drawn, needs no span cut to the frame.
    if (from == 0 && width == spans->width()) each_row(std::false_type{});
    else each_row(std::true_type{});
    return true;
}

template <uint32_t Mode, int Lanes>
void draw_rows(const BlitTarget& target, const BlitSource& src, const Rect& r, int64_t left, int64_t top) {
    // Narrow frames draw whole rows with the key test: a row of one to four
    // blocks of lanes costs less than finding and drawing its spans. Keyed
    // copies, the cheapest blocks, gain so up to 64 pixels at 16 and 32
    // lanes; the blends, and the per-pixel alpha ones' pixel-by-pixel tail
    // of every span, up to 32.
    if constexpr ((Mode & TRANS_COLOR) != 0) {
        constexpr int32_t whole_rows_up_to = Mode == TRANS_COLOR && Lanes >= 16 ? 64 : 32;
        if (r.width() > whole_rows_up_to && draw_spans<Mode, Lanes>(target, src, r, left, top)) return;
    }
    const int32_t width = r.width(), alpha_value = src.alpha_value;
    FrameRows<Mode> rows(target, src, r, left, top);
    for (int32_t count = r.height(); count > 0; --count, rows.next())
        rows.template draw<Mode, Lanes>(0, width, alpha_value);
}

// The same rows compiled for the wider vectors, every helper inlined into
// them so that none is called across the change of instruction set.
#if defined(__x86_64__) && defined(__GNUC__)
template <uint32_t Mode>
__attribute__((target(LANE_WIDTH_16_TARGET), flatten)) void draw_rows_16(
    const BlitTarget& target, const BlitSource& src, const Rect& r, int64_t left, int64_t top) {
    draw_rows<Mode, 16>(target, src, r, left, top);
}
template <uint32_t Mode>
__attribute__((target(LANE_WIDTH_32_TARGET), flatten)) void draw_rows_32(
    const BlitTarget& target, const BlitSource& src, const Rect& r, int64_t left, int64_t top) {
    draw_rows<Mode, 32>(target, src, r, left, top);
}
#endif

template <uint32_t Mode>
void draw_rows_at_lane_width(const BlitTarget& target, const BlitSource& src, const Rect& r, int64_t left,
                             int64_t top) {
#if defined(__x86_64__) && defined(__GNUC__)
    switch (lane_width()) {
        case 32: return draw_rows_32<Mode>(target, src, r, left, top);
        case 16: return draw_rows_16<Mode>(target, src, r, left, top);
    }
#endif
    draw_rows<Mode, 8>(target, src, r, left, top);
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
                  [&](auto mode) { draw_rows_at_lane_width<mode.value>(target, src, r, placed.left, placed.top); });
}
