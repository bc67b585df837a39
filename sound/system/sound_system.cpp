#include "sound/system/sound_system.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "sound/files/sound_file.h"
#include "sound/mixer/channel.h"
#include "sound/mixer/mixer.h"
#include "sound/music/music_song.h"
#include "sound/output/output_driver.h"
#include "sound/samples/sound_sample.h"
#include "sound/streams/sound_stream.h"
#include "sound/system/sound_thread.h"

namespace {

SoundSystem g_record;
SoundLayerHooks g_hooks;

constexpr uint32_t kPrimaryMode = 0x80084012u;
constexpr uint32_t kPrimaryModeExtra = 0x80184012u;
constexpr float kVersion = 3.73f;

// Refuses a pre-start setting while the library runs.
bool refuse_after_init() {
    if (!sound_system().initialised) return false;
    sound_set_error(SOUND_ERR_AFTER_INIT);
    return true;
}

bool is_mono_mixer(int type) { return type == MIXER_MONO || type == MIXER_QUALITY_MONO; }

// Opens the selected output. A device that will not open fails start-up
// with the driver's reason (busy, or not there): whether to try again or to
// go on without sound is the caller's choice, which a device busy for a
// moment needs.
bool open_output(int rate) {
    SoundSystem& s = sound_system();
    s.driver->supports_hw_a = s.driver->supports_hw_b = 1;
    s.wants_long_buffer = false;
    if (s.driver->init(rate)) return true;
    // A failure without a reason would read as success to the caller.
    if (g_sound_error.load() == SOUND_OK) sound_set_error(SOUND_ERR_OUTPUT);
    return false;
}

void clamp_hardware_pools() {
    SoundSystem& s = sound_system();
    auto clamp_pool = [&](int& count, int& support) {
        count = std::min(count, s.max_hw_channels);
        if (count < s.min_hw_channels) count = 0;
        if (count == 0) support = 0;
    };
    clamp_pool(s.hw_a_channels, s.driver->supports_hw_a);
    clamp_pool(s.hw_b_channels, s.driver->supports_hw_b);
}

void lay_out_pools() {
    SoundSystem& s = sound_system();
    s.sw_pool = {0, s.sw_channels - 1, 0};
    s.hw_pool_a = {s.sw_channels, s.sw_channels + s.hw_a_channels - 1, s.sw_channels};
    const int b_first = s.sw_channels + s.hw_a_channels;
    s.hw_pool_b = {b_first, b_first + s.hw_b_channels - 1, b_first};
}

// The reserved channel -1000 that plays the primary mix buffer, and the buffer.
bool start_primary(uint32_t flags) {
    SoundSystem& s = sound_system();
    void* memory = SOUND_CALLOC(sizeof(SoundChannel));
    if (!memory) return sound_set_error(SOUND_ERR_NO_MEMORY), false;
    SoundChannel* c = new (memory) SoundChannel();
    c->index = c->handle = kPrimaryChannel;
    output_default_channel_ops(c);
    s.driver->set_channel_ops(c);
    s.primary_channel = c;
    c->ops.open(c);
    c->ops.stop(c);
    c->ops.set_volume(c, 255);
    c->ops.set_frequency(c, s.mix_rate);
    c->ops.set_pan(c, -1);
    const uint32_t mode = ((flags & SOUND_INIT_PRIMARY_EXTRA) ? kPrimaryModeExtra : kPrimaryMode) |
                          (is_mono_mixer(s.mixer_type) ? SAMPLE_MONO : SAMPLE_STEREO);
    SoundSample* buffer = sample_create(kSampleUnmanaged, s.buffer_samples, mode, s.mix_rate, 255, -1, 255);
    if (!buffer) return false;
    std::snprintf(buffer->name, sizeof buffer->name, "%s", "KELVAR Primary MixBuffer");
    s.primary_sample = buffer;
    s.initialised.store(true);
    channel_play_sound(kPrimaryChannel, buffer);
    channel_set_reserved(kPrimaryChannel, 1);
    return true;
}

void free_primary_channel() {
    SoundSystem& s = sound_system();
    if (!s.primary_channel) return;
    list_unlink(s.primary_channel);
    s.primary_channel->~SoundChannel();
    SOUND_FREE(s.primary_channel);
    s.primary_channel = nullptr;
}

}  // namespace

