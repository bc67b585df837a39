// The music player: the song list, loading, playing and stopping songs, their
// settings and position queries, and the music DSP unit that advances every
// playing song tick by tick while it mixes the song's channels.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "sound/files/sound_file.h"
#include "sound/formats/xm_loader.h"
#include "sound/mixer/channel.h"
#include "sound/mixer/mixer.h"
#include "sound/music/music_song.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/async_open.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

MusicSong* as_song(ListNode* n) { return static_cast<MusicSong*>(n); }

template <typename F>
void for_each_song(F f) {
    ListNode& head = sound_system().songs;
    for (ListNode* n = head.next; n != &head;) {
        ListNode* next = n->next;
        f(as_song(n));
        n = next;
    }
}

bool usable(MusicSong* song) {
    if (!song || !song->loaded) {
        sound_set_error(SOUND_ERR_PARAM);
        return false;
    }
    return true;
}

// Song changes take the chain lock so that no block is mixing the song at
// the same time; inside the mix the chain lock is already ours.
struct SongChangeGuard {
    SoundLockGuard chain;
    SongChangeGuard() : chain(sound_system().dsp_lock) { sound_wait_while_mixing(); }
};

void mix_song(MusicSong* song, int32_t* acc, int frames) {
    MixerDescriptor* d = sound_system().mixer;
    const int out_channels = d->channels;
    int done = 0;
    int guard = 0;
    while (done < frames && song->playing) {
        if (song->samples_left <= 0) {
            song->update(song);
            song->samples_left = std::max(song->samples_per_tick, 1);
            if (++guard > frames + 16) break;  // never spin inside one block
            if (!song->playing) break;
        }
        const int n = std::min(frames - done, song->samples_left);
        {
            SoundLockGuard lock(mixer_lock());
            if (!list_empty(song->mix_unit.channels))
                d->mix(song->mix_unit.channels, acc + size_t(done) * out_channels, n);
        }
        done += n;
        song->samples_left -= n;
    }
}

// Records where the song is for the block just mixed; the entry after it
// belongs to the block the output plays now.
void record_position(MusicSong* song) {
    if (!song->position_ring) return;
    const int next = (song->ring_written.load(std::memory_order_relaxed) + 1) % song->ring_entries;
    const int64_t ms = song->elapsed >> 8;
    song->position_ring[next].store(SongPosition::pack(song->order, song->row, ms), std::memory_order_relaxed);
    song->ring_latest_ms.store(ms, std::memory_order_relaxed);
    song->ring_written.store(next, std::memory_order_release);
}

// Set on the mixing thread while the music unit walks the song list: a song
// freed then (from a callback) is only marked, and freed after the walk.
bool g_walking_songs = false;

// A stopped song's last rows are still in the output buffer: its clock keeps
// following the output until every queued callback has been heard.
void play_out_callbacks(MusicSong* song, int64_t block_time) {
    if (!music_callbacks_pending(song)) return;
    song->elapsed += block_time;
    music_run_due_callbacks(song, song->elapsed);
}

void free_requested_songs() {
    for (bool found = true; found;) {
        found = false;
        // Restart the walk after each free: a last callback may free others.
        for_each_song([&found](MusicSong* song) {
            if (found || !song->free_requested) return;
            found = true;
            music_free_song(song);
        });
    }
}

void* music_unit_callback(void*, void* buffer, int frames, void*) {
    SoundSystem& s = sound_system();
    if (!buffer || !s.mixer) return buffer;
    const int64_t block_time = int64_t(frames) * 256000 / std::max(s.mix_rate, 1);
    g_walking_songs = true;
    for_each_song([&](MusicSong* song) {
        // A song still being loaded by the asynchronous-open worker is not touched.
        if (!song->loaded.load(std::memory_order_acquire)) return;
        if (!song->playing) return play_out_callbacks(song, block_time);
        if (song->paused || !song->update || song->speed_scale == 0) return;
        mix_song(song, static_cast<int32_t*>(buffer), frames);
        song->elapsed += block_time;
        record_position(song);
        music_run_due_callbacks(song, song->elapsed);
        if (!song->playing) music_stop_song(song);
    });
    g_walking_songs = false;
    free_requested_songs();
    return buffer;
}

