// Reads an XM module from memory into a song. Every count and offset from the
// file is checked against the format's limits and the bytes present; reads
// past the end give zeros, so a truncated file never reads outside its block.
#include "sound/formats/xm_loader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/byte_order.h"
#include "sound/music/music_song.h"
#include "sound/samples/sample_load.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_error.h"
#include "sound/system/sound_memory.h"

namespace {

// A cursor over the module bytes; reads past the end return zeros and set
// `short_read`.
struct XmReader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool short_read = false;

    bool have(size_t n) const { return pos <= size && size - pos >= n; }
    void read(void* out, size_t n) {
        size_t got = have(n) ? n : (pos < size ? size - pos : 0);
        if (got) std::memcpy(out, data + pos, got);
        if (got < n) {
            std::memset(static_cast<uint8_t*>(out) + got, 0, n - got);
            short_read = true;
        }
        pos += n;
    }
    uint8_t u8() {
        uint8_t b[1];
        read(b, 1);
        return b[0];
    }
    uint16_t u16() {
        uint8_t b[2];
        read(b, 2);
        return read_u16le(b);
    }
    uint32_t u32() {
        uint8_t b[4];
        read(b, 4);
        return read_u32le(b);
    }
    void seek(size_t p) { pos = p; }
    size_t left() const { return pos < size ? size - pos : 0; }
};

struct SampleHeader {
    uint32_t length, loop_start, loop_length;
    uint8_t volume, type, pan;
    int8_t finetune, relative_note;
    char name[23];
};

int fail(int code) {
    sound_set_error(code);
    return 0;
}

// Makes an envelope safe to step: at most 12 points, indices inside the
// points, ticks that never fall, values 0..64; under 2 points it is off.
void sanitise_envelope(Envelope& e) {
    e.point_count = std::min(e.point_count, kEnvelopeMaxPoints);
    if (e.point_count < 2) e.type &= ~1;
    if (e.sustain >= e.point_count) e.type &= ~2;
    if (e.loop_start >= e.point_count || e.loop_end >= e.point_count || e.loop_start > e.loop_end) e.type &= ~4;
    for (int i = 0; i < kEnvelopeMaxPoints; ++i) {
        e.values[i] = std::min<uint16_t>(e.values[i], 64);
        if (i > 0 && e.ticks[i] < e.ticks[i - 1]) e.ticks[i] = e.ticks[i - 1];
    }
}

void read_envelope_points(XmReader& r, Envelope& e) {
    for (int i = 0; i < kEnvelopeMaxPoints; ++i) {
        e.ticks[i] = r.u16();
        e.values[i] = r.u16();
    }
}

bool unpack_pattern(XmReader& r, Pattern& p, int channels, size_t packed_size) {
    const size_t end = std::min(r.pos + packed_size, r.size);
    const int cells = p.rows * channels;
    auto next = [&]() -> uint8_t { return r.pos < end ? r.data[r.pos++] : 0; };
    for (int i = 0; i < cells && r.pos < end; ++i) {
        PatternNote& n = p.notes[i];
        uint8_t first = next();
        uint8_t mask = 0x1F;
        if (first & 0x80) {
            mask = first;
            first = mask & 1 ? next() : 0;
        }
        n.note = first;
        n.instrument = mask & 2 ? next() : 0;
        n.volume = mask & 4 ? next() : 0;
        n.effect = mask & 8 ? next() : 0;
        n.param = mask & 0x10 ? next() : 0;
        if (n.note == 97) n.note = kNoteKeyOff;
        else if (n.note > 97) n.note = 0;
        if (n.instrument > 128) n.instrument = 0;
    }
    r.seek(end);
    return true;
}

Pattern make_empty_pattern(int rows, int channels) {
    Pattern p;
    p.rows = rows;
    p.notes = static_cast<PatternNote*>(SOUND_CALLOC(size_t(rows) * channels * sizeof(PatternNote)));
    return p;
}