SoundSystem* const g_sound_system = &g_record;
std::atomic<int> g_sound_error{SOUND_OK};

SoundMemory& sound_system_memory() { return g_record.memory; }
SoundLayerHooks& sound_layer_hooks() { return g_hooks; }

bool sound_on_init_thread() { return std::this_thread::get_id() == sound_system().init_thread.load(); }
bool sound_is_nonrealtime() { return sound_system().output_type == OUTPUT_NONREALTIME; }

void sound_clear_error() {
    if (sound_on_init_thread()) sound_set_error(SOUND_OK);
}

int sound_get_error() { return g_sound_error.load(); }

int sound_set_output(int type) {
    sound_clear_error();
    if (refuse_after_init()) return 0;
    SoundSystem& s = sound_system();
    s.output_type = type == OUTPUT_DEFAULT ? OUTPUT_AUDIO_DEVICE : type;
    s.driver = output_driver_for(s.output_type);
    s.drivers_enumerated = false;
    return 1;
}

int sound_set_driver(int index) {
    sound_clear_error_always();
    if (refuse_after_init()) return 0;
    SoundSystem& s = sound_system();
    if (!s.driver) return sound_set_error(SOUND_ERR_NOT_READY), 0;
    sound_enumerate_drivers();
    if (index >= 0 && index < s.driver_count) s.driver_index = index;
    else sound_set_output(OUTPUT_NOSOUND);
    return 1;
}

int sound_set_mixer(int type) {
    sound_clear_error_always();
    if (refuse_after_init()) return 0;
    if (type != MIXER_AUTODETECT && type != MIXER_QUALITY_AUTODETECT && type != MIXER_MONO &&
        type != MIXER_QUALITY_MONO)
        return sound_set_error(SOUND_ERR_PARAM), 0;
    sound_system().mixer_type = type;
    return 1;
}

int sound_set_buffer_size(int ms) {
    sound_clear_error_always();
    if (refuse_after_init()) return 0;
    ms = std::max(25, ms);
    sound_system().buffer_ms = ms - ms % 25;
    return 1;
}

int sound_set_output_param(int value) {
    sound_clear_error_always();
    if (refuse_after_init()) return 0;
    sound_system().output_param = value;
    return 1;
}

int sound_set_min_hw_channels(int count) {
    sound_clear_error();
    if (refuse_after_init()) return 0;
    if (count < 0) return sound_set_error(SOUND_ERR_PARAM), 0;
    sound_system().min_hw_channels = count;
    return 1;
}

int sound_set_max_hw_channels(int count) {
    sound_clear_error();
    if (refuse_after_init()) return 0;
    if (count < 0) return sound_set_error(SOUND_ERR_PARAM), 0;
    sound_system().max_hw_channels = count;
    return 1;
}

int sound_set_sfx_volume(int volume) {
    sound_clear_error();
    SoundSystem& s = sound_system();
    s.sfx_volume = std::clamp(volume, 0, 255);
    if (!s.channels) return 0;
    SoundLockGuard channels(s.alloc_lock);
    for (int i = 0; i < s.total_channels; ++i) {
        SoundChannel& c = s.channels[i];
        SoundSample* sample = c.sample.load();
        if (sample && !sample->song_owned && !c.has_flag(CHANNEL_ABSOLUTE_VOLUME)) channel_set_volume(i, c.volume);
    }
    return s.total_channels;
}

int sound_get_sfx_volume() { return sound_system().sfx_volume; }