void stop_all_hook() { music_stop_all_songs(); }

void retempo_hook() {
    for_each_song([](MusicSong* song) {
        if (song->loaded) music_set_tempo(song, song->tempo);
    });
}

// Points every reference of a sample that is being freed at the dummy
// sample, so that no song plays it again.
void forget_sample_hook(SoundSample* sample) {
    SoundSample* dummy = music_dummy_sample();
    for_each_song([sample, dummy](MusicSong* song) {
        if (!song->loaded.load(std::memory_order_acquire)) return;
        for (int i = 0; i < song->instrument_count; ++i)
            for (SoundSample*& s : song->instruments[i].samples)
                if (s == sample) s = dummy;
        for (int i = 0; i < song->sample_count; ++i)
            if (song->samples[i] == sample) song->samples[i] = dummy;
        for (int c = 0; c < song->channel_count; ++c)
            if (song->channels[c].entry.sample == sample) song->channels[c].entry.sample = dummy;
    });
}

bool read_source(const void* source, int offset, int length, uint32_t mode, std::vector<uint8_t>& bytes) {
    if (mode & SONG_MODE_MEMORY) {
        if (!source || length <= 0) return false;
        const auto* p = static_cast<const uint8_t*>(source) + std::max(offset, 0);
        bytes.assign(p, p + length);
        return true;
    }
    SoundFile* f = sound_file_open(source, sound_file_has_callbacks() ? 2 : 3, 0);
    if (!f) return false;
    sound_file_seek(f, 0, 2);
    const int size = sound_file_tell(f);
    const int start = std::clamp(offset, 0, std::max(size, 0));
    const int count = length > 0 ? std::min(length, size - start) : size - start;
    bytes.resize(size_t(std::max(count, 0)));
    sound_file_seek(f, start, 0);
    const int got = count > 0 ? sound_file_read(bytes.data(), 1, count, f) : 0;
    bytes.resize(size_t(std::max(got, 0)));
    sound_file_close(f);
    return true;
}

}  // namespace

void music_player_attach() {
    SoundSystem& s = sound_system();
    if (s.music_unit) s.music_unit->callback = music_unit_callback;
    SoundLayerHooks& h = sound_layer_hooks();
    h.songs_stop_all = stop_all_hook;
    h.songs_retempo = retempo_hook;
    h.songs_forget_sample = forget_sample_hook;
}

int music_take_channel(MusicSong* song, SongChannel& ch) {
    ChannelEntry& e = ch.entry;
    if (ch.has_channel) channel_stop_sound(e.handle);
    ch.has_channel = false;
    if (!e.sample || !e.sample->data || e.sample->length <= 0) return 1;
    const int handle = channel_play_sound_ex(kChannelFree, e.sample, nullptr, 1);
    if (handle < 0) return 0;
    SoundChannel* c = channel_lookup(handle);
    if (!c) return 0;
    c->priority.store(255);
    {
        // Move the voice from the effects unit to the song's own list: the
        // music unit mixes it tick by tick.
        SoundLockGuard lock(mixer_lock());
        list_append(song->mix_unit.channels, c);
        c->dsp_unit = &song->mix_unit;
    }
    channel_set_mark(handle, 1);
    if (e.start_offset > 0) channel_set_position(handle, e.start_offset);
    channel_set_paused(handle, 0);
    e.handle = handle;
    ch.has_channel = true;
    return 1;
}

void music_release_channel(SongChannel& ch) {
    if (ch.has_channel) channel_stop_sound(ch.entry.handle);
    ch.has_channel = false;
    ch.entry.handle = -1;
}

