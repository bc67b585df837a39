// A small writer of XM modules, shared by the demo music tool and the tests:
// builds the file bytes from plain structures (packed pattern cells,
// delta-coded sample data).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/byte_order.h"

namespace xm {

struct Cell {
    uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

struct Pattern {
    int rows = 64;
    std::vector<Cell> cells;  // rows x channels; empty = all blank
    bool pack = true;         // false writes every cell in full
    Cell& at(int row, int channel, int channels) {
        cells.resize(size_t(rows) * channels);
        return cells[size_t(row) * channels + channel];
    }
};

struct EnvelopePoint {
    uint16_t tick, value;
};

struct Envelope {
    std::vector<EnvelopePoint> points;
    uint8_t type = 0, sustain = 0, loop_start = 0, loop_end = 0;
    int count_override = -1;  // writes this point count instead (malformed files)
};

struct Sample {
    std::vector<int16_t> frames;  // 8-bit samples use the low byte range -128..127
    bool bits16 = false;
    bool stereo = false;  // frames interleaved left/right
    uint8_t loop = 0;     // 0 off, 1 forward, 2 ping-pong
    uint32_t loop_start = 0, loop_length = 0;  // frames
    uint8_t volume = 64, pan = 128;
    int8_t finetune = 0, relative_note = 0;
    std::string name;
    int64_t length_override = -1;  // bytes written in the header instead of the real length
};

struct Instrument {
    std::string name;
    std::vector<Sample> samples;
    uint8_t note_map[96] = {};
    Envelope volume, pan;
    uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    uint16_t fadeout = 0;
    int sample_count_override = -1;
};

struct Module {
    std::string name = "test";
    int channels = 4;
    std::vector<uint8_t> orders{0};
    int restart = 0;
    uint16_t flags = 1;  // linear frequencies
    int speed = 6, tempo = 125;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
    int channels_override = -1, orders_override = -1;
};

inline void put_text(std::vector<uint8_t>& out, const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? uint8_t(text[i]) : 0);
}

inline void put_u16(std::vector<uint8_t>& out, uint16_t v) { out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8)); }
inline void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    put_u16(out, uint16_t(v));
    put_u16(out, uint16_t(v >> 16));
}

inline void write_cell(std::vector<uint8_t>& out, const Cell& c, bool pack) {
    const uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
    if (!pack) {
        out.insert(out.end(), fields, fields + 5);
        return;
    }
    uint8_t mask = 0x80;
    for (int i = 0; i < 5; ++i)
        if (fields[i]) mask |= uint8_t(1 << i);
    out.push_back(mask);
    for (int i = 0; i < 5; ++i)
        if (fields[i]) out.push_back(fields[i]);
}

inline void write_envelope_points(std::vector<uint8_t>& out, const Envelope& e) {
    for (int i = 0; i < 12; ++i) {
        const EnvelopePoint p = i < int(e.points.size()) ? e.points[i] : EnvelopePoint{0, 0};
        put_u16(out, p.tick);
        put_u16(out, p.value);
    }
}

// Delta-coded sample bytes: stereo data is two planes, left then right.
inline std::vector<uint8_t> sample_bytes(const Sample& s) {
    std::vector<uint8_t> out;
    const int channels = s.stereo ? 2 : 1;
    const size_t frames = s.frames.size() / channels;
    for (int c = 0; c < channels; ++c) {
        int previous = 0;
        for (size_t i = 0; i < frames; ++i) {
            const int v = s.frames[i * channels + c];
            if (s.bits16) put_u16(out, uint16_t(v - previous));
            else out.push_back(uint8_t(v - previous));
            previous = v;
        }
    }
    return out;
}

