// IMA ADPCM decoding: the step of the published algorithm and the two block
// layouts a WAV file uses (one channel, and two channels in groups of eight
// nibbles per side). The decoders only read what the block geometry allows;
// a block whose header carries a step index above 88 makes them fail.
#pragma once

#include <cstddef>
#include <cstdint>

// One decoder channel: the last sample and the step index.
struct AdpcmChannel {
    int sample = 0;
    int index = 0;
};

// The tables of the published algorithm.
extern const int8_t kAdpcmIndexTable[16];
extern const int16_t kAdpcmStepTable[89];

// One step: the next sample from the previous one and the current step size.
int adpcm_step(int nibble, int previous, int step);

// Advances the channel by one nibble and returns the new sample.
int16_t adpcm_decode_nibble(AdpcmChannel& channel, int nibble);

// The largest samples-per-block a block of block_bytes can carry.
int adpcm_max_mono_samples_per_block(int block_bytes);
bool adpcm_stereo_block_fits(int block_bytes, int samples_per_block);

// Decodes block_count mono blocks of block_bytes bytes, samples_per_block
// samples each, writing every stride-th output sample. Returns 1, or 0 when
// a header's step index is above 88 or the geometry does not fit the block.
int adpcm_decode_mono(const uint8_t* input, int16_t* output, int block_count,
                      int block_bytes, int samples_per_block, int stride);

// The same for interleaved stereo blocks; output frames are left, right.
int adpcm_decode_stereo(const uint8_t* input, int16_t* output, int block_count,
                        int block_bytes, int samples_per_block);
