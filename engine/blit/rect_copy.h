// Copies a rectangle of 16-bit pixels between two buffers whose rows and
// columns may run in any direction: each side is described by the address of
// its pixel (0, 0) and the byte steps to the next pixel and the next row
// (negative for buffers turned or mirrored against each other).
//
// Pixel (x, y) of the rectangle goes from  source.start + x * x_step + y * y_step
// to  dest.start + x * x_pitch + y * y_pitch. Faster paths are taken where
// they give the same result: block copies for matching layouts, a dedicated
// copy for a portrait frame into a landscape buffer, and column strips for
// the other turned layouts so that the scattered writes stay close together.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/core/geometry.h"

struct PixelSource {
    const uint8_t* start = nullptr;  // pixel (0, 0)
    std::ptrdiff_t x_step = 2;
    std::ptrdiff_t y_step = 0;
};

struct PixelDest {
    uint8_t* start = nullptr;  // pixel (0, 0)
    std::ptrdiff_t x_pitch = 2;
    std::ptrdiff_t y_pitch = 0;
};

// `whole`: the rectangle is the whole frame, which allows one block copy when
// both sides are laid out alike.
void copy_rect(const PixelSource& source, const PixelDest& dest, const Rect& rect, bool whole);

// The rule above, one pixel at a time; what every faster path must equal.
void copy_rect_per_pixel(const PixelSource& source, const PixelDest& dest, const Rect& rect);
