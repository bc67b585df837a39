#include "engine/files/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "engine/core/byte_order.h"
#include "engine/core/text_helpers.h"

namespace {

constexpr uint32_t kEndRecordSignature = 0x06054B50;
constexpr uint32_t kDirectoryHeaderSignature = 0x02014B50;
constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kDirectoryHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
// The end record plus the longest comment it can announce.
constexpr int64_t kEndRecordSearchSpan = kEndRecordSize + 0xFFFF;

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kFlagEncrypted = 0x0001;
// Whole members are loaded into a buffer of size + 2 with a 32-bit size.
constexpr uint32_t kMaxMemberSize = INT32_MAX - 2;

bool read_at(FILE* file, int64_t position, void* buffer, size_t n) {
    return fseeko(file, off_t(position), SEEK_SET) == 0 && fread(buffer, 1, n, file) == n;
}

// Position of the end-of-central-directory record, or -1. The last
// signature whose comment length reaches exactly to the end of the file
// wins, so a comment that happens to hold the signature bytes cannot hide
// the real record; failing that, the last signature with room for a record.
int64_t find_end_record(FILE* file, int64_t file_size) {
    int64_t span = std::min(file_size, kEndRecordSearchSpan);
    if (span < int64_t(kEndRecordSize)) return -1;
    int64_t start = file_size - span;
    std::vector<uint8_t> tail(static_cast<size_t>(span));
    if (!read_at(file, start, tail.data(), tail.size())) return -1;
    int64_t fallback = -1;
    for (int64_t i = span - int64_t(kEndRecordSize); i >= 0; --i) {
        if (read_u32le(&tail[size_t(i)]) != kEndRecordSignature) continue;
        int64_t end = i + int64_t(kEndRecordSize) + read_u16le(&tail[size_t(i) + 20]);
        if (end == span) return start + i;
        if (fallback < 0) fallback = start + i;
    }
    return fallback;
}


// The first four bytes of a name as one word, for the cheap pre-filter.
uint32_t name_prefix(const char* name, size_t length) {
    return length >= 4 ? read_u32le(reinterpret_cast<const uint8_t*>(name)) : 0;
}

}  // namespace

ZipDate zip_date_from_dos(uint32_t dos_date_time) {
    uint32_t time = dos_date_time & 0xFFFF;
    uint32_t date = dos_date_time >> 16;
    return ZipDate{int(time & 0x1F) * 2,
                   int((time >> 5) & 0x3F),
                   int(time >> 11),
                   int(date & 0x1F),
                   int((date >> 5) & 0x0F) - 1,
                   int(date >> 9) + 1980};
}

// The state of the member being read.
struct ZipArchive::OpenMember : PoolObject {
    uint8_t* input = nullptr;  // kReadBufferSize bytes from mem_alloc
    z_stream stream{};
    bool inflating = false;
    bool stream_ended = false;
    uint16_t method = 0;
    int64_t data_position = 0;  // next compressed byte, relative to the archive
    uint32_t compressed_left = 0;
    uint32_t uncompressed_left = 0;
    uint32_t expected_crc = 0;
    uint32_t crc = 0;

    ~OpenMember() {
        if (inflating) inflateEnd(&stream);
        mem_free(input);
    }
};

ZipArchive* ZipArchive::open(const char* path) {
    FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) return nullptr;
    ZipArchive* archive = new ZipArchive(file);

    int64_t file_size = -1;
    if (fseeko(file, 0, SEEK_END) == 0) file_size = ftello(file);
    int64_t end_record = file_size < 0 ? -1 : find_end_record(file, file_size);
    uint8_t record[kEndRecordSize];
    bool ok = end_record >= 0 && read_at(file, end_record, record, sizeof record);
    if (ok) {
        uint16_t this_disk = read_u16le(record + 4);
        uint16_t directory_disk = read_u16le(record + 6);
        uint16_t entries_here = read_u16le(record + 8);
        uint16_t entries = read_u16le(record + 10);
        uint32_t directory_size = read_u32le(record + 12);
        uint32_t directory_offset = read_u32le(record + 16);
        // Anything in front of the archive (a stub, a header) shifts every
        // offset it records by the same amount.
        archive->bytes_before_archive_ =
            end_record - int64_t(directory_offset) - int64_t(directory_size);
        ok = this_disk == 0 && directory_disk == 0 && entries_here == entries &&
             archive->bytes_before_archive_ >= 0 &&
             archive->read_directory(directory_offset, directory_size, entries);
    }
    if (!ok) {
        close(archive);
        return nullptr;
    }
    archive->first_entry();
    return archive;
}