int load_patterns(XmReader& r, MusicSong* song, int file_patterns) {
    int highest = file_patterns - 1;
    for (int i = 0; i < song->order_count; ++i) highest = std::max<int>(highest, song->orders[i]);
    song->patterns_allocated = highest + 1;
    song->patterns = static_cast<Pattern*>(SOUND_CALLOC(sizeof(Pattern) * size_t(song->patterns_allocated)));
    if (!song->patterns) return fail(SOUND_ERR_NO_MEMORY);
    for (int i = 0; i < file_patterns; ++i) {
        const size_t start = r.pos;
        const uint32_t header_length = r.u32();
        r.u8();  // packing type
        int rows = r.u16();
        const uint16_t packed = r.u16();
        if (r.short_read) return fail(SOUND_ERR_CORRUPT);
        // A pattern of 0 rows would still have row 0 read: give it 64 empty rows.
        if (rows == 0) rows = 64;
        rows = std::min(rows, 256);
        if (header_length >= 9) r.seek(start + header_length);
        song->patterns[i] = make_empty_pattern(rows, song->channel_count);
        if (!song->patterns[i].notes) return fail(SOUND_ERR_NO_MEMORY);
        if (packed) unpack_pattern(r, song->patterns[i], song->channel_count, packed);
    }
    for (int i = file_patterns; i < song->patterns_allocated; ++i) {
        song->patterns[i] = make_empty_pattern(64, song->channel_count);
        if (!song->patterns[i].notes) return fail(SOUND_ERR_NO_MEMORY);
    }
    song->pattern_count = file_patterns;
    return 1;
}

void read_instrument_extras(XmReader& r, Instrument& ins) {
    r.u32();  // sample header size: the headers are always read as 40 bytes
    r.read(ins.note_map, 96);
    read_envelope_points(r, ins.volume_envelope);
    read_envelope_points(r, ins.pan_envelope);
    ins.volume_envelope.point_count = r.u8();
    ins.pan_envelope.point_count = r.u8();
    ins.volume_envelope.sustain = r.u8();
    ins.volume_envelope.loop_start = r.u8();
    ins.volume_envelope.loop_end = r.u8();
    ins.pan_envelope.sustain = r.u8();
    ins.pan_envelope.loop_start = r.u8();
    ins.pan_envelope.loop_end = r.u8();
    ins.volume_envelope.type = r.u8();
    ins.pan_envelope.type = r.u8();
    ins.vibrato_type = r.u8();
    ins.vibrato_sweep = r.u8();
    ins.vibrato_depth = r.u8();
    ins.vibrato_rate = r.u8();
    ins.fadeout = r.u16() * 2;
    sanitise_envelope(ins.volume_envelope);
    sanitise_envelope(ins.pan_envelope);
}

SampleHeader read_sample_header(XmReader& r) {
    SampleHeader h{};
    h.length = r.u32();
    h.loop_start = r.u32();
    h.loop_length = r.u32();
    h.volume = r.u8();
    h.finetune = int8_t(r.u8());
    h.type = r.u8();
    h.pan = r.u8();
    h.relative_note = int8_t(r.u8());
    r.u8();
    r.read(h.name, 22);
    h.name[22] = 0;
    return h;
}

// Decodes one delta-coded plane of `frames` values into every `stride`-th
// slot of `out`.
template <typename T>
void decode_delta_plane(const uint8_t* src, size_t src_bytes, T* out, uint32_t frames, int stride) {
    T value = 0;
    for (uint32_t i = 0; i < frames; ++i) {
        T delta = 0;
        if (sizeof(T) == 1) delta = i < src_bytes ? T(src[i]) : 0;
        else delta = size_t(i) * 2 + 1 < src_bytes ? T(read_u16le(src + size_t(i) * 2)) : 0;
        value = T(value + delta);
        out[size_t(i) * stride] = value;
    }
}

bool tagged_ogg(const uint8_t* data, size_t available) { return available >= 8 && std::memcmp(data + 4, "OggS", 4) == 0; }

