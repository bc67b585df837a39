#include "engine/core/heap_exhaustion.h"

#include <atomic>
#include <new>

#include "engine/core/memory_pool.h"

namespace {

// Set once the caches were purged for want of heap; a reserve taken again
// since means memory came back, and the next shortage may purge again.
std::atomic<bool> g_purged_since_reserve{false};

}  // namespace

// operator new calls this after each refused request and then tries again,
// so each call must free something or end the program.
void on_heap_exhausted() {
    if (mem_reserve_held()) {
        g_purged_since_reserve = false;
        on_low_memory();  // gives back the reserve
        return;
    }
    if (!g_purged_since_reserve.exchange(true)) {
        on_low_memory();  // without a reserve: purges the caches
        return;
    }
    report_memory_full();
}

void install_heap_exhaustion_handler() { std::set_new_handler(on_heap_exhausted); }
