// Writes uncompressed BMP files: the data tools use it for the game's
// pictures, the tests and benchmarks for hand-made files of every layout the
// decoder reads. Header-only so that all of them can include it without
// linking the art tools' library.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/byte_order.h"

struct BmpLayout {
    int32_t width = 0;
    int32_t height = 0;            // negative: rows stored top-down
    uint16_t bits = 24;            // 1, 4, 8, 16, 24 or 32
    uint32_t compression = 0;      // 0, or 3 with `masks`
    uint32_t info_size = 40;       // 40, 52, 56, 108 or 124 (bytes after the 14-byte file header)
    std::vector<uint32_t> palette{}; // 0x00RRGGBB entries, for 8 bits or fewer
    uint32_t colors_used = 0;      // written as it stands
    std::vector<uint32_t> masks{};  // channel masks written after a 40-byte header
    uint32_t gap = 0;              // extra bytes between the palette and the pixels
};

// `values` holds width x |height| pixel values, top row first: palette
// indexes for 8 bits or fewer, the raw 16-bit word for 16 bits, and
// 0xAARRGGBB for 24 and 32 bits.
inline std::vector<uint8_t> write_bmp(const BmpLayout& l, const std::vector<uint32_t>& values) {
    const int32_t rows = l.height < 0 ? -l.height : l.height;
    const uint32_t row_bytes = uint32_t((int64_t(l.width) * l.bits + 31) / 32 * 4);
    const uint32_t masks_after_header = l.info_size == 40 ? uint32_t(l.masks.size() * 4) : 0;
    const uint32_t palette_at = 14 + l.info_size + masks_after_header;
    const uint32_t pixels_at = palette_at + uint32_t(l.palette.size() * 4) + l.gap;
    const uint32_t file_size = pixels_at + row_bytes * uint32_t(rows);

    std::vector<uint8_t> out;
    out.reserve(file_size);
    out.push_back('B');
    out.push_back('M');
    append_u32le(out, file_size);
    append_u32le(out, 0);
    append_u32le(out, pixels_at);
    append_u32le(out, l.info_size);
    append_u32le(out, uint32_t(l.width));
    append_u32le(out, uint32_t(l.height));
    append_u16le(out, 1);
    append_u16le(out, l.bits);
    append_u32le(out, l.compression);
    append_u32le(out, row_bytes * uint32_t(rows));
    append_u32le(out, 2835);  // 72 dots per inch
    append_u32le(out, 2835);
    append_u32le(out, l.colors_used);
    append_u32le(out, 0);
    // Longer headers: masks first (when given), then zeros.
    size_t header_end = 14 + l.info_size;
    if (l.info_size > 40)
        for (uint32_t m : l.masks) append_u32le(out, m);
    while (out.size() < header_end) out.push_back(0);
    if (l.info_size == 40)
        for (uint32_t m : l.masks) append_u32le(out, m);
    for (uint32_t c : l.palette) append_u32le(out, c & 0xFFFFFF);
    out.resize(out.size() + l.gap, 0);

    for (int32_t r = 0; r < rows; ++r) {
        const int32_t y = l.height < 0 ? r : rows - 1 - r;
        std::vector<uint8_t> row(row_bytes, 0);
        for (int32_t x = 0; x < l.width; ++x) {
            const uint32_t v = values[size_t(y) * size_t(l.width) + size_t(x)];
            switch (l.bits) {
                case 1: row[size_t(x) / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
                case 4: row[size_t(x) / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4)); break;
                case 8: row[size_t(x)] = uint8_t(v); break;
                case 16: write_u16le(&row[size_t(x) * 2], uint16_t(v)); break;
                case 24:
                    row[size_t(x) * 3] = uint8_t(v);
                    row[size_t(x) * 3 + 1] = uint8_t(v >> 8);
                    row[size_t(x) * 3 + 2] = uint8_t(v >> 16);
                    break;
                case 32: write_u32le(&row[size_t(x) * 4], v); break;
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}
