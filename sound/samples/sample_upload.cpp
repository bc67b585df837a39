// Uploading data into a sample: the destination range is locked, filled by
// the region conversion (ADPCM decoding, width change, delta decoding,
// signedness) and unlocked.
#include <algorithm>
#include <cstring>

#include "sound/formats/adpcm.h"
#include "sound/samples/sample_load.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"

namespace {

// The fixed ADPCM layout of sample uploads: 36-byte blocks of 64 samples a channel.
constexpr int kBlockBytes = 36;
constexpr int kBlockSamples = 64;
// Blocks of one channel gathered at a time for more than two channels.
constexpr int kScratchBlocks = 113;

bool is_16bit(uint32_t mode) { return mode & SAMPLE_16BITS; }
bool is_unsigned(uint32_t mode) { return (mode & SAMPLE_UNSIGNED) && !(mode & SAMPLE_SIGNED); }
bool is_adpcm(uint32_t mode) { return mode & SAMPLE_ADPCM; }
bool is_compressed(uint32_t mode) { return mode & (SAMPLE_COMPRESSED | SAMPLE_COMPRESSED_2); }

uint32_t normalise_source_mode(uint32_t mode) {
    if (mode & SAMPLE_16BITS) mode &= ~uint32_t(SAMPLE_8BITS);
    if (mode & SAMPLE_STEREO) mode &= ~uint32_t(SAMPLE_MONO | SAMPLE_MULTICHANNEL);
    return mode;
}

int sample_channel_count(const SoundSample* sample) {
    if (sample->mode & SAMPLE_STEREO) return 2;
    if (sample->mode & SAMPLE_MULTICHANNEL) return std::max(1, sample->channel_count);
    return 1;
}

// More than two channels: each channel's blocks are interleaved with the
// others' in 2-byte words; gather one channel at a time and decode it into
// every n-th output sample.
bool decode_interleaved_channels(const uint8_t* source, int16_t* out, int blocks, int channels) {
    uint8_t scratch[kScratchBlocks * kBlockBytes];
    const int words_per_block = kBlockBytes / 2;
    for (int first = 0; first < blocks; first += kScratchBlocks) {
        int count = std::min(kScratchBlocks, blocks - first);
        const uint8_t* group = source + size_t(first) * kBlockBytes * channels;
        int16_t* group_out = out + size_t(first) * kBlockSamples * channels;
        for (int c = 0; c < channels; ++c) {
            for (int w = 0; w < count * words_per_block; ++w)
                std::memcpy(scratch + 2 * w, group + 2 * (size_t(w) * channels + c), 2);
            if (!adpcm_decode_mono(scratch, group_out + c, count, kBlockBytes, kBlockSamples, channels))
                return false;
        }
    }
    return true;
}

bool decode_adpcm_region(const uint8_t* source, int16_t* out, int blocks, int channels) {
    if (channels == 1) return adpcm_decode_mono(source, out, blocks, kBlockBytes, kBlockSamples, 1);
    if (channels == 2) return adpcm_decode_stereo(source, out, blocks, 2 * kBlockBytes, kBlockSamples);
    return decode_interleaved_channels(source, out, blocks, channels);
}

// Width change from 16-bit words (host order) to the destination's width.
int store_16bit(const int16_t* values, int count, uint8_t* destination, uint32_t destination_mode) {
    if (is_16bit(destination_mode)) {
        std::memmove(destination, values, size_t(count) * 2);
        return count * 2;
    }
    for (int i = 0; i < count; ++i) destination[i] = uint8_t(uint16_t(values[i]) >> 8);
    return count;
}

int convert_adpcm(uint8_t* destination, int destination_bytes, uint32_t destination_mode,
                  const uint8_t* source, int source_bytes, int channels) {
    int destination_element = is_16bit(destination_mode) ? 2 : 1;
    int64_t block_frames_bytes = int64_t(kBlockSamples) * channels * destination_element;
    int blocks = int(std::min<int64_t>(source_bytes / (kBlockBytes * channels),
                                       destination_bytes / block_frames_bytes));
    if (blocks <= 0) return 0;
    size_t values = size_t(blocks) * kBlockSamples * size_t(channels);
    int16_t* decoded = reinterpret_cast<int16_t*>(destination);
    int16_t* staging = nullptr;
    if (destination_element != 2) {
        staging = static_cast<int16_t*>(sound_mem_alloc(nullptr, values * 2, __FILE__, __LINE__));
        if (!staging) {
            sound_set_error(SOUND_ERR_NO_MEMORY);
            return -1;
        }
        decoded = staging;
    }
    int written = -1;
    if (decode_adpcm_region(source, decoded, blocks, channels))
        written = store_16bit(decoded, int(values), destination, destination_mode);
    else
        sound_set_error(SOUND_ERR_CORRUPT);
    sound_mem_free(nullptr, staging, __FILE__, __LINE__);
    return written;
}

int convert_plain(uint8_t* destination, int destination_bytes, uint32_t destination_mode,
                  const uint8_t* source, int source_bytes, uint32_t source_mode) {
    if (is_compressed(source_mode)) {
        int bytes = std::min(source_bytes, destination_bytes);
        std::memcpy(destination, source, size_t(bytes));
        return bytes;
    }
    bool source_16 = is_16bit(source_mode), destination_16 = is_16bit(destination_mode);
    int count = std::min(source_bytes / (source_16 ? 2 : 1), destination_bytes / (destination_16 ? 2 : 1));
    if (source_16 == destination_16) {
        std::memmove(destination, source, size_t(count) * (source_16 ? 2 : 1));
    } else if (source_16) {
        for (int i = 0; i < count; ++i) {
            int16_t value;
            std::memcpy(&value, source + 2 * i, 2);
            destination[i] = uint8_t(uint16_t(value) >> 8);
        }
    } else {
        for (int i = count - 1; i >= 0; --i) {
            int16_t value = int16_t(uint16_t(source[i]) << 8);
            std::memcpy(destination + 2 * i, &value, 2);
        }
    }
    return count * (destination_16 ? 2 : 1);
}

// Delta-coded input: each value is added to the running sum.
void undo_delta(uint8_t* data, int bytes, bool sixteen) {
    if (sixteen) {
        uint16_t sum = 0;
        for (int i = 0; i + 1 < bytes; i += 2) {
            uint16_t value;
            std::memcpy(&value, data + i, 2);
            sum = uint16_t(sum + value);
            std::memcpy(data + i, &sum, 2);
        }
    } else {
        uint8_t sum = 0;
        for (int i = 0; i < bytes; ++i) data[i] = sum = uint8_t(sum + data[i]);
    }
}

void flip_signedness(uint8_t* data, int bytes, bool sixteen) {
    if (sixteen) {
        for (int i = 0; i + 1 < bytes; i += 2) {
            uint16_t value;
            std::memcpy(&value, data + i, 2);
            value = uint16_t(value - 0x8000);
            std::memcpy(data + i, &value, 2);
        }
    } else {
        for (int i = 0; i < bytes; ++i) data[i] = uint8_t(data[i] - 128);
    }
}

// Fills the (at most two) locked pieces; the conversion runs once over the
// whole range so that delta sums carry from one piece into the next.
bool fill_locked(void* first, int first_length, void* second, int second_length, uint32_t destination_mode,
                 const void* source, int source_bytes, uint32_t source_mode, int channels) {
    if (!first) return true;
    if (!second || second_length <= 0)
        return sample_convert_region(first, first_length, destination_mode, source, source_bytes, source_mode,
                                     channels) >= 0;
    int total = first_length + second_length;
    auto* staging = static_cast<uint8_t*>(sound_mem_alloc(nullptr, size_t(total), __FILE__, __LINE__));
    if (!staging) {
        sound_set_error(SOUND_ERR_NO_MEMORY);
        return false;
    }
    bool converted =
        sample_convert_region(staging, total, destination_mode, source, source_bytes, source_mode, channels) >= 0;
    if (converted) {
        std::memcpy(first, staging, size_t(first_length));
        std::memcpy(second, staging + first_length, size_t(second_length));
    }
    sound_mem_free(nullptr, staging, __FILE__, __LINE__);
    return converted;
}

}  // namespace

