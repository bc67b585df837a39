// The sound library's one way of reading data: a handle over a platform file,
// a memory block, or the five file callbacks a user may install, with an
// optional window inside the data, optional byte swapping, and an optional
// asynchronous mode in which reads and seeks are queued to a worker thread.
#pragma once

#include <atomic>
#include <cstdint>

enum SoundFileKind : int {
    SOUND_FILE_PLATFORM = 0,  // a platform file, read directly
    SOUND_FILE_MEMORY = 1,    // a memory block of a given length
    SOUND_FILE_CALLBACKS = 2, // the user's five file callbacks
    SOUND_FILE_BUFFERED = 3,  // a platform file read through a 2048-byte buffer
};
constexpr int SOUND_FILE_KIND_MASK = 0x0F;
constexpr int SOUND_FILE_SWAP_BYTES = 0x10;  // swap 2- and 4-byte elements on read
constexpr int SOUND_FILE_BUFFER_BYTES = 2048;

// The user's callbacks. The handle is pointer-sized so that it can carry a
// pointer or a FILE* on a 64-bit host; 0 from open means failure.
using SoundFileOpenFn = intptr_t (*)(const char* name);
using SoundFileCloseFn = void (*)(intptr_t handle);
using SoundFileReadFn = int (*)(void* buffer, int bytes, intptr_t handle);
using SoundFileSeekFn = int (*)(intptr_t handle, int offset, int origin);
using SoundFileTellFn = int (*)(intptr_t handle);

struct SoundFile {
    int kind_flags = 0;
    int platform_file = -1;          // POSIX descriptor (kinds 0 and 3)
    uint8_t* memory = nullptr;       // the block (kind 1) or the read buffer (kind 3)
    int position = 0;                // position in the underlying data
    intptr_t user_handle = 0;        // the callbacks' handle (kind 2)
    int length = 0;                  // bytes of the underlying data
    int buffer_offset = 0;           // kind 3: read offset inside the buffer
    int buffer_invalid = 1;          // kind 3: refill before use
    std::atomic<int> synchronous{1}; // 0: reads and seeks are queued
    std::atomic<int> logical_position{0};  // position as the caller sees it
    std::atomic<int> pending_requests{0};  // queued and not yet served
    int error = 0;                   // 1 when the last read failed
    int start_offset = 0;            // start of the window
    int end_offset = -1;             // last byte of the window; -1 = none

    int kind() const { return kind_flags & SOUND_FILE_KIND_MASK; }
};

// Installs the five callbacks; when any is null all five are cleared.
void file_set_callbacks(SoundFileOpenFn open, SoundFileCloseFn close, SoundFileReadFn read,
                        SoundFileSeekFn seek, SoundFileTellFn tell);
int sound_file_has_callbacks();

// name_or_block is a file name (kinds 0, 2, 3) or a memory block (kind 1).
// kind may carry SOUND_FILE_SWAP_BYTES. Returns null on failure.
SoundFile* sound_file_open(const void* name_or_block, int kind, int length);
void sound_file_close(SoundFile* file);

int sound_file_read(void* buffer, int element_size, int count, SoundFile* file);
int sound_file_read_u8(SoundFile* file);
int sound_file_read_u16(SoundFile* file);
int sound_file_seek(SoundFile* file, int offset, int origin);
int sound_file_tell(SoundFile* file);
void sound_file_set_start(SoundFile* file, int offset);
void sound_file_set_end(SoundFile* file, int last_byte);

// Asynchronous mode (the worker lives in sound_file_async.cpp).
void sound_file_set_synchronous(SoundFile* file, int synchronous);
void sound_file_wait_async(SoundFile* file);
void sound_file_cancel_requests(SoundFile* file);
void sound_file_async_shutdown();

// The synchronous forms the worker performs for a queued request.
int sound_file_read_now(void* buffer, int element_size, int count, SoundFile* file);
int sound_file_seek_now(SoundFile* file, int offset, int origin);

// Queues a request to the worker (never called in synchronous mode).
void sound_file_queue_read(SoundFile* file, void* buffer, int element_size, int count);
void sound_file_queue_seek(SoundFile* file, int offset, int origin);

// Resolves a name with either separator against the file system, matching
// each part of the path without regard to case. Returns the path to open.
bool sound_file_resolve_path(const char* name, char* out, int out_size);
