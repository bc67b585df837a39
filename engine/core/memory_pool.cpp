// Interim allocator: every block straight from the C heap. The size-class
// pool replaces this.
#include "engine/core/memory_pool.h"

#include <cstdlib>

void* mem_alloc(size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) std::abort();
    return p;
}

void mem_free(void* p) { std::free(p); }

void* mem_realloc(void* p, size_t n) {
    void* q = std::realloc(p, n ? n : 1);
    if (!q) std::abort();
    return q;
}

void on_low_memory() {}
void ensure_memory_reserve() {}
