#include "sound/samples/sound_sample.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "sound/mixer/channel.h"
#include "sound/mixer/mixer.h"
#include "sound/output/output_driver.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

int element_bytes(const SoundSample* s) { return (s->mode & SAMPLE_16BITS) ? 2 : 1; }

bool table_grow(int min_capacity) {
    SoundSystem& sys = sound_system();
    int capacity = sys.sample_capacity;
    while (capacity <= min_capacity) capacity += kSampleTableStep;
    void* grown = sound_mem_realloc(nullptr, sys.samples, sizeof(SoundSample*) * size_t(capacity),
                                    __FILE__, __LINE__);
    if (!grown) return sound_set_error(SOUND_ERR_NO_MEMORY), false;  // the old table stays valid
    sys.samples = static_cast<SoundSample**>(grown);
    std::fill(sys.samples + sys.sample_capacity, sys.samples + capacity, nullptr);
    sys.sample_capacity = capacity;
    return true;
}

// The table place for a new managed sample, or -1 on failure.
int table_place(int index) {
    SoundSystem& sys = sound_system();
    if (index == kSampleAnyFree) {
        for (int i = 0; i < sys.sample_capacity; ++i)
            if (!sys.samples[i]) return i;
        const int first_new = sys.sample_capacity;
        return table_grow(first_new) ? first_new : -1;
    }
    if (index < 0) return sound_set_error(SOUND_ERR_PARAM), -1;
    if (index >= sys.sample_capacity && !table_grow(index)) return -1;
    if (sys.samples[index]) sample_free(sys.samples[index]);
    return index;
}

// Each plane's first byte: one plane for mono and stereo data, one per
// channel for multichannel data.
template <class Fn>
void for_each_plane(SoundSample* s, Fn&& fn) {
    auto* base = static_cast<uint8_t*>(s->data);
    if (s->mode & SAMPLE_MULTICHANNEL) {
        const int stride = sample_bytes_per_channel(s) + 8;
        for (int k = 0; k < s->channel_count; ++k) fn(base + size_t(k) * stride, element_bytes(s));
    } else {
        fn(base, element_bytes(s) * ((s->mode & SAMPLE_STEREO) ? 2 : 1));
    }
}

constexpr int kTailSaveBytes = 4;

}  // namespace

int sample_bytes_per_channel(const SoundSample* s) { return s->length * element_bytes(s); }

int sample_frame_channels(const SoundSample* s) {
    if (s->mode & SAMPLE_MULTICHANNEL) return std::max(s->channel_count, 1);
    return (s->mode & SAMPLE_STEREO) ? 2 : 1;
}

int sample_total_bytes(const SoundSample* s) { return sample_bytes_per_channel(s) * sample_frame_channels(s); }

uint32_t sample_normalise_mode(uint32_t mode) {
    // Neither output of this library offers driver samples.
    if (mode & SAMPLE_DRIVER) {
        mode &= ~uint32_t(SAMPLE_DRIVER);
        mode &= ~uint32_t(SAMPLE_DRIVER_2_REQUEST);
    }
    if (!(mode & (SAMPLE_MONO | SAMPLE_STEREO | SAMPLE_MULTICHANNEL))) mode |= SAMPLE_MONO;
    if (!(mode & (SAMPLE_8BITS | SAMPLE_16BITS))) mode |= SAMPLE_8BITS;
    if (!(mode & kSampleLoopBits)) mode |= SAMPLE_LOOP_OFF;
    if ((mode & SAMPLE_DRIVER_2_REQUEST) && !(mode & (SAMPLE_DRIVER_2 | SAMPLE_DRIVER))) mode |= SAMPLE_DRIVER_2;
    if (mode & (SAMPLE_SOFTWARE_MARK | SAMPLE_DRIVER_2)) mode &= ~uint32_t(SAMPLE_DRIVER);
    if (mode & SAMPLE_16BITS) mode &= ~uint32_t(SAMPLE_8BITS);
    if (mode & SAMPLE_STEREO) mode &= ~uint32_t(SAMPLE_MONO | SAMPLE_MULTICHANNEL);
    if (mode & SAMPLE_DRIVER_2) mode |= SAMPLE_SOFTWARE_MARK;
    if (mode & SAMPLE_DRIVER_2_REQUEST) mode |= SAMPLE_ONE_AT_A_TIME;
    if (!(mode & SAMPLE_FORCE_DRIVER_2)) mode &= ~uint32_t(SAMPLE_DRIVER_2);
    if (mode & SAMPLE_ADPCM) mode = (mode & ~uint32_t(SAMPLE_ADPCM | SAMPLE_8BITS)) | SAMPLE_16BITS;
    return mode;
}