MusicSong* music_alloc_song() {
    SoundSystem& s = sound_system();
    if (!s.initialised || (s.sw_channels > 0 && !s.mixer)) return sound_set_error(SOUND_ERR_NOT_READY), nullptr;
    void* memory = SOUND_CALLOC(sizeof(MusicSong));
    if (!memory) return sound_set_error(SOUND_ERR_NO_MEMORY), nullptr;
    auto* song = new (memory) MusicSong();
    song->channel_limit = s.total_channels;
    if (!(s.init_flags & SOUND_INIT_MUSIC_FLAG) && s.block_samples > 0) {
        song->ring_entries = std::max(s.buffer_samples / s.block_samples, 1);
        void* ring = SOUND_CALLOC(sizeof(std::atomic<uint64_t>) * size_t(song->ring_entries));
        if (!ring) {
            song->~MusicSong();
            SOUND_FREE(song);
            return sound_set_error(SOUND_ERR_NO_MEMORY), nullptr;
        }
        song->position_ring = static_cast<std::atomic<uint64_t>*>(ring);
        for (int i = 0; i < song->ring_entries; ++i) new (&song->position_ring[i]) std::atomic<uint64_t>(0);
    }
    SongChangeGuard guard;
    list_insert_before(&s.songs, song);
    return song;
}

MusicSong* music_load_song(const char* name) { return music_load_song_ex(name, 0, 0, 0, nullptr, 0); }

int music_load_song_internal(MusicSong* song) {
    std::vector<uint8_t> bytes;
    const void* source = (song->open_mode & SONG_MODE_MEMORY) ? song->open_memory : song->open_name;
    if (!read_source(source, song->open_offset, song->open_length, song->open_mode, bytes))
        return sound_set_error(SOUND_ERR_NO_FILE), 0;
    // The loader sets its own error on failure; on success the last error is
    // left as it was (the worker thread must not leave one behind).
    const int before = g_sound_error.load();
    if (!xm_load(song, bytes.data(), bytes.size())) {
        if (g_sound_error.load() == before) sound_set_error(SOUND_ERR_FORMAT);
        return 0;
    }
    sound_set_error(before);
    if (song->open_mode & SONG_MODE_LOOP) song->looping = true;
    if (song->open_mode & SONG_MODE_NO_LOOP) song->looping = false;
    song->loaded.store(true, std::memory_order_release);
    return 1;
}

MusicSong* music_load_song_ex(const void* source, int offset, int length, uint32_t mode, const int*, int) {
    sound_clear_error();
    if (!sound_system().initialised) return sound_set_error(SOUND_ERR_NOT_READY), nullptr;
    if (!source) return sound_set_error(SOUND_ERR_NO_FILE), nullptr;
    MusicSong* song = music_alloc_song();
    if (!song) return nullptr;
    if (mode & SONG_MODE_MEMORY) song->open_memory = source;
    else std::snprintf(song->open_name, sizeof song->open_name, "%s", static_cast<const char*>(source));
    song->open_offset = offset;
    song->open_length = length;
    song->open_mode = mode & ~uint32_t(SONG_MODE_ASYNC_OPEN);
    if (mode & SONG_MODE_ASYNC_OPEN) {
        if (async_open_queue_song(song)) return song;
    } else if (music_load_song_internal(song)) {
        return song;
    }
    const int code = g_sound_error.load();
    music_free_song(song);
    sound_set_error(code ? code : SOUND_ERR_FORMAT);
    return nullptr;
}

void music_song_free_contents(MusicSong* song) {
    // Only the song's own samples: a sample handed in by music_set_sample,
    // or the dummy, belongs to someone else.
    auto free_owned = [](SoundSample* s) {
        if (s && s != music_dummy_sample() && s->song_owned) sample_free(s);
    };
    for (int i = 0; song->samples && i < song->sample_count; ++i) {
        SoundSample* s = song->samples[i];
        song->samples[i] = nullptr;
        free_owned(s);
    }
    for (SoundSample* s : song->replaced_samples) free_owned(s);
    song->replaced_samples.clear();
    SOUND_FREE(song->samples);
    if (song->patterns)
        for (int i = 0; i < song->patterns_allocated; ++i) SOUND_FREE(song->patterns[i].notes);
    SOUND_FREE(song->patterns);
    SOUND_FREE(song->instruments);
    SOUND_FREE(song->channels);
    song->samples = nullptr;
    song->patterns = nullptr;
    song->instruments = nullptr;
    song->channels = nullptr;
}

