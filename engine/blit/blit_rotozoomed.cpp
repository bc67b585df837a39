// The rotation-and-zoom blitter: every target pixel is mapped back into the
// frame around its centre (the sprite's x, y); only pixels that land inside
// are drawn. Each row's inside run is found by solving the two inside
// conditions, so no pixel outside it is tested.
#include <algorithm>
#include <cstdlib>

#include "engine/blit/blit_placement.h"
#include "engine/blit/blitters.h"
#include "engine/core/fixed_math.h"

namespace {

using RotozoomModes = ModeList<0, 1, 2, 3, 17, 18, 19, 4096, 4098>;

constexpr int32_t DEGREES_90 = 0x5A0000;
constexpr int32_t DEGREES_360 = 0x1680000;

// The inverse mapping: target offset (dx, dy) from the centre goes to
// frame position u = dx*cx - dy*sx, v = dx*sx + dy*cx (16.16 pixels).
struct Mapping {
    int64_t cx = 0, sx = 0;
};

Mapping mapping_for(int32_t zoom, int32_t rotation) {
    int32_t angle = rotation % DEGREES_360;
    int64_t step = 0x4000000 / zoom;  // 16.16 source pixels per target pixel
    int64_t k = step >> 8;
    return {int64_t(fix_sin(angle + DEGREES_90) / 256) * k, int64_t(fix_sin(angle) / 256) * k};
}

int64_t floor_div(int64_t a, int64_t b) {  // b > 0
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// The integers n with low < start + n * slope < high, as [first, last];
// first > last when there are none.
struct Run {
    int64_t first, last;
};

Run open_run(int64_t start, int64_t slope, int64_t low, int64_t high) {
    if (slope == 0) {
        bool inside = low < start && start < high;
        return inside ? Run{INT32_MIN, INT32_MAX} : Run{1, 0};
    }
    if (slope < 0) return open_run(-start, -slope, -high, -low);
    return {floor_div(low - start, slope) + 1, -floor_div(start - high, slope) - 1};
}

template <uint32_t Mode>
void draw_rows(const BlitTarget& target, const BlitSource& src, const Rect& r, Mapping m, int64_t centre_x,
               int64_t centre_y) {
    const int64_t hw = src.frame_width / 2, hh = src.frame_height / 2;
    const int64_t u_limit = hw << 16, v_limit = hh << 16;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        int64_t dy = y - centre_y;
        int64_t dx0 = r.left - centre_x;
        // Positions of the row's first pixel; both grow by (cx, sx) a column.
        int64_t u0 = dx0 * m.cx - dy * m.sx;
        int64_t v0 = dx0 * m.sx + dy * m.cx;
        Run ru = open_run(u0, m.cx, -u_limit, u_limit);
        Run rv = open_run(v0, m.sx, -v_limit, v_limit);
        int64_t first = std::max<int64_t>({ru.first, rv.first, 0});
        int64_t last = std::min<int64_t>({ru.last, rv.last, int64_t(r.right - r.left) - 1});
        if (first > last) continue;

        uint16_t* d = target.at(r.left, y);
        int64_t u = u0 + first * m.cx, v = v0 + first * m.sx;
        for (int64_t n = first; n <= last; ++n, u += m.cx, v += m.sx) {
            int64_t index = src.frame_offset + (v / 65536 + hh) * src.bitmap_width + (u / 65536 + hw);
            blend_pixel<Mode>(d[n], src.pixels[index], (Mode & ALPHA_PIXEL) ? src.alpha[index] : 0,
                              src.alpha_value);
        }
    }
}

}  // namespace

Size rotozoom_half_extent(int32_t frame_width, int32_t frame_height, int32_t zoom, int32_t rotation) {
    if (zoom <= 0 || frame_width <= 0 || frame_height <= 0) return {};
    Mapping m = mapping_for(zoom, rotation);
    int64_t r2 = m.cx * m.cx + m.sx * m.sx;
    if (r2 == 0) return {};  // zoom so large that every step rounds to 0
    // The inside set is a rotated rectangle |u| < U, |v| < V; invert the
    // mapping to find how far from the centre it reaches, plus one pixel for
    // the integer steps.
    int64_t u_limit = int64_t(frame_width / 2) << 16, v_limit = int64_t(frame_height / 2) << 16;
    int64_t ax = std::abs(m.cx), as = std::abs(m.sx);
    int64_t half_w = (u_limit * ax + v_limit * as) / r2 + 1;
    int64_t half_h = (u_limit * as + v_limit * ax) / r2 + 1;
    auto fit = [](int64_t v) { return int32_t(std::min<int64_t>(v, INT32_MAX / 4)); };
    return {fit(half_w), fit(half_h)};
}

void blit_rotozoomed(const BlitTarget& target, BlitSource src, const BlitView& view) {
    if (!prepare_source(src)) return;
    Size half = rotozoom_half_extent(src.frame_width, src.frame_height, src.zoom, src.rotation);
    if (half.empty()) return;

    int64_t centre_x = int64_t(src.x) - view.shift.x, centre_y = int64_t(src.y) - view.shift.y;
    WideRect box{centre_x - half.width, centre_y - half.height, centre_x + half.width + 1,
                 centre_y + half.height + 1};
    Rect r = clip_wide(box, view.clip);
    if (r.empty()) return;

    Mapping m = mapping_for(src.zoom, src.rotation);
    dispatch_mode(blit_mode(src.flags), RotozoomModes{},
                  [&](auto mode) { draw_rows<mode.value>(target, src, r, m, centre_x, centre_y); });
}
