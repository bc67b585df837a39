// Streams: a long sound played without loading it whole. A looping sample of
// two halves plays on a channel while the stream thread refills the half the
// channel has just left, from a WAV or raw file (on disk, in memory or through
// the user's file callbacks) or from a caller's fill callback. Sync points
// (WAV cue points or added by the caller) fire their callback when the sound
// at their offset is heard.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "sound/mixer/dsp_unit.h"
#include "sound/system/sound_list.h"

struct SoundSample;
struct SoundFile;
struct WavDecodeState;
struct SoundStream;

// Writes `bytes` bytes of sound into buffer; returns 0 when the data ended.
using StreamFillFn = int (*)(SoundStream* stream, void* buffer, int bytes, intptr_t user_data);
using StreamEndFn = void (*)(SoundStream* stream, intptr_t user_data);
using StreamSyncFn = void (*)(SoundStream* stream, const char* name, int offset, intptr_t user_data);

constexpr uint32_t STREAM_MODE_ASYNC_OPEN = 0x1000000;
constexpr int kStreamNameChars = 256;
constexpr int kStreamDefaultBufferMs = 400;
constexpr int kStreamMinBufferMs = 50;
constexpr int kStreamMaxDspUnits = 16;

struct SyncPoint {
    SoundStream* owner = nullptr;
    uint32_t id = 0;  // the WAV cue id, 0 for points added by the caller
    int offset = 0;   // frames
    char name[kStreamNameChars] = {};
};

// Where a stretch of a half came from: the frames from `offset` on hold the
// source from `source_frame` on, in loop pass `loops`; or, once the sound has
// ended, silence that stays at `source_frame`.
struct StreamSegment {
    int offset = 0;
    int64_t source_frame = 0;
    int loops = 0;
    bool silent = false;
};

struct StreamHalf {
    static constexpr int kMaxSegments = 8;
    StreamSegment segments[kMaxSegments];
    int count = 0;
};

// One entry a mixer block: where the stream was when the block was mixed.
struct StreamHeard {
    int64_t frame = 0;
    int loops = 0;
    bool valid = false;
};

struct SoundStream : ListNode {
    SoundSample* sample = nullptr;
    SoundFile* file = nullptr;
    std::vector<SyncPoint*> sync_points;  // by offset; guarded by the sync lock
    int sync_cursor = 0;                  // next point to fire
    int sync_loops = 0;
    StreamFillFn fill = nullptr;  // null: the stream reads its file
    intptr_t user_data = 0;
    StreamEndFn end_callback = nullptr;
    intptr_t end_user_data = 0;
    StreamSyncFn sync_callback = nullptr;
    intptr_t sync_user_data = 0;
    int channel = -1;
    uint32_t mode = 0;
    DspUnit* dsp_units[kStreamMaxDspUnits] = {};
    int64_t start_position = -1;  // frames, taken at the first play

    // Source and decoding.
    WavDecodeState* decode_state = nullptr;
    int rate = 44100;
    int source_channels = 1;
    int source_bits = 16;
    bool source_unsigned = false;
    bool mix_to_mono = false;
    int samples_per_block = 1;  // frames a block of block_align bytes decodes to
    std::vector<uint8_t> read_buffer;
    std::vector<uint8_t> fill_buffer;  // a half, filled before it goes into the sample
    std::vector<uint8_t> decode_buffer;
    int decode_bytes = 0, decode_offset = 0;
    int64_t skip_frames = 0;  // decoded frames to drop after a seek inside a block
    int data_length = 0, data_offset = 0, block_align = 1;
    int64_t length_frames = 0;
    int64_t length_ms = 0;
    int64_t position = 0;  // next source frame to read
    int64_t loop_start = 0, loop_end = 0;
    int loops_left = -1, loop_count = -1;
    int loops_done = 0;
    bool read_error = false;

    // The two halves of the stream sample.
    int half_frames = 0;
    int frame_bytes = 2;  // of the stream sample
    int next_half = 0;
    StreamHalf halves[2];  // guarded by the sync lock
    int64_t end_countdown = -1;  // 24.8 ms until the last written frame is heard
    bool priming = false;

