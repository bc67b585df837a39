// An IMA ADPCM encoder for the WAV block layouts (one channel; two channels
// in groups of eight nibbles per side). Each block starts with the exact
// sample and the encoder's step index; nibbles are chosen by the published
// quantisation against the decoder's own reconstruction.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/byte_order.h"
#include "sound/formats/adpcm.h"
#include "tools/wav_tools/wav_writer.h"

namespace ima_encoder {

inline int choose_nibble(const AdpcmChannel& channel, int target) {
    int step = kAdpcmStepTable[channel.index];
    int diff = target - channel.sample;
    int nibble = 0;
    if (diff < 0) {
        nibble = 8;
        diff = -diff;
    }
    if (diff >= step) { nibble |= 4; diff -= step; }
    step >>= 1;
    if (diff >= step) { nibble |= 2; diff -= step; }
    step >>= 1;
    if (diff >= step) nibble |= 1;
    return nibble;
}

inline void put_header(std::vector<uint8_t>& out, AdpcmChannel& channel, int16_t first) {
    channel.sample = first;
    append_u16le(out, uint16_t(first));
    out.push_back(uint8_t(channel.index));
    out.push_back(0);
}

inline int16_t sample_at(const std::vector<int16_t>& pcm, size_t i) { return i < pcm.size() ? pcm[i] : 0; }

// Encodes interleaved 16-bit samples (channels 1 or 2) into whole blocks of
// block_align bytes with samples_per_block frames each; the last block is
// padded with silence.
inline std::vector<uint8_t> encode(const std::vector<int16_t>& pcm, int channels, int block_align,
                                   int samples_per_block) {
    std::vector<uint8_t> out;
    size_t frames = pcm.size() / size_t(channels);
    AdpcmChannel state[2];
    for (size_t first = 0; first < frames; first += size_t(samples_per_block)) {
        size_t block_start = out.size();
        for (int c = 0; c < channels; ++c) put_header(out, state[c], sample_at(pcm, first * channels + c));
        if (channels == 1) {
            uint8_t pending = 0;
            for (int i = 1; i < samples_per_block; ++i) {
                int nibble = choose_nibble(state[0], sample_at(pcm, first + size_t(i)));
                adpcm_decode_nibble(state[0], nibble);
                if (i & 1) pending = uint8_t(nibble);
                else out.push_back(uint8_t(pending | (nibble << 4)));
            }
            if ((samples_per_block - 1) & 1) out.push_back(pending);
        } else {
            for (int group = 1; group < samples_per_block; group += 8) {
                for (int c = 0; c < 2; ++c) {
                    uint32_t word = 0;
                    AdpcmChannel& channel = state[c];
                    for (int k = 0; k < 8 && group + k < samples_per_block; ++k) {
                        size_t frame = first + size_t(group + k);
                        int nibble = choose_nibble(channel, sample_at(pcm, frame * 2 + size_t(c)));
                        adpcm_decode_nibble(channel, nibble);
                        word |= uint32_t(nibble) << (4 * k);
                    }
                    append_u32le(out, word);
                }
            }
        }
        out.resize(block_start + size_t(block_align), 0);
    }
    return out;
}

inline std::vector<uint8_t> wav(const std::vector<int16_t>& pcm, int channels, int rate, int block_align,
                                int samples_per_block) {
    return wav_writer::riff({wav_writer::adpcm_format(channels, rate, block_align, samples_per_block),
                             wav_writer::data(encode(pcm, channels, block_align, samples_per_block))});
}

}  // namespace ima_encoder
