// Songs: the record of one loaded tracker module, its patterns, instruments
// and per-channel play state, and the music player's public operations.
// Songs are advanced tick by tick inside the mix by the music DSP unit.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "sound/mixer/dsp_unit.h"
#include "sound/system/sound_list.h"

struct SoundSample;
struct SoundChannel;

constexpr int kSongMaxChannels = 64;
constexpr int kSongMaxOrders = 256;
constexpr int kEnvelopeMaxPoints = 12;
constexpr int kInstrumentMaxSamples = 16;
constexpr uint8_t kNoteKeyOff = 255;

enum SongMode : uint32_t {
    SONG_MODE_NO_LOOP = 0x1,
    SONG_MODE_LOOP = 0x2,
    SONG_MODE_MEMORY = 0x8000,
    SONG_MODE_ASYNC_OPEN = 0x1000000,
};

struct MusicSong;

// Called on the mixer thread when the event is heard: (song, value: the row,
// order, Zxx parameter or instrument number, the block's parameter word).
using MusicCallback = void (*)(MusicSong* song, intptr_t value, intptr_t parameter);

// Events waiting until the output plays them: a stamp (the song's elapsed
// time, 24.8 ms, at which the event is heard; -1 empty) and a value each.
struct SongCallbackQueue {
    static constexpr int kSize = 256;
    MusicCallback callback = nullptr;
    intptr_t parameter = 1;  // the row or order interval, or 1
    int64_t stamps[kSize];
    intptr_t values[kSize] = {};
    int write = 0, read = 0;
    SongCallbackQueue() { clear(); }
    void clear() {
        for (int64_t& s : stamps) s = -1;
        write = read = 0;
    }
};

// One entry a block of the output buffer: where the song was when the block
// was mixed. Packed into one word {order 8 bits, row 8 bits, 24-bit ms} so
// that the game thread reads an entry whole while the mixer writes.
struct SongPosition {
    int order = 0, row = 0;
    uint32_t ms24 = 0;
    static uint64_t pack(int order, int row, int64_t ms) {
        return uint64_t(uint8_t(order)) | uint64_t(uint8_t(row)) << 8 | (uint64_t(ms) & 0xFFFFFF) << 16;
    }
    static SongPosition unpack(uint64_t word) {
        return {int(word & 0xFF), int((word >> 8) & 0xFF), uint32_t((word >> 16) & 0xFFFFFF)};
    }
};

struct PatternNote {
    uint8_t note, instrument, volume, effect, param;
};

struct Pattern {
    int rows = 0;
    PatternNote* notes = nullptr;  // rows x channels
};

struct Envelope {
    uint8_t type = 0;  // bit 0 on, bit 1 sustain, bit 2 loop
    int point_count = 0;
    uint16_t ticks[kEnvelopeMaxPoints] = {};
    uint16_t values[kEnvelopeMaxPoints] = {};
    int sustain = 0, loop_start = 0, loop_end = 0;
    bool on() const { return type & 1; }
};

struct Instrument {
    char name[23] = {};
    int sample_count = 0;
    SoundSample* samples[kInstrumentMaxSamples] = {};
    uint8_t note_map[96] = {};
    Envelope volume_envelope, pan_envelope;
    uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    int fadeout = 0;
};

struct EnvelopeState {
    int tick = 0;
    int point = 0;
    int32_t value = 0;  // 16.16
    int current = 0;
    int32_t step = 0;  // 16.16 per tick
    bool finished = false;
};

enum EntryFlag : uint8_t {
    ENTRY_FREQUENCY = 0x1,
    ENTRY_VOLUME = 0x2,
    ENTRY_PAN = 0x4,
    ENTRY_TRIGGER = 0x8,
    ENTRY_STOP = 0x20,
};

// Ties a mixer channel to a song channel while the song uses it.
struct ChannelEntry {
    int handle = -1;  // -1: the dummy entry of a song channel without mixer channel
    SoundSample* sample = nullptr;
    uint8_t flags = 0;
    int period = 0;
    int volume = 0;  // 0..64
    int pan = 128;   // 0..255
    int volume_delta = 0;
    int period_delta = 0;
    EnvelopeState volume_envelope, pan_envelope;
    bool key_off = false;
    int fadeout_volume = 65536;
    int auto_vibrato_position = 0;
    int auto_vibrato_sweep = 0;
    int start_offset = 0;
};