inline std::vector<uint8_t> write(const Module& m) {
    std::vector<uint8_t> out;
    put_text(out, "Extended Module: ", 17);
    put_text(out, m.name, 20);
    out.push_back(26);
    put_text(out, "xm_writer", 20);
    put_u16(out, 0x0104);
    put_u32(out, 276);
    put_u16(out, uint16_t(m.orders_override >= 0 ? m.orders_override : int(m.orders.size())));
    put_u16(out, uint16_t(m.restart));
    put_u16(out, uint16_t(m.channels_override >= 0 ? m.channels_override : m.channels));
    put_u16(out, uint16_t(m.patterns.size()));
    put_u16(out, uint16_t(m.instruments.size()));
    put_u16(out, m.flags);
    put_u16(out, uint16_t(m.speed));
    put_u16(out, uint16_t(m.tempo));
    for (int i = 0; i < 256; ++i) out.push_back(i < int(m.orders.size()) ? m.orders[i] : 0);
    for (const Pattern& p : m.patterns) {
        std::vector<uint8_t> packed;
        if (!p.cells.empty())
            for (size_t i = 0; i < size_t(p.rows) * m.channels; ++i)
                write_cell(packed, i < p.cells.size() ? p.cells[i] : Cell{}, p.pack);
        put_u32(out, 9);
        out.push_back(0);
        put_u16(out, uint16_t(p.rows));
        put_u16(out, uint16_t(packed.size()));
        out.insert(out.end(), packed.begin(), packed.end());
    }
    for (const Instrument& ins : m.instruments) {
        const int count = ins.sample_count_override >= 0 ? ins.sample_count_override : int(ins.samples.size());
        put_u32(out, count > 0 ? 263 : 29);
        put_text(out, ins.name, 22);
        out.push_back(0);
        put_u16(out, uint16_t(count));
        if (count > 0) {
            put_u32(out, 40);
            out.insert(out.end(), ins.note_map, ins.note_map + 96);
            write_envelope_points(out, ins.volume);
            write_envelope_points(out, ins.pan);
            auto count_of = [](const Envelope& e) {
                return uint8_t(e.count_override >= 0 ? e.count_override : int(e.points.size()));
            };
            out.push_back(count_of(ins.volume));
            out.push_back(count_of(ins.pan));
            for (uint8_t b : {ins.volume.sustain, ins.volume.loop_start, ins.volume.loop_end, ins.pan.sustain,
                              ins.pan.loop_start, ins.pan.loop_end, ins.volume.type, ins.pan.type, ins.vibrato_type,
                              ins.vibrato_sweep, ins.vibrato_depth, ins.vibrato_rate})
                out.push_back(b);
            put_u16(out, ins.fadeout);
            for (int i = 0; i < 22; ++i) out.push_back(0);  // reserved
        }
        std::vector<std::vector<uint8_t>> datas;
        for (const Sample& s : ins.samples) {
            datas.push_back(sample_bytes(s));
            const uint32_t unit = (s.bits16 ? 2u : 1u) * (s.stereo ? 2u : 1u);
            put_u32(out, s.length_override >= 0 ? uint32_t(s.length_override) : uint32_t(datas.back().size()));
            put_u32(out, s.loop_start * unit);
            put_u32(out, s.loop_length * unit);
            out.push_back(s.volume);
            out.push_back(uint8_t(s.finetune));
            out.push_back(uint8_t(s.loop | (s.bits16 ? 0x10 : 0) | (s.stereo ? 0x20 : 0)));
            out.push_back(s.pan);
            out.push_back(uint8_t(s.relative_note));
            out.push_back(0);
            put_text(out, s.name, 22);
        }
        for (const auto& d : datas) out.insert(out.end(), d.begin(), d.end());
    }
    return out;
}

// A one-sample instrument: every note plays sample 0.
inline Instrument simple_instrument(Sample sample) {
    Instrument ins;
    ins.name = sample.name;
    ins.samples.push_back(std::move(sample));
    return ins;
}

// One cycle of a square wave repeated, looping forever.
inline Sample square_sample(int period_frames = 32, int cycles = 8, int amplitude = 100, bool bits16 = false) {
    Sample s;
    s.bits16 = bits16;
    for (int i = 0; i < period_frames * cycles; ++i) {
        const int v = (i % period_frames) < period_frames / 2 ? amplitude : -amplitude;
        s.frames.push_back(int16_t(bits16 ? v * 256 : v));
    }
    s.loop = 1;
    s.loop_start = 0;
    s.loop_length = uint32_t(s.frames.size());
    return s;
}

}  // namespace xm
