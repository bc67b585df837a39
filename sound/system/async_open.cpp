#include "sound/system/async_open.h"

#include <atomic>
#include <deque>
#include <mutex>

#include "sound/music/music_song.h"
#include "sound/streams/sound_stream.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

constexpr int kWorkerSleepMs = 50;

struct OpenRequest {
    SoundStream* stream = nullptr;
    MusicSong* song = nullptr;
    const void* target() const { return stream ? static_cast<const void*>(stream) : song; }
};

// The queue has its own lock: the game thread adds while the worker takes.
struct AsyncOpen {
    std::mutex lock;
    std::deque<OpenRequest> queue;
    const void* in_progress = nullptr;  // guarded by lock
    SoundThread* worker = nullptr;
    std::atomic<bool> stop{false};
};

AsyncOpen g_async;

void serve(const OpenRequest& r) {
    if (r.stream) {
        const bool ok = stream_open_internal(r.stream) != 0;
        (ok ? r.stream->ready : r.stream->open_failed).store(true, std::memory_order_release);
    } else {
        if (!music_load_song_internal(r.song)) r.song->open_failed.store(true, std::memory_order_release);
    }
}

// Takes the next request and marks it in progress; false when none is queued.
bool take_next(OpenRequest& r) {
    std::lock_guard guard(g_async.lock);
    if (g_async.queue.empty()) return false;
    r = g_async.queue.front();
    g_async.queue.pop_front();
    g_async.in_progress = r.target();
    return true;
}

void done_with_request() {
    std::lock_guard guard(g_async.lock);
    g_async.in_progress = nullptr;
}

void worker(void*) {
    while (!g_async.stop.load(std::memory_order_acquire)) {
        OpenRequest r;
        while (!g_async.stop.load(std::memory_order_acquire) && take_next(r)) {
            serve(r);
            done_with_request();
        }
        sound_sleep(kWorkerSleepMs);
    }
}

int queue(const OpenRequest& r) {
    {
        std::lock_guard guard(g_async.lock);
        g_async.queue.push_back(r);
    }
    if (!g_async.worker && !sound_is_nonrealtime()) {
        g_async.stop.store(false);
        g_async.worker = sound_thread_create(worker, nullptr, 0);
        if (!g_async.worker) {
            async_open_cancel(r.target());
            return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
        }
    }
    return 1;
}

}  // namespace

int async_open_queue_stream(SoundStream* stream) { return queue({stream, nullptr}); }
int async_open_queue_song(MusicSong* song) { return queue({nullptr, song}); }

void async_open_cancel(const void* target) {
    for (;;) {
        {
            std::lock_guard guard(g_async.lock);
            for (auto it = g_async.queue.begin(); it != g_async.queue.end(); ++it)
                if (it->target() == target) {
                    g_async.queue.erase(it);
                    return;
                }
            if (g_async.in_progress != target) return;
        }
        sound_sleep(1);
    }
}

void async_open_serve_queue() {
    if (g_async.worker) return;
    OpenRequest r;
    while (take_next(r)) {
        serve(r);
        done_with_request();
    }
}

void async_open_stop() {
    g_async.stop.store(true, std::memory_order_release);
    if (g_async.worker) sound_thread_join(g_async.worker);
    g_async.worker = nullptr;
    async_open_reset();
}

void async_open_reset() {
    std::lock_guard guard(g_async.lock);
    g_async.queue.clear();
    g_async.in_progress = nullptr;
    g_async.stop.store(false);
}
