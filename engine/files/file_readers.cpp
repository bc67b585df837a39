#include "engine/files/file_readers.h"

#include <algorithm>
#include <cstring>

#include "engine/core/byte_order.h"

BufferedFileReader::BufferedFileReader(FileHandle* handle, int32_t buffer_size)
    : handle_(handle),
      buffer_(static_cast<uint8_t*>(mem_alloc(size_t(std::max(buffer_size, 4))))),
      size_(std::max(buffer_size, 4)) {}

BufferedFileReader::~BufferedFileReader() { mem_free(buffer_); }

void BufferedFileReader::refill() {
    int32_t unread = filled_ - position_;
    std::memmove(buffer_, buffer_ + position_, size_t(unread));
    position_ = 0;
    filled_ = unread;
    while (filled_ < size_) {
        int32_t got = handle_->owner->read(handle_, buffer_ + filled_, size_ - filled_);
        if (got <= 0) break;
        filled_ += got;
    }
}

uint8_t BufferedFileReader::next_byte() {
    if (position_ == filled_) refill();
    if (position_ == filled_) {
        past_end_ = true;
        return 0;
    }
    return buffer_[position_++];
}

uint16_t ByteReader::read_u16() {
    uint8_t low = next_byte();
    return uint16_t(low | (next_byte() << 8));
}

uint32_t ByteReader::read_u32() {
    uint32_t low = read_u16();
    return low | (uint32_t(read_u16()) << 16);
}

void WindowReader::ensure(int32_t n) {
    if (position_ + n <= filled_) return;
    refill();
}

uint8_t WindowReader::read_u8() {
    uint8_t value = 0;
    read_bytes(&value, 1);
    return value;
}

uint16_t WindowReader::read_u16() {
    uint8_t bytes[2];
    read_bytes(bytes, 2);
    return read_u16le(bytes);
}

uint32_t WindowReader::read_u32() {
    uint8_t bytes[4];
    read_bytes(bytes, 4);
    return read_u32le(bytes);
}

void WindowReader::read_bytes(void* destination, int32_t n) {
    auto* out = static_cast<uint8_t*>(destination);
    if (n <= 0) return;
    if (n <= size_) ensure(n);
    while (n > 0) {
        if (position_ == filled_) refill();
        int32_t take = std::min(n, filled_ - position_);
        if (take == 0) {
            // The file ended: the rest reads as zeros.
            std::memset(out, 0, size_t(n));
            past_end_ = true;
            return;
        }
        std::memcpy(out, buffer_ + position_, size_t(take));
        position_ += take;
        out += take;
        n -= take;
    }
}
