// A picture in memory: 16-bit pixels (RGB565 unless the load flags asked for
// another packing) and an optional plane of per-pixel opacity 0..32.
// Magenta 0xF81F is the colour key of the whole engine: blitters skip it when
// transparency is asked for, and add_outline turns key pixels that border the
// picture into an outline.
//
// Pixels are stored row after row from the top, without padding:
// pixel (x, y) is pixels[y * width + x]; the alpha plane, when present, uses
// the same index. Sprites and blitters may read and write both directly;
// writing the pixels through their plane is what tells keyed drawing that
// the picture changed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/memory_pool.h"
#include "engine/pictures/pixel_plane.h"

inline constexpr uint16_t kColorKey = 0xF81F;
inline constexpr uint8_t kOpaque = 32;

class Bitmap : public PoolObject {
public:
    Bitmap() = default;
    // A bitmap of the given size with every pixel 0 and, when asked, an alpha
    // plane of fully transparent pixels. Sizes must be validated by the caller.
    Bitmap(int32_t width, int32_t height, bool with_alpha);

    int32_t width = 0;
    int32_t height = 0;
    uint32_t reserved = 0;
    PixelPlane pixels;
    std::vector<uint8_t> alpha;  // empty when the picture has no alpha plane

    bool has_alpha() const { return !alpha.empty(); }
    size_t index(int32_t x, int32_t y) const { return size_t(y) * size_t(width) + size_t(x); }
    uint16_t pixel(int32_t x, int32_t y) const { return pixels[index(x, y)]; }
    // Where the picture's key pixels lie, for keyed drawing: made on first
    // use after the pixels last changed.
    const KeySpans& key_spans() const { return pixels.key_spans(width); }

    // A deep copy: same size and reserved word, own pixels and alpha plane.
    std::unique_ptr<Bitmap> clone() const;

    // Replaces every key pixel that touches a non-key pixel (of its eight
    // neighbours inside the picture) by `color`. Neighbours are read from the
    // old pixels, so the outline is exactly one pixel wide. The alpha plane is
    // dropped afterwards.
    void add_outline(uint16_t color);
};
