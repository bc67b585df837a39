// The software mixer: the mixer table, block and buffer arithmetic, the
// mixer thread that keeps the blocks behind the play position filled, and
// the software sample and channel op slots.
#pragma once

#include <cstdint>

#include "sound/system/sound_list.h"

struct SoundChannel;
struct SoundSample;
struct SoundLock;

using MixClearFn = void (*)(int32_t* acc, int frames);
using MixChannelsFn = void (*)(ListNode& channels, int32_t* acc, int frames);
using MixClipFn = void (*)(int16_t* dst, const int32_t* src, int frames);

struct MixerDescriptor {
    const char* name;
    int (*init)();
    void (*close)();
    MixClearFn clear;
    MixChannelsFn mix;
    MixClipFn clip;
    int bits;
    int channels;
    void* buffer_alloc;
    int32_t* buffer;  // 16-byte aligned accumulator
    int block_index;
    int unused_constant;
    SoundLock* lock;
};

enum MixerType {
    MIXER_AUTODETECT = 0,
    MIXER_QUALITY_AUTODETECT = 4,
    MIXER_MONO = 8,
    MIXER_QUALITY_MONO = 9,
    MIXER_C = 10,
    MIXER_QUALITY_C = 11,
    MIXER_TYPE_COUNT = 14,
};

constexpr int kMixPollMs = 5;
constexpr int kMinBlockFrames = 1024;
constexpr int kMaxFrequency = 705600;  // 16 x 44100
constexpr int kMinFrequency = 100;

MixerDescriptor* mixer_descriptor(int type);
int mixer_resolve_type(int type);

int mixer_init();
int mixer_start_thread();
void mixer_close();
void mixer_thread(void*);
// One poll of the mixer thread for a play position of the primary channel:
// the output watchdog, then every block from the last written up to (not
// including) the block under the play cursor.
void mixer_poll(int64_t position);
// Mixes the block at the current block index and advances it (non-real-time).
void mixer_mix_next_block();

SoundLock* mixer_lock();

void mixer_set_sample_ops(SoundSample* s);
void mixer_set_channel_ops(SoundChannel* c);

// The square-root pan law: table[i] = floor(16 x sqrt(i)).
int mixer_pan_gain(int i);
// Steps of the software slots, exposed for exact checks.
void mixer_compute_step(int rate, int64_t hz_8_8, int32_t* step_integer, uint32_t* step_fraction,
                        int* direction);

int mixer_measure_levels(SoundChannel* c, int* left, int* right);
void mixer_copy_words(void* dst, const void* src, int count);
void sample_downmix_to_mono(void* dst, const void* src, int frames, uint32_t mode);
