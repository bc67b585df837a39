// Writes RIFF WAV files: PCM of 8 or 16 bits and IMA ADPCM, with optional
// extra chunks. Used by the demo sound generator, the render tool, tests and
// benchmarks. Header-only so every program of the build can use it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/byte_order.h"

namespace wav_writer {

struct Chunk {
    std::string id;  // four characters
    std::vector<uint8_t> body;
};

inline void append_id(std::vector<uint8_t>& out, const std::string& id) {
    for (int i = 0; i < 4; ++i) out.push_back(i < int(id.size()) ? uint8_t(id[i]) : uint8_t(' '));
}

inline void append_chunk(std::vector<uint8_t>& out, const Chunk& chunk) {
    append_id(out, chunk.id);
    append_u32le(out, uint32_t(chunk.body.size()));
    out.insert(out.end(), chunk.body.begin(), chunk.body.end());
    if (chunk.body.size() & 1) out.push_back(0);  // pad byte
}

// A RIFF WAVE file made of the given chunks in order.
inline std::vector<uint8_t> riff(const std::vector<Chunk>& chunks) {
    std::vector<uint8_t> out;
    append_id(out, "RIFF");
    append_u32le(out, 0);
    append_id(out, "WAVE");
    for (const Chunk& chunk : chunks) append_chunk(out, chunk);
    write_u32le(out.data() + 4, uint32_t(out.size() - 8));
    return out;
}

inline Chunk pcm_format(int channels, int rate, int bits) {
    Chunk fmt{"fmt ", {}};
    int block_align = channels * bits / 8;
    append_u16le(fmt.body, 1);
    append_u16le(fmt.body, uint16_t(channels));
    append_u32le(fmt.body, uint32_t(rate));
    append_u32le(fmt.body, uint32_t(rate * block_align));
    append_u16le(fmt.body, uint16_t(block_align));
    append_u16le(fmt.body, uint16_t(bits));
    return fmt;
}

inline Chunk adpcm_format(int channels, int rate, int block_align, int samples_per_block) {
    Chunk fmt{"fmt ", {}};
    append_u16le(fmt.body, 17);
    append_u16le(fmt.body, uint16_t(channels));
    append_u32le(fmt.body, uint32_t(rate));
    append_u32le(fmt.body, uint32_t(samples_per_block > 0 ? int64_t(rate) * block_align / samples_per_block : 0));
    append_u16le(fmt.body, uint16_t(block_align));
    append_u16le(fmt.body, 4);
    append_u16le(fmt.body, 2);
    append_u16le(fmt.body, uint16_t(samples_per_block));
    return fmt;
}

inline Chunk data(const std::vector<uint8_t>& bytes) { return Chunk{"data", bytes}; }

inline std::vector<uint8_t> pcm16_bytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (int16_t s : samples) append_u16le(bytes, uint16_t(s));
    return bytes;
}

// A "smpl" chunk with one forward loop from start to end (frames).
inline Chunk sample_loop(int start, int end) {
    Chunk smpl{"smpl", std::vector<uint8_t>(60, 0)};
    write_u32le(smpl.body.data() + 28, 1);  // one loop
    write_u32le(smpl.body.data() + 44, uint32_t(start));
    write_u32le(smpl.body.data() + 48, uint32_t(end));
    return smpl;
}

inline std::vector<uint8_t> pcm16(const std::vector<int16_t>& interleaved, int channels, int rate) {
    return riff({pcm_format(channels, rate, 16), data(pcm16_bytes(interleaved))});
}

inline std::vector<uint8_t> pcm8(const std::vector<uint8_t>& interleaved, int channels, int rate) {
    return riff({pcm_format(channels, rate, 8), data(interleaved)});
}

inline bool save(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

inline std::vector<uint8_t> load(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(in);
    return bytes;
}

}  // namespace wav_writer
