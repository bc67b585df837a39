// Opening and closing streams: the source (file, memory or the user's file
// callbacks; WAV or raw data), the stream sample of two halves, and streams
// fed by a caller's fill callback.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "sound/files/sound_file.h"
#include "sound/formats/wav_reader.h"
#include "sound/mixer/dsp_unit.h"
#include "sound/samples/sound_sample.h"
#include "sound/streams/sound_stream.h"
#include "sound/streams/stream_cue_sink.h"
#include "sound/system/async_open.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

constexpr int kRawRate = 44100;
constexpr int kAdpcmReadBytes = 2048;
constexpr int kPcmChunkFrames = 4096;
constexpr char kFilePrefix[] = "file://";
constexpr uint32_t kFormatBits = SAMPLE_8BITS | SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_STEREO;

SoundStream* new_stream() {
    void* memory = SOUND_CALLOC(sizeof(SoundStream));
    if (!memory) return sound_set_error(SOUND_ERR_NO_MEMORY), nullptr;
    return new (memory) SoundStream();
}

void delete_stream(SoundStream* s) {
    s->~SoundStream();
    SOUND_FREE(s);
}

int fail(SoundStream* s, int code) {
    stream_free_contents(s);
    sound_set_error(code);
    return 0;
}

SoundFile* open_file(const SoundStream& s) {
    if (s.open_mode & SAMPLE_FROM_MEMORY) return sound_file_open(s.open_memory, SOUND_FILE_MEMORY, s.open_length);
    const char* name = s.open_name;
    if (std::strncmp(name, kFilePrefix, sizeof kFilePrefix - 1) == 0) name += sizeof kFilePrefix - 1;
    return sound_file_open(name, sound_file_has_callbacks() ? SOUND_FILE_CALLBACKS : SOUND_FILE_BUFFERED, 0);
}

// The mode bits that exclude one another.
uint32_t settle_mode(uint32_t mode) {
    if (mode & SAMPLE_SOFTWARE_MARK) mode &= ~uint32_t(SAMPLE_DRIVER);
    if (mode & SAMPLE_16BITS) mode &= ~uint32_t(SAMPLE_8BITS);
    if (mode & SAMPLE_STEREO) mode &= ~uint32_t(SAMPLE_MONO | SAMPLE_MULTICHANNEL);
    return mode;
}

bool open_raw(SoundStream& s, uint32_t mode) {
    sound_file_seek(s.file, 0, 2);
    s.data_length = std::max(sound_file_tell(s.file), 0);
    sound_file_seek(s.file, 0, 0);
    s.data_offset = 0;
    s.rate = kRawRate;
    s.source_bits = (mode & SAMPLE_16BITS) ? 16 : 8;
    s.source_channels = (mode & SAMPLE_STEREO) ? 2 : 1;
    s.source_unsigned = (mode & SAMPLE_UNSIGNED) != 0;
    s.block_align = s.source_bits / 8 * s.source_channels;
    s.length_frames = s.data_length / s.block_align;
    return true;
}

bool open_wav(SoundStream& s, uint32_t& mode) {
    WavInfo info;
    info.mode = mode;
    StreamCueSink sink(&s);
    if (!wav_open(s.file, info, &sink)) return false;
    mode = info.mode;
    s.decode_state = info.decode_state;
    s.rate = std::max(info.rate, 1);
    s.source_channels = info.channels;
    s.source_bits = (info.mode & SAMPLE_16BITS) ? 16 : 8;
    s.source_unsigned = (info.mode & SAMPLE_UNSIGNED) != 0;
    s.data_length = info.data_length;
    s.data_offset = info.data_offset;
    s.block_align = std::max(info.block_align, 1);
    const AdpcmFormat adpcm = wav_adpcm_format(info.decode_state);
    if (adpcm.tag) {
        s.samples_per_block = adpcm.samples_per_block;
        s.length_frames = info.decoded_length / (2 * s.source_channels);
    } else {
        s.block_align = s.source_bits / 8 * s.source_channels;
        s.length_frames = s.data_length / s.block_align;
    }
    return true;
}

