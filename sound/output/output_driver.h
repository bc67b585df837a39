// Output drivers connect the library to a sound device: the audio device
// output (type 1), the no-sound output (any other type) and, for tests and
// benchmarks, the capture output. Also the default op slots that every
// sample and channel gets first.
#pragma once

#include <cstdint>

struct SoundSample;
struct SoundChannel;

constexpr int kSettingsWords = 30;
constexpr int kSettingsBytes = 120;

struct OutputDriver {
    int supports_hw_a;
    int supports_hw_b;
    int realtime;  // 1: the library runs a mixer thread
    void (*enumerate)();
    int (*init)(int rate);
    void (*close)();
    void (*set_sample_ops)(SoundSample* s);
    void (*set_channel_ops)(SoundChannel* c);
    void (*caps)(uint32_t* out, int index);
    uintptr_t (*get_handle)();
    void (*speaker)(int mode);
    void (*update)();
    int (*pool_check)();
    int (*set_settings)(const void* block);
    int (*get_settings)(void* block);
    // Called after each block was clipped into the primary buffer, with the
    // pieces written (either may be null). Null for drivers that need nothing.
    void (*block_written)(const void* p1, int len1, const void* p2, int len2);
};

enum OutputType {
    OUTPUT_DEFAULT = -1,
    OUTPUT_NOSOUND = 0,
    OUTPUT_AUDIO_DEVICE = 1,
    OUTPUT_NONREALTIME = 12,
    OUTPUT_CAPTURE = 13,  // renders into memory in real time (tests, benchmarks)
};

OutputDriver* output_nosound_driver();
// The audio device output needs SDL, so it lives outside the library, in a
// target of the SDL back end that installs it as the program starts. Without
// one, asking for the device gets the no-sound output.
void set_audio_device_driver(OutputDriver* driver);
OutputDriver* output_capture_driver();
// The driver record for an output type (-1 means 1).
OutputDriver* output_driver_for(int type);

void output_default_sample_ops(SoundSample* s);
void output_default_channel_ops(SoundChannel* c);

// Shared slots.
void output_update();
int output_pool_check();
int output_set_settings(const void* block);
int output_get_settings(void* block);

// Two pieces of a ring of `size` bytes at `base` for `length` bytes at
// `offset`; the length is cut to the ring. Fails (all zero) for an offset
// outside the ring or a negative length.
int output_ring_lock(void* base, int size, int offset, int length, void** p1, void** p2, int* len1, int* len2);