int music_free_song(MusicSong* song) {
    sound_clear_error();
    if (!song) return sound_set_error(SOUND_ERR_PARAM), 0;
    if (song->freeing) return 1;  // called again by one of its last callbacks
    if (sound_inside_mix() && g_walking_songs) {
        // A callback of the music unit: the walk still holds this song (or
        // the next one); it goes silent now and is freed after the walk.
        song->free_requested = true;
        return music_stop_song(song);
    }
    song->freeing = true;
    async_open_cancel(song);
    music_stop_song(song);
    {
        SongChangeGuard guard;
        list_unlink(song);
    }
    // Out of the list, so the mixer no longer runs it: what is still queued
    // is called now, the last moment the song exists.
    music_run_due_callbacks(song, INT64_MAX);
    music_song_free_contents(song);
    music_free_callbacks(song);
    SOUND_FREE(song->position_ring);
    song->~MusicSong();
    SOUND_FREE(song);
    return 1;
}

int music_set_tempo(MusicSong* song, int tempo) {
    if (!song) return 0;
    tempo = std::max(tempo, 1);
    song->tempo = tempo;
    // 64-bit: large tempos and scales overflow 32 bits; a divisor of 0 keeps
    // the old tick length, and a tick is never shorter than one frame.
    const uint64_t divisor = ((uint64_t(tempo) * 512 / 5) * uint64_t(song->speed_scale)) / 256;
    if (divisor == 0) return 1;
    const uint64_t length = uint64_t(sound_system().mix_rate) * 256 / divisor;
    song->samples_per_tick = int(std::clamp<uint64_t>(length, 1, 1u << 30));
    return 1;
}

int music_play_song(MusicSong* song) {
    sound_clear_error();
    if (!usable(song)) return 0;
    if (!sound_system().mixer) return sound_set_error(SOUND_ERR_NOT_READY), 0;
    music_stop_song(song);
    SongChangeGuard guard;
    song->paused = false;
    song->global_volume = song->default_global_volume;
    song->speed = song->default_speed;
    song->row = song->order = song->tick = song->pattern_delay = 0;
    song->next_row = song->next_order = 0;
    song->advance = false;
    song->pending_order = song->pending_row = -1;
    song->elapsed = 0;
    song->finished = false;
    song->samples_left = 0;
    music_clear_callbacks(song);
    for (int i = 0; i < song->ring_entries; ++i) song->position_ring[i].store(0, std::memory_order_relaxed);
    song->ring_written.store(song->ring_entries - 1, std::memory_order_relaxed);
    song->ring_latest_ms.store(0, std::memory_order_relaxed);
    music_set_tempo(song, song->default_tempo);
    for (int c = 0; c < song->channel_count; ++c) {
        SongChannel& ch = song->channels[c];
        ch = SongChannel();
        ch.entry.pan = song->default_pans[c];
        ch.entry.volume = song->default_volumes[c];
    }
    song->playing = true;
    return 1;
}

int music_stop_song(MusicSong* song) {
    sound_clear_error();
    if (!song) return sound_set_error(SOUND_ERR_PARAM), 0;
    // A song not loaded (or still loading) has never taken a channel.
    if (!song->loaded.load(std::memory_order_acquire)) return 1;
    // Inside the mix (a song that ended in the non-real-time output) the
    // chain lock is already held and nothing else mixes: no waiting.
    SongChangeGuard guard;
    song->playing = false;
    song->finished = true;
    for (int c = 0; c < song->channel_count; ++c) music_release_channel(song->channels[c]);
    return 1;
}

void music_stop_all_songs() {
    for_each_song([](MusicSong* song) { music_stop_song(song); });
}