int64_t sample_converted_bytes(int64_t source_bytes, uint32_t source_mode, uint32_t destination_mode,
                               int channels) {
    int destination_element = is_16bit(destination_mode) ? 2 : 1;
    if (is_adpcm(source_mode))
        return source_bytes / (kBlockBytes * channels) * kBlockSamples * channels * destination_element;
    if (is_compressed(source_mode)) return source_bytes;
    return source_bytes / (is_16bit(source_mode) ? 2 : 1) * destination_element;
}

int sample_convert_region(void* destination, int destination_bytes, uint32_t destination_mode,
                          const void* source, int source_bytes, uint32_t source_mode, int channels) {
    auto* out = static_cast<uint8_t*>(destination);
    const auto* in = static_cast<const uint8_t*>(source);
    if (!out || !in || destination_bytes <= 0 || source_bytes <= 0) return 0;
    channels = std::max(1, channels);
    if (is_adpcm(source_mode)) return convert_adpcm(out, destination_bytes, destination_mode, in, source_bytes, channels);
    int written = convert_plain(out, destination_bytes, destination_mode, in, source_bytes, source_mode);
    if (is_compressed(source_mode)) return written;
    bool sixteen = is_16bit(destination_mode);
    if (source_mode & SAMPLE_DELTA) undo_delta(out, written, sixteen);
    if (is_unsigned(source_mode) != is_unsigned(destination_mode)) flip_signedness(out, written, sixteen);
    return written;
}

