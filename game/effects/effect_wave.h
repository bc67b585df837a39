// The sideways sine wave that PIXELWAVE and GHOST draw: each row of a frame
// is shifted by amplitude x sin(frequency x row + phase), angles in whole
// degrees, into a picture wider than the frame by twice the amplitude.
#pragma once

#include <cstdint>

#include "game/effects/effect_sprite_copy.h"

// The shift of one row, -amplitude .. amplitude.
int32_t wave_shift(int32_t amplitude, int32_t frequency, int32_t phase, int32_t row);

// Clears `picture` to the colour key and draws every row of `frame` at
// x = amplitude + its shift, each opaque pixel through `paint`.
template <typename Paint>
void draw_wave(const FrameView& frame, Bitmap& picture, int32_t amplitude, int32_t frequency, int32_t phase,
               Paint&& paint) {
    clear_picture(picture);
    for (int32_t y = 0; y < frame.size.height && y < picture.height; ++y) {
        FrameView row = frame;
        row.pixels = frame.pixels + size_t(y) * size_t(frame.stride);
        row.size.height = 1;
        copy_frame(row, picture, {amplitude + wave_shift(amplitude, frequency, phase, y), y}, paint);
    }
}

// A phase in degrees after `speed` more: kept in 0 .. 359; returns how many
// times it passed 360 (or 0 going backwards).
int32_t advance_phase(int32_t& phase, int32_t speed);
