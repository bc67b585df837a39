// Helpers shared by the WAV tests: loading bytes through the library, and a
// reference IMA ADPCM decoder written from the published description, apart
// from the library's own.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "sound/files/sound_file.h"
#include "sound/formats/wav_reader.h"
#include "sound/samples/sound_sample.h"
#include "tests/sound/sound_test_support.h"

// Runs each test with the library started (non-real-time, no sound device);
// a test may stop it early to see what a load does without a library.
class WavTest : public ::testing::Test {
protected:
    void stop_sound_library() { library_.reset(); }

private:
    std::unique_ptr<sound_test::NonRealtimeSound> library_ = std::make_unique<sound_test::NonRealtimeSound>(22050);
};

template <class Param>
class WavTestWithParam : public WavTest, public ::testing::WithParamInterface<Param> {};

struct LoadedSample {
    SoundSample* sample = nullptr;
    LoadedSample() = default;
    explicit LoadedSample(SoundSample* s) : sample(s) {}
    LoadedSample(LoadedSample&& other) noexcept : sample(other.sample) { other.sample = nullptr; }
    ~LoadedSample() { sample_free(sample); }
    SoundSample* operator->() const { return sample; }
    explicit operator bool() const { return sample != nullptr; }
};

// Loads a WAV image from memory through the WAV reader.
inline LoadedSample load_wav(const std::vector<uint8_t>& bytes, uint32_t mode = 0x8130) {
    SoundFile* file = sound_file_open(bytes.data(), SOUND_FILE_MEMORY, int(bytes.size()));
    if (!file) return LoadedSample();
    SoundSample* sample = wav_load_sample(kSampleUnmanaged, file, &mode);
    sound_file_close(file);
    return LoadedSample(sample);
}

// The sample's data as bytes and as 16-bit values (through a lock).
inline std::vector<uint8_t> sample_bytes(SoundSample* sample) {
    int frame = ((sample->mode & SAMPLE_16BITS) ? 2 : 1) * ((sample->mode & SAMPLE_STEREO) ? 2 : 1);
    int bytes = sample->length * frame;
    void *first = nullptr, *second = nullptr;
    int first_length = 0, second_length = 0;
    std::vector<uint8_t> out;
    if (!sample_lock(sample, 0, bytes, &first, &first_length, &second, &second_length)) return out;
    out.assign(static_cast<uint8_t*>(first), static_cast<uint8_t*>(first) + first_length);
    if (second) out.insert(out.end(), static_cast<uint8_t*>(second), static_cast<uint8_t*>(second) + second_length);
    sample_unlock(sample, first, second, first_length, second_length);
    return out;
}

inline std::vector<int16_t> sample_values16(SoundSample* sample) {
    std::vector<uint8_t> bytes = sample_bytes(sample);
    std::vector<int16_t> values(bytes.size() / 2);
    std::memcpy(values.data(), bytes.data(), values.size() * 2);
    return values;
}

namespace reference_ima {

inline const int kIndexStep[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
inline const int kSteps[89] = {
    7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60,
    66, 73, 80, 88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371,
    408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878,
    2066, 2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845,
    8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086,
    29794, 32767};

struct Channel {
    int predictor = 0;
    int index = 0;
    int16_t next(int code) {
        int step = kSteps[index];
        int delta = step >> 3;
        if (code & 1) delta += step >> 2;
        if (code & 2) delta += step >> 1;
        if (code & 4) delta += step;
        predictor += (code & 8) ? -delta : delta;
        predictor = predictor < -32768 ? -32768 : predictor > 32767 ? 32767 : predictor;
        index += kIndexStep[code & 7];
        index = index < 0 ? 0 : index > 88 ? 88 : index;
        return int16_t(predictor);
    }
};

// Decodes whole blocks of a WAV IMA ADPCM data chunk into interleaved samples.
// The nibble of sample n (n >= 1) of channel c lies in the block's 4-byte
// word ((n - 1) / 8) * channels + c, nibble (n - 1) % 8.
inline std::vector<int16_t> decode(const uint8_t* data, size_t bytes, int channels, int block_align,
                                   int samples_per_block) {
    std::vector<int16_t> out;
    for (size_t at = 0; at + size_t(block_align) <= bytes; at += size_t(block_align)) {
        const uint8_t* block = data + at;
        Channel state[2];
        for (int c = 0; c < channels; ++c) {
            state[c].predictor = int16_t(block[4 * c] | (block[4 * c + 1] << 8));
            state[c].index = block[4 * c + 2];
        }
        const uint8_t* body = block + 4 * channels;
        for (int n = 0; n < samples_per_block; ++n) {
            for (int c = 0; c < channels; ++c) {
                if (n == 0) {
                    out.push_back(int16_t(state[c].predictor));
                    continue;
                }
                int k = n - 1;
                int word = (k / 8) * channels + c;
                int byte = body[4 * word + (k % 8) / 2];
                int code = (k % 2) ? byte >> 4 : byte & 15;
                out.push_back(state[c].next(code));
            }
        }
    }
    return out;
}

}  // namespace reference_ima