SoundSample* sample_alloc_internal(int index, uint32_t mode) {
    SoundSystem& sys = sound_system();
    if (!sys.driver || (!sys.samples && index != kSampleUnmanaged)) {
        sound_set_error(SOUND_ERR_NOT_READY);
        return nullptr;
    }
    int place = kSampleUnmanaged;
    if (index != kSampleUnmanaged) {
        place = table_place(index);
        if (place < 0) return nullptr;
    }
    auto* s = static_cast<SoundSample*>(SOUND_CALLOC(sizeof(SoundSample)));
    if (!s) return sound_set_error(SOUND_ERR_NO_MEMORY), nullptr;
    s->index = place;
    s->mode = sample_normalise_mode(mode);
    s->tail_position = -1;
    s->max_playbacks = -1;
    s->default_frequency = 44100;
    s->default_volume = 255;
    s->default_pan = 128;
    s->default_priority = 255;
    s->c2_rate = 8363;
    output_default_sample_ops(s);
    if (s->mode & (SAMPLE_DRIVER | SAMPLE_DRIVER_2)) sys.driver->set_sample_ops(s);
    else mixer_set_sample_ops(s);
    if (place >= 0) sys.samples[place] = s;
    return s;
}

SoundSample* sample_alloc(int index, int length, uint32_t mode, int frequency, int volume, int pan,
                          int priority, int channel_count) {
    sound_clear_error();
    SoundSample* s = sample_alloc_internal(index, mode);
    if (!s) return nullptr;
    s->length = std::max(length, 0);
    s->loop_start = 0;
    s->loop_length = s->length;
    s->default_frequency = frequency;
    s->default_volume = volume;
    s->default_pan = pan;
    s->default_priority = priority;
    s->channel_count = channel_count;
    if (s->length > 0 && !s->ops.alloc(s)) {
        const int reason = g_sound_error.load();
        sample_free(s);
        sound_set_error(reason);
        return nullptr;
    }
    return s;
}

SoundSample* sample_create(int index, int length, uint32_t mode, int frequency, int volume, int pan,
                           int priority) {
    sound_clear_error();
    if (length < 1) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    SoundSample* s = sample_alloc_internal(index, mode);
    if (!s) return nullptr;
    s->length = length;
    s->loop_start = 0;
    s->loop_length = length;
    s->default_frequency = frequency;
    s->default_volume = volume;
    s->default_pan = pan;
    s->default_priority = priority;
    if (!s->ops.alloc(s)) {
        // Freed rather than left without data in the table or leaked.
        const int reason = g_sound_error.load();
        sample_free(s);
        sound_set_error(reason);
        return nullptr;
    }
    return s;
}

void sample_free(SoundSample* s) {
    if (!s) return;
    SoundSystem& sys = sound_system();
    auto for_each_channel = [&](auto&& fn) {
        if (sys.channels)
            for (int i = 0; i < sys.total_channels; ++i) fn(sys.channels[i], i);
        if (sys.primary_channel) fn(*sys.primary_channel, kPrimaryChannel);
    };
    {
        // Songs let go of the sample first, under the chain lock, so that no
        // music tick starts it again. Stopping takes the mixer lock, so once
        // it returns no block reads the data any more; holding the allocation
        // lock keeps other threads from starting the sample until it is gone.
        SoundLockGuard chain(sys.dsp_lock);
        if (sound_layer_hooks().songs_forget_sample) sound_layer_hooks().songs_forget_sample(s);
        SoundLockGuard channels(sys.alloc_lock);
        for_each_channel([&](SoundChannel& c, int index) {
            if (c.sample.load() == s) channel_stop_sound(index);
        });
        if (s->ops.free) s->ops.free(s);
    }
    if (s->index >= 0 && s->index < sys.sample_capacity && sys.samples[s->index] == s)
        sys.samples[s->index] = nullptr;
    if (s == sys.primary_sample) sys.primary_sample = nullptr;
    SOUND_FREE(s);
}

int sample_lock(SoundSample* s, int offset, int length, void** p1, int* len1, void** p2, int* len2) {
    sound_clear_error();
    *p1 = *p2 = nullptr;
    *len1 = *len2 = 0;
    if (!s || offset < 0 || offset > sample_total_bytes(s)) return sound_set_error(SOUND_ERR_PARAM), 0;
    return s->ops.lock(s, offset, length, p1, p2, len1, len2);
}

int sample_unlock(SoundSample* s, void* p1, void* p2, int len1, int len2) {
    sound_clear_error();
    if (!s) return sound_set_error(SOUND_ERR_PARAM), 0;
    return s->ops.unlock(s, p1, p2, len1, len2);
}

