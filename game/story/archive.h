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
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/core/pooled_text.h"

class World;

class Archive {
public:
    static constexpr uint8_t kFileMark = 0x23;  // "#"
    // Longest string a u16 length can describe (the NUL included).
    static constexpr size_t kMaxStringBytes = 0xFFFF;
    static constexpr size_t kMaxCount = 0xFFFF;

    // Records, loaders and writers read and write their fields through the
    // field lists further down, one call a field for both directions; the
    // per-width operations below are the stream those lists are made of.

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
    uint8_t read_u8(const char* key);
    uint16_t read_u16(const char* key);
    uint32_t read_u32(const char* key);
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

    // --- one field list for both directions ---------------------------------
    // A record lists its stored fields once, in a static member template
    // `fields(Self& self, Archive&)` made of the calls below. Its `serialize`
    // runs that list over the record itself: reading, each call fills its
    // field from the file; writing, it stores the field. Its `write() const`
    // runs the same list over the const record, which can only be written:
    // reading into a constant fails the archive. The call's name is the
    // stored width; signed widths are sign-extended when read.
    bool reading() const { return !writing_; }
    void begin(const char* tag, uint8_t version) {
        if (writing_) write_begin(tag, version);
        else read_begin(tag);
    }
    void end(const char* tag) { (void)tag; }
    template <class T> void u8(const char* key, T& value) { field<uint8_t>(key, value); }
    template <class T> void i8(const char* key, T& value) { field<int8_t>(key, value); }
    template <class T> void u16(const char* key, T& value) { field<uint16_t>(key, value); }
    template <class T> void i16(const char* key, T& value) { field<int16_t>(key, value); }
    template <class T> void u32(const char* key, T& value) { field<uint32_t>(key, value); }
    // A text; a stored null string reads as `if_null`.
    template <class Text> void text(const char* key, Text& value, const char* if_null = "") {
        if (writing_) write_string(key, value);
        else if constexpr (std::is_const_v<Text>) refuse_constant(key);
        else value = read_string(key).value_or(if_null);
    }
    // A text the game does not keep: dropped when read, stored as `written`.
    void unkept_text(const char* key, const char* written = nullptr) {
        if (writing_) write_string(key, written);
        else read_temp_string(key);
    }
    // A list's u16 count: `size` when writing; when reading, the stored count
    // bounded as `read_count` bounds it.
    uint16_t count(const char* key, size_t size, size_t min_entry_bytes) {
        if (!writing_) return read_count(key, min_entry_bytes);
        write_count(key, size);
        return uint16_t(size);
    }
    // The u32 record count of the numbered story files, as `count` does the
    // u16 one.
    uint32_t record_count(const char* key, size_t size, size_t min_entry_bytes) {
        if (!writing_) return read_record_count(key, min_entry_bytes);
        write_u32(key, uint32_t(size));
        return uint32_t(size);
    }
    // A record held inside another, through its own field list: `serialize`,
    // or `write` for a const record.
    template <class Record> void record(Record& nested) {
        if constexpr (std::is_const_v<Record>) {
            if (writing_) nested.write(*this);
            else refuse_constant("record");
        } else {
            nested.serialize(*this);
        }
    }
    // A vector of records, each through `record`; reading replaces the list.
    template <class List> void records(const char* key, List& list, size_t min_entry_bytes) {
        if (std::is_const_v<List> && !writing_) {
            refuse_constant(key);
            return;
        }
        const uint16_t n = count(key, list.size(), min_entry_bytes);
        if constexpr (!std::is_const_v<List>) {
            if (!writing_) list.assign(n, typename List::value_type{});
        }
        for (auto& element : list) record(element);
    }
    // A vector of unique_ptr records the list owns, each read and written by
    // its own `read` and `write`; reading makes each new one, lets `adopt` tie
    // it to its owner, then reads it.
    template <class List, class Adopt>
    void owned_records(const char* key, List& list, size_t min_entry_bytes, Adopt adopt) {
        if (std::is_const_v<List> && !writing_) {
            refuse_constant(key);
            return;
        }
        const uint16_t n = count(key, list.size(), min_entry_bytes);
        if (writing_) {
            for (const auto& element : list) element->write(*this);
            return;
        }
        if constexpr (!std::is_const_v<List>) {
            using Record = typename List::value_type::element_type;
            list.clear();
            for (uint16_t i = 0; i < n && !failed_; ++i) {
                list.push_back(std::make_unique<Record>());
                adopt(*list.back());
                list.back()->read(*this);
            }
        }
    }
    // A vector of plain values of the stored width `Stored`.
    template <class Stored, class List>
    void values(const char* key, List& list, size_t min_entry_bytes = sizeof(Stored)) {
        if (std::is_const_v<List> && !writing_) {
            refuse_constant(key);
            return;
        }
        const uint16_t n = count(key, list.size(), min_entry_bytes);
        if constexpr (!std::is_const_v<List>) {
            if (!writing_) list.assign(n, typename List::value_type{});
        }
        for (auto& value : list) field<Stored>(key, value);
    }
    // A byte block (a std::vector<uint8_t>) with its u32 length.
    template <class Bytes> void blob(const char* key, Bytes& data) {
        if (writing_) write_blob(key, data);
        else if constexpr (std::is_const_v<Bytes>) refuse_constant(key);
        else data = read_blob(key);
    }

    // Bytes written so far, the file mark included.
    const std::vector<uint8_t>& written() const { return data_; }

    // Ends reading, or saves the written file. Returns false when writing
    // failed (a refused field or a failed save); a failed archive is not
    // saved at all, so a half-written file never replaces a good one.
    bool close();

    const std::string& name() const { return name_; }

    // The world a story loader reads into, for record readers that need it.
    World* world = nullptr;

private:
    template <class Stored, class T> void field(const char* key, T& value) {
        static_assert(sizeof(Stored) <= 4);
        if (writing_) {
            const uint32_t v = uint32_t(value);
            if constexpr (sizeof(Stored) == 1) write_u8(key, v);
            else if constexpr (sizeof(Stored) == 2) write_u16(key, v);
            else write_u32(key, v);
            return;
        }
        if constexpr (std::is_const_v<T>) {
            refuse_constant(key);
        } else if constexpr (sizeof(Stored) == 1) value = T(Stored(read_u8(key)));
        else if constexpr (sizeof(Stored) == 2) value = T(Stored(read_u16(key)));
        else value = T(Stored(read_u32(key)));
    }

    // Reading into a const field, list or record: the archive fails.
    void refuse_constant(const char* key) { fail(std::string("\"") + key + "\" cannot be read into a constant"); }

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
