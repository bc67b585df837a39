// Little-endian reading and writing of fixed-size integers. Every file format
// of the program (story files, save games, bitmaps, archives, sounds) goes
// through these so that no format depends on the host's byte order or on the
// layout of a struct.
#pragma once

#include <cstdint>
#include <vector>

inline uint8_t read_u8(const uint8_t* p) { return p[0]; }

inline uint16_t read_u16le(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

inline uint32_t read_u32le(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
           (uint32_t(p[3]) << 24);
}

inline uint64_t read_u64le(const uint8_t* p) {
    return uint64_t(read_u32le(p)) | (uint64_t(read_u32le(p + 4)) << 32);
}

inline int16_t read_i16le(const uint8_t* p) { return int16_t(read_u16le(p)); }
inline int32_t read_i32le(const uint8_t* p) { return int32_t(read_u32le(p)); }

inline void write_u16le(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void write_u32le(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

inline void write_u64le(uint8_t* p, uint64_t v) {
    write_u32le(p, uint32_t(v));
    write_u32le(p + 4, uint32_t(v >> 32));
}

// Appending forms, for writers that grow a byte vector.
inline void append_u8(std::vector<uint8_t>& out, uint8_t v) { out.push_back(v); }

inline void append_u16le(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

inline void append_u32le(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
