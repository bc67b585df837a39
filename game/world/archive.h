// The binary record stream of every story file and save game.
//
// A file is the mark "#" followed by little-endian fields in a fixed order;
// the key and tag texts passed beside each field only document the call site
// and are never stored. Reading works over the whole file held in memory and
// tracks the bytes left: a read past the end, a count or length larger than
// what remains, or a string without its terminating NUL sets a sticky error,
// after which every read yields zeros and empty values. Loaders check
// `failed()` and reject the file instead of using what they got.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/pooled_text.h"

class World;

class Archive {
public:
    static constexpr uint8_t kFileMark = 0x23;  // "#"
    // Longest string a u16 length can describe (the NUL included).
    static constexpr size_t kMaxStringBytes = 0xFFFF;
    static constexpr size_t kMaxCount = 0xFFFF;

    // --- reading -----------------------------------------------------------
    // Opens a file of the file system; false when it is missing or does not
    // begin with the file mark.
    bool open_read(const std::string& path);
    // The same over bytes already in memory; `name` is used in error texts.
    bool open_bytes(std::vector<uint8_t> bytes, std::string name = "<memory>");

    uint8_t read_begin(const char* tag);
    void read_end(const char*) {}
    // A stored null string gives std::nullopt; "" gives an empty string.
    std::optional<std::string> read_string(const char* key);
    // The same with null read as "".
    std::string read_text(const char* key) { return read_string(key).value_or(""); }
    uint8_t read_u8(const char* key);
    uint16_t read_u16(const char* key);
    uint32_t read_u32(const char* key);
    int32_t read_i32(const char* key) { return int32_t(read_u32(key)); }
    // A u16 list count. Every entry takes at least `min_entry_bytes` bytes, so
    // a count that the rest of the file cannot hold marks the file corrupt
    // and reads as 0.
    uint16_t read_count(const char* key, size_t min_entry_bytes = 1);
    // The u32 record count of the numbered story files, bounded the same way.
    uint32_t read_record_count(const char* key, size_t min_entry_bytes = 1);
    // Reads a string and drops it, whatever its length.
    void read_temp_string(const char* key);
    // An empty blob reads as an empty vector.
    std::vector<uint8_t> read_blob(const char* key);

    bool failed() const { return failed_; }
    const std::string& error() const { return error_; }
    size_t bytes_left() const { return data_.size() - pos_; }
    bool at_end() const { return pos_ == data_.size(); }
    // Marks the stream corrupt with a reason (used by record readers for
    // values the format cannot hold).
    void fail(const std::string& reason);

    // --- writing -----------------------------------------------------------
    // Starts a file that `close` saves to `path`.
    void open_write(const std::string& path);
    // Starts a file kept in memory only (see `written`).
    void open_write_memory();

    void write_begin(const char* tag, uint8_t version);
    void write_end(const char*) {}
    // A null text writes the null string. Texts of 65535 bytes or more do not
    // fit the u16 length: they are refused and the archive fails.
    void write_string(const char* key, const char* text);
    void write_string(const char* key, const std::string& text) { write_string(key, text.c_str()); }
    void write_string(const char* key, const PooledText& text) { write_string(key, text.c_str()); }
    void write_string(const char* key, const std::optional<std::string>& text) {
        write_string(key, text ? text->c_str() : nullptr);
    }
    void write_u8(const char* key, uint32_t value);
    void write_u16(const char* key, uint32_t value);
    void write_u32(const char* key, uint32_t value);
    // Counts above 65535 are refused and the archive fails.
    void write_count(const char* key, size_t count);
    void write_temp_string(const std::string& text) { write_string("", text.c_str()); }
    void write_blob(const char* key, const std::vector<uint8_t>& data);

    // Bytes written so far, the file mark included.
    const std::vector<uint8_t>& written() const { return data_; }

    // Ends reading, or saves the written file. Returns false when writing
    // failed (a refused field or a failed save); a failed archive is not
    // saved at all, so a half-written file never replaces a good one.
    bool close();

    bool is_writing() const { return writing_; }
    const std::string& name() const { return name_; }

    // The world a story loader reads into, for record readers that need it.
    World* world = nullptr;

private:
    const uint8_t* take(size_t n, const char* key);
    // `count` itself, or 0 with the stream marked corrupt when the rest of
    // the file cannot hold that many entries.
    uint32_t bounded_count(uint32_t count, const char* key, size_t min_entry_bytes);

    std::vector<uint8_t> data_;
    size_t pos_ = 0;
    bool failed_ = false;
    bool writing_ = false;
    bool open_ = false;
    std::string error_;
    std::string name_;
    std::string out_path_;
};