bool ZipArchive::read_directory(int64_t directory_offset, uint32_t directory_size,
                                uint32_t entries) {
    directory_.resize(directory_size);
    if (directory_size > 0 &&
        !read_at(file_, bytes_before_archive_ + directory_offset, directory_.data(),
                 directory_size)) {
        return false;
    }
    // Every header must lie whole inside the directory and carry its
    // signature; the entry count alone must not walk us out of the copy.
    index_.reserve(entries);
    size_t position = 0;
    for (uint32_t i = 0; i < entries; ++i) {
        if (directory_size - position < kDirectoryHeaderSize) return false;
        const uint8_t* header = &directory_[position];
        if (read_u32le(header) != kDirectoryHeaderSignature) return false;
        size_t name_length = read_u16le(header + 28);
        size_t record_size = kDirectoryHeaderSize + name_length + read_u16le(header + 30) +
                             read_u16le(header + 32);
        if (directory_size - position < record_size) return false;

        IndexEntry entry{uint32_t(names_.size()), uint16_t(name_length), 0, uint32_t(position)};
        names_.append(reinterpret_cast<const char*>(header + kDirectoryHeaderSize), name_length);
        char* name = &names_[entry.name_offset];
        std::replace(name, name + name_length, '\\', '/');
        entry.prefix = name_prefix(name, name_length);
        index_.push_back(entry);
        position += record_size;
    }
    return true;
}

ZipArchive::~ZipArchive() {
    delete member_;
    if (file_) std::fclose(file_);
}

int ZipArchive::close(ZipArchive* archive) {
    if (!archive) return kZipBadParameter;
    delete archive;
    return kZipOk;
}

int ZipArchive::first_entry() { return go_to_entry(0); }

int ZipArchive::go_to_entry(uint32_t number) {
    if (number >= index_.size()) {
        current_valid_ = false;
        return kZipEndOfList;
    }
    const uint8_t* h = &directory_[index_[number].directory_position];
    current_ = ZipEntryInfo{read_u16le(h + 4),  read_u16le(h + 6),  read_u16le(h + 8),
                            read_u16le(h + 10), read_u32le(h + 12), read_u32le(h + 16),
                            read_u32le(h + 20), read_u32le(h + 24), read_u16le(h + 28),
                            read_u16le(h + 30), read_u16le(h + 32), read_u16le(h + 34),
                            read_u16le(h + 36), read_u32le(h + 38), read_u32le(h + 42),
                            zip_date_from_dos(read_u32le(h + 12))};
    current_number_ = number;
    current_valid_ = true;
    return kZipOk;
}

std::string ZipArchive::entry_name() const {
    if (!current_valid_) return {};
    const IndexEntry& entry = index_[current_number_];
    return names_.substr(entry.name_offset, entry.name_length);
}

bool ZipArchive::name_matches(const IndexEntry& entry, const char* name, size_t length) const {
    if (entry.name_length != length) return false;
    // Names in one folder share their beginnings, so compare from the end.
    const char* stored = &names_[entry.name_offset];
    for (size_t i = length; i-- > 0;) {
        if (ascii_lower(stored[i]) != ascii_lower(name[i])) return false;
    }
    return true;
}

int ZipArchive::locate(const char* name) {
    if (!name) return kZipBadParameter;
    size_t length = strnlen(name, kMaxNameLength + 1);
    if (length > kMaxNameLength) return kZipBadParameter;
    char wanted[kMaxNameLength + 1];
    std::replace_copy(name, name + length, wanted, '\\', '/');
    wanted[length] = '\0';

    // Letters differ in case only in bit 5, so the low five bits of the
    // first four bytes rule out most names before the full compare.
    uint32_t prefix = name_prefix(wanted, length);
    bool filter = length >= 4;
    for (uint32_t i = 0; i < index_.size(); ++i) {
        const IndexEntry& entry = index_[i];
        if (filter && entry.name_length >= 4 && ((entry.prefix ^ prefix) & 0x1F1F1F1F) != 0) {
            continue;
        }
        if (name_matches(entry, wanted, length)) return go_to_entry(i);
    }
    return kZipEndOfList;
}

