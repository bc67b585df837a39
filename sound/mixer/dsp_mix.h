// Mixing outside the chain: caller data mixed into an accumulator with the
// current mixer, and silencing the accumulator and the primary buffer.
#pragma once

#include <cstdint>

// Mixes frames of source (8- or 16-bit, mono or stereo as mode says) into
// destination, an accumulator of the current mixer's format, at the given
// frequency, volume (0..255) and pan (0..255). Returns 1 or 0.
int dsp_mix_buffers(void* destination, const void* source, int frames, int frequency, int volume, int pan,
                    uint32_t mode);

// Silences the whole accumulator and the whole primary mix buffer.
void dsp_clear_mix_buffer();