int sample_upload(SoundSample* sample, const void* source, int byte_offset, int byte_count,
                  uint32_t source_mode) {
    sound_clear_error();
    if (!sample || !source || byte_offset < 0 || byte_count < 0) {
        sound_set_error(SOUND_ERR_PARAM);
        return 0;
    }
    source_mode = normalise_source_mode(source_mode);
    int channels = sample_channel_count(sample);
    int64_t destination_bytes =
        std::min<int64_t>(sample_converted_bytes(byte_count, source_mode, sample->mode, channels), INT32_MAX);
    if (sample->ops.upload) {
        // A driver's own upload takes the byte count in decoded terms.
        int count = is_adpcm(source_mode) ? int(destination_bytes) : byte_count;
        return sample->ops.upload(sample, source, byte_offset, count, source_mode);
    }
    void* first = nullptr;
    void* second = nullptr;
    int first_length = 0, second_length = 0;
    if (!sample_lock(sample, byte_offset, int(destination_bytes), &first, &first_length, &second, &second_length))
        return 0;
    bool converted = fill_locked(first, first_length, second, second_length, sample->mode, source, byte_count,
                                 source_mode, channels);
    int unlocked = sample_unlock(sample, first, second, first_length, second_length);
    return converted && unlocked ? 1 : 0;
}

int sample_upload_buffer(SoundSample* sample, const void* source, uint32_t source_mode) {
    if (!sample) {
        sound_set_error(SOUND_ERR_PARAM);
        return 0;
    }
    source_mode = normalise_source_mode(source_mode);
    int64_t bytes = sample->length;
    if (is_adpcm(source_mode))
        bytes = bytes * kBlockBytes / kBlockSamples;
    else if (is_compressed(source_mode))
        bytes = bytes * 4 / 7;
    else if (is_16bit(source_mode) && !(source_mode & (0x400 | 0x800)))
        bytes *= 2;
    bytes *= sample_channel_count(sample);
    return sample_upload(sample, source, 0, int(std::min<int64_t>(bytes, INT32_MAX)), source_mode);
}
