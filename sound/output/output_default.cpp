// Default op slots, the slots both drivers share, and driver selection.
#include <bit>
#include <cstring>

#include "sound/mixer/mixer.h"
#include "sound/mixer/sound_channel.h"
#include "sound/output/output_capture.h"
#include "sound/output/output_driver.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

int one_sample_alloc(SoundSample*) { return 1; }
void sample_free_nothing(SoundSample*) {}
int lock_nothing(SoundSample*, int, int, void** p1, void** p2, int* len1, int* len2) {
    *p1 = *p2 = nullptr;
    *len1 = *len2 = 0;
    return 1;
}
int unlock_ok(SoundSample*, void*, void*, int, int) { return 1; }

int ok(SoundChannel*) { return 1; }
int ok_sample(SoundChannel* c, SoundSample* s) {
    c->sample.store(s, std::memory_order_release);
    return 1;
}
int ok_start(DspUnit*, SoundChannel*, SoundSample*) { return 1; }
int ok_int(SoundChannel*, int) { return 1; }
int ok_fixed(SoundChannel*, int64_t) { return 1; }
int ok_levels(SoundChannel*, const int*) { return 1; }
int no_levels(SoundChannel*, int* l, int* r) {
    *l = *r = 0;
    return 1;
}
int ok_effects(SoundChannel*, int, int, int, int, int) { return 1; }
int no_effect(SoundChannel*, int) { return -1; }
int ok_fx_params(SoundChannel*, int, const float*, int) { return 1; }

// A position that runs with the clock.
int64_t clock_position(SoundChannel*) {
    return int64_t(sound_timer_ms()) * sound_system().mix_rate / 1000;
}

constexpr uint32_t f(float v) { return std::bit_cast<uint32_t>(v); }

// The 120-byte parameter block both drivers share (nothing else reads it).
uint32_t g_settings[kSettingsWords] = {
    0, f(7.5f), f(1.0f), uint32_t(-10000), uint32_t(-10000), 0, f(1.0f), f(1.0f), f(1.0f), uint32_t(-2602),
    f(0.007f), 0, 0, 0, 200, f(0.011f), 0, 0, 0, f(0.25f),
    0, f(0.25f), 0, f(-5.0f), f(5000.0f), f(250.0f), 0, 0, 0, 831};
static_assert(sizeof(g_settings) == kSettingsBytes);

}  // namespace

void output_default_sample_ops(SoundSample* s) {
    s->ops.alloc = one_sample_alloc;
    s->ops.free = sample_free_nothing;
    s->ops.upload = nullptr;
    s->ops.lock = lock_nothing;
    s->ops.unlock = unlock_ok;
}

void output_default_channel_ops(SoundChannel* c) {
    ChannelOps& o = c->ops;
    o.open = o.close = ok;
    o.set_sample = ok_sample;
    o.start = ok_start;
    o.stop = ok;
    o.set_frequency = ok_int;
    o.set_frequency_fixed = ok_fixed;
    o.set_volume = o.set_pan = o.set_paused = o.set_position = o.set_loop_mode = ok_int;
    o.set_levels = ok_levels;
    o.get_position = clock_position;
    o.get_levels = no_levels;
    o.is_playing = ok;
    o.set_effect_params = ok_effects;
    o.reset_effect_params = o.disable_fx = ok;
    o.enable_fx = no_effect;
    o.set_fx_params = ok_fx_params;
}

void output_update() {
    if (sound_system().output_type != OUTPUT_NONREALTIME) return;
    mixer_mix_next_block();
}

int output_pool_check() { return 1; }

int output_set_settings(const void* block) {
    if (!block) return sound_set_error(SOUND_ERR_PARAM), 0;
    std::memcpy(g_settings, block, kSettingsBytes);
    return 1;
}

int output_get_settings(void* block) {
    if (!block) return sound_set_error(SOUND_ERR_PARAM), 0;
    std::memcpy(block, g_settings, kSettingsBytes);
    return 1;
}

namespace {
OutputDriver* g_audio_device_driver = nullptr;
}  // namespace

void set_audio_device_driver(OutputDriver* driver) { g_audio_device_driver = driver; }

OutputDriver* output_driver_for(int type) {
    if (type == OUTPUT_DEFAULT || type == OUTPUT_AUDIO_DEVICE)
        return g_audio_device_driver ? g_audio_device_driver : output_nosound_driver();
    if (type == OUTPUT_CAPTURE || (type == OUTPUT_NONREALTIME && output_capture_configured()))
        return output_capture_driver();
    return output_nosound_driver();
}

int output_ring_lock(void* base, int size, int offset, int length, void** p1, void** p2, int* len1, int* len2) {
    *p1 = *p2 = nullptr;
    *len1 = *len2 = 0;
    if (!base || offset < 0 || offset >= size || length < 0) return 0;
    if (length > size) length = size;
    *p1 = static_cast<uint8_t*>(base) + offset;
    if (offset + length <= size) {
        *len1 = length;
    } else {
        *len1 = size - offset;
        *p2 = base;
        *len2 = length - *len1;
    }
    return 1;
}
