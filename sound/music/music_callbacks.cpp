// Song callbacks: rows, orders, Zxx effects and instruments. The player reads
// a row about one output buffer before it is heard, so each event is queued
// with the time at which it will be heard and called once the song's clock
// reaches it (both on the mixer thread). Every queued event is called once:
// a stopped or ended song still plays out of the output buffer, so its clock
// keeps following the output until the queue is empty; freeing a song calls
// what is left at once, before the song goes.
#include <algorithm>
#include <new>

#include "sound/music/music_song.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

bool tracks_positions() { return !(sound_system().init_flags & SOUND_INIT_MUSIC_FLAG); }

// How far the mixer runs ahead of what is heard, less the block being mixed.
int64_t heard_delay() {
    const SoundSystem& s = sound_system();
    const int rate = std::max(s.mix_rate, 1);
    return int64_t(s.buffer_samples) * 256000 / rate - int64_t(s.block_samples) * 256000 / rate;
}

SongCallbackQueue* new_queue() {
    void* memory = SOUND_CALLOC(sizeof(SongCallbackQueue));
    return memory ? new (memory) SongCallbackQueue() : nullptr;
}

void delete_queue(SongCallbackQueue*& q) {
    if (!q) return;
    q->~SongCallbackQueue();
    SOUND_FREE(q);
    q = nullptr;
}

int set_queue(MusicSong* song, SongCallbackQueue*& slot, MusicCallback callback, int parameter) {
    sound_clear_error();
    if (!song || !song->loaded) return sound_set_error(SOUND_ERR_PARAM), 0;
    SoundLockGuard chain(sound_system().dsp_lock);
    if (!slot && !(slot = new_queue())) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    slot->clear();
    slot->callback = callback;
    slot->parameter = std::max(parameter, 1);
    return 1;
}

template <typename F>
void for_each_queue(MusicSong* song, F f) {
    f(song->row_callback);
    f(song->order_callback);
    f(song->zxx_callback);
    for (SongCallbackQueue*& q : song->instrument_callbacks) f(q);
}

}  // namespace

int music_set_row_callback(MusicSong* song, MusicCallback callback, int interval) {
    if (!song) return sound_set_error(SOUND_ERR_PARAM), 0;
    return set_queue(song, song->row_callback, callback, interval);
}

int music_set_order_callback(MusicSong* song, MusicCallback callback, int interval) {
    if (!song) return sound_set_error(SOUND_ERR_PARAM), 0;
    return set_queue(song, song->order_callback, callback, interval);
}

int music_set_zxx_callback(MusicSong* song, MusicCallback callback) {
    if (!song) return sound_set_error(SOUND_ERR_PARAM), 0;
    return set_queue(song, song->zxx_callback, callback, 1);
}

int music_set_instrument_callback(MusicSong* song, MusicCallback callback, int instrument) {
    if (!song || instrument < 0 || instrument > 255) return sound_set_error(SOUND_ERR_PARAM), 0;
    return set_queue(song, song->instrument_callbacks[instrument], callback, 1);
}

void music_queue_callback(MusicSong* song, SongCallbackQueue* q, intptr_t value) {
    if (!q || !q->callback) return;
    if ((q == song->row_callback || q == song->order_callback) && value % q->parameter != 0) return;
    if (!tracks_positions()) {
        q->callback(song, value, q->parameter);
        return;
    }
    q->stamps[q->write] = song->elapsed + heard_delay();
    q->values[q->write] = value;
    q->write = (q->write + 1) % SongCallbackQueue::kSize;
}

namespace {
// The queue whose next event is heard first among those due by `clock`.
SongCallbackQueue* next_due(MusicSong* song, int64_t clock) {
    SongCallbackQueue* first = nullptr;
    for_each_queue(song, [&first, clock](SongCallbackQueue* q) {
        if (!q) return;
        const int64_t stamp = q->stamps[q->read];
        if (stamp != -1 && stamp <= clock && (!first || stamp < first->stamps[first->read])) first = q;
    });
    return first;
}
}  // namespace

void music_run_due_callbacks(MusicSong* song, int64_t clock) {
    // Each entry is emptied before its callback runs, and the queues are
    // looked at afresh after it: a callback may replay, stop or reset the song.
    while (SongCallbackQueue* q = next_due(song, clock)) {
        const intptr_t value = q->values[q->read];
        q->stamps[q->read] = -1;
        q->read = (q->read + 1) % SongCallbackQueue::kSize;
        if (q->callback) q->callback(song, value, q->parameter);
    }
}

bool music_callbacks_pending(MusicSong* song) {
    bool pending = false;
    for_each_queue(song, [&pending](SongCallbackQueue* q) { pending = pending || (q && q->stamps[q->read] != -1); });
    return pending;
}

void music_clear_callbacks(MusicSong* song) {
    for_each_queue(song, [](SongCallbackQueue* q) {
        if (q) q->clear();
    });
}

void music_free_callbacks(MusicSong* song) {
    for_each_queue(song, [](SongCallbackQueue*& q) { delete_queue(q); });
}
