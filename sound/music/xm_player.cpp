// Plays an XM song: one step per tick, reading a row on the first tick of
// each row and running the effects on the others, then turning each song
// channel's period, volume and pan into its mixer channel's settings.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "sound/mixer/channel.h"
#include "sound/music/music_song.h"
#include "sound/music/xm_effects.h"
#include "sound/samples/sound_sample.h"
#include "sound/system/sound_random.h"

namespace {

constexpr int kLinearBase = 535232;  // 8363 x 64
constexpr int kAmigaClock = 14317056;
constexpr int kAmigaTableSize = 132;

struct Tables {
    int linear[768];
    int amiga[kAmigaTableSize];
    int sine256[256];
    Tables() {
        for (int i = 0; i < 768; ++i) linear[i] = int(std::lround(kLinearBase * std::pow(2.0, -i / 768.0)));
        const int first[12] = {27392, 25856, 24384, 23040, 21696, 20480, 19328, 18240, 17216, 16256, 15360, 14496};
        for (int i = 0; i < kAmigaTableSize; ++i) amiga[i] = i < 12 ? first[i] : amiga[i - 12] / 2;
        amiga[88] = 170, amiga[91] = 143, amiga[92] = 135, amiga[100] = 85;
        for (int i = 0; i < 256; ++i) sine256[i] = int(std::lround(64.0 * std::sin(i * 2 * M_PI / 256.0)));
    }
};
const Tables& tables() {
    static const Tables t;
    return t;
}

constexpr int kHalfSine[32] = {0,   24,  49,  74,  97,  120, 141, 161, 180, 197, 212, 224, 235, 244, 250, 253,
                               255, 253, 250, 244, 235, 224, 212, 197, 180, 161, 141, 120, 97,  74,  49,  24};

int amiga_at(int i) { return tables().amiga[std::clamp(i, 0, kAmigaTableSize - 1)]; }

SoundSample make_dummy_sample() {
    SoundSample s{};
    std::snprintf(s.name, sizeof s.name, "%s", "Invalid Sample");
    s.index = kSampleUnmanaged;
    s.tail_position = -1;
    s.mode = SAMPLE_8BITS | SAMPLE_MONO | SAMPLE_LOOP_OFF;
    s.c2_rate = 8363;
    return s;
}

// Stands in for an instrument number past the song's instruments.
Instrument& dummy_instrument() {
    static Instrument d = [] {
        Instrument i;
        for (SoundSample*& s : i.samples) s = music_dummy_sample();
        return i;
    }();
    return d;
}

int note_period(const MusicSong* song, int real_note, int finetune) {
    if (song->flags & 1) return 7680 - real_note * 64 - finetune / 2;
    return xm_period_interpolate(real_note, finetune);
}

void envelope_set_tick(const Envelope& e, EnvelopeState& st, int tick) {
    st = EnvelopeState{};
    int p = 0;
    while (p + 1 < e.point_count && e.ticks[p + 1] <= tick) ++p;
    st.point = p;
    st.tick = tick;
    int value = e.values[p];
    if (p + 1 < e.point_count && e.ticks[p + 1] > e.ticks[p]) {
        const int span = e.ticks[p + 1] - e.ticks[p];
        value += (e.values[p + 1] - e.values[p]) * (tick - e.ticks[p]) / span;
        st.step = int32_t((int64_t(e.values[p + 1] - e.values[p]) * 65536) / span);
    }
    st.value = value << 16;
    st.current = value;
}

void envelope_step(const Envelope& e, EnvelopeState& st, bool key_off) {
    if (st.finished) return;
    int guard = 0;
    while (st.point < e.point_count && st.tick == e.ticks[st.point] && guard++ < kEnvelopeMaxPoints * 2) {
        if ((e.type & 4) && st.point == e.loop_end && e.loop_start != e.loop_end) {
            st.point = e.loop_start;
            st.tick = e.ticks[st.point];
            st.value = e.values[st.point] << 16;
            continue;
        }
        st.value = e.values[st.point] << 16;
        if (st.point + 1 >= e.point_count) {
            st.finished = true;
            break;
        }
        if ((e.type & 2) && !key_off && st.point == e.sustain) {
            st.current = st.value >> 16;
            return;  // hold
        }
        const int span = e.ticks[st.point + 1] - e.ticks[st.point];
        st.step = span > 0 ? int32_t((int64_t(e.values[st.point + 1] - e.values[st.point]) * 65536) / span) : 0;
        ++st.point;
        if (span > 0) {
            st.value -= st.step;  // the increment below lands on the point's value
            break;
        }
    }
    if (!st.finished) st.value += st.step;
    st.value = std::clamp(st.value, 0, 64 << 16);
    st.current = st.value >> 16;
    if (!st.finished) ++st.tick;
}

SoundSample* entry_sample(MusicSong* song, SongChannel& ch) {
    if (ch.instrument < 1 || ch.instrument > song->instrument_count) return music_dummy_sample();
    Instrument& ins = song->instruments[ch.instrument - 1];
    if (ch.note < 1 || ch.note > 96) return music_dummy_sample();
    const int k = ins.note_map[ch.note - 1];
    return k < ins.sample_count && ins.samples[k] ? ins.samples[k] : music_dummy_sample();
}

Instrument& channel_instrument(MusicSong* song, SongChannel& ch) {
    if (ch.instrument < 1 || ch.instrument > song->instrument_count) return dummy_instrument();
    return song->instruments[ch.instrument - 1];
}

void volume_slide(ChannelEntry& e, int memory) {
    if (memory >> 4) e.volume = std::min(64, e.volume + (memory >> 4));
    else e.volume = std::max(0, e.volume - (memory & 15));
    e.flags |= ENTRY_VOLUME;
}

int waveform_value(int waveform, int position) {
    switch (waveform & 3) {
    case 1: return position < 0 ? 255 - ((position & 31) * 8) : (position & 31) * 8;
    case 2: return 255;
    case 3: return sound_rand() % 256;
    default: return kHalfSine[position & 31];
    }
}

void vibrato_step(SongChannel& ch, ChannelEntry& e, bool advance) {
    int delta = (waveform_value(ch.waveforms & 15, ch.vibrato_position) * ch.vibrato_depth) / 32;
    delta &= ~3;
    e.period_delta = ch.vibrato_position >= 0 ? -delta : delta;
    e.flags |= ENTRY_FREQUENCY;
    if (advance) {
        ch.vibrato_position += ch.vibrato_speed;
        if (ch.vibrato_position >= 32) ch.vibrato_position -= 64;
    }
}

void tremolo_step(SongChannel& ch, ChannelEntry& e) {
    const int wave = (ch.waveforms >> 4) & 3;
    const int value = wave == 1 || wave == 2 ? waveform_value(wave, ch.tremolo_position) : kHalfSine[ch.tremolo_position & 31];
    const int delta = (ch.tremolo_depth * value) / 64;
    if (ch.tremolo_position < 0) e.volume_delta = -std::min(delta, e.volume);
    else e.volume_delta = std::min(e.volume + delta, 64) - e.volume;
    ch.tremolo_delta = e.volume_delta;
    ch.tremolo_position += ch.tremolo_speed;
    if (ch.tremolo_position >= 32) ch.tremolo_position -= 64;
    e.flags |= ENTRY_VOLUME;
}

void tone_portamento(SongChannel& ch, ChannelEntry& e) {
    const int step = ch.porta_speed * 4;
    if (e.period < ch.porta_target) e.period = std::min(e.period + step, ch.porta_target);
    else if (e.period > ch.porta_target) e.period = std::max(e.period - step, ch.porta_target);
    e.flags |= ENTRY_FREQUENCY;
}

void auto_vibrato(const Instrument& ins, ChannelEntry& e) {
    if (!ins.vibrato_depth) return;
    const int pos = e.auto_vibrato_position;
    int value = 0;
    switch (ins.vibrato_type & 3) {
    case 0: value = tables().sine256[pos & 255]; break;
    case 1: value = pos < 128 ? 64 : -64; break;
    case 2: value = (128 - (pos + 128) % 256) / 2; break;
    default: value = (128 - (384 - pos) % 256) / 2; break;
    }
    value *= ins.vibrato_depth;
    if (e.auto_vibrato_sweep < ins.vibrato_sweep) {
        value = value * e.auto_vibrato_sweep / ins.vibrato_sweep;
        ++e.auto_vibrato_sweep;
    }
    e.period_delta += value / 64;
    e.auto_vibrato_position = (pos + ins.vibrato_rate) % 256;
    e.flags |= ENTRY_FREQUENCY;
}

void start_note(MusicSong* song, SongChannel& ch, ChannelEntry& e, bool with_instrument, const PatternNote& n) {
    if (with_instrument) {
        SoundSample* s = e.sample;
        e.volume = s ? std::min(s->default_volume, 64) : 0;
        e.pan = s ? std::clamp(s->default_pan, 0, 255) : 128;
        e.volume_envelope = EnvelopeState{};
        e.volume_envelope.value = 64 << 16, e.volume_envelope.current = 64;
        e.pan_envelope = EnvelopeState{};
        e.pan_envelope.value = 32 << 16, e.pan_envelope.current = 32;
        e.fadeout_volume = 65536;
        e.auto_vibrato_position = e.auto_vibrato_sweep = 0;
        e.key_off = false;
        ch.retrigger_counter = 0;
        if (!(ch.waveforms & 4)) ch.vibrato_position = 0;
        if (!(ch.waveforms & 0x40)) ch.tremolo_position = 0;
        e.flags |= ENTRY_VOLUME | ENTRY_PAN;
    }
    // Volume column on the row.
    const int v = n.volume, y = v & 15;
    if (v >= 0x10 && v <= 0x50) e.volume = v - 16;
    else if ((v >> 4) == 6 || (v >> 4) == 8) e.volume = std::max(0, e.volume - y);
    else if ((v >> 4) == 7 || (v >> 4) == 9) e.volume = std::min(64, e.volume + y);
    else if ((v >> 4) == 0xA) ch.vibrato_speed = y;
    else if ((v >> 4) == 0xB) ch.vibrato_depth = y;
    else if ((v >> 4) == 0xC) e.pan = y * 16, e.flags |= ENTRY_PAN;
    else if ((v >> 4) == 0xD) e.pan = std::max(0, e.pan - y), e.flags |= ENTRY_PAN;
    else if ((v >> 4) == 0xE) e.pan = std::min(255, e.pan + y), e.flags |= ENTRY_PAN;
    else if ((v >> 4) == 0xF) {
        if (y) ch.porta_speed = y * 16;
        ch.porta_target = ch.period;
    }
    e.flags |= ENTRY_VOLUME;
    if (n.note == kNoteKeyOff || n.effect == kFxKeyOff) e.key_off = true;
    const Instrument& ins = channel_instrument(song, ch);
    if (ins.volume_envelope.on()) envelope_step(ins.volume_envelope, e.volume_envelope, e.key_off);
    else if (e.key_off) e.volume_envelope.current = 0;
    if (ins.pan_envelope.on()) envelope_step(ins.pan_envelope, e.pan_envelope, e.key_off);
    if (e.key_off) e.fadeout_volume = std::max(0, e.fadeout_volume - ins.fadeout);
}

void update_mixer_channel(MusicSong* song, SongChannel& ch, ChannelEntry& e) {
    if (!ch.has_channel && !(e.flags & ENTRY_TRIGGER)) return;
    const int playing_volume = e.volume + e.volume_delta;
    if (song->channel_limit > 0 && playing_volume < song->volume_threshold) {
        int playing = 0;
        for (int i = 0; i < song->channel_count; ++i) playing += song->channels[i].has_channel;
        if (playing > song->channel_limit) e.flags |= ENTRY_STOP;
    }
    if (e.flags & ENTRY_STOP) {
        music_release_channel(ch);
        e.start_offset = 0;
        e.flags = 0;
        return;
    }
    if (e.flags & ENTRY_TRIGGER) {
        // A missing instrument or empty slot plays nothing.
        const bool playable = e.sample && e.sample->data && e.sample->length > 0;
        if (!music_take_channel(song, ch) || !playable) {
            e.flags = 0;
            return;
        }
        e.start_offset = 0;
        e.flags |= ENTRY_FREQUENCY | ENTRY_VOLUME | ENTRY_PAN;
    }
    if (e.flags & ENTRY_VOLUME) {
        const uint64_t v = uint64_t(std::clamp(playing_volume, 0, 64)) * uint64_t(e.fadeout_volume) *
                           uint64_t(std::clamp(e.volume_envelope.current, 0, 64)) / 2048 *
                           uint64_t(std::clamp(song->global_volume, 0, 64)) * uint64_t(song->master_volume) >> 24;
        channel_set_volume(e.handle, int(std::min<uint64_t>(v, 255)));
    }
    if (e.flags & (ENTRY_PAN | ENTRY_VOLUME)) {
        const int h = 128 - std::abs(e.pan - 128);
        const int p = e.pan + (h / 32) * (e.pan_envelope.current - 32);
        const int pan = 128 + int(std::lround((p - 128) * song->pan_separation / 256.0));
        channel_set_pan(e.handle, std::clamp(pan, 0, 255));
    }
    if (e.flags & ENTRY_FREQUENCY) {
        const int period = e.period + e.period_delta;
        if (period != 0) channel_set_frequency(e.handle, xm_period_to_hz(std::max(period, 1), song->flags & 1));
    }
    e.flags = 0;
}

void set_next_order(MusicSong* song, int order) {
    if (order >= song->order_count) {
        song->finished = true;
        order = 0;
    }
    song->next_order = order;
}

void process_row(MusicSong* song) {
    Pattern& pattern = song->patterns[song->orders[song->order]];
    if (song->row >= pattern.rows) song->row = 0;
    bool jumped = false;
    song->next_row = song->row + 1;
    song->next_order = song->order;
    bool explicit_next = false;
    for (int c = 0; c < song->channel_count; ++c) {
        SongChannel& ch = song->channels[c];
        ChannelEntry& e = ch.entry;
        const PatternNote& n = pattern.notes[size_t(song->row) * song->channel_count + c];
        const int p = n.param, x = p >> 4, y = p & 15;
        const bool porta = n.effect == kFxTonePorta || n.effect == kFxTonePortaVolumeSlide || (n.volume >> 4) == 0xF;
        const bool has_instrument = n.instrument >= 1 && n.instrument <= 128;
        if (has_instrument && !porta) ch.instrument = n.instrument;
        if (has_instrument) music_queue_callback(song, song->instrument_callbacks[n.instrument], n.instrument);
        if (n.note >= 1 && n.note <= 96 && !porta) ch.note = n.note;
        SoundSample* sample = entry_sample(song, ch);
        if (!porta || !e.sample) e.sample = sample;
        const int saved_period = e.period, saved_volume = e.volume, saved_pan = e.pan;
        if (ch.last_effect == kFxTremolo && n.effect != kFxTremolo)
            e.volume = std::clamp(e.volume + ch.tremolo_delta, 0, 64);
        ch.last_effect = n.effect;
        e.volume_delta = 0;
        e.flags = 0;
        if (n.note >= 1 && n.note <= 96) {
            SoundSample* s = entry_sample(song, ch);
            const int relative = s ? s->relative_note : 0;
            const int finetune = s ? s->finetune : 0;
            ch.real_note = int8_t(n.note + relative - 1);
            ch.period = note_period(song, ch.real_note, finetune);
            if (porta) ch.porta_target = ch.period;
            else {
                e.period = ch.period;
                e.flags |= ENTRY_TRIGGER;
            }
        }
        e.period_delta = 0;
        e.flags |= ENTRY_FREQUENCY | ENTRY_VOLUME;
        // A delayed note starts at its tick: until then the note before it
        // goes on as it was, keyed off or not.
        const bool delayed = n.effect == kFxExtended && x == kFxNoteDelay && y;
        if (!delayed) start_note(song, ch, e, has_instrument, n);
        switch (n.effect) {
        case kFxPortaUp: if (p) ch.porta_up = p; break;
        case kFxPortaDown: if (p) ch.porta_down = p; break;
        case kFxTonePorta: if (p) ch.porta_speed = p; break;
        case kFxVibrato:
            if (x) ch.vibrato_speed = x;
            if (y) ch.vibrato_depth = y;
            vibrato_step(ch, e, false);
            break;
        case kFxTonePortaVolumeSlide: if (p) ch.volume_slide = p; break;
        case kFxVibratoVolumeSlide:
            if (p) ch.volume_slide = p;
            vibrato_step(ch, e, false);
            break;
        case kFxTremolo:
            if (x) ch.tremolo_speed = x;
            if (y) ch.tremolo_depth = y;
            break;
        case kFxSetPan: e.pan = p, e.flags |= ENTRY_PAN; break;
        case kFxSampleOffset:
            if (p) ch.sample_offset = p;
            if (e.flags & ENTRY_TRIGGER) {
                const int offset = ch.sample_offset * 256;
                if (!e.sample || offset >= e.sample->loop_start + e.sample->loop_length) e.flags |= ENTRY_STOP;
                else e.start_offset = offset;
            }
            break;
        case kFxVolumeSlide: if (p) ch.volume_slide = p; break;
        case kFxPositionJump:
            song->next_row = 0;
            set_next_order(song, p);
            jumped = explicit_next = true;
            break;
        case kFxSetVolume: e.volume = std::min(p, 64); break;
        case kFxPatternBreak:
            song->next_row = x * 10 + y > 63 ? 0 : x * 10 + y;
            if (!jumped) set_next_order(song, song->order + 1);
            explicit_next = true;
            break;
        case kFxExtended:
            switch (x) {
            case kFxFinePortaUp: if (y) ch.fine_porta_up = y; e.period -= ch.fine_porta_up * 4; break;
            case kFxFinePortaDown: if (y) ch.fine_porta_down = y; e.period += ch.fine_porta_down * 4; break;
            case kFxVibratoWaveform: ch.waveforms = uint8_t((ch.waveforms & 0xF0) | y); break;
            case kFxSetFinetune:
                if (e.sample && e.sample != music_dummy_sample()) e.sample->finetune = int8_t(y);
                break;
            case kFxPatternLoop:
                if (y == 0) ch.loop_row = song->row;
                else {
                    if (ch.loop_count == 0) ch.loop_count = y;
                    else --ch.loop_count;
                    if (ch.loop_count) song->next_row = ch.loop_row, song->next_order = song->order;
                }
                break;
            case kFxTremoloWaveform: ch.waveforms = uint8_t((ch.waveforms & 0x0F) | (y << 4)); break;
            case kFxSetPanCoarse: e.pan = y * 16, e.flags |= ENTRY_PAN; break;
            case kFxFineVolumeUp:
                if (y) ch.fine_volume_up = y;
                e.volume = std::min(64, e.volume + ch.fine_volume_up);
                break;
            case kFxFineVolumeDown:
                if (y) ch.fine_volume_down = y;
                e.volume = std::max(0, e.volume - ch.fine_volume_down);
                break;
            case kFxNoteDelay:
                if (y) {
                    e.period = saved_period, e.volume = saved_volume, e.pan = saved_pan;
                    e.flags = 0;
                }
                break;
            case kFxPatternDelay: song->pattern_delay = y * song->speed; break;
            }
            break;
        case kFxSetSpeedOrTempo:
            if (p >= 32) music_set_tempo(song, p);
            else song->speed = p;
            break;
        case kFxSetGlobalVolume: song->global_volume = std::min(p, 64); break;
        case kFxGlobalVolumeSlide: if (p) song->channels[0].global_volume_slide = p; break;
        case kFxSetEnvelopePosition:
            if (channel_instrument(song, ch).volume_envelope.on())
                envelope_set_tick(channel_instrument(song, ch).volume_envelope, e.volume_envelope, p);
            break;
        case kFxPanSlide: if (p) ch.pan_slide = p; break;
        case kFxMultiRetrigger:
            if (p) ch.retrigger_volume = x, ch.retrigger_interval = y;
            break;
        case kFxTremor:
            if (p) ch.tremor_on = x + 1, ch.tremor_off = y + 1;
            break;
        case kFxCallback: music_queue_callback(song, song->zxx_callback, p); break;
        case kFxExtraFinePorta:
            if (x == 1) { if (y) ch.extra_fine_up = y; e.period -= ch.extra_fine_up; }
            if (x == 2) { if (y) ch.extra_fine_down = y; e.period += ch.extra_fine_down; }
            break;
        }
        auto_vibrato(channel_instrument(song, ch), e);
        update_mixer_channel(song, ch, e);
    }
    if (!explicit_next && song->next_row >= pattern.rows) {
        song->next_row = 0;
        set_next_order(song, song->order + 1);
        if (song->finished) song->next_order = song->restart_order;
    }
}

constexpr int kRetriggerAdd[16] = {0, -1, -2, -4, -8, -16, 0, 0, 0, 1, 2, 4, 8, 16, 0, 0};

void process_tick(MusicSong* song) {
    Pattern& pattern = song->patterns[song->orders[song->order]];
    for (int c = 0; c < song->channel_count; ++c) {
        SongChannel& ch = song->channels[c];
        ChannelEntry& e = ch.entry;
        const PatternNote& n = pattern.notes[size_t(std::min(song->row, pattern.rows - 1)) * song->channel_count + c];
        const int p = n.param, x = p >> 4, y = p & 15;
        e.volume_delta = 0;
        e.period_delta = 0;
        e.flags = 0;
        const Instrument& ins = channel_instrument(song, ch);
        if (ins.volume_envelope.on()) envelope_step(ins.volume_envelope, e.volume_envelope, e.key_off);
        if (ins.pan_envelope.on()) envelope_step(ins.pan_envelope, e.pan_envelope, e.key_off);
        if (e.key_off) e.fadeout_volume = std::max(0, e.fadeout_volume - ins.fadeout);
        e.flags |= ENTRY_VOLUME;
        const int vy = n.volume & 15;
        switch (n.volume >> 4) {
        case 6: e.volume = std::max(0, e.volume - vy); break;
        case 7: e.volume = std::min(64, e.volume + vy); break;
        case 0xB: ch.vibrato_depth = vy; vibrato_step(ch, e, true); break;
        case 0xD: e.pan = std::max(0, e.pan - vy), e.flags |= ENTRY_PAN; break;
        case 0xE: e.pan = std::min(255, e.pan + vy), e.flags |= ENTRY_PAN; break;
        case 0xF: tone_portamento(ch, e); break;
        }
        switch (n.effect) {
        case kFxArpeggio:
            if (p) {
                const int k = song->tick % 3;
                const int semis = k == 1 ? x : k == 2 ? y : 0;
                if (song->flags & 1) e.period_delta = -(semis * 64);
                else e.period_delta = amiga_at(ch.real_note + semis) - amiga_at(ch.real_note);
                e.flags |= ENTRY_FREQUENCY;
            }
            break;
        case kFxPortaUp: e.period = std::max(56, e.period - ch.porta_up * 4), e.flags |= ENTRY_FREQUENCY; break;
        case kFxPortaDown: e.period += ch.porta_down * 4, e.flags |= ENTRY_FREQUENCY; break;
        case kFxTonePorta: tone_portamento(ch, e); break;
        case kFxVibrato: vibrato_step(ch, e, true); break;
        case kFxTonePortaVolumeSlide:
            tone_portamento(ch, e);
            volume_slide(e, ch.volume_slide);
            break;
        case kFxVibratoVolumeSlide:
            vibrato_step(ch, e, true);
            volume_slide(e, ch.volume_slide);
            break;
        case kFxTremolo: tremolo_step(ch, e); break;
        case kFxVolumeSlide: volume_slide(e, ch.volume_slide); break;
        case kFxExtended:
            if (x == kFxNoteCut && song->tick == y) e.volume = 0;
            if (x == kFxRetrigger && y && song->tick % y == 0) e.flags |= ENTRY_TRIGGER;
            if (x == kFxNoteDelay && song->tick == y) {
                if (n.note >= 1 && n.note <= 96) e.period = ch.period;
                start_note(song, ch, e, n.instrument >= 1 && n.instrument <= 128, n);
                e.flags |= ENTRY_TRIGGER | ENTRY_FREQUENCY | ENTRY_PAN;
            }
            break;
        case kFxGlobalVolumeSlide: {
            const int m = song->channels[0].global_volume_slide;
            if (m >> 4) song->global_volume = std::min(64, song->global_volume + (m >> 4));
            else song->global_volume = std::max(0, song->global_volume - (m & 15));
            break;
        }
        case kFxPanSlide:
            if (ch.pan_slide >> 4) e.pan = std::min(255, e.pan + (ch.pan_slide >> 4));
            else e.pan = std::max(0, e.pan - (ch.pan_slide & 15));
            e.flags |= ENTRY_PAN;
            break;
        case kFxMultiRetrigger:
            if (ch.retrigger_interval && song->tick % ch.retrigger_interval == 0) {
                const int m = ch.retrigger_volume;
                int v = e.volume + kRetriggerAdd[m];
                if (m == 6) v = e.volume * 2 / 3;
                if (m == 7) v = e.volume / 2;
                if (m == 14) v = e.volume * 3 / 2;
                if (m == 15) v = e.volume * 2;
                e.volume = std::clamp(v, 0, 64);
                e.flags |= ENTRY_TRIGGER;
            }
            break;
        case kFxTremor:
            if (ch.tremor_on + ch.tremor_off > 0) {
                if (ch.tremor_counter >= ch.tremor_on) e.volume_delta = -e.volume;
                ch.tremor_counter = (ch.tremor_counter + 1) % (ch.tremor_on + ch.tremor_off);
            }
            break;
        }
        auto_vibrato(ins, e);
        update_mixer_channel(song, ch, e);
    }
}

}  // namespace

