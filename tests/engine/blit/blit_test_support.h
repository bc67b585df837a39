// Small pictures and surfaces for the blitter tests, each in a buffer of its
// exact size so that AddressSanitizer sees any access beyond it.
#pragma once

#include <cstdint>
#include <vector>

#include "blit_reference.h"
#include "engine/blit/blitters.h"
#include "engine/blit/lane_width.h"

struct TestPicture {
    int32_t width = 0, height = 0;
    std::vector<uint16_t> pixels;
    std::vector<uint8_t> alpha;  // empty: no alpha plane

    TestPicture(int32_t w, int32_t h, uint16_t fill = 0)
        : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

    uint16_t& at(int32_t x, int32_t y) { return pixels[size_t(y) * width + x]; }

    // The whole picture as one frame at x, y with the given flags.
    BlitSource source(int32_t x, int32_t y, uint32_t flags) const {
        BlitSource s;
        s.pixels = pixels.data();
        s.alpha = alpha.empty() ? nullptr : alpha.data();
        s.bitmap_width = width;
        s.frame_width = width;
        s.frame_height = height;
        s.x = x;
        s.y = y;
        s.flags = flags;
        return s;
    }
};

struct TestSurface {
    int32_t width = 0, height = 0, pitch = 0;  // pitch in pixels
    std::vector<uint16_t> pixels;

    TestSurface(int32_t w, int32_t h, uint16_t fill = 0, int32_t padding = 0)
        : width(w), height(h), pitch(w + padding), pixels(size_t(w + padding) * size_t(h), fill) {}

    BlitTarget target() { return {reinterpret_cast<uint8_t*>(pixels.data()), 0, pitch * 2}; }
    BlitView whole() const { return {Rect{0, 0, width, height}, Point{}}; }
    uint16_t at(int32_t x, int32_t y) const { return pixels[size_t(y) * pitch + x]; }
};

using BlitFunction = void (*)(const BlitTarget&, BlitSource, const BlitView&);

inline BlitFunction fast_blitter(BlitKind kind) {
    switch (kind) {
        case BlitKind::plain: return blit_plain;
        case BlitKind::zoomed: return blit_zoomed;
        case BlitKind::hq_zoomed: return blit_hq_zoomed;
        case BlitKind::rotozoomed: return blit_rotozoomed;
    }
    return nullptr;
}

// Makes the blitters draw at one lane width while it lives, then at the
// width they had before.
class LaneWidthScope {
public:
    explicit LaneWidthScope(int32_t pixels) : before_(lane_width()) { use_lane_width(pixels); }
    ~LaneWidthScope() { use_lane_width(before_); }
    LaneWidthScope(const LaneWidthScope&) = delete;
    LaneWidthScope& operator=(const LaneWidthScope&) = delete;

private:
    int32_t before_;
};
