#include "engine/core/heap_exhaustion.h"

#include <atomic>
#include <cstdint>
#include <new>

#include "engine/core/memory_pool.h"

namespace {

// Counts the shortages in which the handler gave back the reserve. A
// thread that already purged in the current one has nothing more to give:
// what it may free differs by thread (only the caches' own thread purges
// them), so each thread keeps its own mark.
std::atomic<uint32_t> g_reserve_returns{0};
thread_local uint32_t t_purged_in = UINT32_MAX;  // no shortage yet

}  // namespace

// operator new calls this after each refused request and then tries again,
// so each call must free something or end the program.
void on_heap_exhausted() {
    if (mem_reserve_held()) {
        ++g_reserve_returns;
        on_low_memory();  // gives back the reserve
        return;
    }
    const uint32_t shortage = g_reserve_returns.load();
    if (t_purged_in != shortage) {
        t_purged_in = shortage;
        on_low_memory();  // without a reserve: purges what this thread may
        return;
    }
    report_memory_full();
}

void install_heap_exhaustion_handler() { std::set_new_handler(on_heap_exhausted); }
