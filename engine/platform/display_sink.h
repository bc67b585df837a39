// Where finished frames go: the screen of the back end (an SDL texture, or an
// in-memory front buffer when running headless).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/geometry.h"

struct DisplaySink {
    virtual ~DisplaySink() = default;
    // Prepares a screen of width x height RGB565 pixels; false when that is
    // impossible. Opening again with the same size keeps the screen.
    virtual bool open(int width, int height) = 0;
    // Copies the given rectangles of the back buffer (pixels of pixel (0, 0),
    // row pitch in bytes) to the screen. The rectangles are clipped to the
    // screen; `whole` means one rectangle covering all of it.
    virtual void present(const uint16_t* pixels, std::ptrdiff_t pitch_bytes,
                         const std::vector<Rect>& rects, bool whole) = 0;
};