int music_set_order(MusicSong* song, int order) {
    sound_clear_error();
    if (!usable(song)) return 0;
    SongChangeGuard guard;
    song->pending_order = std::clamp(order, 0, song->order_count - 1);
    song->pending_row = 0;
    return 1;
}

int music_set_paused(MusicSong* song, int paused) {
    if (!usable(song)) return 0;
    SongChangeGuard guard;
    song->paused = paused != 0;
    for (int c = 0; c < song->channel_count; ++c)
        if (song->channels[c].has_channel) channel_set_paused(song->channels[c].entry.handle, paused != 0);
    return 1;
}

int music_get_paused(MusicSong* song) { return usable(song) ? song->paused.load() : 0; }

int music_set_master_volume(MusicSong* song, int volume) {
    if (!usable(song)) return 0;
    SongChangeGuard guard;
    song->master_volume = std::clamp(volume, 0, 256);
    return 1;
}

namespace {
// Float to a 1/256 fixed-point setting, clamped while still a float (NaN -> 0).
int scaled_setting(float value, int max) {
    float scaled = value * 256.0f;
    if (std::isnan(scaled)) scaled = 0.0f;
    return int(std::clamp(scaled, 0.0f, float(max)));
}
}  // namespace

int music_set_master_speed(MusicSong* song, float speed) {
    if (!usable(song)) return 0;
    SongChangeGuard guard;
    song->speed_scale = scaled_setting(speed, 2560);
    return music_set_tempo(song, song->tempo);
}

int music_set_pan_separation(MusicSong* song, float separation) {
    if (!usable(song)) return 0;
    SongChangeGuard guard;
    song->pan_separation = scaled_setting(separation, 256);
    return 1;
}

int music_set_looping(MusicSong* song, int looping) {
    if (!usable(song)) return 0;
    SongChangeGuard guard;
    song->looping = looping != 0;
    return 1;
}

int music_set_user_data(MusicSong* song, intptr_t data) {
    if (!usable(song)) return 0;
    song->user_data = data;
    return 1;
}

intptr_t music_get_user_data(MusicSong* song) { return usable(song) ? song->user_data : 0; }

int music_set_channel_limit(MusicSong* song, int limit, int threshold) {
    if (!usable(song)) return 0;
    SongChangeGuard guard;
    song->channel_limit = std::max(limit, 0);
    song->volume_threshold = std::max(threshold, 0);
    return 1;
}

int music_set_sample(MusicSong* song, int index, SoundSample* sample) {
    sound_clear_error();
    if (!usable(song) || index < 0 || !sample) return sound_set_error(SOUND_ERR_PARAM), 0;
    SongChangeGuard guard;
    if (index >= song->sample_count) {
        auto* list = static_cast<SoundSample**>(SOUND_CALLOC(sizeof(SoundSample*) * size_t(index + 1)));
        if (!list) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
        std::copy(song->samples, song->samples + song->sample_count, list);
        SOUND_FREE(song->samples);
        song->samples = list;
        song->sample_count = index + 1;
    }
    SoundSample* old = song->samples[index];
    if (old) {
        sample->finetune = old->finetune;
        sample->relative_note = old->relative_note;
        sample->c2_rate = old->c2_rate;
        for (int i = 0; i < song->instrument_count; ++i)
            for (SoundSample*& s : song->instruments[i].samples)
                if (s == old) s = sample;
        for (int c = 0; c < song->channel_count; ++c)
            if (song->channels[c].entry.sample == old) song->channels[c].entry.sample = sample;
        if (old != music_dummy_sample() && old->song_owned) song->replaced_samples.push_back(old);
    }
    song->samples[index] = sample;
    return 1;
}

int music_get_open_state(MusicSong* song) {
    sound_clear_error();
    if (!song) return sound_set_error(SOUND_ERR_PARAM), -1;
    if (song->open_failed.load(std::memory_order_acquire)) return -3;
    return song->loaded.load(std::memory_order_acquire) ? 0 : -2;
}

