#include "sound/mixer/mixer.h"

#include <algorithm>
#include <cstring>

#include "sound/mixer/channel.h"
#include "sound/mixer/dsp_unit.h"
#include "sound/mixer/mix_kernels.h"
#include "sound/output/output_driver.h"
#include "sound/output/output_watchdog.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

int init_ok() { return 1; }

MixerDescriptor unimplemented(const char* name) {
    return {name, nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr};
}

MixerDescriptor implemented(const char* name, MixClearFn clear, MixChannelsFn mix, MixClipFn clip, int channels) {
    return {name, init_ok, nullptr, clear, mix, clip, 32, channels, nullptr, nullptr, 0, channels == 1 ? 4 : 5, nullptr};
}

MixerDescriptor g_mixers[MIXER_TYPE_COUNT] = {
    unimplemented("KELVAR_MIXER_AUTODETECT"),
    unimplemented("KELVAR_MIXER_BLENDMODE"),
    unimplemented("KELVAR_MIXER_MMXP5"),
    unimplemented("KELVAR_MIXER_MMXP6"),
    unimplemented("KELVAR_MIXER_QUALITY_AUTODETECT"),
    unimplemented("KELVAR_MIXER_QUALITY_FPU"),
    unimplemented("KELVAR_MIXER_QUALITY_MMXP5"),
    unimplemented("KELVAR_MIXER_QUALITY_MMXP6"),
    implemented("KELVAR_MIXER_MONO", mix_clear_mono_block, mix_channel_mono, mixer_clip_to_16bit_mono, 1),
    implemented("KELVAR_MIXER_QUALITY_MONO", mix_clear_mono_block, mix_channel_mono_quality, mixer_clip_to_16bit_mono, 1),
    implemented("KELVAR_MIXER_C", mix_clear_stereo, mix_channel_stereo, mixer_clip_to_16bit_stereo, 2),
    implemented("KELVAR_MIXER_QUALITY_C", mix_clear_stereo, mix_channel_stereo_quality, mixer_clip_to_16bit_stereo, 2),
    unimplemented("KELVAR_MIXER_QUALITY_C_CUBIC"),
    unimplemented("KELVAR_MIXER_QUALITY_C_SPLINE"),
};

struct PanTable {
    int gain[256];
    PanTable() {
        // floor(16 x sqrt(i)) = floor(sqrt(256 i)), in integers.
        for (int i = 0; i < 256; ++i) {
            int r = 0;
            while ((r + 1) * (r + 1) <= 256 * i) ++r;
            gain[i] = r;
        }
    }
};
const PanTable g_pan;

int block_count() {
    const SoundSystem& s = sound_system();
    return s.block_samples > 0 ? s.buffer_samples / s.block_samples : 0;
}

void mix_block_at_index() {
    SoundSystem& s = sound_system();
    MixerDescriptor* d = s.mixer;
    cpu_meter_start(&s.mixer_meter);
    mixer_run_dsp_chain(d->block_index * s.block_samples, s.block_samples);
    d->block_index = (d->block_index + 1) % std::max(block_count(), 1);
    s.mixer_cpu.store(int(cpu_meter_stop(&s.mixer_meter, 90)), std::memory_order_relaxed);
}

void update_gains(SoundChannel& c) {
    if (c.mix_pan == -1) {
        c.left_gain = c.right_gain = c.mean_gain = c.mix_volume;
        return;
    }
    const int scaled = c.mix_volume * c.volume_scale / 255;
    const int pan = std::clamp(c.mix_pan, 0, 255);
    c.left_gain = g_pan.gain[255 - pan] * scaled / 255;
    c.right_gain = g_pan.gain[pan] * scaled / 255;
    c.mean_gain = (c.left_gain + c.right_gain) / 2;
}

// ---- software channel slots ------------------------------------------------

int sw_open(SoundChannel* c) {
    if (!(sound_system().init_flags & SOUND_INIT_LEVEL_METER) || block_count() == 0) return 1;
    c->levels = static_cast<uint8_t*>(SOUND_CALLOC(size_t(block_count()) * 8));
    return c->levels ? 1 : 0;
}

