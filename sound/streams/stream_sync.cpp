// Sync points of a stream: kept in offset order (a new point goes after the
// points with the same offset), added by the caller or taken from a WAV
// file's cue points and labels.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "sound/streams/sound_stream.h"
#include "sound/streams/stream_cue_sink.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"
#include "sound/system/sound_thread.h"

namespace {

SyncPoint* insert_point(SoundStream* s, uint32_t id, int offset, const char* name) {
    void* memory = SOUND_CALLOC(sizeof(SyncPoint));
    if (!memory) return sound_set_error(SOUND_ERR_NO_MEMORY), nullptr;
    auto* point = new (memory) SyncPoint();
    point->owner = s;
    point->id = id;
    point->offset = offset;
    std::snprintf(point->name, sizeof point->name, "%s", name ? name : "");
    SoundLockGuard sync(stream_sync_lock());
    auto where = std::upper_bound(s->sync_points.begin(), s->sync_points.end(), offset,
                                  [](int o, const SyncPoint* p) { return o < p->offset; });
    const int index = int(where - s->sync_points.begin());
    s->sync_points.insert(where, point);
    // A point inserted before the cursor has been passed already.
    if (index < s->sync_cursor) ++s->sync_cursor;
    return point;
}

void free_point(SyncPoint* point) {
    point->~SyncPoint();
    SOUND_FREE(point);
}

}  // namespace

void StreamCueSink::clear() { free_all(); }

void StreamCueSink::add(uint32_t cue_id, uint32_t sample_offset) {
    insert_point(stream_, cue_id, int(std::min<uint32_t>(sample_offset, INT32_MAX)), "");
}

void StreamCueSink::set_name(uint32_t cue_id, int, const char* name) {
    SoundLockGuard sync(stream_sync_lock());
    for (SyncPoint* p : stream_->sync_points)
        if (p->id == cue_id) std::snprintf(p->name, sizeof p->name, "%s", name);
}

void StreamCueSink::free_all() { stream_free_syncpoints(stream_); }

void stream_free_syncpoints(SoundStream* s) {
    std::vector<SyncPoint*> points;
    {
        SoundLockGuard sync(stream_sync_lock());
        points.swap(s->sync_points);
        s->sync_cursor = 0;
    }
    for (SyncPoint* p : points) free_point(p);
}

void stream_sync_cursor_to(SoundStream* s, int64_t frame) {
    SoundLockGuard sync(stream_sync_lock());
    s->sync_cursor = 0;
    while (s->sync_cursor < int(s->sync_points.size()) && s->sync_points[size_t(s->sync_cursor)]->offset < frame)
        ++s->sync_cursor;
}

SyncPoint* stream_add_syncpoint(SoundStream* s, int offset, const char* name) {
    sound_clear_error();
    if (!s || offset < 0 || offset >= s->length_frames) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    return insert_point(s, 0, offset, name);
}

int stream_delete_syncpoint(SyncPoint* point) {
    sound_clear_error();
    if (!point || !point->owner) return sound_set_error(SOUND_ERR_PARAM), 0;
    SoundStream* s = point->owner;
    {
        SoundLockGuard sync(stream_sync_lock());
        auto it = std::find(s->sync_points.begin(), s->sync_points.end(), point);
        if (it == s->sync_points.end()) return sound_set_error(SOUND_ERR_PARAM), 0;
        if (int(it - s->sync_points.begin()) < s->sync_cursor) --s->sync_cursor;
        s->sync_points.erase(it);
    }
    free_point(point);
    return 1;
}

int stream_get_num_syncpoints(SoundStream* s) {
    sound_clear_error();
    if (!s) return sound_set_error(SOUND_ERR_PARAM), -1;
    SoundLockGuard sync(stream_sync_lock());
    return int(s->sync_points.size());
}

SyncPoint* stream_get_syncpoint(SoundStream* s, int index) {
    sound_clear_error();
    if (!s) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    SoundLockGuard sync(stream_sync_lock());
    if (index < 0 || index >= int(s->sync_points.size())) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    return s->sync_points[size_t(index)];
}

const char* stream_get_syncpoint_info(SyncPoint* point, int* offset) {
    sound_clear_error();
    if (!point) return sound_set_error(SOUND_ERR_PARAM), nullptr;
    if (offset) *offset = point->offset;
    return point->name;
}
