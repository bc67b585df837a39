// What a layer hands to a drawable's draw(): where the back buffer is, how
// its pixels are laid out, where the layer's origin lies in it, and the part
// of the layer to redraw. A drawable writes no pixel outside `clip`.
//
// The layer origin is kept as a byte offset rather than a pointer: a layer may
// start left of or above the buffer, and a pointer formed outside the buffer
// would be undefined. Addresses are formed only for pixels inside the clip,
// which the layer keeps inside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/core/geometry.h"

struct DrawTarget {
    int32_t bits_per_pixel = 16;
    int32_t pixel_step = 2;          // bytes from one pixel to the next in a row
    int32_t row_pitch = 0;           // bytes from one row to the next
    uint8_t* buffer = nullptr;       // the back buffer's first byte
    Size surface;                    // the back buffer's size in pixels
    std::ptrdiff_t origin = 0;       // byte offset of layer pixel (0, 0) from `buffer`
    Rect clip;                       // in layer coordinates, right and bottom exclusive

    std::ptrdiff_t offset_of(int32_t x, int32_t y) const {
        return origin + std::ptrdiff_t(x) * pixel_step + std::ptrdiff_t(y) * row_pitch;
    }
    // Address of layer pixel (x, y); only for pixels inside the clip.
    uint8_t* at(int32_t x, int32_t y) const { return buffer + offset_of(x, y); }
    uint16_t* pixel16(int32_t x, int32_t y) const { return reinterpret_cast<uint16_t*>(at(x, y)); }
};

// A target over a whole 16-bit surface of `size` pixels with packed rows:
// the layer origin at its first pixel and the clip over all of it.
inline DrawTarget whole_surface_target(uint16_t* pixels, Size size) {
    DrawTarget t;
    t.row_pitch = size.width * 2;
    t.buffer = reinterpret_cast<uint8_t*>(pixels);
    t.surface = size;
    t.clip = {0, 0, size.width, size.height};
    return t;
}
