// The channel record: one voice that plays one sample at its own frequency,
// volume and pan, with the op slots that the software mixer or an output
// driver fills.
#pragma once

#include <atomic>
#include <cstdint>

#include "sound/system/sound_list.h"

struct SoundSample;
struct SoundChannel;
struct DspUnit;

struct ChannelOps {
    int (*open)(SoundChannel* c);
    int (*close)(SoundChannel* c);
    int (*set_sample)(SoundChannel* c, SoundSample* s);
    int (*start)(DspUnit* unit, SoundChannel* c, SoundSample* s);
    int (*stop)(SoundChannel* c);
    int (*set_frequency)(SoundChannel* c, int hz);
    int (*set_frequency_fixed)(SoundChannel* c, int64_t hz_8_8);
    int (*set_volume)(SoundChannel* c, int volume);
    int (*set_pan)(SoundChannel* c, int pan);
    int (*set_levels)(SoundChannel* c, const int* levels);
    int (*set_paused)(SoundChannel* c, int paused);
    int (*set_position)(SoundChannel* c, int frame);
    // Frames: a software channel's position in its sample; for the primary
    // channel, frames played since the output started (never wraps).
    int64_t (*get_position)(SoundChannel* c);
    int (*get_levels)(SoundChannel* c, int* left, int* right);
    int (*is_playing)(SoundChannel* c);
    int (*set_loop_mode)(SoundChannel* c, int mode);
    int (*set_effect_params)(SoundChannel* c, int a, int b, int c3, int d, int e);
    int (*reset_effect_params)(SoundChannel* c);
    int (*enable_fx)(SoundChannel* c, int kind);
    int (*disable_fx)(SoundChannel* c);
    int (*set_fx_params)(SoundChannel* c, int effect, const float* params, int count);
};

enum ChannelFlag : uint32_t {
    CHANNEL_ABSOLUTE_VOLUME = 0x1,
    CHANNEL_MUTED = 0x2,
    CHANNEL_MARK = 0x4,
    CHANNEL_RESERVED = 0x8,
    CHANNEL_PAUSED = 0x10,
    CHANNEL_KEEP_LIST = 0x20,
    CHANNEL_STARTING = 0x200,
    CHANNEL_STOPPING = 0x2000,
};

constexpr int kChannelAll = -3;
constexpr int kChannelFree = -1;
constexpr int kPrimaryChannel = -1000;
constexpr int kChannelReuseMax = 0x7FFFF;
constexpr int kChannelIndexBits = 12;
constexpr int kChannelIndexMask = 0xFFF;

enum PlayDirection { PLAY_FORWARD = 1, PLAY_BACKWARD = 2 };

struct SoundChannel : ListNode {
    int index = 0;
    int handle = 0;
    int reuse = 1;
    int volume = 255;
    int frequency = 44100;
    int pan = 128;
    int mix_volume = 0;
    int mix_pan = 0;
    int start_position = 0;
    // Read by the game, music and mixer threads at once.
    std::atomic<int> priority{0};
    std::atomic<uint32_t> flags{0};
    uint32_t mode = 0;
    std::atomic<SoundSample*> sample{nullptr};
    DspUnit* dsp_unit = nullptr;
    SoundChannel* linked = nullptr;
    bool is_sub = false;
    int left_gain = 0, right_gain = 0, mean_gain = 0;
    int volume_scale = 255;
    int frequency_scale = 256;
    // Play state of the software mixer: 32.32 fixed point position and step.
    int32_t position = 0;
    uint32_t fraction = 0;
    uint32_t step_fraction = 0;
    int32_t step_integer = 0;
    int direction = PLAY_FORWARD;
    uint8_t* levels = nullptr;  // one left and right level a block
    const void* data = nullptr;  // this (sub-)channel's first frame
    int range_low = 256, range_high = 256000000;
    ChannelOps ops{};

    bool has_sample() const { return sample.load(std::memory_order_acquire) != nullptr; }
    bool has_flag(uint32_t f) const { return (flags.load(std::memory_order_relaxed) & f) != 0; }
    void set_flag(uint32_t f, bool on) {
        if (on) flags.fetch_or(f, std::memory_order_relaxed);
        else flags.fetch_and(~f, std::memory_order_relaxed);
    }
};