// Sizes the buffers and makes the stream sample of two halves.
bool make_buffers(SoundStream& s, uint32_t mode) {
    const SoundSystem& sys = sound_system();
    const int out_channels = s.mix_to_mono ? 1 : s.source_channels;
    const bool sixteen = s.source_bits == 16 || wav_adpcm_format(s.decode_state).tag;
    s.frame_bytes = (sixteen ? 2 : 1) * out_channels;
    const int64_t wanted = int64_t(stream_buffer_ms()) * s.rate / 1000;
    const int block = sys.block_samples;
    s.half_frames = block > 0 ? block * int(std::max<int64_t>(1, wanted / block)) : int(std::max<int64_t>(wanted, 1));
    if (wav_adpcm_format(s.decode_state).tag) {
        int read = s.block_align;
        while (read < kAdpcmReadBytes) read *= 2;
        s.read_buffer.resize(size_t(read));
        s.decode_buffer.resize(size_t(read / s.block_align) * s.samples_per_block * s.source_channels * 2);
    } else {
        s.decode_buffer.resize(size_t(kPcmChunkFrames) * s.block_align);
    }
    const uint32_t sample_mode = (sixteen ? SAMPLE_16BITS : SAMPLE_8BITS) |
                                 (out_channels == 2 ? SAMPLE_STEREO : SAMPLE_MONO) | SAMPLE_SIGNED |
                                 SAMPLE_LOOP_NORMAL | SAMPLE_ONE_AT_A_TIME | (mode & SAMPLE_DRIVER);
    s.sample = sample_alloc(kSampleUnmanaged, 2 * s.half_frames, sample_mode, s.rate, 255, out_channels == 2 ? -1 : 128,
                            256, 0);
    if (!s.sample) return false;
    const char* label = (s.open_mode & SAMPLE_FROM_MEMORY) ? "" : s.open_name;
    std::snprintf(s.sample->name, sizeof s.sample->name, "%s", label);
    if (sys.block_samples > 0) s.history.assign(size_t(std::max(sys.buffer_samples / sys.block_samples, 1)), {});
    return true;
}

void finish_open(SoundStream& s) {
    s.length_ms = (s.length_frames * 1000 + 999) / s.rate;
    s.loop_start = 0;
    s.loop_end = s.length_frames;
    if (s.start_position < 0) {
        stream_seek_source(&s, 0);
        stream_prime(&s);
    } else {
        s.needs_priming = true;
    }
}

}  // namespace

int stream_open_internal(SoundStream* s) {
    uint32_t mode = settle_mode(s->open_mode);
    s->mode = mode;
    if (!(mode & SAMPLE_FROM_MEMORY) && !s->open_name[0]) return fail(s, SOUND_ERR_PARAM);
    s->file = open_file(*s);
    if (!s->file) return fail(s, SOUND_ERR_NO_FILE);
    if (s->open_offset > 0) sound_file_set_start(s->file, s->open_offset);
    if (s->open_length > 0 && !(mode & SAMPLE_FROM_MEMORY))
        sound_file_set_end(s->file, int(std::min<int64_t>(int64_t(s->open_offset) + s->open_length - 1, INT32_MAX)));
    const bool opened = (mode & SAMPLE_RAW) ? open_raw(*s, mode) : open_wav(*s, mode);
    // Data of length 0 would divide by zero in sizing and seeking.
    if (!opened || s->data_length <= 0 || s->length_frames <= 0) return fail(s, SOUND_ERR_FORMAT);
    if (mode & SAMPLE_MONO) mode &= ~uint32_t(SAMPLE_FORCE_MONO);
    if ((mode & SAMPLE_DRIVER) && (mode & SAMPLE_STEREO) && !(mode & SAMPLE_FORCE_MONO)) return fail(s, SOUND_ERR_PARAM);
    if (mode & SAMPLE_FORCE_MONO) {
        if ((mode & (SAMPLE_COMPRESSED | SAMPLE_ADPCM | SAMPLE_COMPRESSED_2)) || wav_adpcm_format(s->decode_state).tag)
            return fail(s, SOUND_ERR_PARAM);
        s->mix_to_mono = true;
        mode = (mode & ~uint32_t(SAMPLE_STEREO)) | SAMPLE_MONO;
    }
    s->mode = (s->open_mode & ~kFormatBits) | (mode & kFormatBits);
    if (!make_buffers(*s, mode)) return fail(s, sound_get_error() ? sound_get_error() : SOUND_ERR_NO_MEMORY);
    finish_open(*s);
    return 1;
}

SoundStream* stream_open(const void* source, uint32_t mode, int offset, int length) {
    sound_clear_error();
    if (!sound_system().initialised || !stream_system_running()) return sound_set_error(SOUND_ERR_NOT_READY), nullptr;
    if (!source) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    SoundStream* s = new_stream();
    if (!s) return nullptr;
    s->open_mode = mode & ~STREAM_MODE_ASYNC_OPEN;
    s->open_offset = offset;
    s->open_length = length;
    if (mode & SAMPLE_FROM_MEMORY) s->open_memory = source;
    else std::snprintf(s->open_name, sizeof s->open_name, "%s", static_cast<const char*>(source));
    if (mode & STREAM_MODE_ASYNC_OPEN) {
        if (!async_open_queue_stream(s)) {
            delete_stream(s);
            return nullptr;
        }
        return s;
    }
    if (!stream_open_internal(s)) {
        const int code = sound_get_error();
        delete_stream(s);
        sound_set_error(code);
        return nullptr;
    }
    s->ready.store(true);
    return s;
}

