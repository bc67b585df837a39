// A small zip writer: stored and raw-deflated members, one disk, no zip64.
// Used by the zippack tool to pack the demo data and by the tests to build
// archives with exactly the properties (and damage) they need. Every field
// goes through the little-endian helpers.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/byte_order.h"

struct ZipMember {
    enum class Method { kBest, kStored, kDeflated };

    ZipMember() = default;
    ZipMember(std::string member_name, std::vector<uint8_t> member_data)
        : name(std::move(member_name)), data(std::move(member_data)) {}

    std::string name;
    std::vector<uint8_t> data;
    Method method = Method::kBest;  // kBest stores what deflate cannot shrink
    int level = 6;
    uint32_t dos_date_time = 0x5A210000;  // 2025-01-01 00:00:00
    std::vector<uint8_t> local_extra;
    std::vector<uint8_t> central_extra;
    std::string comment;
};

// The finished archive with the offsets of its headers, so that tests can
// damage particular fields.
struct ZipImage {
    std::vector<uint8_t> bytes;
    std::vector<size_t> local_headers;
    std::vector<size_t> central_headers;
    size_t end_record = 0;
};

inline std::vector<uint8_t> zip_deflate_raw(const std::vector<uint8_t>& data, int level) {
    z_stream s{};
    if (deflateInit2(&s, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::vector<uint8_t> out(deflateBound(&s, uLong(data.size())));
    s.next_in = const_cast<Bytef*>(data.data());
    s.avail_in = uInt(data.size());
    s.next_out = out.data();
    s.avail_out = uInt(out.size());
    int result = deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate failed");
    return out;
}

inline void zip_append_bytes(std::vector<uint8_t>& out, const void* p, size_t n) {
    auto* b = static_cast<const uint8_t*>(p);
    out.insert(out.end(), b, b + n);
}

// Writes `members` in order after `prefix` (bytes before the archive, which
// archive offsets do not count), then the directory and `comment`.
inline ZipImage zip_write(const std::vector<ZipMember>& members, const std::string& comment = {},
                          const std::vector<uint8_t>& prefix = {}) {
    ZipImage image;
    std::vector<uint8_t>& out = image.bytes;
    out = prefix;
    struct Written {
        uint16_t method;
        uint32_t crc, compressed, offset;
    };
    std::vector<Written> written;
    // The fields both headers carry, from "version needed" to the extra length.
    auto append_shared_fields = [&out](const ZipMember& m, const Written& w,
                                       const std::vector<uint8_t>& extra) {
        append_u16le(out, 20);  // version needed
        append_u16le(out, 0);   // flags
        append_u16le(out, w.method);
        append_u32le(out, m.dos_date_time);
        append_u32le(out, w.crc);
        append_u32le(out, w.compressed);
        append_u32le(out, uint32_t(m.data.size()));
        append_u16le(out, uint16_t(m.name.size()));
        append_u16le(out, uint16_t(extra.size()));
    };
    for (const ZipMember& m : members) {
        uint32_t crc = uint32_t(crc32(0, m.data.data(), uInt(m.data.size())));
        std::vector<uint8_t> deflated;
        bool store = m.method == ZipMember::Method::kStored;
        if (!store) {
            deflated = zip_deflate_raw(m.data, m.level);
            store = m.method == ZipMember::Method::kBest && deflated.size() >= m.data.size();
        }
        const std::vector<uint8_t>& payload = store ? m.data : deflated;
        Written w{uint16_t(store ? 0 : 8), crc, uint32_t(payload.size()),
                  uint32_t(out.size() - prefix.size())};
        image.local_headers.push_back(out.size());
        append_u32le(out, 0x04034B50);
        append_shared_fields(m, w, m.local_extra);
        zip_append_bytes(out, m.name.data(), m.name.size());
        zip_append_bytes(out, m.local_extra.data(), m.local_extra.size());
        zip_append_bytes(out, payload.data(), payload.size());
        written.push_back(w);
    }
    size_t directory_start = out.size();
    for (size_t i = 0; i < members.size(); ++i) {
        const ZipMember& m = members[i];
        const Written& w = written[i];
        image.central_headers.push_back(out.size());
        append_u32le(out, 0x02014B50);
        append_u16le(out, 0x031E);  // made by: version 3.0, Unix
        append_shared_fields(m, w, m.central_extra);
        append_u16le(out, uint16_t(m.comment.size()));
        append_u16le(out, 0);           // disk number start
        append_u16le(out, 0);           // internal attributes
        append_u32le(out, 0644u << 16);  // external attributes: a plain file
        append_u32le(out, w.offset);
        zip_append_bytes(out, m.name.data(), m.name.size());
        zip_append_bytes(out, m.central_extra.data(), m.central_extra.size());
        zip_append_bytes(out, m.comment.data(), m.comment.size());
    }
    image.end_record = out.size();
    append_u32le(out, 0x06054B50);
    append_u16le(out, 0);
    append_u16le(out, 0);
    append_u16le(out, uint16_t(members.size()));
    append_u16le(out, uint16_t(members.size()));
    append_u32le(out, uint32_t(image.end_record - directory_start));
    append_u32le(out, uint32_t(directory_start - prefix.size()));
    append_u16le(out, uint16_t(comment.size()));
    zip_append_bytes(out, comment.data(), comment.size());
    return image;
}
