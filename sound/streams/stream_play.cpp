// Playing, stopping and seeking streams, and their settings and queries.
#include <algorithm>

#include "sound/files/sound_file.h"
#include "sound/mixer/channel.h"
#include "sound/samples/sample_load.h"
#include "sound/samples/sound_sample.h"
#include "sound/streams/sound_stream.h"
#include "sound/streams/stream_cue_sink.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

bool usable(SoundStream* s) {
    if (!s || !s->ready.load() || s->closing) {
        sound_set_error(SOUND_ERR_PARAM);
        return false;
    }
    return true;
}

int64_t ms_to_frames(const SoundStream& s, int64_t ms) { return ms * s.rate / 1000; }

// Where the stream is heard now: the history when the mixer keeps one, else
// the next frame to be read.
int64_t heard_frame(const SoundStream& s) {
    SoundLockGuard sync(stream_sync_lock());
    return s.heard.valid ? s.heard.frame : s.position;
}

int start_channel(SoundStream* s, int channel, DspUnit* unit) {
    const int handle = channel_play_sound_ex(channel, s->sample, unit, 1);
    if (handle < 0) {
        sound_set_error(SOUND_ERR_START);
        return -1;
    }
    return handle;
}

// Seeks to a source frame while the channel is held: the stream is
// suspended and re-primed from there, and the channel starts the sample again.
int seek_to(SoundStream* s, int64_t frame) {
    SoundLockGuard guard(stream_lock());
    const int was_paused = s->channel >= 0 ? channel_get_paused(s->channel) : 1;
    if (s->channel >= 0) channel_set_paused(s->channel, 1);
    s->suspended.store(true);
    stream_seek_source(s, frame);
    stream_sync_cursor_to(s, s->position);
    if (s->playing) {
        {
            SoundLockGuard sync(stream_sync_lock());
            std::fill(s->history.begin(), s->history.end(), StreamHeard{});
            s->heard = {s->position, s->loops_done, true};
        }
        stream_prime(s);
        channel_set_position(s->channel, 0);
    } else {
        s->needs_priming = true;
        s->resume_frame = s->position;
    }
    s->suspended.store(false);
    if (s->channel >= 0) channel_set_paused(s->channel, was_paused);
    return 1;
}

}  // namespace

int stream_play(int channel, SoundStream* stream) { return stream_play_ex(channel, stream, nullptr, 0); }

int stream_play_ex(int channel, SoundStream* s, DspUnit* unit, int paused) {
    sound_clear_error();
    if (!sound_system().initialised || !stream_system_running()) return sound_set_error(SOUND_ERR_NOT_READY), -1;
    if (!usable(s)) return -1;
    if (!s->playing) {
        // Not in the list yet: the stream thread does not touch it.
        if (s->needs_priming) {
            const int64_t from = s->start_position >= 0 ? s->start_position : s->ended ? 0 : s->resume_frame;
            s->start_position = -1;
            s->loops_done = 0;
            stream_seek_source(s, from);
            stream_sync_cursor_to(s, s->position);
            stream_prime(s);
        }
        s->loops_left = s->loop_count;
        // The pass of the first frame played (priming may have looped on).
        s->sync_loops = s->halves[0].count > 0 ? s->halves[0].segments[0].loops : s->loops_done;
        const int handle = start_channel(s, channel, unit);
        if (handle < 0) return -1;
        s->channel = handle;
        s->playing = true;
        s->heard = {};
        {
            SoundLockGuard guard(stream_on_stream_thread() ? nullptr : stream_lock());
            stream_link(s);
        }
        channel_set_paused(handle, paused);
        return handle;
    }
    SoundLockGuard guard(stream_lock());
    if (channel_is_playing(s->channel) != 1) {
        const int handle = start_channel(s, s->channel, unit);
        if (handle < 0) return -1;
        s->channel = handle;
    }
    channel_set_paused(s->channel, paused);
    return s->channel;
}

int stream_stop(SoundStream* stream) { return stream_stop_ex(stream, false); }

int stream_stop_ex(SoundStream* s, bool call_end_callback) {
    sound_clear_error();
    if (!s) return sound_set_error(SOUND_ERR_PARAM), 0;
    bool was_playing;
    int handle;
    {
        SoundLockGuard guard(stream_lock());
        was_playing = s->playing;
        {
            SoundLockGuard sync(stream_sync_lock());
            list_unlink(s);
            handle = s->channel;
            s->channel = -1;
            s->resume_frame = s->heard.valid ? s->heard.frame : s->position;
        }
        if (handle >= 0) channel_stop_sound(handle);
        s->playing = false;
        s->needs_priming = true;
    }
    if (call_end_callback && was_playing && s->end_callback) s->end_callback(s, s->end_user_data);
    return 1;
}