// Data tagged "OggS" goes to the sample loader as a memory file from byte 4.
// No loader of this library reads it, so the slot normally gets the dummy
// sample; a sample that does load takes the header's loop and music fields.
SoundSample* load_tagged_sample(const SampleHeader& h, uint32_t mode, uint32_t loop_start, uint32_t loop_length,
                                bool loop_on, const uint8_t* data, size_t available) {
    const int error = g_sound_error.load();
    SoundSample* s = sample_load(kSampleUnmanaged, data + 4, (mode & ~kSampleLoopBits) | 0xA130, 0,
                                 int(std::min<size_t>(available - 4, INT32_MAX)));
    sound_set_error(error);
    if (!s) return music_dummy_sample();
    s->mode &= ~uint32_t(SAMPLE_FROM_MEMORY);
    s->loop_start = std::min<int>(int(loop_start), s->length);
    s->loop_length = loop_on ? std::min<int>(int(loop_length), s->length - s->loop_start) : s->length - s->loop_start;
    s->finetune = h.finetune;
    s->relative_note = h.relative_note;
    s->default_volume = std::min<int>(h.volume, 64);
    s->default_pan = h.pan;
    s->file_data_length = int(h.length);
    sample_fix_loop_tail(s);
    return s;
}

// Builds a sample from its header and data (bytes as many as present).
SoundSample* build_sample(const SampleHeader& h, const uint8_t* data, size_t available) {
    const bool bits16 = h.type & 0x10;
    const bool stereo = h.type & 0x20;
    // Cap the length at the bytes the file holds; the rest reads as silence.
    uint32_t frames = h.length >> (int(bits16) + int(stereo));
    const uint32_t max_frames = uint32_t(std::min<size_t>(available, 1u << 28)) >> (int(bits16) + int(stereo));
    frames = std::min(frames, max_frames);
    uint32_t loop_start = h.loop_start >> (int(bits16) + int(stereo));
    uint32_t loop_length = h.loop_length >> (int(bits16) + int(stereo));
    uint32_t mode = (bits16 ? SAMPLE_16BITS : SAMPLE_8BITS) | (stereo ? SAMPLE_STEREO : SAMPLE_MONO) | SAMPLE_SIGNED;
    const int loop_type = h.type & 3;
    bool loop_on = loop_type != 0 && loop_length > 0 && loop_start < frames;
    if (loop_on) loop_length = std::min(loop_length, frames - loop_start);
    else loop_start = 0, loop_length = frames;
    mode |= !loop_on ? SAMPLE_LOOP_OFF : (loop_type & 2 ? SAMPLE_LOOP_BIDI : SAMPLE_LOOP_NORMAL);
    if (tagged_ogg(data, available)) return load_tagged_sample(h, mode, loop_start, loop_length, loop_on, data, available);
    SoundSample* s = sample_alloc(kSampleUnmanaged, int(frames), mode | 0x2000, 8363, h.volume, h.pan, 255, 0);
    if (!s) return nullptr;
    s->loop_start = int(loop_start);
    s->loop_length = int(loop_length);
    s->default_volume = std::min<int>(h.volume, 64);
    s->default_pan = h.pan;
    s->finetune = h.finetune;
    s->relative_note = h.relative_note;
    s->file_data_length = int(h.length);
    std::memcpy(s->name, h.name, 23);
    if (frames == 0) return s;
    const int channels = stereo ? 2 : 1;
    const size_t plane_bytes = size_t(frames) * (bits16 ? 2 : 1);
    std::vector<uint8_t> decoded(plane_bytes * channels);
    for (int c = 0; c < channels; ++c) {
        const size_t offset = plane_bytes * c;
        const uint8_t* src = data + std::min(offset, available);
        const size_t src_bytes = available > offset ? available - offset : 0;
        if (bits16)
            decode_delta_plane(src, src_bytes, reinterpret_cast<int16_t*>(decoded.data()) + c, frames, channels);
        else
            decode_delta_plane(src, src_bytes, reinterpret_cast<int8_t*>(decoded.data()) + c, frames, channels);
    }
    sample_upload(s, decoded.data(), 0, int(decoded.size()),
                  (bits16 ? SAMPLE_16BITS : SAMPLE_8BITS) | (stereo ? SAMPLE_STEREO : SAMPLE_MONO) | SAMPLE_SIGNED);
    sample_fix_loop_tail(s);
    return s;
}