int sound_set_pan_separation(float separation) {
    float scaled = separation * 256.0f;
    if (std::isnan(scaled)) scaled = 0.0f;
    sound_system().pan_separation = int(std::clamp(scaled, 0.0f, 256.0f));
    return sound_system().pan_separation;
}

int sound_set_speaker_mode(int mode) {
    SoundSystem& s = sound_system();
    if (!s.driver) return 0;
    s.pan_separation = mode == 2 ? 0 : 256;
    s.speaker_mode = mode;
    if (s.driver->speaker) s.driver->speaker(mode);
    return 1;
}

int sound_enumerate_drivers() {
    SoundSystem& s = sound_system();
    if (!s.driver) return 0;
    if (s.drivers_enumerated && s.driver_count > 0) return 1;
    s.driver_count = 0;
    s.driver->enumerate();
    s.drivers_enumerated = true;
    return 1;
}

int sound_get_num_drivers() {
    sound_enumerate_drivers();
    return sound_system().driver_count;
}

const char* sound_get_driver_name(int index) {
    sound_clear_error();
    sound_enumerate_drivers();
    if (index >= sound_system().driver_count) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    return sound_system().driver_names[std::max(index, 0)];
}

int sound_get_driver_caps(int index, uint32_t* caps) {
    sound_clear_error_always();
    if (refuse_after_init()) return 0;
    sound_enumerate_drivers();
    const SoundSystem& s = sound_system();
    if (!caps || index < 0 || index >= s.driver_count) return sound_set_error(SOUND_ERR_PARAM), 0;
    *caps = 0;
    if (s.driver->caps) s.driver->caps(caps, index);
    return 1;
}

int sound_get_driver() { return std::max(sound_system().driver_index, 0); }
int sound_get_output() { return sound_system().output_type; }

uintptr_t sound_get_output_handle() {
    sound_clear_error();
    if (!sound_system().initialised) return sound_set_error(SOUND_ERR_NOT_READY), 0;
    return sound_system().driver->get_handle ? sound_system().driver->get_handle() : 0;
}

int sound_get_output_rate() { return sound_system().mix_rate; }
int sound_get_mixer() { return sound_system().mixer_type; }
int sound_get_max_channels() { return sound_system().total_channels; }

int sound_get_max_samples() {
    sound_clear_error();
    if (!sound_system().initialised) return sound_set_error(SOUND_ERR_NOT_READY), 0;
    return sound_system().sample_capacity;
}

int sound_get_channels_playing() {
    sound_clear_error();
    SoundSystem& s = sound_system();
    if (!s.initialised || !s.channels) return sound_set_error(SOUND_ERR_NOT_READY), 0;
    int playing = 0;
    for (int i = 0; i < s.total_channels; ++i) playing += s.channels[i].ops.is_playing(&s.channels[i]) ? 1 : 0;
    return playing;
}

int sound_get_num_hw_channels(int* pool_b, int* pool_a, int* span) {
    SoundSystem& s = sound_system();
    if (pool_b) *pool_b = s.hw_b_channels;
    if (pool_a) *pool_a = s.hw_a_channels;
    if (span) *span = s.hw_pool_b.last - s.hw_pool_a.first + 1;
    return 1;
}

int sound_get_hw_a_channels() { return sound_system().hw_a_channels; }

float sound_get_cpu_usage() {
    sound_clear_error();
    if (!sound_system().initialised) return sound_set_error(SOUND_ERR_NOT_READY), 0.0f;
    return float(sound_system().mixer_cpu.load() + sound_system().stream_cpu) / 256.0f;
}

float sound_get_version() { return kVersion; }