int sw_close(SoundChannel* c) {
    SOUND_FREE(c->levels);
    c->levels = nullptr;
    return 1;
}

int sw_set_sample(SoundChannel* c, SoundSample* s) {
    SoundLockGuard lock(mixer_lock());
    c->sample.store(s, std::memory_order_release);
    return 1;
}

int sw_start(DspUnit* unit, SoundChannel* c, SoundSample* s) {
    SoundLockGuard lock(mixer_lock());
    const int plane_stride = sample_bytes_per_channel(s) + 8;
    const bool multichannel = (s->mode & SAMPLE_MULTICHANNEL) != 0;
    int k = 0;
    for (SoundChannel* ch = c; ch; ch = ch->linked, ++k) {
        ch->data = static_cast<const uint8_t*>(s->data) + (multichannel ? size_t(k) * plane_stride : 0);
        ch->position = ch->start_position < s->loop_start + s->loop_length ? ch->start_position : 0;
        ch->start_position = 0;
        ch->fraction = 0;
        ch->direction = PLAY_FORWARD;
        if (!ch->has_flag(CHANNEL_KEEP_LIST) && unit) list_append(unit->channels, ch);
        ch->dsp_unit = unit;
    }
    return 1;
}

int sw_stop(SoundChannel* c) {
    if (!sound_system().mixer) return 0;
    SoundLockGuard lock(mixer_lock());
    list_append(sound_system().idle_channels, c);
    c->position = 0;
    c->fraction = 0;
    c->set_flag(CHANNEL_KEEP_LIST, false);
    return 1;
}

int sw_set_frequency(SoundChannel* c, int hz) {
    // Whole hertz: the step keeps 16 bits of fraction.
    int64_t f = int64_t(hz) * c->frequency_scale / 256;
    f = std::max<int64_t>(f, -kMaxFrequency);
    int direction = f < 0 ? PLAY_BACKWARD : PLAY_FORWARD;
    int64_t magnitude = std::clamp<int64_t>(f < 0 ? -f : f, kMinFrequency, kMaxFrequency);
    const int rate = sound_system().mix_rate;
    SoundLockGuard lock(mixer_lock());
    c->step_integer = int32_t(magnitude / rate);
    c->step_fraction = uint32_t(((magnitude % rate) * 65536 / rate) * 65536);
    c->direction = direction;
    return 1;
}

int sw_set_frequency_fixed(SoundChannel* c, int64_t hz_8_8) {
    int32_t step_integer;
    uint32_t step_fraction;
    int direction;
    mixer_compute_step(sound_system().mix_rate, hz_8_8 * c->frequency_scale / 256, &step_integer, &step_fraction,
                       &direction);
    SoundLockGuard lock(mixer_lock());
    c->step_integer = step_integer;
    c->step_fraction = step_fraction;
    c->direction = direction;
    return 1;
}

int sw_set_volume(SoundChannel* c, int v) {
    SoundLockGuard lock(mixer_lock());
    c->mix_volume = c->has_flag(CHANNEL_MUTED) ? 0 : v;
    update_gains(*c);
    return 1;
}

int sw_set_pan(SoundChannel* c, int p) {
    SoundLockGuard lock(mixer_lock());
    c->mix_pan = p;
    update_gains(*c);
    return 1;
}

int sw_set_position(SoundChannel* c, int frame) {
    SoundSample* s = c->sample.load();
    if (!s || frame < 0 || frame >= s->length) return sound_set_error(SOUND_ERR_PARAM), 0;
    SoundLockGuard lock(mixer_lock());
    c->position = frame;
    c->fraction = 0;
    return 1;
}

int64_t sw_get_position(SoundChannel* c) {
    SoundLockGuard lock(mixer_lock());
    return c->position;
}