const char* music_get_name(MusicSong* song) { return usable(song) ? song->name : nullptr; }
int music_get_type(MusicSong* song) { return song && song->loaded ? song->type : 0; }
int music_is_finished(MusicSong* song) { return usable(song) ? song->finished.load() : -1; }
int music_is_playing(MusicSong* song) { return usable(song) ? song->playing.load() : -1; }
int music_get_num_orders(MusicSong* song) { return usable(song) ? song->order_count : -1; }
int music_get_num_patterns(MusicSong* song) { return usable(song) ? song->pattern_count : -1; }
int music_get_num_instruments(MusicSong* song) { return usable(song) ? song->instrument_count : -1; }
int music_get_num_samples(MusicSong* song) { return usable(song) ? song->sample_count : -1; }
int music_get_num_channels(MusicSong* song) { return usable(song) ? song->channel_count : -1; }
int music_get_master_volume(MusicSong* song) { return usable(song) ? song->master_volume : -1; }
namespace {
// Values the mixer changes as it plays the song are read under the chain
// lock, which it holds while it mixes (positions as heard come from the ring).
template <typename F>
int read_while_not_mixing(MusicSong* song, F read) {
    if (!usable(song)) return -1;
    SoundLockGuard chain(sound_system().dsp_lock);
    return read(*song);
}
}  // namespace

int music_get_global_volume(MusicSong* song) {
    return read_while_not_mixing(song, [](const MusicSong& s) { return s.global_volume; });
}
int music_get_speed(MusicSong* song) {
    return read_while_not_mixing(song, [](const MusicSong& s) { return s.speed; });
}
int music_get_tempo(MusicSong* song) {
    return read_while_not_mixing(song, [](const MusicSong& s) { return s.tempo; });
}
namespace {
// The ring entry of the block the output plays now.
SongPosition audible(MusicSong* song) {
    const int written = song->ring_written.load(std::memory_order_acquire);
    return SongPosition::unpack(song->position_ring[(written + 1) % song->ring_entries].load(std::memory_order_relaxed));
}
}  // namespace

int music_get_current_pattern(MusicSong* song) {
    if (!usable(song)) return -1;
    if (song->position_ring) return audible(song).order;
    return read_while_not_mixing(song, [](const MusicSong& s) { return s.order; });
}

int music_get_current_row(MusicSong* song) {
    if (!usable(song)) return -1;
    if (song->position_ring) return audible(song).row;
    return read_while_not_mixing(song, [](const MusicSong& s) { return s.row; });
}

int music_get_elapsed_ms(MusicSong* song) {
    if (!usable(song)) return -1;
    if (!song->position_ring) {
        return read_while_not_mixing(song,
                                     [](const MusicSong& s) { return int(std::min<int64_t>(s.elapsed >> 8, INT32_MAX)); });
    }
    // The entry keeps 24 bits of milliseconds; the whole value comes from the
    // latest entry, less the distance between the two.
    const int64_t latest = song->ring_latest_ms.load(std::memory_order_relaxed);
    const uint32_t behind = (uint32_t(latest) - audible(song).ms24) & 0xFFFFFF;
    return int(std::clamp<int64_t>(latest - behind, 0, INT32_MAX));
}

int music_get_current_pattern_number(MusicSong* song) {
    return read_while_not_mixing(song, [](const MusicSong& s) { return int(s.orders[s.order]); });
}

SoundSample* music_get_sample(MusicSong* song, int index) {
    if (!usable(song)) return nullptr;
    if (index < 0 || index >= song->sample_count) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    return song->samples[index];
}

int music_get_pattern_length(MusicSong* song, int order) {
    if (!usable(song)) return -1;
    if (order < 0 || order >= song->order_count) return sound_set_error(SOUND_ERR_PARAM), -1;
    return song->patterns[song->orders[order]].rows;
}

int music_get_channel_handle(MusicSong* song, int channel) {
    if (!usable(song)) return -1;
    if (channel < 0 || channel >= song->channel_count) return sound_set_error(SOUND_ERR_PARAM), -1;
    return song->channels[channel].has_channel ? song->channels[channel].entry.handle : -1;
}
