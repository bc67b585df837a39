#include "sound/formats/adpcm.h"

#include "engine/core/byte_order.h"

const int8_t kAdpcmIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8,
                                     -1, -1, -1, -1, 2, 4, 6, 8};

const int16_t kAdpcmStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,
    19,    21,    23,    25,    28,    31,    34,    37,    41,    45,
    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,
    337,   371,   408,   449,   494,   544,   598,   658,   724,   796,
    876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,
    5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487, 12635, 13899,
    15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

namespace {

constexpr int kMaxStepIndex = 88;

// Reads a block header into the channel; false when its index is out of range.
bool read_block_header(const uint8_t* p, AdpcmChannel& channel) {
    channel.sample = read_i16le(p);
    channel.index = p[2];
    return channel.index <= kMaxStepIndex;
}

}  // namespace

int adpcm_step(int nibble, int previous, int step) {
    int diff = step >> 3;
    if (nibble & 4) diff += step;
    if (nibble & 2) diff += step >> 1;
    if (nibble & 1) diff += step >> 2;
    int next = (nibble & 8) ? previous - diff : previous + diff;
    if (next > 32767) next = 32767;
    if (next < -32768) next = -32768;
    return next;
}

int16_t adpcm_decode_nibble(AdpcmChannel& channel, int nibble) {
    channel.sample = adpcm_step(nibble, channel.sample, kAdpcmStepTable[channel.index]);
    int index = channel.index + kAdpcmIndexTable[nibble & 15];
    channel.index = index < 0 ? 0 : (index > kMaxStepIndex ? kMaxStepIndex : index);
    return int16_t(channel.sample);
}

int adpcm_max_mono_samples_per_block(int block_bytes) {
    return block_bytes > 4 ? 2 * (block_bytes - 4) + 1 : (block_bytes == 4 ? 1 : 0);
}

bool adpcm_stereo_block_fits(int block_bytes, int samples_per_block) {
    if (samples_per_block < 1 || block_bytes < 8) return false;
    int64_t groups = (int64_t(samples_per_block) - 1 + 7) / 8;
    return 8 + groups * 8 <= block_bytes;
}

int adpcm_decode_mono(const uint8_t* input, int16_t* output, int block_count,
                      int block_bytes, int samples_per_block, int stride) {
    if (samples_per_block < 1 || samples_per_block > adpcm_max_mono_samples_per_block(block_bytes))
        return 0;
    for (int block = 0; block < block_count; ++block) {
        const uint8_t* p = input + size_t(block) * size_t(block_bytes);
        AdpcmChannel channel;
        if (!read_block_header(p, channel)) return 0;
        *output = int16_t(channel.sample);
        output += stride;
        const uint8_t* nibbles = p + 4;
        for (int i = 1; i < samples_per_block; ++i) {
            int k = i - 1;
            int nibble = (k & 1) ? (nibbles[k >> 1] >> 4) : (nibbles[k >> 1] & 15);
            *output = adpcm_decode_nibble(channel, nibble);
            output += stride;
        }
    }
    return 1;
}

int adpcm_decode_stereo(const uint8_t* input, int16_t* output, int block_count,
                        int block_bytes, int samples_per_block) {
    if (!adpcm_stereo_block_fits(block_bytes, samples_per_block)) return 0;
    for (int block = 0; block < block_count; ++block) {
        const uint8_t* p = input + size_t(block) * size_t(block_bytes);
        AdpcmChannel left, right;
        if (!read_block_header(p, left) || !read_block_header(p + 4, right)) return 0;
        *output++ = int16_t(left.sample);
        *output++ = int16_t(right.sample);
        const uint8_t* group = p + 8;
        for (int remaining = samples_per_block - 1; remaining > 0; remaining -= 8, group += 8) {
            uint32_t left_word = read_u32le(group);
            uint32_t right_word = read_u32le(group + 4);
            int frames = remaining < 8 ? remaining : 8;
            for (int i = 0; i < frames; ++i) {
                *output++ = adpcm_decode_nibble(left, int(left_word >> (4 * i)) & 15);
                *output++ = adpcm_decode_nibble(right, int(right_word >> (4 * i)) & 15);
            }
        }
    }
    return 1;
}