int sample_set_loop_points(SoundSample* s, int start, int end) {
    sound_clear_error();
    if (!s || start < 0 || end < 0 || start >= s->length || start >= end)
        return sound_set_error(SOUND_ERR_PARAM), 0;
    const int last = std::min(end, s->length - 1);
    s->loop_start = start;
    s->loop_length = last - start + 1;
    sample_fix_loop_tail(s);
    return 1;
}

int sample_get_loop_points(SoundSample* s, int* start, int* end) {
    sound_clear_error();
    if (!s) return sound_set_error(SOUND_ERR_PARAM), 0;
    if (start) *start = s->loop_start;
    if (end) *end = s->loop_start + s->loop_length - 1;
    return 1;
}

int sample_set_max_playbacks(SoundSample* s, int count) {
    sound_clear_error();
    if (!s) return sound_set_error(SOUND_ERR_PARAM), 0;
    s->max_playbacks = count;
    return 1;
}

int sample_set_defaults_ex(SoundSample* s, int frequency, int volume, int pan, int priority,
                           int frequency_variance, int volume_variance, int pan_variance) {
    sound_clear_error();
    if (!s) return sound_set_error(SOUND_ERR_PARAM), 0;
    if (frequency >= 101) s->default_frequency = frequency;
    if (volume >= 0) s->default_volume = std::min(volume, 255);
    if (pan >= 0) s->default_pan = std::min(pan, 255);
    if (priority >= 0) s->default_priority = std::min(priority, 255);
    if (frequency_variance >= 0) s->frequency_variance = frequency_variance;
    if (volume_variance >= 0) s->volume_variance = volume_variance;
    if (pan_variance >= 0) s->pan_variance = pan_variance;
    return 1;
}

int sample_set_defaults(SoundSample* s, int frequency, int volume, int pan, int priority) {
    return sample_set_defaults_ex(s, frequency, volume, pan, priority, -1, -1, -1);
}

SoundSample* sample_get_by_index(int index) {
    sound_clear_error();
    SoundSystem& sys = sound_system();
    if (!sys.initialised) return sound_set_error(SOUND_ERR_NOT_READY), nullptr;
    if (index == kPrimarySampleIndex) return sys.primary_sample;
    if (index < 0 || index >= sys.sample_capacity) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    return sys.samples[index];
}

// Behind the data: 4 bytes for a tail written at the very end, then the copy
// of the frame the tail overwrote (each multichannel plane has 8 spare bytes).
static uint8_t* tail_save_spot(const SoundSample* s, uint8_t* plane) {
    const int data_bytes = (s->mode & SAMPLE_MULTICHANNEL) ? sample_bytes_per_channel(s) : sample_total_bytes(s);
    return plane + data_bytes + kTailSaveBytes;
}

void sample_restore_tail(SoundSample* s) {
    if (!s->data || s->tail_position < 0) return;
    for_each_plane(s, [&](uint8_t* plane, int frame_bytes) {
        std::memcpy(plane + size_t(s->tail_position) * frame_bytes, tail_save_spot(s, plane), size_t(frame_bytes));
    });
    s->tail_position = -1;
}

void sample_fix_loop_tail(SoundSample* s) {
    if (!s || !s->data || s->length <= 0) return;
    sample_restore_tail(s);
    const int start = std::clamp(s->loop_start, 0, s->length - 1);
    const int end = std::clamp(start + std::max(s->loop_length, 0), 0, s->length);
    s->tail_position = end;
    const bool loop_off = (s->mode & SAMPLE_LOOP_OFF) || !(s->mode & (SAMPLE_LOOP_NORMAL | SAMPLE_LOOP_BIDI)) ||
                          end <= start;
    const int source = (s->mode & SAMPLE_LOOP_NORMAL) ? start : std::max(end - 1, 0);
    for_each_plane(s, [&](uint8_t* plane, int frame_bytes) {
        uint8_t* tail = plane + size_t(end) * frame_bytes;
        std::memcpy(tail_save_spot(s, plane), tail, size_t(frame_bytes));
        if (loop_off) std::memset(tail, 0, size_t(frame_bytes));
        else std::memcpy(tail, plane + size_t(source) * frame_bytes, size_t(frame_bytes));
    });
}

int sample_table_create(int capacity) {
    SoundSystem& sys = sound_system();
    sys.samples = static_cast<SoundSample**>(SOUND_CALLOC(sizeof(SoundSample*) * size_t(capacity)));
    if (!sys.samples) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    sys.sample_capacity = capacity;
    return 1;
}

void sample_table_free_all() {
    SoundSystem& sys = sound_system();
    if (!sys.samples) return;
    for (int i = 0; i < sys.sample_capacity; ++i)
        if (sys.samples[i]) sample_free(sys.samples[i]);
    SOUND_FREE(sys.samples);
    sys.samples = nullptr;
    sys.sample_capacity = 0;
}