struct SongChannel {
    ChannelEntry entry;  // one mixer channel per song channel
    bool has_channel = false;
    int instrument = 0;
    int note = 0;
    int real_note = 0;
    int period = 0;
    int last_effect = 0;
    int porta_up = 0, porta_down = 0, fine_porta_up = 0, fine_porta_down = 0;
    int extra_fine_up = 0, extra_fine_down = 0;
    int volume_slide = 0, pan_slide = 0, retrigger_volume = 0, retrigger_interval = 0;
    int sample_offset = 0, porta_target = 0, porta_speed = 0, fine_volume_up = 0, fine_volume_down = 0;
    int global_volume_slide = 0;
    int vibrato_position = 0, vibrato_speed = 0, vibrato_depth = 0;
    int tremolo_position = 0, tremolo_speed = 0, tremolo_depth = 0;
    uint8_t waveforms = 0;
    int tremor_counter = 0, tremor_on = 0, tremor_off = 0;
    int loop_row = 0, loop_count = 0;
    int tremolo_delta = 0;
    int retrigger_counter = 0;
};

struct MusicSong : ListNode {
    uint8_t type = 0;
    char name[21] = {};
    Pattern* patterns = nullptr;
    SoundSample** samples = nullptr;
    Instrument* instruments = nullptr;
    SongChannel* channels = nullptr;
    int samples_per_tick = 0;
    int samples_left = 0;  // output frames left in the current tick
    int order_count = 0, pattern_count = 0, patterns_allocated = 0, instrument_count = 0, sample_count = 0,
        channel_count = 0;
    int default_speed = 6, default_tempo = 125;
    uint8_t default_pans[kSongMaxChannels] = {};
    uint8_t default_volumes[kSongMaxChannels] = {};
    uint8_t default_global_volume = 64;
    int master_volume = 256;
    int speed_scale = 256;
    int pan_separation = 256;
    int global_volume = 64;
    uint8_t orders[kSongMaxOrders] = {};
    uint16_t restart_order = 0;
    uint16_t flags = 0;  // bit 0 linear frequencies
    // Read by the game's queries while the mixer ends the song.
    std::atomic<bool> paused{false};
    std::atomic<bool> playing{false};
    std::atomic<bool> finished{false};
    bool looping = true;
    int speed = 6, tempo = 125;
    int row = 0, order = 0;
    int tick = 0;
    int pattern_delay = 0;
    int next_row = 0, next_order = 0;
    bool advance = false;  // tick 0 moves to next_row/next_order first
    int pending_order = -1, pending_row = -1;  // music_set_order, taken at the next row
    int64_t elapsed = 0;  // 24.8 fixed-point milliseconds
    // Positions as heard: one entry a block of the output buffer, null when
    // the library runs without position tracking.
    std::atomic<uint64_t>* position_ring = nullptr;
    int ring_entries = 0;
    std::atomic<int> ring_written{0};         // entry of the block mixed last
    std::atomic<int64_t> ring_latest_ms{0};   // elapsed ms of that entry, whole
    int channel_limit = 0, volume_threshold = 0;
    void (*update)(MusicSong* song) = nullptr;
    SongCallbackQueue* row_callback = nullptr;
    SongCallbackQueue* order_callback = nullptr;
    SongCallbackQueue* zxx_callback = nullptr;
    SongCallbackQueue* instrument_callbacks[256] = {};
    intptr_t user_data = 0;
    // Kept for an asynchronous open.
    char open_name[256] = {};
    const void* open_memory = nullptr;
    int open_offset = 0, open_length = 0;
    uint32_t open_mode = 0;
    std::atomic<bool> loaded{false};
    std::atomic<bool> open_failed{false};
    bool free_requested = false;  // freed from inside the mix: the music unit frees it after its walk
    bool freeing = false;         // music_free_song has begun (its last callbacks are running)
    std::vector<SoundSample*> replaced_samples;  // song-owned samples music_set_sample took out
    DspUnit mix_unit;  // holds the song's playing mixer channels; not in the chain
};

