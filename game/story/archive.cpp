#include "game/story/archive.h"

#include <cstring>
#include <utility>

#include "engine/core/byte_order.h"
#include "game/story/story_file_io.h"

bool Archive::open_read(const std::string& path) {
    auto bytes = read_story_file(path);
    if (!bytes) return false;
    return open_bytes(std::move(*bytes), path);
}

bool Archive::open_bytes(std::vector<uint8_t> bytes, std::string name) {
    data_ = std::move(bytes);
    name_ = std::move(name);
    pos_ = 0;
    failed_ = false;
    error_.clear();
    writing_ = false;
    open_ = false;
    if (data_.empty() || data_[0] != kFileMark) {
        data_.clear();
        return false;
    }
    pos_ = 1;
    open_ = true;
    return true;
}

void Archive::fail(const std::string& reason) {
    if (failed_) return;
    failed_ = true;
    error_ = reason;
    pos_ = data_.size();
}

// The next n bytes of the file, or null (with the error set) when fewer are
// left. Nothing is consumed after the first failure.
const uint8_t* Archive::take(size_t n, const char* key) {
    if (failed_ || writing_) return nullptr;
    if (n > bytes_left()) {
        fail(std::string("file ends inside \"") + key + "\" at byte " + std::to_string(pos_));
        return nullptr;
    }
    const uint8_t* p = data_.data() + pos_;
    pos_ += n;
    return p;
}

uint8_t Archive::read_begin(const char* tag) { return read_u8(tag); }

uint8_t Archive::read_u8(const char* key) {
    const uint8_t* p = take(1, key);
    return p ? p[0] : 0;
}

uint16_t Archive::read_u16(const char* key) {
    const uint8_t* p = take(2, key);
    return p ? read_u16le(p) : 0;
}

uint32_t Archive::read_u32(const char* key) {
    const uint8_t* p = take(4, key);
    return p ? read_u32le(p) : 0;
}

uint16_t Archive::read_count(const char* key, size_t min_entry_bytes) {
    return uint16_t(bounded_count(read_u16(key), key, min_entry_bytes));
}

uint32_t Archive::read_record_count(const char* key, size_t min_entry_bytes) {
    return bounded_count(read_u32(key), key, min_entry_bytes);
}

uint32_t Archive::bounded_count(uint32_t count, const char* key, size_t min_entry_bytes) {
    if (min_entry_bytes == 0) min_entry_bytes = 1;
    if (count > bytes_left() / min_entry_bytes) {
        fail(std::string("count of \"") + key + "\" (" + std::to_string(count) +
             ") exceeds the rest of the file");
        return 0;
    }
    return count;
}

std::optional<std::string> Archive::read_string(const char* key) {
    const uint16_t length = read_u16(key);
    if (length == 0) return std::nullopt;
    const uint8_t* p = take(length, key);
    if (!p) return std::nullopt;
    if (p[length - 1] != 0) {
        fail(std::string("string \"") + key + "\" lacks its terminating NUL");
        return std::nullopt;
    }
    // Text after an embedded NUL is not part of the string.
    return std::string(reinterpret_cast<const char*>(p), strnlen(reinterpret_cast<const char*>(p), length));
}

void Archive::read_temp_string(const char* key) {
    // Skipped strings are dropped unstored, so their length does not matter.
    (void)read_string(key);
}

std::vector<uint8_t> Archive::read_blob(const char* key) {
    const uint32_t length = read_u32(key);
    if (length == 0) return {};
    const uint8_t* p = take(length, key);
    if (!p) return {};
    return std::vector<uint8_t>(p, p + length);
}

void Archive::open_write(const std::string& path) {
    open_write_memory();
    out_path_ = path;
    name_ = path;
}

void Archive::open_write_memory() {
    data_.assign(1, kFileMark);
    pos_ = 0;
    failed_ = false;
    error_.clear();
    writing_ = true;
    open_ = true;
    out_path_.clear();
    name_ = "<memory>";
}

void Archive::write_begin(const char* tag, uint8_t version) { write_u8(tag, version); }

void Archive::write_u8(const char*, uint32_t value) {
    if (writing_) append_u8(data_, uint8_t(value));
}

void Archive::write_u16(const char*, uint32_t value) {
    if (writing_) append_u16le(data_, uint16_t(value));
}

void Archive::write_u32(const char*, uint32_t value) {
    if (writing_) append_u32le(data_, value);
}

void Archive::write_count(const char* key, size_t count) {
    if (count > kMaxCount) {
        fail(std::string("list \"") + key + "\" has " + std::to_string(count) +
             " entries, more than a count can hold");
        return;
    }
    write_u16(key, uint32_t(count));
}

void Archive::write_string(const char* key, const char* text) {
    if (!writing_) return;
    if (!text) {
        append_u16le(data_, 0);
        return;
    }
    const size_t length = std::strlen(text) + 1;
    if (length > kMaxStringBytes) {
        fail(std::string("string \"") + key + "\" is too long for the format (" +
             std::to_string(length - 1) + " bytes)");
        return;
    }
    append_u16le(data_, uint16_t(length));
    data_.insert(data_.end(), text, text + length);
}

void Archive::write_blob(const char* key, const std::vector<uint8_t>& data) {
    if (!writing_) return;
    if (data.size() > 0xFFFFFFFFu) {
        fail(std::string("blob \"") + key + "\" is too large");
        return;
    }
    append_u32le(data_, uint32_t(data.size()));
    data_.insert(data_.end(), data.begin(), data.end());
}

bool Archive::close() {
    bool ok = !failed_;
    if (writing_ && open_ && ok && !out_path_.empty()) ok = save_story_file(out_path_, data_);
    open_ = false;
    if (!writing_) data_.clear();
    return ok;
}