SoundStream* stream_create(StreamFillFn fill, int buffer_bytes, uint32_t mode, int rate, intptr_t user_data) {
    sound_clear_error();
    if (!sound_system().initialised || !stream_system_running()) return sound_set_error(SOUND_ERR_NOT_READY), nullptr;
    if (!fill || buffer_bytes <= 0 || rate <= 0) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    SoundStream* s = new_stream();
    if (!s) return nullptr;
    mode = settle_mode(mode & ~uint32_t(SAMPLE_MULTICHANNEL));
    s->fill = fill;
    s->user_data = user_data;
    s->user_stream = true;
    s->mode = mode;
    s->open_mode = mode | SAMPLE_FROM_MEMORY;
    s->rate = rate;
    s->source_bits = (mode & SAMPLE_16BITS) ? 16 : 8;
    s->source_channels = (mode & SAMPLE_STEREO) ? 2 : 1;
    const int frame = s->source_bits / 8 * s->source_channels;
    s->frame_bytes = frame;
    s->half_frames = std::max(buffer_bytes / frame, 1);
    const uint32_t sample_mode = (mode & kFormatBits) | SAMPLE_SIGNED | SAMPLE_LOOP_NORMAL | SAMPLE_ONE_AT_A_TIME;
    s->sample = sample_alloc(kSampleUnmanaged, 2 * s->half_frames, sample_mode, rate, 255,
                             s->source_channels == 2 ? -1 : 128, 256, 0);
    if (!s->sample) {
        const int code = sound_get_error();
        delete_stream(s);
        sound_set_error(code ? code : SOUND_ERR_NO_MEMORY);
        return nullptr;
    }
    const SoundSystem& sys = sound_system();
    if (sys.block_samples > 0) s->history.assign(size_t(std::max(sys.buffer_samples / sys.block_samples, 1)), {});
    s->length_frames = INT32_MAX;  // no end known; keeps frames x 1000 in range
    s->loop_end = s->length_frames;
    s->needs_priming = true;
    s->ready.store(true);
    return s;
}

void stream_free_contents(SoundStream* s) {
    stream_free_syncpoints(s);
    for (DspUnit*& unit : s->dsp_units) {
        if (unit) {
            unit->~DspUnit();
            SOUND_FREE(unit);
        }
        unit = nullptr;
    }
    wav_free_decode_state(s->decode_state);
    s->decode_state = nullptr;
    if (s->file) sound_file_close(s->file);
    s->file = nullptr;
    // Freeing the sample takes the chain lock: never under the stream section.
    if (s->sample) sample_free(s->sample);
    s->sample = nullptr;
}

int stream_close(SoundStream* s) {
    sound_clear_error();
    if (!s) return sound_set_error(SOUND_ERR_PARAM), 0;
    if (!s->ready.load() && !s->open_failed.load()) return sound_set_error(SOUND_ERR_PARAM), 0;
    {
        SoundLockGuard guard(stream_lock());
        if (s->closing) return 1;
        s->closing = true;
        stream_stop_ex(s, false);
    }
    stream_free_contents(s);
    delete_stream(s);
    return 1;
}

DspUnit* stream_create_dsp(SoundStream* s, DspCallback callback, int priority, void* user_data) {
    sound_clear_error();
    if (!s) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    SoundLockGuard guard(stream_lock());
    auto free_slot = std::find(std::begin(s->dsp_units), std::end(s->dsp_units), nullptr);
    if (free_slot == std::end(s->dsp_units)) return sound_set_error(SOUND_ERR_NO_MEMORY), nullptr;
    void* memory = SOUND_CALLOC(sizeof(DspUnit));
    if (!memory) return sound_set_error(SOUND_ERR_NO_MEMORY), nullptr;
    auto* unit = new (memory) DspUnit();
    unit->callback = callback;
    unit->priority = std::max(priority, 0);
    unit->user_data = user_data;
    *free_slot = unit;
    // Kept in priority order; empty slots last.
    std::stable_sort(std::begin(s->dsp_units), std::end(s->dsp_units), [](const DspUnit* a, const DspUnit* b) {
        return a && (!b || a->priority < b->priority);
    });
    return unit;
}
