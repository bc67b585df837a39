// The sound library's system record, its start-up and shutdown, the settings
// allowed only before start-up and the queries on the running system.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "sound/mixer/dsp_unit.h"
#include "sound/mixer/sound_channel.h"
#include "sound/system/cpu_meter.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_list.h"
#include "sound/system/sound_memory.h"

struct OutputDriver;
struct MixerDescriptor;
struct SoundSample;
struct SoundThread;
struct SoundLock;

enum SoundInitFlag : uint32_t {
    SOUND_INIT_PRIMARY_EXTRA = 0x4,
    SOUND_INIT_LEVEL_METER = 0x8,
    SOUND_INIT_MUSIC_FLAG = 0x80,
    SOUND_INIT_UPDATE_DRIVES = 0x200,  // set by start-up for output type 12
};

struct ChannelPool {
    int first = 0, last = -1, next = 0;
};

constexpr int kMaxDriverNames = 4;
constexpr int kDriverNameBytes = 80;

struct SoundSystem {
    OutputDriver* driver = nullptr;
    int output_type = -1;
    uint32_t init_flags = 0;
    bool wants_long_buffer = false;
    bool drivers_enumerated = false;
    int sfx_volume = 255;
    int pan_separation = 256;
    int output_param = 0;
    std::atomic<std::thread::id> init_thread{};
    std::atomic<bool> initialised{false};
    std::atomic<int> mixer_cpu{0};
    int stream_cpu = 0;
    int speaker_mode = 4;
    MixerDescriptor* mixer = nullptr;
    int mixer_type = 4;
    int mix_rate = 44100;
    int buffer_ms = -1;
    int buffer_samples = 0;
    int block_time = 0;  // 1/256 ms
    int block_samples = 0;
    int requested_buffer_ms = 0;
    DspUnit* clear_unit = nullptr;
    DspUnit* sfx_unit = nullptr;
    DspUnit* music_unit = nullptr;
    DspUnit* copy_unit = nullptr;
    DspUnit* meter_unit = nullptr;
    std::atomic<bool> mixer_stop{false};
    std::atomic<bool> mixing{false};
    std::atomic<bool> mixer_done{true};
    SoundThread* mixer_thread = nullptr;
    CpuMeter mixer_meter;
    ListNode idle_channels;
    int driver_index = -1;
    int driver_count = 0;
    char driver_names[kMaxDriverNames][kDriverNameBytes] = {};
    SoundChannel* channels = nullptr;
    SoundChannel* primary_channel = nullptr;
    ChannelPool hw_pool_a, hw_pool_b, sw_pool;
    int total_channels = 0;
    int sw_channels = 0;
    int hw_a_channels = 0, hw_b_channels = 0;
    int min_hw_channels = 0;
    int max_hw_channels = 9999;
    int extra_channels = 16;
    int channel_array_size = 0;  // records allocated in `channels`
    SoundSample** samples = nullptr;
    SoundSample* primary_sample = nullptr;
    int sample_capacity = 0;
    uint32_t last_update_ms = 0;
    bool update_timer_started = false;
    ListNode songs;
    ListNode dsp_units;
    bool dsp_list_ready = false;
    SoundMemory memory;
    // Serialises choosing and starting channels between the game and the
    // music player; always taken before the mixer lock.
    SoundLock* alloc_lock = nullptr;
    // Guards the DSP unit list; a block holds it while it walks the chain.
    // Lock order: chain, then allocation, then mixer.
    SoundLock* dsp_lock = nullptr;
};

extern SoundSystem* const g_sound_system;
// How every part of the library reaches the one system record.
inline SoundSystem& sound_system() { return *g_sound_system; }

bool sound_on_init_thread();
bool sound_is_nonrealtime();

// Pre-start settings.
int sound_set_output(int type);
int sound_set_driver(int index);
int sound_set_mixer(int type);
int sound_set_buffer_size(int ms);
int sound_set_output_param(int value);
int sound_set_min_hw_channels(int count);
int sound_set_max_hw_channels(int count);

int sound_set_sfx_volume(int volume);
int sound_get_sfx_volume();
int sound_set_pan_separation(float separation);
int sound_set_speaker_mode(int mode);
int sound_enumerate_drivers();
int sound_get_num_drivers();
const char* sound_get_driver_name(int index);
int sound_get_driver_caps(int index, uint32_t* caps);
int sound_get_driver();
int sound_get_output();
uintptr_t sound_get_output_handle();
int sound_get_output_rate();
int sound_get_mixer();
int sound_get_max_channels();
int sound_get_max_samples();
int sound_get_channels_playing();
int sound_get_num_hw_channels(int* pool_b, int* pool_a, int* span);
int sound_get_hw_a_channels();
float sound_get_cpu_usage();
float sound_get_version();

int sound_init(int rate, int channels, uint32_t flags);
void sound_close();
void sound_update();

// Seams for the stream layer, song list and asynchronous opens, which start
// and stop with the library. Each may stay null.
struct SoundLayerHooks {
    int (*streams_start)() = nullptr;
    void (*streams_stop)() = nullptr;
    void (*streams_update)(int elapsed_ms) = nullptr;
    void (*songs_stop_all)() = nullptr;
    void (*songs_retempo)() = nullptr;
    // Called by sample_free under the chain lock before the sample's channels
    // stop, so that no song plays the sample again.
    void (*songs_forget_sample)(SoundSample* sample) = nullptr;
    void (*async_open_start)() = nullptr;
    void (*async_open_stop)() = nullptr;
};
SoundLayerHooks& sound_layer_hooks();
