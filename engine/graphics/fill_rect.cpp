#include "engine/graphics/fill_rect.h"

#include <algorithm>
#include <cstring>

FillRect::FillRect() { flags_ = kInvalidateOnOffset | kFollowLayerSize | kFollowLayerOffset; }

FillRect::~FillRect() { release_bitmap(); }

void FillRect::set_bitmap(const Bitmap* bitmap, ReleaseBitmap release) {
    if (bitmap != bitmap_) release_bitmap();
    bitmap_ = bitmap;
    release_ = release;
}

void FillRect::release_bitmap() {
    if (bitmap_ && release_) release_(bitmap_);
    bitmap_ = nullptr;
    release_ = nullptr;
}

void FillRect::draw(const DrawTarget& target) {
    if (bitmap_)
        draw_bitmap(target);
    else
        draw_color(target);
}

namespace {

// Rows are one block when each row of the clip ends where the next begins.
bool rows_contiguous(const DrawTarget& t, int32_t width) {
    return std::ptrdiff_t(width) * t.pixel_step == t.row_pitch;
}

}  // namespace

void FillRect::draw_bitmap(const DrawTarget& t) const {
    const Bitmap& b = *bitmap_;
    const Rect area = t.clip.intersect({0, 0, b.width, b.height});
    if (area.empty()) return;
    const size_t row_bytes = size_t(area.width()) * sizeof(uint16_t);
    if (area.width() == b.width && rows_contiguous(t, b.width)) {
        std::memcpy(t.at(area.left, area.top), &b.pixels[b.index(0, area.top)],
                    row_bytes * size_t(area.height()));
        return;
    }
    for (int32_t y = area.top; y < area.bottom; ++y)
        std::memcpy(t.at(area.left, y), &b.pixels[b.index(area.left, y)], row_bytes);
}

void FillRect::draw_color(const DrawTarget& t) const {
    const Rect& c = t.clip;
    if (c.empty()) return;
    if (color_ == 0) {
        const size_t row_bytes = size_t(c.width()) * sizeof(uint16_t);
        if (rows_contiguous(t, c.width())) {
            std::memset(t.at(c.left, c.top), 0, row_bytes * size_t(c.height()));
            return;
        }
        for (int32_t y = c.top; y < c.bottom; ++y) std::memset(t.at(c.left, y), 0, row_bytes);
        return;
    }
    // One row of the colour, then block copies of it.
    uint16_t* first = t.pixel16(c.left, c.top);
    std::fill_n(first, c.width(), color_);
    const size_t row_bytes = size_t(c.width()) * sizeof(uint16_t);
    for (int32_t y = c.top + 1; y < c.bottom; ++y) std::memcpy(t.at(c.left, y), first, row_bytes);
}
