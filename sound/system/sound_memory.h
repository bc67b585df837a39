// The sound library's memory layer: every allocation of the library goes
// through here, either to replaceable heap callbacks or into a caller-supplied
// pool of 256-byte blocks. Each allocation carries a 16-byte header in front
// of the memory handed out (keeps 16-byte alignment).
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

using SoundAllocFn = void* (*)(size_t);
using SoundReallocFn = void* (*)(void*, size_t);
using SoundFreeFn = void (*)(void*);

struct SoundMemory {
    uint8_t* block_map = nullptr;  // pool mode: one byte a block, 1 = in use
    uint8_t* blocks = nullptr;     // pool mode: first block
    uint32_t pool_bytes = 0;
    uint32_t block_count = 0;
    uint32_t blocks_used = 0, blocks_peak = 0;
    uint64_t bytes_used = 0, bytes_peak = 0;
    uint64_t pool_peak_bytes = 0, pool_waste = 0;
    uint32_t block_size = 256;
    bool pool_mode = false;
    SoundAllocFn alloc_fn = nullptr;  // null with pool_mode false means the C heap
    SoundReallocFn realloc_fn = nullptr;
    SoundFreeFn free_fn = nullptr;
    // Four threads allocate (application, mixer, stream and file workers).
    std::mutex lock;
};

constexpr size_t kSoundAllocHeader = 16;
constexpr uint32_t kSoundPoolBlock = 256;

// The system's memory state (lives in the system record).
SoundMemory& sound_system_memory();

void* sound_mem_alloc(SoundMemory* mem, size_t size, const char* source, int line);
void* sound_mem_calloc(SoundMemory* mem, size_t size, const char* source, int line);
void* sound_mem_realloc(SoundMemory* mem, void* p, size_t size, const char* source, int line);
void sound_mem_free(SoundMemory* mem, void* p, const char* source, int line);

// Replaces the system's memory: a pool (length a multiple of 256, callbacks
// null), three callbacks, or all null for the C heap. Only before start-up.
int mem_set_system(void* pool, int length, SoundAllocFn alloc_fn, SoundReallocFn realloc_fn,
                   SoundFreeFn free_fn);
// Lays a pool over `length` bytes at `pool` (exposed for tests of other memories).
void sound_mem_init_pool(SoundMemory* mem, void* pool, uint32_t length);
void sound_mem_get_stats(uint64_t* current, uint64_t* peak);
uint64_t sound_mem_free_bytes(SoundMemory* mem);
uint64_t sound_mem_system_free_bytes();

void* sound_mem_public_alloc(size_t size);
void* sound_mem_public_calloc(size_t size);
void* sound_mem_public_realloc(void* p, size_t size);
void sound_mem_public_free(void* p);

#define SOUND_ALLOC(size) sound_mem_alloc(nullptr, (size), __FILE__, __LINE__)
#define SOUND_CALLOC(size) sound_mem_calloc(nullptr, (size), __FILE__, __LINE__)
#define SOUND_FREE(p) sound_mem_free(nullptr, (p), __FILE__, __LINE__)
