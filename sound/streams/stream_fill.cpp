// Refilling a stream: reading and decoding the source into one half of the
// stream sample, looping at the loop end, and counting down to the end of
// the sound once the data has run out.
#include <algorithm>
#include <cstring>

#include "engine/core/byte_order.h"
#include "sound/files/sound_file.h"
#include "sound/formats/wav_reader.h"
#include "sound/mixer/mixer.h"
#include "sound/samples/sound_sample.h"
#include "sound/streams/sound_stream.h"
#include "sound/system/sound_system.h"
#include "sound/system/sound_thread.h"

namespace {

bool is_adpcm(const SoundStream& s) { return wav_adpcm_format(s.decode_state).tag != 0; }

// Bytes of one decoded source frame: ADPCM decodes to 16 bits.
int decoded_frame_bytes(const SoundStream& s) {
    return (is_adpcm(s) ? 2 : s.source_bits / 8) * s.source_channels;
}

int data_bytes_left(SoundStream& s) {
    return std::max(0, s.data_offset + s.data_length - sound_file_tell(s.file));
}

// Reads the next piece of the source into the decode buffer.
void read_more(SoundStream& s) {
    s.decode_offset = 0;
    s.decode_bytes = 0;
    if (!s.file) return;
    if (is_adpcm(s)) {
        int bytes = std::min<int>(int(s.read_buffer.size()), data_bytes_left(s));
        bytes -= bytes % s.block_align;
        const int got = bytes > 0 ? sound_file_read(s.read_buffer.data(), 1, bytes, s.file) : 0;
        const int whole = std::max(got, 0) - std::max(got, 0) % s.block_align;
        int decoded = 0;
        if (whole > 0 && !wav_decode_adpcm(s.decode_state, s.read_buffer.data(), whole,
                                           reinterpret_cast<int16_t*>(s.decode_buffer.data()), &decoded))
            s.read_error = true;
        s.decode_bytes = decoded;
    } else {
        const int frame = decoded_frame_bytes(s);
        int bytes = std::min<int>(int(s.decode_buffer.size()), data_bytes_left(s));
        bytes -= bytes % frame;
        const int got = bytes > 0 ? sound_file_read(s.decode_buffer.data(), 1, bytes, s.file) : 0;
        if (got < 0) s.read_error = true;
        s.decode_bytes = std::max(got, 0) - std::max(got, 0) % frame;
    }
}

int source_value(const SoundStream& s, const uint8_t* p) {
    if (is_adpcm(s)) {
        int16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    if (s.source_bits == 16) return read_i16le(p);
    return s.source_unsigned ? int(p[0]) - 128 : int(int8_t(p[0]));
}

// Copies decoded frames into the stream sample's format: signed, and mixed
// down to one channel when asked.
void convert_frames(const SoundStream& s, const uint8_t* in, uint8_t* out, int frames) {
    const int in_frame = decoded_frame_bytes(s);
    const int element = s.source_bits == 16 || is_adpcm(s) ? 2 : 1;
    const int out_channels = s.mix_to_mono ? 1 : s.source_channels;
    for (int f = 0; f < frames; ++f) {
        const uint8_t* frame = in + size_t(f) * in_frame;
        for (int c = 0; c < out_channels; ++c) {
            int v = source_value(s, frame + c * element);
            if (s.mix_to_mono) v = (v + source_value(s, frame + element)) >> 1;
            uint8_t* dst = out + (size_t(f) * out_channels + c) * element;
            if (element == 2) {
                const int16_t w = int16_t(v);
                std::memcpy(dst, &w, 2);
            } else {
                dst[0] = uint8_t(int8_t(v));
            }
        }
    }
}

// Up to `frames` frames from the source into out; 0 when it has none left.
int read_frames(SoundStream& s, uint8_t* out, int frames) {
    const int in_frame = decoded_frame_bytes(s);
    int done = 0;
    while (done < frames) {
        if (s.decode_offset >= s.decode_bytes) {
            read_more(s);
            if (s.decode_bytes <= 0) break;
        }
        int available = (s.decode_bytes - s.decode_offset) / in_frame;
        if (s.skip_frames > 0) {
            const int skipped = int(std::min<int64_t>(s.skip_frames, available));
            s.skip_frames -= skipped;
            s.decode_offset += skipped * in_frame;
            continue;
        }
        const int n = std::min(available, frames - done);
        convert_frames(s, s.decode_buffer.data() + s.decode_offset, out + size_t(done) * s.frame_bytes, n);
        s.decode_offset += n * in_frame;
        done += n;
    }
    return done;
}

bool loops(const SoundStream& s) { return (s.mode & (SAMPLE_LOOP_NORMAL | SAMPLE_LOOP_BIDI)) != 0; }

// The time until the last frame written into `half` is heard, 24.8 ms.
int64_t time_until_heard(const SoundStream& s, int half, int written) {
    const SoundSystem& sys = sound_system();
    int64_t frames = written + (s.priming ? int64_t(half) * s.half_frames : s.half_frames);
    int64_t time = frames * 256000 / std::max(s.rate, 1);
    if (!s.history.empty()) time += int64_t(sys.buffer_samples) * 256000 / std::max(sys.mix_rate, 1);
    return time;
}

void add_segment(StreamHalf& h, int offset, int64_t frame, int loops, bool silent = false) {
    if (h.count > 0 && h.segments[h.count - 1].offset == offset) --h.count;
    if (h.count < StreamHalf::kMaxSegments) h.segments[h.count++] = {offset, frame, loops, silent};
}

// Fills `frames` frames at out from the file, looping as the mode asks;
// the rest after the end of the data is silence.
int fill_from_file(SoundStream& s, uint8_t* out, int frames, StreamHalf& h) {
    int written = 0;
    int empty_loops = 0;
    while (written < frames) {
        if (!s.read_error && s.position < s.loop_end) {
            const int n = int(std::min<int64_t>(frames - written, s.loop_end - s.position));
            const int got = read_frames(s, out + size_t(written) * s.frame_bytes, n);
            s.position += got;
            written += got;
            if (got > 0) empty_loops = 0;
            if (got == n) continue;
            s.position = s.loop_end;  // the source ran out early
        }
        // A loop that yields nothing twice running would never fill the half.
        if (loops(s) && s.loops_left != 0 && !s.read_error && empty_loops++ < 2) {
            if (s.loops_left > 0) --s.loops_left;
            ++s.loops_done;
            stream_seek_source(&s, s.loop_start);
            add_segment(h, written, s.position, s.loops_done);
            continue;
        }
        break;
    }
    return written;
}

void run_stream_units(SoundStream& s, void* data, int frames) {
    for (DspUnit* unit : s.dsp_units)
        if (unit && unit->active && unit->callback) unit->callback(data, data, frames, unit->user_data);
}

}  // namespace

void stream_seek_source(SoundStream* s, int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, std::max<int64_t>(s->length_frames, 0));
    s->position = frame;
    s->decode_offset = s->decode_bytes = 0;
    s->skip_frames = 0;
    s->read_error = false;
    if (!s->file) return;
    int64_t byte = frame * decoded_frame_bytes(*s);
    if (is_adpcm(*s)) {
        const int64_t block = frame / std::max(s->samples_per_block, 1);
        byte = block * s->block_align;
        s->skip_frames = frame - block * s->samples_per_block;
    }
    if (byte >= s->data_length) byte = 0;
    sound_file_seek(s->file, int(s->data_offset + byte), 0);
}