// The sample that stands in for a missing or failed one: no data, plays nothing.
SoundSample* music_dummy_sample();

// One tick of the song.
void xm_update_song(MusicSong* song);
// Frequency of a finetune nibble for the old sample header convention.
int music_finetune_rate(int finetune);
// Output frequency of a period (linear or Amiga).
int xm_period_to_hz(int period, bool linear);
int xm_period_interpolate(int note, int finetune);

// Player.
void music_player_attach();  // installs the music unit callback and library hooks
MusicSong* music_alloc_song();
MusicSong* music_load_song(const char* name);
MusicSong* music_load_song_ex(const void* name_or_block, int offset, int length, uint32_t mode,
                              const int* sample_list, int sample_count);
int music_free_song(MusicSong* song);
int music_play_song(MusicSong* song);
int music_stop_song(MusicSong* song);
void music_stop_all_songs();
int music_set_order(MusicSong* song, int order);
int music_set_paused(MusicSong* song, int paused);
int music_get_paused(MusicSong* song);
int music_set_master_volume(MusicSong* song, int volume);
int music_set_master_speed(MusicSong* song, float speed);
int music_set_pan_separation(MusicSong* song, float separation);
int music_set_looping(MusicSong* song, int looping);
int music_set_user_data(MusicSong* song, intptr_t data);
intptr_t music_get_user_data(MusicSong* song);
int music_set_channel_limit(MusicSong* song, int limit, int threshold);
int music_set_tempo(MusicSong* song, int tempo);
const char* music_get_name(MusicSong* song);
int music_get_type(MusicSong* song);
int music_is_finished(MusicSong* song);
int music_is_playing(MusicSong* song);
int music_get_num_orders(MusicSong* song);
int music_get_num_patterns(MusicSong* song);
int music_get_num_instruments(MusicSong* song);
int music_get_num_samples(MusicSong* song);
int music_get_num_channels(MusicSong* song);
SoundSample* music_get_sample(MusicSong* song, int index);
int music_get_pattern_length(MusicSong* song, int order);
int music_get_master_volume(MusicSong* song);
int music_get_global_volume(MusicSong* song);
int music_get_current_pattern_number(MusicSong* song);
int music_get_speed(MusicSong* song);
int music_get_tempo(MusicSong* song);
int music_get_current_pattern(MusicSong* song);
int music_get_current_row(MusicSong* song);
int music_get_elapsed_ms(MusicSong* song);
int music_get_channel_handle(MusicSong* song, int channel);
int music_get_open_state(MusicSong* song);
int music_set_sample(MusicSong* song, int index, SoundSample* sample);

// Callbacks: the row and order callbacks fire for rows and orders that the
// interval divides; the Zxx callback for every Zxx effect; an instrument
// callback whenever its instrument number (0..255) appears on a row.
int music_set_row_callback(MusicSong* song, MusicCallback callback, int interval);
int music_set_order_callback(MusicSong* song, MusicCallback callback, int interval);
int music_set_zxx_callback(MusicSong* song, MusicCallback callback);
int music_set_instrument_callback(MusicSong* song, MusicCallback callback, int instrument);
// Queues (or, without position tracking, makes) a callback for an event the
// player just read. Queued callbacks run in the order they are heard, once
// their stamp is at or before `clock` (the song's elapsed time, 24.8 ms).
void music_queue_callback(MusicSong* song, SongCallbackQueue* queue, intptr_t value);
void music_run_due_callbacks(MusicSong* song, int64_t clock);
bool music_callbacks_pending(MusicSong* song);
void music_clear_callbacks(MusicSong* song);
void music_free_callbacks(MusicSong* song);
// Loads a song allocated by the player from its kept open parameters.
int music_load_song_internal(MusicSong* song);

// Internal to the player and the XM code: starts the entry's sample (from
// its start offset) on a mixer channel of the song, giving back the old one.
int music_take_channel(MusicSong* song, SongChannel& channel);
void music_release_channel(SongChannel& channel);
void music_song_free_contents(MusicSong* song);
