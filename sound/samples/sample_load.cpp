// Loading a sample from a WAV file or raw data, by file name, from a memory
// block or from an open file, and the conversions a load applies afterwards
// (16 to 8 bits, stereo to mono).
#include <algorithm>
#include <cstring>

#include "sound/samples/sample_load.h"
#include "sound/files/sound_file.h"
#include "sound/formats/wav_reader.h"
#include "sound/mixer/mixer.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"
#include "sound/system/sound_system.h"

namespace {

constexpr int kRawFrequency = 44100;
constexpr int kC2Rate = 8363;
constexpr char kMemoryFileName[] = "Memory file";

SoundFile* open_source(const void* source, uint32_t mode, int length) {
    if (mode & SAMPLE_FROM_MEMORY) return sound_file_open(source, SOUND_FILE_MEMORY, length);
    if (sound_file_has_callbacks()) return sound_file_open(source, SOUND_FILE_CALLBACKS, 0);
    return sound_file_open(source, SOUND_FILE_BUFFERED, 0);
}

void copy_name(SoundSample* sample, const char* name) {
    size_t length = strnlen(name, sizeof sample->name - 1);
    std::memmove(sample->name, name, length);
    sample->name[length] = 0;
}

// Raw data: the whole source becomes the sample in the caller's format.
SoundSample* load_raw(int index, SoundFile* file, uint32_t mode, const char* name) {
    sound_file_seek(file, 0, 2);
    int64_t bytes = sound_file_tell(file);
    sound_file_seek(file, 0, 0);
    if (bytes <= 0) {
        sound_set_error(SOUND_ERR_CORRUPT);
        return nullptr;
    }
    if ((mode & SAMPLE_FORCE_MONO) && (mode & SAMPLE_STEREO)) mode &= ~uint32_t(SAMPLE_DRIVER);
    bool stereo = mode & SAMPLE_STEREO;
    int64_t frames;
    if (mode & SAMPLE_ADPCM)
        frames = bytes / (36 * (stereo ? 2 : 1)) * 64;
    else
        frames = bytes / (stereo ? 2 : 1) / ((mode & SAMPLE_16BITS) ? 2 : 1);
    if (frames < 1) {
        sound_set_error(SOUND_ERR_CORRUPT);
        return nullptr;
    }
    auto* data = static_cast<uint8_t*>(sound_mem_alloc(nullptr, size_t(bytes), __FILE__, __LINE__));
    if (!data) {
        sound_set_error(SOUND_ERR_NO_MEMORY);
        return nullptr;
    }
    SoundSample* sample = sample_create(index, int(frames), mode, kRawFrequency, 255, stereo ? -1 : 128, 255);
    if (!sample) {
        sound_mem_free(nullptr, data, __FILE__, __LINE__);
        return nullptr;
    }
    sample->loop_start = 0;
    sample->loop_length = int(frames);
    copy_name(sample, name);
    sample->c2_rate = kC2Rate;
    sample->relative_note = 0;
    int element = (mode & SAMPLE_16BITS) ? 2 : 1;
    int got = sound_file_read(data, element, int(bytes / element), file);
    if (got < 0) got = 0;
    std::memset(data + got, 0, size_t(bytes - got));
    int uploaded = sample_upload_buffer(sample, data, mode);
    sound_mem_free(nullptr, data, __FILE__, __LINE__);
    if (!uploaded) {
        int error = sound_get_error();
        sample_free(sample);
        sound_set_error(error ? error : SOUND_ERR_CORRUPT);
        return nullptr;
    }
    return sample;
}

// The converted sample takes the old one's place: its index and, for a
// managed sample, its table entry. The old sample is then freed.
SoundSample* replace_sample(SoundSample* old_sample, SoundSample* new_sample) {
    copy_name(new_sample, old_sample->name);
    int index = old_sample->index;
    SoundSystem& system = *g_sound_system;
    if (new_sample->index >= 0 && new_sample->index < system.sample_capacity)
        system.samples[new_sample->index] = nullptr;
    old_sample->index = kSampleUnmanaged;
    new_sample->index = index;
    if (index >= 0 && index < system.sample_capacity) system.samples[index] = new_sample;
    sample_free(old_sample);
    return new_sample;
}

struct WholeLock {
    void* data = nullptr;
    void* second = nullptr;
    int length = 0;
    int second_length = 0;
};

bool lock_whole(SoundSample* sample, int bytes, WholeLock& lock) {
    return sample_lock(sample, 0, bytes, &lock.data, &lock.length, &lock.second, &lock.second_length) &&
           lock.data && lock.length >= bytes;
}

// A software sample locks as one piece; anything else cannot be converted.
SoundSample* convert_sample(SoundSample* old_sample, uint32_t new_mode, int old_frame_bytes, int new_frame_bytes,
                            void (*convert)(void* out, const void* in, int frames, uint32_t old_mode)) {
    new_mode = (new_mode & ~kSampleLoopBits) | (old_sample->mode & kSampleLoopBits);
    SoundSample* new_sample = sample_create(kSampleUnmanaged, old_sample->length, new_mode,
                                            old_sample->default_frequency, old_sample->default_volume,
                                            old_sample->default_pan, 255);
    if (!new_sample) return old_sample;
    WholeLock from, to;
    int frames = old_sample->length;
    bool locked_from = lock_whole(old_sample, frames * old_frame_bytes, from);
    bool locked_to = lock_whole(new_sample, frames * new_frame_bytes, to);
    if (locked_from && locked_to) convert(to.data, from.data, frames, old_sample->mode);
    if (locked_to) sample_unlock(new_sample, to.data, to.second, to.length, to.second_length);
    if (locked_from) sample_unlock(old_sample, from.data, from.second, from.length, from.second_length);
    if (!locked_from || !locked_to) {
        sample_free(new_sample);
        return old_sample;
    }
    sample_set_loop_points(new_sample, old_sample->loop_start, old_sample->loop_start + old_sample->loop_length - 1);
    return replace_sample(old_sample, new_sample);
}

void high_bytes(void* out, const void* in, int frames, uint32_t mode) {
    int values = frames * ((mode & SAMPLE_STEREO) ? 2 : 1);
    auto* bytes = static_cast<uint8_t*>(out);
    const auto* words = static_cast<const uint8_t*>(in);
    for (int i = 0; i < values; ++i) {
        int16_t value;
        std::memcpy(&value, words + 2 * i, 2);
        bytes[i] = uint8_t(uint16_t(value) >> 8);
    }
}

SoundSample* convert_to_8bit(SoundSample* sample, uint32_t caller_mode) {
    uint32_t mode = (caller_mode & ~uint32_t(SAMPLE_16BITS)) | SAMPLE_8BITS;
    int channels = (sample->mode & SAMPLE_STEREO) ? 2 : 1;
    return convert_sample(sample, mode, 2 * channels, channels, high_bytes);
}

void downmix(void* out, const void* in, int frames, uint32_t mode) { sample_downmix_to_mono(out, in, frames, mode); }

SoundSample* convert_to_mono(SoundSample* sample, uint32_t caller_mode) {
    uint32_t width = sample->mode & (SAMPLE_8BITS | SAMPLE_16BITS);
    uint32_t mode = (caller_mode & ~uint32_t(SAMPLE_STEREO | SAMPLE_MONO | SAMPLE_8BITS | SAMPLE_16BITS)) |
                    SAMPLE_MONO | width;
    int element = (width & SAMPLE_16BITS) ? 2 : 1;
    return convert_sample(sample, mode, 2 * element, element, downmix);
}

}  // namespace

