#include "sound/system/sound_memory.h"

#include <cstdlib>
#include <cstring>

#include "sound/system/sound_error.h"
#include "sound/system/sound_system.h"

namespace {

struct AllocHeader {
    uint32_t size;         // bytes asked for
    uint32_t blocks;       // pool blocks taken, 0 with callbacks
    uint32_t first_block;  // pool index of the first block
    uint32_t spare;
};
static_assert(sizeof(AllocHeader) == kSoundAllocHeader);

SoundMemory& resolve(SoundMemory* mem) { return mem ? *mem : sound_system_memory(); }

void count_bytes_in(SoundMemory& m, uint64_t size) {
    m.bytes_used += size;
    if (m.bytes_used > m.bytes_peak) m.bytes_peak = m.bytes_used;
}

void count_blocks_in(SoundMemory& m, uint32_t n) {
    m.blocks_used += n;
    if (m.blocks_used > m.blocks_peak) {
        m.blocks_peak = m.blocks_used;
        m.pool_peak_bytes = uint64_t(m.blocks_peak) * m.block_size;
        m.pool_waste = m.pool_peak_bytes - m.bytes_peak;
    }
}

uint32_t blocks_for(size_t total) { return uint32_t((total + kSoundPoolBlock - 1) / kSoundPoolBlock); }

// First run of `n` free blocks at or after `from`; block_count when none.
uint32_t find_run(const SoundMemory& m, uint32_t from, uint32_t n) {
    uint32_t run = 0;
    for (uint32_t i = from; i < m.block_count; ++i) {
        run = m.block_map[i] ? 0 : run + 1;
        if (run == n) return i + 1 - n;
    }
    return m.block_count;
}

void mark_run(SoundMemory& m, uint32_t first, uint32_t n, uint8_t used) {
    std::memset(m.block_map + first, used, n);
}

AllocHeader* pool_take(SoundMemory& m, uint32_t first_search, size_t size) {
    uint32_t n = blocks_for(size + kSoundAllocHeader);
    if (n == 0 || n > m.block_count) return nullptr;
    uint32_t first = find_run(m, first_search, n);
    if (first == m.block_count && first_search != 0) first = find_run(m, 0, n);
    if (first == m.block_count) return nullptr;
    mark_run(m, first, n, 1);
    auto* h = reinterpret_cast<AllocHeader*>(m.blocks + size_t(first) * kSoundPoolBlock);
    h->blocks = n;
    h->first_block = first;
    return h;
}

void* finish(SoundMemory& m, AllocHeader* h, size_t size) {
    h->size = uint32_t(size);
    h->spare = 0;
    count_bytes_in(m, size);
    if (h->blocks) count_blocks_in(m, h->blocks);
    return reinterpret_cast<uint8_t*>(h) + kSoundAllocHeader;
}

AllocHeader* header_of(void* p) {
    return reinterpret_cast<AllocHeader*>(static_cast<uint8_t*>(p) - kSoundAllocHeader);
}

void release_counts(SoundMemory& m, const AllocHeader* h) {
    m.bytes_used -= h->size;
    m.blocks_used -= h->blocks;
}

void* heap_alloc(SoundMemory& m, size_t n) { return m.alloc_fn ? m.alloc_fn(n) : std::malloc(n); }
void* heap_realloc(SoundMemory& m, void* p, size_t n) {
    return m.realloc_fn ? m.realloc_fn(p, n) : std::realloc(p, n);
}
void heap_free(SoundMemory& m, void* p) { m.free_fn ? m.free_fn(p) : std::free(p); }

}  // namespace

void* sound_mem_alloc(SoundMemory* mem, size_t size, const char*, int) {
    SoundMemory& m = resolve(mem);
    if (size > UINT32_MAX - kSoundAllocHeader) return nullptr;
    std::lock_guard guard(m.lock);
    AllocHeader* h;
    if (m.pool_mode) {
        h = pool_take(m, 0, size);
    } else {
        h = static_cast<AllocHeader*>(heap_alloc(m, size + kSoundAllocHeader));
        if (h) h->blocks = h->first_block = 0;
    }
    return h ? finish(m, h, size) : nullptr;
}

void* sound_mem_calloc(SoundMemory* mem, size_t size, const char* source, int line) {
    void* p = sound_mem_alloc(mem, size, source, line);
    if (p) std::memset(p, 0, size);
    return p;
}

void sound_mem_free(SoundMemory* mem, void* p, const char*, int) {
    if (!p) return;
    SoundMemory& m = resolve(mem);
    std::lock_guard guard(m.lock);
    AllocHeader* h = header_of(p);
    release_counts(m, h);
    if (m.pool_mode) {
        mark_run(m, h->first_block, h->blocks, 0);
    } else {
        heap_free(m, h);
    }
}