int ZipArchive::open_entry() {
    if (!current_valid_) return kZipBadParameter;
    close_entry();
    const ZipEntryInfo& info = current_;
    if ((info.method != kMethodStored && info.method != kMethodDeflated) ||
        (info.flags & kFlagEncrypted) || info.uncompressed_size > kMaxMemberSize) {
        return kZipBadArchive;
    }
    // The data follow the local header, whose name and extra field may be
    // longer or shorter than the central directory's.
    uint8_t local[kLocalHeaderSize];
    int64_t local_position = bytes_before_archive_ + int64_t(info.local_header_offset);
    if (!read_at(file_, local_position, local, sizeof local) ||
        read_u32le(local) != kLocalHeaderSignature) {
        return kZipBadArchive;
    }

    auto* member = new OpenMember;
    member->method = info.method;
    member->data_position = int64_t(info.local_header_offset) + int64_t(kLocalHeaderSize) +
                            read_u16le(local + 26) + read_u16le(local + 28);
    member->compressed_left = info.compressed_size;
    member->uncompressed_left = info.uncompressed_size;
    member->expected_crc = info.crc;
    member->crc = uint32_t(crc32(0, nullptr, 0));
    member->input = static_cast<uint8_t*>(mem_alloc(kReadBufferSize));
    if (member->method == kMethodDeflated) {
        int result = inflateInit2(&member->stream, -MAX_WBITS);
        if (result != Z_OK) {
            delete member;
            return result == Z_MEM_ERROR ? kZipOutOfMemory : kZipBadArchive;
        }
        member->inflating = true;
    }
    member_ = member;
    return kZipOk;
}

int ZipArchive::fill_input() {
    OpenMember& m = *member_;
    uint32_t n = std::min<uint32_t>(uint32_t(kReadBufferSize), m.compressed_left);
    if (!read_at(file_, bytes_before_archive_ + m.data_position, m.input, n)) return kZipReadError;
    ++data_block_reads_;
    m.data_position += n;
    m.compressed_left -= n;
    m.stream.next_in = m.input;
    m.stream.avail_in = n;
    return kZipOk;
}

int ZipArchive::read_entry(void* buffer, uint32_t n) {
    if (!member_) return kZipBadParameter;
    OpenMember& m = *member_;
    uint32_t wanted = std::min({n, m.uncompressed_left, uint32_t(INT32_MAX)});
    if (wanted == 0) return 0;
    if (m.stream_ended) return kZipBadArchive;  // the data ended before the stated size

    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t delivered = 0;
    while (delivered < wanted) {
        if (m.stream.avail_in == 0 && m.compressed_left > 0) {
            if (int result = fill_input(); result != kZipOk) return result;
        }
        uint32_t produced;
        if (m.method == kMethodStored) {
            // A stored member shorter than its size would never finish.
            if (m.stream.avail_in == 0) return kZipReadError;
            produced = std::min(wanted - delivered, m.stream.avail_in);
            std::memcpy(out + delivered, m.stream.next_in, produced);
            m.stream.next_in += produced;
            m.stream.avail_in -= produced;
        } else {
            m.stream.next_out = out + delivered;
            m.stream.avail_out = wanted - delivered;
            int result = inflate(&m.stream, Z_SYNC_FLUSH);
            produced = (wanted - delivered) - m.stream.avail_out;
            if (result == Z_STREAM_END) {
                m.stream_ended = true;
            } else if (result != Z_OK) {
                return result < 0 ? result : Z_DATA_ERROR;
            }
        }
        m.crc = uint32_t(crc32(m.crc, out + delivered, produced));
        delivered += produced;
        m.uncompressed_left -= produced;
        if (m.stream_ended) break;
    }
    if (m.uncompressed_left == 0 && m.crc != m.expected_crc) return kZipChecksumError;
    return int(delivered);
}

int ZipArchive::close_entry() {
    if (!member_) return kZipBadParameter;
    delete member_;
    member_ = nullptr;
    return kZipOk;
}
