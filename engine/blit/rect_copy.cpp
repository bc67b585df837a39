#include "engine/blit/rect_copy.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::ptrdiff_t kPixel = 2;
constexpr int32_t kStripColumns = 96;

std::ptrdiff_t at(std::ptrdiff_t x_step, std::ptrdiff_t y_step, int32_t x, int32_t y) {
    return x * x_step + y * y_step;
}

void copy_pixel(const PixelSource& s, const PixelDest& d, int32_t x, int32_t y) {
    std::memcpy(d.start + at(d.x_pitch, d.y_pitch, x, y), s.start + at(s.x_step, s.y_step, x, y),
                kPixel);
}

// Both sides hold the rectangle's rows back to back in the same order.
void copy_block(const PixelSource& s, const PixelDest& d, const Rect& r) {
    // With rows running upward the lowest address is the last row's.
    const int32_t low_row = s.y_step < 0 ? r.bottom - 1 : r.top;
    std::memcpy(d.start + at(d.x_pitch, d.y_pitch, r.left, low_row),
                s.start + at(s.x_step, s.y_step, r.left, low_row),
                size_t(r.width()) * size_t(r.height()) * kPixel);
}

void copy_rows(const PixelSource& s, const PixelDest& d, const Rect& r) {
    const size_t row_bytes = size_t(r.width()) * kPixel;
    for (int32_t y = r.top; y < r.bottom; ++y)
        std::memcpy(d.start + at(d.x_pitch, d.y_pitch, r.left, y),
                    s.start + at(s.x_step, s.y_step, r.left, y), row_bytes);
}

// A portrait frame of the screen's size into a landscape buffer whose rows
// are the screen's height long, each holding one portrait column from bottom
// to top: two source rows at a time, so that each write stores two
// neighbouring destination pixels (row y + 1 lies just below row y in memory).
void copy_portrait_to_landscape(const PixelSource& s, const PixelDest& d) {
    for (int32_t y = 0; y + 1 < kScreenSize.height; y += 2) {
        const uint8_t* upper = s.start + at(s.x_step, s.y_step, 0, y);
        const uint8_t* lower = upper + s.y_step;
        uint8_t* out = d.start + at(d.x_pitch, d.y_pitch, 0, y + 1);
        for (int32_t x = 0; x < kScreenSize.width;
             ++x, upper += kPixel, lower += kPixel, out += d.x_pitch) {
            std::memcpy(out, lower, kPixel);
            std::memcpy(out + kPixel, upper, kPixel);
        }
    }
}

void copy_in_strips(const PixelSource& s, const PixelDest& d, const Rect& r) {
    for (int32_t strip = r.left; strip < r.right; strip += kStripColumns) {
        const int32_t strip_end = std::min(r.right, strip + kStripColumns);
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = strip; x < strip_end; ++x) copy_pixel(s, d, x, y);
    }
}

}  // namespace

void copy_rect_per_pixel(const PixelSource& s, const PixelDest& d, const Rect& r) {
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x) copy_pixel(s, d, x, y);
}

void copy_rect(const PixelSource& s, const PixelDest& d, const Rect& r, bool whole) {
    if (r.empty()) return;
    const bool same_layout = s.x_step == d.x_pitch && s.y_step == d.y_pitch;
    const bool packed_rows = s.x_step == kPixel && (s.y_step == r.width() * kPixel ||
                                                    s.y_step == -r.width() * kPixel);
    if (whole && same_layout && packed_rows) return copy_block(s, d, r);
    if (s.x_step == kPixel && d.x_pitch == kPixel && s.y_step > 0 && d.y_pitch > 0)
        return copy_rows(s, d, r);
    const Rect screen = Rect::from({}, kScreenSize);
    if (r == screen && s.x_step == kPixel && s.y_step == screen.width() * kPixel &&
        d.x_pitch == screen.height() * kPixel && d.y_pitch == -kPixel)
        return copy_portrait_to_landscape(s, d);
    copy_in_strips(s, d, r);
}