int load_instruments(XmReader& r, MusicSong* song) {
    song->instruments = static_cast<Instrument*>(SOUND_CALLOC(sizeof(Instrument) * size_t(song->instrument_count + 1)));
    if (!song->instruments) return fail(SOUND_ERR_NO_MEMORY);
    std::vector<SoundSample*> all;
    for (int i = 0; i < song->instrument_count; ++i) {
        Instrument& ins = song->instruments[i];
        new (&ins) Instrument();
        const size_t start = r.pos;
        const uint32_t header_size = r.u32();
        r.read(ins.name, 22);
        r.u8();
        const int count = r.u16();
        if (r.short_read) return fail(SOUND_ERR_CORRUPT);
        if (count > kInstrumentMaxSamples) return fail(SOUND_ERR_CORRUPT);
        ins.sample_count = count;
        if (count > 0) read_instrument_extras(r, ins);
        r.seek(start + header_size);
        for (SoundSample*& slot : ins.samples) slot = music_dummy_sample();
        SampleHeader headers[kInstrumentMaxSamples];
        for (int k = 0; k < count; ++k) headers[k] = read_sample_header(r);
        for (int k = 0; k < count; ++k) {
            const size_t available = std::min<size_t>(headers[k].length, r.left());
            SoundSample* s = build_sample(headers[k], r.data + std::min(r.pos, r.size), available);
            r.seek(r.pos + headers[k].length);
            if (!s) return fail(SOUND_ERR_NO_MEMORY);
            if (s != music_dummy_sample()) s->song_owned = 1;
            ins.samples[k] = s;
            all.push_back(s);
            song->sample_count = int(all.size());
            // Keep the list current so that a failure part-way frees what was made.
            auto* list = static_cast<SoundSample**>(SOUND_CALLOC(sizeof(SoundSample*) * all.size()));
            if (!list) return fail(SOUND_ERR_NO_MEMORY);
            std::copy(all.begin(), all.end(), list);
            SOUND_FREE(song->samples);
            song->samples = list;
        }
    }
    return 1;
}

}  // namespace

int xm_load(MusicSong* song, const uint8_t* data, size_t size) {
    XmReader r{data, size};
    char id[17];
    r.read(id, 17);
    if (r.short_read) return fail(SOUND_ERR_CORRUPT);
    if (std::memcmp(id, "Extended Module: ", 17) != 0) return fail(SOUND_ERR_FORMAT);
    song->type = 3;
    song->master_volume = 256;
    song->default_global_volume = 64;
    song->update = xm_update_song;
    song->sample_count = 0;
    r.read(song->name, 20);
    song->name[20] = 0;
    const uint8_t mark = r.u8();
    if (r.short_read) return fail(SOUND_ERR_CORRUPT);
    if (mark != 26) return fail(SOUND_ERR_FORMAT);
    r.seek(60);
    const uint32_t header_size = r.u32();
    const int orders = r.u16();
    const int restart = r.u16();
    const int channels = r.u16();
    const int patterns = r.u16();
    const int instruments = r.u16();
    song->flags = r.u16();
    song->default_speed = r.u16();
    song->default_tempo = r.u16();
    r.read(song->orders, kSongMaxOrders);
    if (r.short_read) return fail(SOUND_ERR_CORRUPT);
    // Counts past the fixed tables cannot be played.
    if (channels < 1 || channels > kSongMaxChannels || orders < 1 || orders > kSongMaxOrders || patterns > 256 ||
        instruments > 128)
        return fail(SOUND_ERR_FORMAT);
    song->order_count = orders;
    song->restart_order = uint16_t(restart < orders ? restart : 0);
    song->channel_count = channels;
    song->instrument_count = instruments;
    for (int c = 0; c < channels; ++c) {
        song->default_pans[c] = 128;
        song->default_volumes[c] = 64;
    }
    song->channels = static_cast<SongChannel*>(SOUND_CALLOC(sizeof(SongChannel) * size_t(channels)));
    if (!song->channels) return fail(SOUND_ERR_NO_MEMORY);
    for (int c = 0; c < channels; ++c) new (&song->channels[c]) SongChannel();
    r.seek(60 + size_t(header_size));
    if (!load_patterns(r, song, patterns)) return 0;
    if (!load_instruments(r, song)) return 0;
    return 1;
}