int sound_init(int rate, int channels, uint32_t flags) {
    sound_clear_error_always();
    if (rate < 4000 || rate > 65535 || channels < 0 || channels > 1024) return sound_set_error(SOUND_ERR_PARAM), 0;
    sound_close();
    SoundSystem& s = sound_system();
    s.initialised.store(false);
    s.init_thread.store(std::this_thread::get_id());
    s.sw_channels = channels;
    s.mix_rate = rate;
    s.init_flags = flags;
    s.extra_channels = 0;
    s.sfx_volume = 255;
    dsp_list_init();
    sound_set_output(s.output_type);
    s.alloc_lock = sound_crit_create();
    s.dsp_lock = sound_crit_create();
    if (!open_output(rate)) return 0;
    if (s.driver->supports_hw_a) s.driver->pool_check();
    clamp_hardware_pools();
    if (s.buffer_ms == -1) s.buffer_ms = (s.output_type == OUTPUT_AUDIO_DEVICE || s.wants_long_buffer) ? 100 : 50;
    s.requested_buffer_ms = s.buffer_ms;
    s.buffer_ms *= 2;
    if (!mixer_init()) return 0;
    s.total_channels = s.hw_b_channels + s.hw_a_channels + s.sw_channels;
    if (!sample_table_create(kSampleTableStep)) return 0;
    if (!channel_array_create(s.extra_channels, s.total_channels, s.sw_channels)) return 0;
    lay_out_pools();
    if (s.sw_channels > 0) {
        if (!start_primary(flags)) return 0;
    } else {
        s.initialised.store(true);
    }
    music_player_attach();
    stream_system_attach();
    if (g_hooks.songs_retempo) g_hooks.songs_retempo();
    if (s.primary_channel) mixer_start_thread();
    if (g_hooks.async_open_start) g_hooks.async_open_start();
    if (s.output_type == OUTPUT_NONREALTIME) s.init_flags |= SOUND_INIT_UPDATE_DRIVES;
    if (g_hooks.streams_start && !g_hooks.streams_start()) return sound_set_error(SOUND_ERR_OUTPUT), 0;
    s.update_timer_started = false;
    sound_update();
    return 1;
}

void sound_close() {
    sound_clear_error_always();
    SoundSystem& s = sound_system();
    if (s.initialised) {
        s.drivers_enumerated = false;
        s.buffer_ms = -1;
    }
    if (g_hooks.songs_stop_all) g_hooks.songs_stop_all();
    if (s.channels) channel_stop_sound(kChannelAll);
    if (g_hooks.streams_stop) g_hooks.streams_stop();
    if (g_hooks.async_open_stop) g_hooks.async_open_stop();
    if (s.primary_channel) {
        channel_stop_sound(kPrimaryChannel);
        s.primary_channel->ops.close(s.primary_channel);
    }
    mixer_close();
    s.initialised.store(false);
    sample_free(s.primary_sample);
    s.primary_sample = nullptr;
    sample_table_free_all();
    if (s.channels)
        for (int i = 0; i < s.total_channels; ++i) s.channels[i].ops.close(&s.channels[i]);
    if (s.driver && s.driver->close) s.driver->close();
    channel_array_free();
    free_primary_channel();
    s.total_channels = 0;
    s.drivers_enumerated = false;
    s.driver_count = 0;
    sound_file_async_shutdown();
    sound_crit_destroy(s.alloc_lock);
    sound_crit_destroy(s.dsp_lock);
    s.alloc_lock = s.dsp_lock = nullptr;
    s.dsp_list_ready = false;
    s.mixer_cpu.store(0);
}

void sound_update() {
    sound_clear_error();
    SoundSystem& s = sound_system();
    if (!s.initialised) return;
    if (s.init_flags & SOUND_INIT_UPDATE_DRIVES) {
        int elapsed = 0;
        const uint32_t now = sound_timer_ms();
        if (s.output_type == OUTPUT_NONREALTIME) elapsed = s.block_time / 256;
        else if (s.update_timer_started && now >= s.last_update_ms) elapsed = int(now - s.last_update_ms);
        if (g_hooks.streams_update) g_hooks.streams_update(elapsed);
        s.last_update_ms = now;
        s.update_timer_started = true;
    }
    s.driver->update();
}