int xm_period_interpolate(int note, int finetune) {
    const int base = amiga_at(note);
    if (finetune < 0 && note > 0) return base + (base - amiga_at(note - 1)) * finetune / 128;
    return base + (amiga_at(note + 1) - base) * finetune / 128;
}

int xm_period_to_hz(int period, bool linear) {
    if (period < 1) period = 1;
    if (!linear) return kAmigaClock / period;
    const int octave = period / 768;
    if (octave >= 32) return 0;  // a shift of 32 or more would be undefined
    return tables().linear[period % 768] >> octave;
}

int music_finetune_rate(int finetune) {
    static constexpr int kRates[16] = {8363, 8413, 8463, 8529, 8581, 8651, 8723, 8757,
                                       7895, 7941, 7985, 8046, 8107, 8169, 8232, 8280};
    return finetune >= 0 && finetune < 16 ? kRates[finetune] : 8363;
}

void xm_update_song(MusicSong* song) {
    if (song->tick != 0) {
        process_tick(song);
    } else if (!song->finished || song->looping) {
        const int previous_order = song->advance ? song->order : -1;
        if (song->advance) {
            song->row = song->next_row;
            song->order = std::min(song->next_order, song->order_count - 1);
        }
        if (song->pending_order >= 0) {
            song->order = song->pending_order;
            song->row = std::max(song->pending_row, 0);
            song->pending_order = song->pending_row = -1;
        }
        song->finished = false;
        if (song->order != previous_order) music_queue_callback(song, song->order_callback, song->order);
        music_queue_callback(song, song->row_callback, song->row);
        process_row(song);
        song->advance = true;
    } else {
        song->playing = false;
        return;
    }
    if (song->speed == 0) {
        // F00: the song ends here, looping or not.
        song->finished = true;
        song->playing = false;
        return;
    }
    if (++song->tick >= song->speed + song->pattern_delay) {
        song->tick = 0;
        song->pattern_delay = 0;
    }
}

SoundSample* music_dummy_sample() {
    static SoundSample dummy = make_dummy_sample();
    return &dummy;
}