int stream_set_sample_position(SoundStream* s, int frame) {
    sound_clear_error();
    if (!usable(s)) return 0;
    const int64_t ms = (int64_t(std::max(frame, 0)) * 1000 + s->rate - 1) / s->rate;
    if (frame < 0 || ms >= std::max<int64_t>(s->length_ms, 1) || s->user_stream) return sound_set_error(SOUND_ERR_PARAM), 0;
    return seek_to(s, frame);
}

int stream_set_time(SoundStream* s, int ms) {
    sound_clear_error();
    if (!usable(s)) return 0;
    if (ms < 0 || ms >= s->length_ms || s->user_stream) return sound_set_error(SOUND_ERR_PARAM), 0;
    return seek_to(s, ms_to_frames(*s, ms));
}

int stream_set_position(SoundStream* s, int byte_offset) {
    sound_clear_error();
    if (!usable(s)) return 0;
    if (byte_offset < 0 || byte_offset >= s->data_length || s->user_stream) return sound_set_error(SOUND_ERR_PARAM), 0;
    const int64_t ms = int64_t(byte_offset) * s->length_ms / s->data_length;
    return seek_to(s, ms_to_frames(*s, ms));
}

int stream_set_start_position(SoundStream* s, int frame) {
    sound_clear_error();
    if (!s || frame < 0) return sound_set_error(SOUND_ERR_PARAM), 0;
    if (s->ready.load()) return sound_set_error(SOUND_ERR_PARAM), 0;
    s->start_position = frame;
    return 1;
}

int stream_get_position(SoundStream* s) {
    sound_clear_error();
    if (!usable(s)) return -1;
    if (!s->file) return 0;
    SoundLockGuard guard(stream_lock());
    return std::clamp(sound_file_tell(s->file) - s->data_offset, 0, s->data_length);
}

int stream_get_time(SoundStream* s) {
    sound_clear_error();
    if (!usable(s)) return -1;
    const int64_t ms = heard_frame(*s) * 1000 / s->rate;
    return int(s->user_stream ? std::min<int64_t>(ms, INT32_MAX) : std::min(ms, s->length_ms));
}

int stream_get_length(SoundStream* s) { return usable(s) ? s->data_length : -1; }
int stream_get_length_ms(SoundStream* s) { return usable(s) ? int(std::min<int64_t>(s->length_ms, INT32_MAX)) : -1; }

int stream_set_loop_points(SoundStream* s, int start, int end) {
    sound_clear_error();
    if (!usable(s) || s->playing || start < 0 || start >= end) return sound_set_error(SOUND_ERR_PARAM), 0;
    const int64_t frames = s->length_ms * s->rate / 1000;
    if (start >= frames || end >= frames) return sound_set_error(SOUND_ERR_PARAM), 0;
    SoundLockGuard guard(stream_lock());
    s->loop_start = start;
    s->loop_end = end;
    if (s->position > end) {
        stream_seek_source(s, 0);
        stream_sync_cursor_to(s, 0);
        s->needs_priming = true;
        s->resume_frame = 0;
    }
    return 1;
}

int stream_set_loop_count(SoundStream* s, int count) {
    sound_clear_error();
    if (!usable(s)) return 0;
    SoundLockGuard guard(stream_lock());
    s->loop_count = s->loops_left = count;
    // A stream that fits into its buffer has read everything already.
    if (!s->playing && s->length_frames <= 2 * int64_t(s->half_frames)) s->needs_priming = true;
    return 1;
}

int stream_set_mode(SoundStream* s, uint32_t mode) {
    sound_clear_error();
    if (!usable(s)) return 0;
    SoundLockGuard guard(stream_lock());
    s->mode = (s->mode & ~kSampleLoopBits) | (mode & kSampleLoopBits);
    if (!(mode & SAMPLE_DRIVER) && s->sample) s->sample->mode |= SAMPLE_SOFTWARE_MARK;
    return 1;
}

uint32_t stream_get_mode(SoundStream* s) {
    sound_clear_error();
    if (!usable(s)) return 0;
    return (s->mode & kSampleLoopBits) | (s->sample ? s->sample->mode & 0x83000u : 0);
}

SoundSample* stream_get_sample(SoundStream* s) { return usable(s) ? s->sample : nullptr; }

int stream_get_open_state(SoundStream* s) {
    sound_clear_error();
    if (!s) return sound_set_error(SOUND_ERR_PARAM), -1;
    if (s->open_failed.load()) return -3;
    return s->ready.load() ? 0 : -2;
}

int stream_set_end_callback(SoundStream* s, StreamEndFn callback, intptr_t user_data) {
    sound_clear_error();
    if (!usable(s)) return 0;
    SoundLockGuard guard(stream_lock());
    s->end_callback = callback;
    s->end_user_data = user_data;
    return 1;
}

int stream_set_sync_callback(SoundStream* s, StreamSyncFn callback, intptr_t user_data) {
    sound_clear_error();
    if (!usable(s)) return 0;
    SoundLockGuard sync(stream_sync_lock());
    s->sync_callback = callback;
    s->sync_user_data = user_data;
    return 1;
}
