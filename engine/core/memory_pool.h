// The pooled allocator behind every object and buffer of the engine and game.
// Blocks of up to 256 bytes come from sixteen size classes; larger ones from
// the heap. Allocation never fails: on exhaustion the program ends with
// "Memory full!".
#pragma once

#include <cstddef>
#include <new>

void* mem_alloc(size_t n);
void mem_free(void* p);
void* mem_realloc(void* p, size_t n);

// Gives back the reserve block, or purges the caches when it is gone.
void on_low_memory();
// Runs a pending cache purge and takes the reserve block again when missing.
void ensure_memory_reserve();

// Engine objects derive from this so that `new` and `delete` use the pool.
struct PoolObject {
    static void* operator new(size_t n) { return mem_alloc(n); }
    static void* operator new[](size_t n) { return mem_alloc(n); }
    static void operator delete(void* p) noexcept { mem_free(p); }
    static void operator delete[](void* p) noexcept { mem_free(p); }
};