int sw_get_levels(SoundChannel* c, int* left, int* right) {
    int l = 0, r = 0;
    {
        SoundLockGuard lock(mixer_lock());
        if (c->levels && sound_system().mixer && block_count() > 0) {
            const int next = (sound_system().mixer->block_index + 1) % block_count();
            std::memcpy(&l, c->levels + next * 8, 4);
            std::memcpy(&r, c->levels + next * 8 + 4, 4);
        } else {
            mixer_measure_levels(c, &l, &r);
        }
    }
    *left = std::clamp(l / 256, 0, 256);
    *right = std::clamp(r / 256, 0, 256);
    return 1;
}

int sw_is_playing(SoundChannel* c) { return c->has_sample() ? 1 : 0; }

// ---- software sample slots -------------------------------------------------

int sw_sample_alloc(SoundSample* s) {
    if (s->mode & (SAMPLE_ADPCM | SAMPLE_COMPRESSED)) return sound_set_error(SOUND_ERR_FORMAT), 0;
    const bool multichannel = (s->mode & SAMPLE_MULTICHANNEL) != 0;
    const size_t channels = size_t(sample_frame_channels(s));
    const size_t bytes = multichannel ? (size_t(sample_bytes_per_channel(s)) + 8) * channels : size_t(sample_total_bytes(s));
    const size_t spare = 64 + (multichannel ? 8 * channels : 8);
    void* block = SOUND_CALLOC(bytes + spare);
    if (!block) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    s->data_block = block;
    s->data = static_cast<uint8_t*>(block) + 16;
    if (multichannel && (s->mode & SAMPLE_ONE_AT_A_TIME)) {
        s->staging = SOUND_CALLOC(size_t(sample_total_bytes(s)));
        if (!s->staging) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    }
    return 1;
}

void sw_sample_free(SoundSample* s) {
    SOUND_FREE(s->data_block);
    SOUND_FREE(s->staging);
    s->data_block = s->data = s->staging = nullptr;
}

int sw_sample_lock(SoundSample* s, int offset, int length, void** p1, void** p2, int* len1, int* len2) {
    const int total = sample_total_bytes(s);
    if (!s->data || offset < 0 || offset >= total || length < 0)
        return output_ring_lock(nullptr, 0, 0, 0, p1, p2, len1, len2);
    sample_restore_tail(s);
    uint8_t* base = static_cast<uint8_t*>(s->data);
    if (s->mode & SAMPLE_MULTICHANNEL) {
        if (s->staging_locked) return 0;
        if (!s->staging) s->staging = SOUND_CALLOC(size_t(total));
        if (!s->staging) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
        s->staging_locked = true;
        base = static_cast<uint8_t*>(s->staging);
    }
    return output_ring_lock(base, total, offset, length, p1, p2, len1, len2);
}

// Spreads interleaved frames of a staging piece over the channel planes.
void deinterleave(SoundSample* s, const uint8_t* piece, int bytes, int plane_byte_offset) {
    const int channels = sample_frame_channels(s);
    const int element = (s->mode & SAMPLE_16BITS) ? 2 : 1;
    const int stride = sample_bytes_per_channel(s) + 8;
    const int frames = bytes / (element * channels);
    auto* planes = static_cast<uint8_t*>(s->data);
    for (int f = 0; f < frames; ++f)
        for (int k = 0; k < channels; ++k)
            std::memcpy(planes + size_t(k) * stride + plane_byte_offset + size_t(f) * element,
                        piece + (size_t(f) * channels + k) * element, size_t(element));
}

int sw_sample_unlock(SoundSample* s, void* p1, void* p2, int len1, int len2) {
    if ((s->mode & SAMPLE_MULTICHANNEL) && s->staging_locked) {
        const auto* staging = static_cast<const uint8_t*>(s->staging);
        const int channels = sample_frame_channels(s);
        if (p1) deinterleave(s, static_cast<const uint8_t*>(p1), len1,
                             int(static_cast<const uint8_t*>(p1) - staging) / channels);
        if (p2) deinterleave(s, static_cast<const uint8_t*>(p2), len2, 0);
        s->staging_locked = false;
        if (!(s->mode & SAMPLE_ONE_AT_A_TIME)) {
            SOUND_FREE(s->staging);
            s->staging = nullptr;
        }
    }
    sample_fix_loop_tail(s);
    return 1;
}

}  // namespace

