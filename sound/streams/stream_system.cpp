// The stream system: the list of playing streams, the stream thread that
// refills them every 10 ms, and the stream DSP unit that follows what the
// output plays so that sync points fire when they are heard.
//
// Locks: the stream section is held while streams are refilled, started or
// stopped; the sync section guards the list, the halves' segments, the
// heard-position history and the sync points. Order: chain, stream, sync,
// channel allocation, mixer. Callbacks run with neither section held.
#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "sound/mixer/channel.h"
#include "sound/mixer/mixer.h"
#include "sound/streams/sound_stream.h"
#include "sound/system/async_open.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

constexpr int kStreamPollMs = 10;
constexpr int kStreamDspPriority = 150;  // after the effects unit has mixed the block

struct StreamSystem {
    ListNode streams;
    SoundThread* thread = nullptr;
    std::atomic<std::thread::id> thread_id{};
    std::atomic<bool> stop{false};
    SoundLock* lock = nullptr;
    SoundLock* sync_lock = nullptr;
    DspUnit* dsp_unit = nullptr;
    std::atomic<bool> streaming{false};
    std::atomic<int> buffer_ms{kStreamDefaultBufferMs};
    bool running = false;
};

StreamSystem g_streams;

SoundStream* as_stream(ListNode* n) { return static_cast<SoundStream*>(n); }

void stream_thread(void*) {
    g_streams.thread_id.store(std::this_thread::get_id());
    while (!g_streams.stop.load(std::memory_order_acquire)) {
        std::this_thread::yield();
        stream_update(kStreamPollMs);
        sound_sleep(kStreamPollMs);
    }
}

// The source frame under a position of the stream sample.
StreamHeard frame_at(const SoundStream& s, int sample_position) {
    StreamHeard at;
    if (s.half_frames <= 0 || sample_position < 0) return at;
    const int half = std::min(sample_position / s.half_frames, 1);
    const int offset = sample_position - half * s.half_frames;
    const StreamHalf& h = s.halves[half];
    for (int i = h.count - 1; i >= 0; --i) {
        if (h.segments[i].offset <= offset) {
            const int64_t advance = h.segments[i].silent ? 0 : offset - h.segments[i].offset;
            at.frame = std::min(h.segments[i].source_frame + advance, s.length_frames);
            at.loops = h.segments[i].loops;
            at.valid = true;
            break;
        }
    }
    return at;
}

// A point's name and offset are copied: an earlier callback may delete the
// point before a later one runs.
struct DueSync {
    SoundStream* stream;
    StreamSyncFn callback;
    intptr_t user_data;
    std::string name;
    int offset;
};

// Collects the points from the cursor on up to source frame `frame`.
void collect_points(SoundStream& s, int64_t frame, std::vector<DueSync>& due) {
    while (s.sync_cursor < int(s.sync_points.size()) && s.sync_points[size_t(s.sync_cursor)]->offset <= frame) {
        const SyncPoint& p = *s.sync_points[size_t(s.sync_cursor)];
        if (s.sync_callback) due.push_back({&s, s.sync_callback, s.sync_user_data, p.name, p.offset});
        ++s.sync_cursor;
    }
}

void cursor_to_loop_start(SoundStream& s) {
    s.sync_cursor = 0;
    while (s.sync_cursor < int(s.sync_points.size()) && s.sync_points[size_t(s.sync_cursor)]->offset < s.loop_start)
        ++s.sync_cursor;
}

// Moves the sync cursor to the position now heard, collecting the points
// passed on the way.
void pass_points(SoundStream& s, const StreamHeard& heard, std::vector<DueSync>& due) {
    s.heard = heard;
    if (heard.loops > s.sync_loops) {
        // The pass heard last played on to the loop end after its last
        // block: its points up to there were heard too; so were those of
        // passes that began and ended within one block.
        collect_points(s, s.loop_end, due);
        for (int pass = s.sync_loops + 1; pass < heard.loops; ++pass) {
            cursor_to_loop_start(s);
            collect_points(s, s.loop_end, due);
        }
    }
    if (heard.loops != s.sync_loops) {
        // A new pass over the loop: the points from the loop start on are due again.
        s.sync_loops = heard.loops;
        cursor_to_loop_start(s);
    }
    collect_points(s, heard.frame, due);
}

// Records where the stream is as this block is mixed, takes the entry mixed
// one output buffer ago as the position heard now, and collects the sync
// points it has reached.
void follow_stream(SoundStream& s, std::vector<DueSync>& due) {
    if (s.history.empty() || channel_get_paused(s.channel) == 1) return;
    const StreamHeard now = frame_at(s, channel_get_position(s.channel));
    StreamHeard& slot = s.history[size_t(s.history_index)];
    const StreamHeard heard = slot;
    slot = now;
    s.history_index = (s.history_index + 1) % int(s.history.size());
    if (heard.valid) pass_points(s, heard, due);
}

void call_syncs(const std::vector<DueSync>& due) {
    for (const DueSync& d : due) d.callback(d.stream, d.name.c_str(), d.offset, d.user_data);
}

void* stream_dsp_callback(void*, void* buffer, int, void*) {
    std::vector<DueSync> due;
    {
        SoundLockGuard sync(g_streams.sync_lock);
        for (ListNode* n = g_streams.streams.next; n != &g_streams.streams; n = n->next) follow_stream(*as_stream(n), due);
    }
    // Called with the sync section released: a callback may stop its stream.
    call_syncs(due);
    return buffer;
}

