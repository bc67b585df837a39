// The pooled allocator behind every object and buffer of the engine and game.
// Blocks of up to 256 bytes come from sixteen size classes (16, 32, ... 256
// bytes) kept in pages of 128 blocks, each class keeping one empty page
// back for its next need; larger ones from the heap. Every block
// is 16-byte aligned. Allocation never fails: when the heap runs dry the
// reserve block is given back and the caches purged, the request is retried
// once, and then the program ends with "Memory full!".
//
// Built with NIMBREL_POOL_PASSTHROUGH every block comes straight from malloc,
// so that sanitizers see overruns inside what would be pooled blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

void* mem_alloc(size_t n);
void mem_free(void* p);
// A pooled block keeps its class: it grows into a new block when `n` is
// larger than its class, and is returned unchanged otherwise.
void* mem_realloc(void* p, size_t n);

// Gives back the reserve block, or purges the caches when it is gone. On a
// thread other than the caches' own only the pool's kept pages go; the
// caches' purge waits for their thread's next ensure_memory_reserve.
void on_low_memory();
// Runs a pending cache purge and takes the reserve block again when missing.
void ensure_memory_reserve();
// What purges the resource caches (deletes what nobody uses); set by them,
// on the thread that uses them, which is then the only one to purge them.
using CachePurge = void (*)();
void set_cache_purge(CachePurge purge);
// Shows "Memory full!" and ends the program.
[[noreturn]] void report_memory_full();

// Engine objects derive from this so that `new` and `delete` use the pool.
struct PoolObject {
    static void* operator new(size_t n) { return mem_alloc(n); }
    static void* operator new[](size_t n) { return mem_alloc(n); }
    static void operator delete(void* p) noexcept { mem_free(p); }
    static void operator delete[](void* p) noexcept { mem_free(p); }
};

// --- Inspection, for tests and benchmarks --------------------------------

constexpr int kPoolClassCount = 16;
constexpr size_t kPoolMaxBlock = 256;
constexpr int kPoolBlocksPerPage = 128;

#ifdef NIMBREL_POOL_PASSTHROUGH
constexpr bool kPoolPassthrough = true;
#else
constexpr bool kPoolPassthrough = false;
#endif

// The size class serving a block, or -1 for a heap block.
int mem_block_class(const void* p);

struct PoolClassState {
    int pages = 0;                      // pages holding blocks
    int spare_pages = 0;                // the empty page kept back (0 or 1)
    int full_pages = 0;                 // pages without a free block
    std::vector<int> open_free_counts;  // free counts along the open list, head first
};
PoolClassState mem_class_state(int class_index);
bool mem_reserve_held();

// Makes the next `count` heap requests fail (-1: all of them, 0: none), as
// if the machine were out of memory.
void mem_inject_heap_failures(int count);
