// Samples: a block of sound data with the defaults a channel takes when it
// plays it. This file holds the record, the mode flags, the sample table and
// the operations that the mixer and channels need (create, free, lock, loop
// points, defaults, interpolation tail). Loading and uploading build on these.
#pragma once

#include <cstdint>

struct SoundSample;

struct SampleOps {
    int (*alloc)(SoundSample* s);
    void (*free)(SoundSample* s);
    int (*upload)(SoundSample* s, const void* src, int offset, int count, uint32_t src_mode);
    // Two ring pieces for `length` bytes at byte `offset`.
    int (*lock)(SoundSample* s, int offset, int length, void** p1, void** p2, int* len1, int* len2);
    int (*unlock)(SoundSample* s, void* p1, void* p2, int len1, int len2);
};

enum SampleMode : uint32_t {
    SAMPLE_LOOP_OFF = 0x1,
    SAMPLE_LOOP_NORMAL = 0x2,
    SAMPLE_LOOP_BIDI = 0x4,
    SAMPLE_8BITS = 0x8,
    SAMPLE_16BITS = 0x10,
    SAMPLE_MONO = 0x20,
    SAMPLE_STEREO = 0x40,
    SAMPLE_UNSIGNED = 0x80,
    SAMPLE_SIGNED = 0x100,
    SAMPLE_DELTA = 0x200,
    SAMPLE_DRIVER = 0x1000,
    SAMPLE_SOFTWARE_MARK = 0x2000,
    SAMPLE_ONE_AT_A_TIME = 0x4000,
    SAMPLE_FROM_MEMORY = 0x8000,
    SAMPLE_RAW = 0x10000,
    SAMPLE_FORCE_MONO = 0x40000,
    SAMPLE_DRIVER_2 = 0x80000,
    SAMPLE_DRIVER_2_REQUEST = 0x100000,
    SAMPLE_ADPCM = 0x400000,
    SAMPLE_COMPRESSED = 0x800000,
    SAMPLE_COMPRESSED_2 = 0x2000000,
    SAMPLE_MULTICHANNEL = 0x4000000,
    SAMPLE_FORCE_DRIVER_2 = 0x80000000u,
};

constexpr uint32_t kSampleLoopBits = SAMPLE_LOOP_OFF | SAMPLE_LOOP_NORMAL | SAMPLE_LOOP_BIDI;
constexpr int kSampleUnmanaged = -2;
constexpr int kSampleAnyFree = -1;
constexpr int kPrimarySampleIndex = -1000;
constexpr int kSampleTableStep = 256;

struct SoundSample {
    char name[256];
    int index;
    void* data;        // first byte of the sample data
    void* data_block;  // the allocation that holds `data`
    int length;        // frames
    int loop_start;
    int loop_length;
    int tail_position;  // frame where the interpolation tail was written, -1 none
    int max_playbacks;  // -1 = no limit
    int channel_count;  // interleaved channels of a multichannel sample
    uint32_t mode;
    int default_frequency, default_volume, default_pan, default_priority;
    int frequency_variance, volume_variance, pan_variance;
    uint8_t song_owned;
    int8_t relative_note;
    int8_t finetune;
    int c2_rate;
    int file_data_length;
    void* decode_state;
    void* driver_data[2];
    void* staging;  // interleaved staging buffer of a locked multichannel sample
    bool staging_locked;
    SampleOps ops;
};

// Bytes of one channel's data (frames x 1 or 2) and of the whole sample.
int sample_bytes_per_channel(const SoundSample* s);
int sample_total_bytes(const SoundSample* s);
// Interleaved channels of one frame: 1, 2 or channel_count.
int sample_frame_channels(const SoundSample* s);

uint32_t sample_normalise_mode(uint32_t mode);

SoundSample* sample_alloc_internal(int index, uint32_t mode);
SoundSample* sample_alloc(int index, int length, uint32_t mode, int frequency, int volume, int pan,
                          int priority, int channel_count);
SoundSample* sample_create(int index, int length, uint32_t mode, int frequency, int volume, int pan,
                           int priority);
void sample_free(SoundSample* s);
int sample_lock(SoundSample* s, int offset, int length, void** p1, int* len1, void** p2, int* len2);
int sample_unlock(SoundSample* s, void* p1, void* p2, int len1, int len2);
int sample_set_loop_points(SoundSample* s, int start, int end);
int sample_get_loop_points(SoundSample* s, int* start, int* end);
int sample_set_max_playbacks(SoundSample* s, int count);
int sample_set_defaults_ex(SoundSample* s, int frequency, int volume, int pan, int priority,
                           int frequency_variance, int volume_variance, int pan_variance);
int sample_set_defaults(SoundSample* s, int frequency, int volume, int pan, int priority);
SoundSample* sample_get_by_index(int index);
// Rewrites the frame after the loop end so that interpolating mixers read the
// right neighbour there: silence (loop off), the loop start, or the loop end.
void sample_fix_loop_tail(SoundSample* s);
// Puts back the frame that the tail overwrote (before the data is rewritten).
void sample_restore_tail(SoundSample* s);

// Sample table housekeeping for start-up and shutdown.
int sample_table_create(int capacity);
void sample_table_free_all();
