// Reader of the asset archive "data.zip" (zip format, one disk, members
// stored or deflated). Opening reads the whole central directory once and
// indexes the member names, so lookups cost no file access. One member at a
// time can be open; its data come from the file in 8 KB blocks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/memory_pool.h"

// Result codes of the archive operations (negative; 0 is success, and
// read_entry returns byte counts). A failed inflate returns zlib's code.
enum ZipResult : int {
    kZipOk = 0,
    kZipReadError = -1,         // failed seek or read, or data ending early
    kZipEndOfList = -100,       // no such member
    kZipBadParameter = -102,    // no archive, no open member, name too long
    kZipBadArchive = -103,      // damaged header or a member we cannot decode
    kZipOutOfMemory = -104,
    kZipChecksumError = -105,   // the member's data do not match its CRC
};

// Calendar fields of a member's DOS time stamp.
struct ZipDate {
    int seconds;
    int minutes;
    int hours;
    int day;
    int month;  // 0-based
    int year;
};

ZipDate zip_date_from_dos(uint32_t dos_date_time);

// One member's central directory record.
struct ZipEntryInfo {
    uint16_t version_made_by;
    uint16_t version_needed;
    uint16_t flags;
    uint16_t method;
    uint32_t dos_date_time;
    uint32_t crc;
    uint32_t compressed_size;
    uint32_t uncompressed_size;
    uint16_t name_length;
    uint16_t extra_length;
    uint16_t comment_length;
    uint16_t disk_number_start;
    uint16_t internal_attributes;
    uint32_t external_attributes;
    uint32_t local_header_offset;
    ZipDate date;
};

class ZipArchive : public PoolObject {
public:
    static constexpr size_t kMaxNameLength = 255;
    static constexpr size_t kReadBufferSize = 8192;

    // Null when the file is missing, not a zip, spread over several disks or
    // has a damaged central directory.
    static ZipArchive* open(const char* path);
    // Ends the open member, closes the file and frees the archive.
    static int close(ZipArchive* archive);

    uint32_t entry_count() const { return uint32_t(index_.size()); }

    // Select a member; the selected member's record is `entry_info()`.
    int first_entry();
    int go_to_entry(uint32_t number);
    // Select the first member whose name equals `name` ignoring ASCII case,
    // with "\" and "/" alike.
    int locate(const char* name);
    const ZipEntryInfo& entry_info() const { return current_; }
    // The selected member's name as stored ("\" turned into "/").
    std::string entry_name() const;

    // Start reading the selected member; ends any member open before.
    int open_entry();
    // Up to `n` bytes of the open member into `buffer`: the count delivered
    // (0 at its end) or a negative code.
    int read_entry(void* buffer, uint32_t n);
    int close_entry();

    // Blocks read from the file for member data so far.
    uint32_t data_block_reads() const { return data_block_reads_; }

private:
    struct IndexEntry {
        uint32_t name_offset;  // into names_
        uint16_t name_length;
        uint32_t prefix;       // first four name bytes, for the quick filter
        uint32_t directory_position;
    };
    struct OpenMember;

    explicit ZipArchive(FILE* file) : file_(file) {}
    ~ZipArchive();

    bool read_directory(int64_t directory_offset, uint32_t directory_size, uint32_t entries);
    bool name_matches(const IndexEntry& entry, const char* name, size_t length) const;
    int fill_input();

    FILE* file_;
    int64_t bytes_before_archive_ = 0;
    std::vector<uint8_t> directory_;
    std::vector<IndexEntry> index_;
    std::string names_;
    uint32_t current_number_ = 0;
    bool current_valid_ = false;
    ZipEntryInfo current_{};
    OpenMember* member_ = nullptr;
    uint32_t data_block_reads_ = 0;
};