MixerDescriptor* mixer_descriptor(int type) {
    return type >= 0 && type < MIXER_TYPE_COUNT ? &g_mixers[type] : nullptr;
}

int mixer_resolve_type(int type) {
    if (type == MIXER_AUTODETECT) return MIXER_C;
    if (type == MIXER_QUALITY_AUTODETECT) return MIXER_QUALITY_C;
    return type;
}

SoundLock* mixer_lock() { return sound_system().mixer ? sound_system().mixer->lock : nullptr; }

int mixer_pan_gain(int i) { return g_pan.gain[std::clamp(i, 0, 255)]; }

void mixer_compute_step(int rate, int64_t f, int32_t* step_integer, uint32_t* step_fraction, int* direction) {
    constexpr int64_t kLow = int64_t(kMinFrequency) * 256, kHigh = int64_t(kMaxFrequency) * 256;
    f = std::max(f, -kHigh);
    *direction = f < 0 ? PLAY_BACKWARD : PLAY_FORWARD;
    const int64_t magnitude = std::clamp<int64_t>(f < 0 ? -f : f, kLow, kHigh);
    const uint64_t step = (uint64_t(magnitude) << 24) / uint64_t(rate);
    *step_integer = int32_t(step >> 32);
    *step_fraction = uint32_t(step);
}

int mixer_init() {
    SoundSystem& s = sound_system();
    if (s.sw_channels == 0) return 1;
    s.mixer_type = mixer_resolve_type(s.mixer_type);
    MixerDescriptor* d = mixer_descriptor(s.mixer_type);
    if (!d || !d->mix) return sound_set_error(SOUND_ERR_OUTPUT), 0;
    if (d->init && !d->init()) return 0;
    if (s.block_samples == 0) {
        int block = s.mix_rate * 25 / 1000;
        block -= block % kMinBlockFrames;
        s.block_samples = std::max(block, kMinBlockFrames);
    }
    s.block_time = int(int64_t(s.block_samples) * 256000 / s.mix_rate);
    // Every output type gets its buffer, including those the system never selects.
    int buffer = int(int64_t(s.buffer_ms) * s.mix_rate / 1000);
    buffer -= buffer % s.block_samples;
    s.buffer_samples = std::max(buffer, 2 * s.block_samples);
    s.buffer_ms = int(int64_t(s.buffer_samples) * 1000 / s.mix_rate);
    const size_t bytes = size_t(d->bits) * d->channels * size_t(s.buffer_samples) / 8 + 256;
    d->buffer_alloc = SOUND_CALLOC(bytes);
    if (!d->buffer_alloc) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    d->buffer = reinterpret_cast<int32_t*>((reinterpret_cast<uintptr_t>(d->buffer_alloc) + 15) & ~uintptr_t(15));
    d->block_index = 0;
    d->lock = sound_crit_create();
    s.mixer_meter = CpuMeter{};
    s.mixer = d;
    if (!dsp_create_system_units()) return 0;
    list_clear(s.idle_channels);
    return 1;
}

int mixer_start_thread() {
    SoundSystem& s = sound_system();
    s.mixer_stop.store(false);
    output_watchdog_reset();
    if (s.driver && s.driver->realtime) {
        s.mixer_done.store(false);
        s.mixer_thread = sound_thread_create(mixer_thread, nullptr, 2);
    }
    return 1;
}

void mixer_thread(void*) {
    SoundSystem& s = sound_system();
    SoundChannel* primary = s.primary_channel;
    while (primary && !s.mixer_stop.load(std::memory_order_acquire)) {
        if (!primary->has_sample()) {
            sound_sleep(1);
            continue;
        }
        mixer_poll(primary->ops.get_position(primary));
        sound_sleep(kMixPollMs);
    }
    s.mixer_done.store(true, std::memory_order_release);
}

