// What a blitter reads and where it writes. The blitters are pure functions of
// these records, so they can be tested and measured without sprites or layers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/core/geometry.h"

class KeySpans;

// A 16-bit surface: pixel (x, y) lies at byte origin + y * row_pitch + 2 * x
// of buffer. The origin is an offset, not a pointer, because it may lie
// outside the buffer; only addresses of pixels inside the view are formed.
struct BlitTarget {
    uint8_t* buffer = nullptr;
    std::ptrdiff_t origin = 0;
    int32_t row_pitch = 0;  // bytes

    uint16_t* at(int32_t x, int32_t y) const {
        return reinterpret_cast<uint16_t*>(buffer + origin + std::ptrdiff_t(y) * row_pitch + std::ptrdiff_t(x) * 2);
    }
};

// The current frame of a sprite and its drawing settings.
struct BlitSource {
    const uint16_t* pixels = nullptr;  // the whole bitmap, rows of bitmap_width
    const uint8_t* alpha = nullptr;    // opacity plane 0..32, or null
    int32_t bitmap_width = 0;
    int32_t frame_offset = 0;  // index of the frame's first pixel
    int32_t frame_width = 0;
    int32_t frame_height = 0;
    int32_t x = 0, y = 0;  // anchor point, in the coordinates of the view's shift
    uint32_t flags = 0;
    int32_t alpha_value = 32;  // opacity of the whole sprite, 0..32
    int32_t zoom = 1024;       // 1024 = 1.0
    int32_t rotation = 0;      // degrees, 16.16
    // The key spans of the whole bitmap, or null. With them the keyed modes
    // visit only the spans; without, they test every pixel for the key.
    const KeySpans* key_spans = nullptr;
};

// Where on the target a sprite may be drawn: shift is subtracted from sprite
// coordinates to get target coordinates, and nothing is written outside clip.
struct BlitView {
    Rect clip;
    Point shift;
};