bool channel_runs(const SoundStream& s) {
    return s.channel >= 0 && channel_is_playing(s.channel) == 1 && channel_get_frequency(s.channel) > 0;
}

void refill_if_due(SoundStream& s) {
    if ((!s.fill && !s.file) || s.suspended.load() || !channel_runs(s) || s.half_frames <= 0) return;
    const int play_half = std::min(channel_get_position(s.channel) / s.half_frames, 1);
    if (play_half == s.next_half) return;
    stream_fill_half(&s, s.next_half);
    s.next_half ^= 1;
}

void count_down_end(SoundStream& s, int elapsed_ms) {
    if (s.end_countdown < 0 || channel_get_paused(s.channel) == 1) return;
    s.end_countdown -= int64_t(elapsed_ms) * 256;
    if (s.end_countdown <= 0) {
        s.end_countdown = -1;
        s.ended = true;
    }
}

int start_streams() { return stream_system_init(); }
void stop_streams() { stream_system_close(); }

void update_streams(int elapsed_ms) {
    // Without threads (non-real-time output) each update is the stream
    // thread's pass and the asynchronous-open worker's.
    async_open_serve_queue();
    stream_update(elapsed_ms);
}

}  // namespace

SoundLock* stream_lock() { return g_streams.lock; }
SoundLock* stream_sync_lock() { return g_streams.sync_lock; }
DspUnit* stream_get_dsp_unit() { return g_streams.dsp_unit; }
int stream_buffer_ms() { return g_streams.buffer_ms.load(); }

bool stream_on_stream_thread() { return g_streams.thread && std::this_thread::get_id() == g_streams.thread_id.load(); }

void stream_system_attach() {
    SoundLayerHooks& h = sound_layer_hooks();
    h.streams_start = start_streams;
    h.streams_stop = stop_streams;
    h.streams_update = update_streams;
    h.async_open_stop = async_open_stop;
}

int stream_system_init() {
    SoundSystem& sys = sound_system();
    StreamSystem& st = g_streams;
    list_clear(st.streams);
    st.lock = sound_crit_create();
    st.sync_lock = sound_crit_create();
    st.stop.store(false);
    st.running = true;
    if (sys.mixer) {
        st.dsp_unit = dsp_create_unit(stream_dsp_callback, kStreamDspPriority, nullptr);
        if (!st.dsp_unit) return 0;
        dsp_set_active(st.dsp_unit, 1);
    }
    if (!(sys.init_flags & SOUND_INIT_UPDATE_DRIVES)) {
        st.thread = sound_thread_create(stream_thread, nullptr, 0);
        if (!st.thread) return sound_set_error(SOUND_ERR_NO_MEMORY), 0;
    }
    return 1;
}

void stream_system_close() {
    StreamSystem& st = g_streams;
    if (!st.running) return;
    st.stop.store(true, std::memory_order_release);
    if (st.thread) sound_thread_join(st.thread);
    st.thread = nullptr;
    st.thread_id.store({});
    if (st.dsp_unit) dsp_free_unit(st.dsp_unit);
    st.dsp_unit = nullptr;
    // Closing a stream frees its sample: the streams stay open for their
    // owners, but none plays any more.
    while (!list_empty(st.streams)) stream_stop(as_stream(st.streams.next));
    sound_crit_destroy(st.sync_lock);
    sound_crit_destroy(st.lock);
    st.lock = st.sync_lock = nullptr;
    st.running = false;
}

void stream_update(int elapsed_ms) {
    struct EndCall {
        SoundStream* stream;
        StreamEndFn callback;
        intptr_t user_data;
    };
    std::vector<EndCall> ends;
    std::vector<DueSync> last_syncs;
    {
        SoundLockGuard guard(g_streams.lock);
        g_streams.streaming.store(true);
        ListNode& head = g_streams.streams;
        // The next node is taken first: stopping a stream unlinks it.
        for (ListNode* n = head.next; n != &head;) {
            ListNode* next = n->next;
            SoundStream& s = *as_stream(n);
            refill_if_due(s);
            count_down_end(s, elapsed_ms);
            if (s.ended) {
                {
                    // Everything up to the last frame (the loop end, where
                    // the last pass stopped) has been heard, also the points
                    // the output passed since the last block was followed.
                    SoundLockGuard sync(g_streams.sync_lock);
                    if (!s.user_stream) pass_points(s, {s.loop_end, s.loops_done, true}, last_syncs);
                }
                stream_stop_ex(&s, false);
                if (s.end_callback) ends.push_back({&s, s.end_callback, s.end_user_data});
            }
            n = next;
        }
        g_streams.streaming.store(false);
    }
    // With the stream section released, so that a callback may close its stream.
    call_syncs(last_syncs);
    for (const EndCall& e : ends) e.callback(e.stream, e.user_data);
}

void stream_link(SoundStream* stream) {
    SoundLockGuard sync(g_streams.sync_lock);
    list_append(g_streams.streams, stream);
    std::fill(stream->history.begin(), stream->history.end(), StreamHeard{});
    stream->history_index = 0;
}

bool stream_system_running() { return g_streams.running; }

int stream_set_buffer_size(int ms) {
    sound_clear_error();
    if (ms < kStreamMinBufferMs) return sound_set_error(SOUND_ERR_PARAM), 0;
    g_streams.buffer_ms.store(ms);
    return 1;
}
