// Buffered readers over an open FileHandle that assemble little-endian
// values. Reading past the end of the file gives zero bytes and sets a flag,
// so a truncated file decodes to zeros rather than to stale buffer contents.
#pragma once

#include <cstdint>

#include "engine/files/file_system.h"

class BufferedFileReader {
public:
    BufferedFileReader(FileHandle* handle, int32_t buffer_size);
    ~BufferedFileReader();

    BufferedFileReader(const BufferedFileReader&) = delete;
    BufferedFileReader& operator=(const BufferedFileReader&) = delete;

    // Set once any read ran past the end of the file.
    bool past_end() const { return past_end_; }
    FileHandle* handle() const { return handle_; }
    int32_t buffer_size() const { return size_; }

protected:
    // Moves the unread bytes to the front and fills the rest from the file.
    void refill();
    uint8_t next_byte();

    FileHandle* handle_;
    uint8_t* buffer_;
    int32_t size_;
    int32_t position_ = 0;
    int32_t filled_ = 0;
    bool past_end_ = false;
};

// Reads values byte by byte, refilling the whole buffer when it runs dry.
class ByteReader : public BufferedFileReader {
public:
    using BufferedFileReader::BufferedFileReader;

    uint8_t read_u8() { return next_byte(); }
    uint16_t read_u16();
    uint32_t read_u32();
};

// Keeps a window of the file in which the bytes of one field are contiguous;
// used by the binary record stream with a 2,048-byte window.
class WindowReader : public BufferedFileReader {
public:
    using BufferedFileReader::BufferedFileReader;

    // Makes n bytes (at most the buffer size) available at the position.
    void ensure(int32_t n);
    uint8_t read_u8();
    uint16_t read_u16();
    uint32_t read_u32();
    // Any length; pieces longer than the window are copied in turns.
    void read_bytes(void* destination, int32_t n);

    // Where the next value is read, within the window (for tests).
    int32_t window_position() const { return position_; }
};