    // Positions as heard, one entry a block of the output buffer.
    std::vector<StreamHeard> history;  // guarded by the sync lock
    int history_index = 0;
    StreamHeard heard;
    int64_t resume_frame = 0;

    bool playing = false;
    bool data_ended = false;  // the source has no more data (no loop left)
    bool ended = false;       // the last frame has been heard
    std::atomic<bool> ready{false};
    std::atomic<bool> open_failed{false};
    bool closing = false;
    std::atomic<bool> suspended{false};
    bool needs_priming = false;
    bool user_stream = false;

    // Kept for an asynchronous open.
    char open_name[kStreamNameChars] = {};
    const void* open_memory = nullptr;
    int open_offset = 0, open_length = 0;
    uint32_t open_mode = 0;
};

// Start-up and shutdown (installed into the library by stream_system_attach,
// which sound_init calls).
void stream_system_attach();
int stream_system_init();
void stream_system_close();
// One refill pass over the playing streams (the stream thread's body).
void stream_update(int elapsed_ms);

SoundStream* stream_open(const void* name_or_block, uint32_t mode, int offset, int length);
SoundStream* stream_create(StreamFillFn fill, int buffer_bytes, uint32_t mode, int rate, intptr_t user_data);
int stream_close(SoundStream* stream);
int stream_play(int channel, SoundStream* stream);
int stream_play_ex(int channel, SoundStream* stream, DspUnit* unit, int paused);
int stream_stop(SoundStream* stream);
int stream_stop_ex(SoundStream* stream, bool call_end_callback);
int stream_set_position(SoundStream* stream, int byte_offset);
int stream_set_time(SoundStream* stream, int ms);
int stream_set_sample_position(SoundStream* stream, int frame);
int stream_set_start_position(SoundStream* stream, int frame);
int stream_get_position(SoundStream* stream);
int stream_get_time(SoundStream* stream);
int stream_get_length(SoundStream* stream);
int stream_get_length_ms(SoundStream* stream);
int stream_set_loop_points(SoundStream* stream, int start, int end);
int stream_set_loop_count(SoundStream* stream, int count);
int stream_set_mode(SoundStream* stream, uint32_t mode);
uint32_t stream_get_mode(SoundStream* stream);
SoundSample* stream_get_sample(SoundStream* stream);
int stream_get_open_state(SoundStream* stream);
int stream_set_end_callback(SoundStream* stream, StreamEndFn callback, intptr_t user_data);
int stream_set_sync_callback(SoundStream* stream, StreamSyncFn callback, intptr_t user_data);
SyncPoint* stream_add_syncpoint(SoundStream* stream, int offset, const char* name);
int stream_delete_syncpoint(SyncPoint* point);
int stream_get_num_syncpoints(SoundStream* stream);
SyncPoint* stream_get_syncpoint(SoundStream* stream, int index);
const char* stream_get_syncpoint_info(SyncPoint* point, int* offset);
DspUnit* stream_create_dsp(SoundStream* stream, DspCallback callback, int priority, void* user_data);
int stream_set_buffer_size(int ms);
// The unit that follows the output for the sync points (after the effects unit).
DspUnit* stream_get_dsp_unit();

// Internal to the stream files.
int stream_open_internal(SoundStream* stream);
void stream_prime(SoundStream* stream);
void stream_fill_half(SoundStream* stream, int half);
// Moves the source to `frame` (the next frame read).
void stream_seek_source(SoundStream* stream, int64_t frame);
void stream_free_contents(SoundStream* stream);
bool stream_on_stream_thread();
bool stream_system_running();
// Links a stream into the playing list (under the sync section) with an
// empty heard-position history.
void stream_link(SoundStream* stream);
// The stream and sync sections (null in the non-real-time output).
struct SoundLock* stream_lock();
struct SoundLock* stream_sync_lock();
int stream_buffer_ms();