void* sound_mem_realloc(SoundMemory* mem, void* p, size_t size, const char* source, int line) {
    if (!p) return sound_mem_alloc(mem, size, source, line);
    if (size > UINT32_MAX - kSoundAllocHeader) return nullptr;
    SoundMemory& m = resolve(mem);
    std::lock_guard guard(m.lock);
    AllocHeader* old = header_of(p);
    const uint32_t old_size = old->size;
    if (!m.pool_mode) {
        auto* h = static_cast<AllocHeader*>(heap_realloc(m, old, size + kSoundAllocHeader));
        if (!h) return nullptr;  // the old block stays valid and counted
        m.bytes_used -= old_size;
        return finish(m, h, size);
    }
    const uint32_t old_first = old->first_block, old_blocks = old->blocks;
    mark_run(m, old_first, old_blocks, 0);
    AllocHeader* h = pool_take(m, old_first, size);
    if (!h) {
        mark_run(m, old_first, old_blocks, 1);
        return nullptr;
    }
    m.bytes_used -= old_size;
    m.blocks_used -= old_blocks;
    void* out = reinterpret_cast<uint8_t*>(h) + kSoundAllocHeader;
    if (out != p) std::memmove(out, p, old_size < size ? old_size : size);
    return finish(m, h, size);
}

void sound_mem_init_pool(SoundMemory* mem, void* pool, uint32_t length) {
    SoundMemory& m = resolve(mem);
    std::lock_guard guard(m.lock);
    auto start = reinterpret_cast<uintptr_t>(pool);
    uintptr_t aligned = (start + 15) & ~uintptr_t(15);
    uint32_t usable = length > aligned - start ? uint32_t(length - (aligned - start)) : 0;
    // One map byte and one 256-byte block per block, so 257 bytes each; a
    // multiple of 16 keeps the blocks after the map 16-byte aligned.
    uint32_t count = (usable / (kSoundPoolBlock + 1)) & ~15u;
    m.block_map = reinterpret_cast<uint8_t*>(aligned);
    m.blocks = m.block_map + count;
    m.block_count = count;
    m.pool_bytes = count * kSoundPoolBlock;
    std::memset(m.block_map, 0, size_t(count) * (kSoundPoolBlock + 1));
    m.blocks_used = m.blocks_peak = 0;
    m.bytes_used = m.bytes_peak = m.pool_peak_bytes = m.pool_waste = 0;
    m.block_size = kSoundPoolBlock;
    m.pool_mode = true;
    m.alloc_fn = nullptr;
    m.realloc_fn = nullptr;
    m.free_fn = nullptr;
}

int mem_set_system(void* pool, int length, SoundAllocFn alloc_fn, SoundReallocFn realloc_fn,
                   SoundFreeFn free_fn) {
    sound_clear_error_always();
    if (sound_system().initialised) return sound_set_error(SOUND_ERR_AFTER_INIT), 0;
    if (length < 0 || length % int(kSoundPoolBlock) != 0) return sound_set_error(SOUND_ERR_PARAM), 0;
    SoundMemory& m = sound_system_memory();
    if (length == 0) {
        if (pool) return sound_set_error(SOUND_ERR_PARAM), 0;
        const bool all = alloc_fn && realloc_fn && free_fn;
        const bool none = !alloc_fn && !realloc_fn && !free_fn;
        if (!all && !none) return sound_set_error(SOUND_ERR_PARAM), 0;
        std::lock_guard guard(m.lock);
        m.pool_mode = false;
        m.block_map = m.blocks = nullptr;
        m.block_count = m.pool_bytes = 0;
        m.alloc_fn = alloc_fn;
        m.realloc_fn = realloc_fn;
        m.free_fn = free_fn;
        return 1;
    }
    if (!pool || alloc_fn || realloc_fn || free_fn) return sound_set_error(SOUND_ERR_PARAM), 0;
    sound_mem_init_pool(&m, pool, uint32_t(length));
    return 1;
}

void sound_mem_get_stats(uint64_t* current, uint64_t* peak) {
    SoundMemory& m = sound_system_memory();
    std::lock_guard guard(m.lock);
    if (m.pool_mode) {
        if (current) *current = uint64_t(m.block_size) * m.blocks_used;
        if (peak) *peak = uint64_t(m.block_size) * m.blocks_peak;
    } else {
        if (current) *current = m.bytes_used;
        if (peak) *peak = m.bytes_peak;
    }
}

uint64_t sound_mem_free_bytes(SoundMemory* mem) {
    SoundMemory& m = resolve(mem);
    std::lock_guard guard(m.lock);
    if (!m.pool_mode) return 0;
    return uint64_t(m.block_size) * (m.block_count - m.blocks_used);
}

uint64_t sound_mem_system_free_bytes() { return sound_mem_free_bytes(nullptr); }

void* sound_mem_public_alloc(size_t size) { return sound_mem_alloc(nullptr, size, __FILE__, __LINE__); }
void* sound_mem_public_calloc(size_t size) { return sound_mem_calloc(nullptr, size, __FILE__, __LINE__); }
void* sound_mem_public_realloc(void* p, size_t size) {
    return sound_mem_realloc(nullptr, p, size, __FILE__, __LINE__);
}
void sound_mem_public_free(void* p) { sound_mem_free(nullptr, p, __FILE__, __LINE__); }