// Puts `bytes` bytes at byte `offset` of the stream sample (null: silence).
// The mixer reads the sample while it mixes, so the copy (and the loop tail
// that unlocking rewrites) happens at once under the mixer's lock.
void write_sample(SoundStream* s, int offset, int bytes, const uint8_t* data) {
    SoundLockGuard mixer(mixer_lock());
    void *p1 = nullptr, *p2 = nullptr;
    int len1 = 0, len2 = 0;
    if (!sample_lock(s->sample, offset, bytes, &p1, &len1, &p2, &len2)) return;
    if (data) {
        if (p1) std::memcpy(p1, data, size_t(len1));
        if (p2) std::memcpy(p2, data + len1, size_t(len2));
    } else {
        if (p1) std::memset(p1, 0, size_t(len1));
        if (p2) std::memset(p2, 0, size_t(len2));
    }
    sample_unlock(s->sample, p1, p2, len1, len2);
}

void stream_fill_half(SoundStream* s, int half) {
    const int half_bytes = s->half_frames * s->frame_bytes;
    // Filled aside first: reading and decoding never hold up the mixer.
    s->fill_buffer.resize(size_t(half_bytes));
    uint8_t* out = s->fill_buffer.data();
    StreamHalf h;
    add_segment(h, 0, s->position, s->loops_done);
    int written;
    if (s->fill && s->user_stream) {
        written = s->half_frames;
        if (!s->data_ended && !s->fill(s, out, half_bytes, s->user_data)) {
            s->data_ended = true;
            s->end_countdown = time_until_heard(*s, half, written);
        }
    } else {
        written = s->data_ended ? 0 : fill_from_file(*s, out, s->half_frames, h);
        if (written < s->half_frames) {
            std::memset(out + size_t(written) * s->frame_bytes, 0, size_t(s->half_frames - written) * s->frame_bytes);
            // The sound stops at the loop end (the data end when no loop
            // points were set); the source past it is never heard.
            add_segment(h, written, s->loop_end, s->loops_done, true);
            if (!s->data_ended) {
                s->data_ended = true;
                s->end_countdown = time_until_heard(*s, half, written);
            }
        }
    }
    run_stream_units(*s, out, s->half_frames);
    write_sample(s, half * half_bytes, half_bytes, out);
    SoundLockGuard sync(stream_sync_lock());
    s->halves[half] = h;
}

void stream_prime(SoundStream* s) {
    write_sample(s, 0, s->half_frames * 2 * s->frame_bytes, nullptr);
    s->end_countdown = -1;
    s->data_ended = false;
    s->ended = false;
    s->priming = true;
    stream_fill_half(s, 0);
    stream_fill_half(s, 1);
    s->priming = false;
    s->next_half = 0;
    s->needs_priming = false;
}
