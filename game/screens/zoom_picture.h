// The arithmetic of the zoomed map: how far a level shrinks to fit the
// display, how one rendered 160 x 160 block is sampled into the small
// picture, and the clean-up of single stray pixels afterwards. Pictures
// are RGB565.
#pragma once

#include <cstdint>

#include "engine/core/geometry.h"

class Bitmap;

struct ZoomLayout {
    int32_t divisor = 1;  // map pixels per picture pixel, each way
    Size picture;         // the shrunk map
};

// The smallest divisor that leaves 20 pixels of the display's width and 50
// of its height free around the whole level (32-pixel tiles).
ZoomLayout zoom_layout(Size level_tiles, Size display);

// Half of each channel of both colours, added: the mean without carries
// from one channel into the next.
constexpr uint16_t average_rgb565(uint16_t a, uint16_t b) {
    return uint16_t(((a >> 1) & 0x7BEF) + ((b >> 1) & 0x7BEF));
}

// The hero marker's alpha on blink tick `counter`: a blink takes 121 ticks,
// bright at both ends and gone in the middle.
int32_t zoom_marker_alpha(int32_t counter);

// Samples a rendered block (its top-left pixel at 0, 0 of `scratch`; the
// block covers the map pixels `block`, at most 160 x 160, fewer at the
// level's right and bottom edges) into `map`: every `divisor`-th pixel of
// every `divisor`-th row of the block, averaged with the pixel divisor / 2
// to its right, or with the block's last column where that lies past it
// (the scratch picture is empty there). Samples that would land right of or
// below the map picture are skipped.
void sample_zoom_block(const Bitmap& scratch, Rect block, int32_t divisor, Bitmap& map);

// Replaces each inner pixel that stands out from all four neighbours while
// they agree among themselves by the colour of the pixel above it.
void remove_zoom_speckles(Bitmap& map);