void mixer_poll(int64_t position) {
    SoundSystem& s = sound_system();
    output_watchdog(position, kMixPollMs);
    SoundSample* buffer = s.primary_sample;
    MixerDescriptor* d = s.mixer;
    if (!buffer || !d || s.block_samples <= 0 || buffer->length < s.block_samples) return;
    const int64_t within = ((position % buffer->length) + buffer->length) % buffer->length;
    const int play_block = int(within / s.block_samples);
    while (d->block_index != play_block && !s.mixer_stop.load(std::memory_order_relaxed)) mix_block_at_index();
}

void mixer_mix_next_block() {
    if (sound_system().mixer && sound_system().block_samples > 0 && block_count() > 0) mix_block_at_index();
}

void mixer_close() {
    SoundSystem& s = sound_system();
    s.mixer_stop.store(true, std::memory_order_release);
    sound_wait_while_mixing();
    if (s.mixer_thread) {
        sound_thread_join(s.mixer_thread);
        s.mixer_thread = nullptr;
    }
    s.mixer_done.store(true);
    list_clear(s.idle_channels);
    dsp_free_all_units();
    MixerDescriptor* d = s.mixer;
    if (d) {
        sound_crit_destroy(d->lock);
        d->lock = nullptr;
        if (d->close) d->close();
        SOUND_FREE(d->buffer_alloc);
        d->buffer_alloc = nullptr;
        d->buffer = nullptr;
        d->block_index = 0;
    }
    s.mixer = nullptr;
    s.block_samples = 0;
}

void mixer_set_sample_ops(SoundSample* s) {
    s->ops.alloc = sw_sample_alloc;
    s->ops.free = sw_sample_free;
    s->ops.lock = sw_sample_lock;
    s->ops.unlock = sw_sample_unlock;
}

void mixer_set_channel_ops(SoundChannel* c) {
    c->ops.open = sw_open;
    c->ops.close = sw_close;
    c->ops.set_sample = sw_set_sample;
    c->ops.start = sw_start;
    c->ops.stop = sw_stop;
    c->ops.set_frequency = sw_set_frequency;
    c->ops.set_frequency_fixed = sw_set_frequency_fixed;
    c->ops.set_volume = sw_set_volume;
    c->ops.set_pan = sw_set_pan;
    c->ops.set_position = sw_set_position;
    c->ops.get_position = sw_get_position;
    c->ops.get_levels = sw_get_levels;
    c->ops.is_playing = sw_is_playing;
    list_append(sound_system().idle_channels, c);
}

int mixer_measure_levels(SoundChannel* c, int* left, int* right) {
    mix_measure_peaks(*c, sound_system().block_samples, left, right);
    return 1;
}

void mixer_copy_words(void* dst, const void* src, int count) {
    if (count > 0) std::memcpy(dst, src, size_t(count) * 4);
}

void sample_downmix_to_mono(void* dst, const void* src, int frames, uint32_t mode) {
    if (mode & SAMPLE_16BITS) {
        auto* out = static_cast<int16_t*>(dst);
        const auto* in = static_cast<const int16_t*>(src);
        for (int i = 0; i < frames; ++i) out[i] = int16_t((in[2 * i] + in[2 * i + 1]) >> 1);
    } else if (mode & SAMPLE_UNSIGNED) {
        auto* out = static_cast<uint8_t*>(dst);
        const auto* in = static_cast<const uint8_t*>(src);
        for (int i = 0; i < frames; ++i) out[i] = uint8_t((in[2 * i] + in[2 * i + 1]) >> 1);
    } else {
        auto* out = static_cast<int8_t*>(dst);
        const auto* in = static_cast<const int8_t*>(src);
        for (int i = 0; i < frames; ++i) out[i] = int8_t((in[2 * i] + in[2 * i + 1]) >> 1);
    }
}