SoundSample* sample_load(int index, const void* source, uint32_t mode, int offset, int length) {
    return sample_load_ex(index, source, mode, offset, length, false);
}

SoundSample* sample_load_ex(int index, const void* source, uint32_t mode, int offset, int length,
                            bool source_is_open_file) {
    sound_clear_error();
    if (!g_sound_system->initialised) {
        sound_set_error(SOUND_ERR_NOT_READY);
        return nullptr;
    }
    if (!source) {
        sound_set_error(SOUND_ERR_PARAM);
        return nullptr;
    }
    SoundFile* file = source_is_open_file ? static_cast<SoundFile*>(const_cast<void*>(source))
                                          : open_source(source, mode, length);
    if (!file) {
        sound_set_error(SOUND_ERR_NO_FILE);
        return nullptr;
    }
    if (offset > 0) sound_file_set_start(file, offset);
    if (length > 0) sound_file_set_end(file, int(std::min<int64_t>(int64_t(offset) + length - 1, INT32_MAX)));
    sound_set_error(SOUND_ERR_FORMAT);

    const char* name = (mode & SAMPLE_FROM_MEMORY) || source_is_open_file ? kMemoryFileName
                                                                           : static_cast<const char*>(source);
    SoundSample* sample;
    if (mode & SAMPLE_RAW) {
        sample = load_raw(index, file, mode, name);
    } else {
        uint32_t wav_mode = mode;
        sample = wav_load_sample(index, file, &wav_mode);
    }
    if (!source_is_open_file) sound_file_close(file);
    if (!sample) return nullptr;
    if (mode & (SAMPLE_COMPRESSED | SAMPLE_ADPCM)) {
        sound_clear_error();
        return sample;
    }
    sound_clear_error();
    if ((mode & SAMPLE_8BITS) && (sample->mode & SAMPLE_16BITS)) sample = convert_to_8bit(sample, mode);
    if ((mode & SAMPLE_FORCE_MONO) && (sample->mode & SAMPLE_STEREO)) sample = convert_to_mono(sample, mode);
    return sample;
}
