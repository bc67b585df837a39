#include "engine/core/memory_pool.h"

#include "engine/core/fatal_report.h"

#include <atomic>
#include <bit>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <sys/single_threaded.h>
#include <thread>
#include <utility>

#include "engine/core/program_end.h"

namespace {

constexpr size_t kReserveBytes = 0x80000;
// A heap block is preceded by a header whose last word is 0; 16 bytes keep
// it aligned like malloc's. Pooled blocks have no header: their page is
// found from their address (see the arena below).
constexpr size_t kBlockHeader = 16;
static_assert(kBlockHeader % alignof(std::max_align_t) == 0);

// A page's bookkeeping lives apart from its blocks, in descriptors packed
// side by side, so that moving pages between lists touches a few dense
// cache lines and never the pages' own memory. A full page is in no list
// (nothing looks for one), so a free to a full page touches no other page.
struct alignas(64) Page {
    uint64_t used[kPoolBlocksPerPage / 64];  // bit i of word i / 64: block i in use
    uint8_t* blocks;                         // the page's memory: its blocks side by side
    Page* next;                              // neighbours in its free-count list, while listed
    Page* prev;
    uint8_t free_count;
    uint8_t class_index;
    bool current;         // the page its class takes blocks from
    uint32_t reciprocal;  // 2^32 / block size, rounded up: an offset's block without a division
    uint32_t block_size;  // its class's, beside the bits: a new block's address waits on no other load
};
static_assert(sizeof(Page) == 64);

// Stands for "no current page": no free block, so that the allocation's one
// test of the current page sends it to the slow path. Never written.
constinit Page g_no_page{};

// Open pages sit in one list per free count, so that taking the fullest
// open page and moving a page after an allocation or a free never walk a
// list. Within a list the page that reached that count last comes first.
// The page that allocations are taking from is held apart from the lists
// while no listed page has fewer free blocks, so that a run of allocations
// and frees on it moves no page at all. When it empties it stays current
// and is the class's one kept-back empty page (`spare` is then null), so
// that a class going between no block and one touches nothing else.
//
// A class's record is one cache line; its lists' heads are kept apart.
using FreeCountLists = Page* [kPoolBlocksPerPage];  // [c]: open pages with c free blocks
constinit FreeCountLists g_by_free[kPoolClassCount] = {};

struct alignas(64) SizeClass {
    Page* current = &g_no_page;                  // the page allocations take from, in no list
    int fewest_listed = kPoolBlocksPerPage + 1;  // free count of the fullest listed page, or 129
    int full_pages = 0;                          // pages without a free block
    uint64_t counts_held[2] = {};                // bit c: by_free()[c] is not empty
    Page* spare = nullptr;                       // one empty page kept for the next need
    int pages_made = 0;                          // pages alive, empty ones included

    FreeCountLists& by_free();
    const FreeCountLists& by_free() const;

    bool current_is_empty() const { return current->free_count == kPoolBlocksPerPage; }
    bool holds_empty_page() const { return spare || current_is_empty(); }
    // The current page still serves while no listed page is fuller.
    bool current_serves() const { return unsigned(current->free_count - 1) < unsigned(fewest_listed); }
};

constinit SizeClass g_classes[kPoolClassCount];
static_assert(sizeof(SizeClass) == 64);

FreeCountLists& SizeClass::by_free() { return g_by_free[this - g_classes]; }
const FreeCountLists& SizeClass::by_free() const { return g_by_free[this - g_classes]; }
constinit void* g_memory_reserve = nullptr;
constinit bool g_purge_requested = false;
constinit CachePurge g_cache_purge = nullptr;
std::atomic<int> g_failures_to_inject{0};

// The caches belong to the thread that set their purge: it draws what they
// hold, so only it may delete their pictures. A shortage met on another
// thread (the sound library's stream and mixer threads allocate) leaves
// their purge to that thread's next purge point.
thread_local char t_cache_thread_tag = 0;
constinit std::atomic<const void*> g_cache_thread{nullptr};

bool may_purge_caches() {
    return !g_cache_purge || g_cache_thread.load(std::memory_order_relaxed) == &t_cache_thread_tag;
}

// The one lock over classes and pages. Re-entrant, because a purge under
// memory pressure frees blocks while an allocation holds it. Taking it is
// one compare-and-swap when nobody else holds it, and nothing at all while
// the process has a single thread.
class PoolLock {
public:
    void lock() {
        const void* me = &t_thread_tag;
        if (owner_.load(std::memory_order_relaxed) == me) {
            depth_++;
            return;
        }
        for (int tries = 0;; tries++) {
            const void* expected = nullptr;
            if (owner_.compare_exchange_weak(expected, me, std::memory_order_acquire, std::memory_order_relaxed)) break;
            if (tries >= 64) std::this_thread::yield();
        }
        depth_ = 1;
    }
    void unlock() {
        if (--depth_ == 0) owner_.store(nullptr, std::memory_order_release);
    }

private:
    static inline thread_local char t_thread_tag = 0;
    std::atomic<const void*> owner_{nullptr};
    int depth_ = 0;
};

constinit PoolLock g_pool_lock;

class PoolGuard {
public:
    PoolGuard() : locked_(!__libc_single_threaded) {
        if (locked_) g_pool_lock.lock();
    }
    ~PoolGuard() {
        if (locked_) g_pool_lock.unlock();
    }
    PoolGuard(const PoolGuard&) = delete;
    PoolGuard& operator=(const PoolGuard&) = delete;

private:
    bool locked_;
};

constexpr size_t class_block_size(int k) { return 16 * size_t(k + 1); }

Page*& header_word(void* block) { return *reinterpret_cast<Page**>(static_cast<uint8_t*>(block) - sizeof(Page*)); }

// --- The heap, with its out-of-memory path -------------------------------

// Takes one injected failure, if any is left.
bool inject_failure() {
    int left = g_failures_to_inject.load();
    while (left != 0) {
        if (left < 0 || g_failures_to_inject.compare_exchange_weak(left, left - 1)) return true;
    }
    return false;
}

void* try_heap_alloc(size_t bytes) { return inject_failure() ? nullptr : std::malloc(bytes); }

void* try_heap_realloc(void* p, size_t bytes) { return inject_failure() ? nullptr : std::realloc(p, bytes); }

[[noreturn]] void memory_full() {
    if (!show_notice("Memory full!", "Memory full!", NoticeStyle::plain)) std::fputs("Memory full!\n", stderr);
    exit_program(kFailureExitCode);
}

// A request the allocator cannot make at all: above 2^31 - 1 bytes, or one
// whose header would not fit in a size_t.
bool out_of_range(size_t n) { return n > size_t(INT32_MAX); }

template <typename Attempt>
void* with_one_retry(Attempt attempt) {
    void* p = attempt();
    if (!p) {
        on_low_memory();
        p = attempt();
    }
    if (!p) memory_full();
    return p;
}

void* heap_alloc(size_t bytes) {
    return with_one_retry([bytes] { return try_heap_alloc(bytes); });
}

// --- Page lists ------------------------------------------------------------

void unlink(Page*& head, Page* page) {
    if (page->prev) page->prev->next = page->next;
    else head = page->next;
    if (page->next) page->next->prev = page->prev;
    page->next = page->prev = nullptr;
}

void push_front(Page*& head, Page* page) {
    page->prev = nullptr;
    page->next = head;
    if (head) head->prev = page;
    head = page;
}

// The free count of the fullest listed open page, or one past a page's
// blocks when none is listed.
int fewest_listed_free(const SizeClass& cls) {
    if (cls.counts_held[0]) return std::countr_zero(cls.counts_held[0]);
    if (cls.counts_held[1]) return 64 + std::countr_zero(cls.counts_held[1]);
    return kPoolBlocksPerPage + 1;
}

void file_by_free_count(SizeClass& cls, Page* page) {
    const int c = page->free_count;
    push_front(cls.by_free()[c], page);
    cls.counts_held[c / 64] |= uint64_t(1) << (c % 64);
    if (c < cls.fewest_listed) cls.fewest_listed = c;
}

void unfile_by_free_count(SizeClass& cls, Page* page) {
    const int c = page->free_count;
    unlink(cls.by_free()[c], page);
    if (!cls.by_free()[c]) {
        cls.counts_held[c / 64] &= ~(uint64_t(1) << (c % 64));
        if (c == cls.fewest_listed) cls.fewest_listed = fewest_listed_free(cls);
    }
}

// The open page with the fewest free blocks, or null.
Page* fullest_open_page(const SizeClass& cls) {
    return cls.fewest_listed < kPoolBlocksPerPage ? cls.by_free()[cls.fewest_listed] : nullptr;
}

// Unsigned 32-bit factors, so that nothing widens the index on its way to
// the block's address, which the caller's next steps wait for.
uint8_t* block_at(const Page* page, uint32_t index) { return page->blocks + index * page->block_size; }

// --- The arena ---------------------------------------------------------------

// Pages live in slots of one range of addresses reserved at the first page,
// each slot with its descriptor at the same index, so that a free finds a
// block's page and index from the block's address alone and reads no
// memory beside the block (for a block long untouched, that read was most
// of a free's time). A slot's memory is made usable when the slot is first
// taken and given back to the system when its page is released. Where the
// system will not give that many addresses (a limit on them), the arena is
// a quarter the size, and so on down to 64 MB.
constexpr int kSlotShift = 15;  // 32 KB: a page of 128 blocks of 256 bytes
constexpr size_t kSlotBytes = size_t(1) << kSlotShift;
constexpr size_t kSlotCount = size_t(1) << 19;  // 16 GB of addresses, 32 MB of descriptors
constexpr size_t kArenaBytes = kSlotBytes * kSlotCount;
constexpr size_t kSmallestArenaBytes = size_t(64) << 20;
static_assert(kPoolBlocksPerPage * kPoolMaxBlock <= kSlotBytes);

// [slot]: its page's descriptor; untouched ones cost nothing. Zeroed before
// any code runs, as a trivial type's static storage is (not `constinit`:
// clang does not count a trivial type's default initialisation as constant).
Page g_pages[kSlotCount];
// Where the arena starts and its size; until it is reserved, a start that
// no address lies behind.
constexpr uintptr_t kNoArena = uintptr_t(0) - kArenaBytes;
constinit std::atomic<uintptr_t> g_arena{kNoArena};
constinit std::atomic<size_t> g_arena_bytes{kArenaBytes};
// g_pages' address less the arena's first slot number times a descriptor's
// size: with the arena aligned to a slot, a block's descriptor is this plus
// its address's slot number times a descriptor's size.
constinit std::atomic<uintptr_t> g_page_bias{0};
constinit size_t g_slots_opened = 0;     // slots made usable so far, from the first
constinit Page* g_free_slots = nullptr;  // released pages' slots, chained through `next`

uint8_t* arena_start() { return reinterpret_cast<uint8_t*>(g_arena.load(std::memory_order_relaxed)); }

bool reserve_arena() {
    if (g_arena.load(std::memory_order_relaxed) != kNoArena) return true;
    for (size_t bytes = kArenaBytes; bytes >= kSmallestArenaBytes; bytes /= 4) {
        void* range = mmap(nullptr, bytes + kSlotBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (range == MAP_FAILED) continue;
        // One slot more than the arena, so that it can start on a slot's
        // boundary (see g_page_bias).
        const uintptr_t start = (reinterpret_cast<uintptr_t>(range) + kSlotBytes - 1) & ~(kSlotBytes - 1);
        // The size and bias first: until the start is set no address is
        // inside, and whoever sees the start sees them.
        g_arena_bytes.store(bytes, std::memory_order_relaxed);
        g_page_bias.store(reinterpret_cast<uintptr_t>(g_pages) - (start >> kSlotShift) * sizeof(Page),
                          std::memory_order_relaxed);
        g_arena.store(start, std::memory_order_release);
        return true;
    }
    return false;
}

size_t arena_slots() { return g_arena_bytes.load(std::memory_order_relaxed) / kSlotBytes; }

// The page holding a pooled block and the block's offset in it, or null
// for anything else (a heap block, null).
[[maybe_unused]] Page* page_of(const void* p, uint32_t& offset) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(p) - g_arena.load(std::memory_order_acquire);
    if (at >= g_arena_bytes.load(std::memory_order_relaxed)) return nullptr;
    // From the address itself rather than from `at`: a free waits on this
    // for everything it reads, and one subtraction fewer shows.
    const auto address = reinterpret_cast<uintptr_t>(p);
    offset = uint32_t(address % kSlotBytes);
    const uintptr_t bias = g_page_bias.load(std::memory_order_relaxed);
    return reinterpret_cast<Page*>(bias + (address >> kSlotShift) * sizeof(Page));
}

// The index of the block starting `offset` bytes into the page, or -1 when
// no block starts there. With offsets below 2^15 and block sizes of 16 to
// 256, offset x reciprocal holds the quotient in its high half, and its low
// half is below the reciprocal exactly when the offset is a multiple of the
// block size (the low half is then at most the offset, and otherwise at
// least the reciprocal, which is at least 2^24).
int block_index(const Page* page, uint32_t offset) {
    static_assert(kSlotBytes <= (size_t(1) << 15) && kPoolMaxBlock <= 256);
    const uint64_t product = uint64_t(offset) * page->reciprocal;
    const auto index = uint32_t(product >> 32);
    if (index >= uint32_t(kPoolBlocksPerPage) || uint32_t(product) >= page->reciprocal) return -1;
    return int(index);
}

// A slot for a new page: a released one, or the next one made usable; null
// when none can be had, which counts as the heap running dry.
Page* try_take_slot() {
    if (inject_failure()) return nullptr;
    if (g_free_slots) return std::exchange(g_free_slots, g_free_slots->next);
    if (!reserve_arena() || g_slots_opened == arena_slots()) return nullptr;
    if (mprotect(arena_start() + g_slots_opened * kSlotBytes, kSlotBytes, PROT_READ | PROT_WRITE) != 0) return nullptr;
    return &g_pages[g_slots_opened++];
}

void release_page(Page* page) {
    g_classes[page->class_index].pages_made--;
    madvise(page->blocks, kSlotBytes, MADV_DONTNEED);
    *page = Page{};  // no block in use: a stray free of one of its blocks changes nothing
    page->next = g_free_slots;
    g_free_slots = page;
}

[[gnu::noinline]] Page* new_page(int k) {
    auto* page = static_cast<Page*>(with_one_retry([] { return static_cast<void*>(try_take_slot()); }));
    *page = Page{};
    page->blocks = arena_start() + size_t(page - g_pages) * kSlotBytes;
    page->free_count = kPoolBlocksPerPage;
    page->class_index = uint8_t(k);
    page->reciprocal = uint32_t((uint64_t(1) << 32) / class_block_size(k) + 1);
    page->block_size = uint32_t(class_block_size(k));
    g_classes[k].pages_made++;
    return page;
}

// A page for a class without an open page: its spare, or a new one.
Page* empty_page(int k) {
    Page* page = std::exchange(g_classes[k].spare, nullptr);
    return page ? page : new_page(k);
}

// An empty page is kept back as its class's spare, so that a class hovering
// at a page boundary does not go to the heap at every step; a class keeps
// one at most.
void retire_page(SizeClass& cls, Page* page) {
    if (!cls.holds_empty_page()) cls.spare = page;
    else release_page(page);
}

void clear_current(SizeClass& cls) {
    cls.current->current = false;
    cls.current = &g_no_page;
}

[[gnu::noinline]] void release_current_page(SizeClass& cls) {
    Page* page = cls.current;
    clear_current(cls);
    release_page(page);
}

void free_spare_pages() {
    for (SizeClass& cls : g_classes) {
        if (cls.spare) release_page(std::exchange(cls.spare, nullptr));
        if (cls.current_is_empty()) release_current_page(cls);
    }
}

// Makes the fullest open page current (listing the one that was, which has
// more free blocks, or keeping it back when empty), or the spare or a new
// page when no page is open.
[[gnu::noinline]] Page* switch_current_page(SizeClass& cls, int k) {
    if (Page* old = cls.current; old != &g_no_page) {
        clear_current(cls);
        if (old->free_count == kPoolBlocksPerPage) cls.spare = old;
        else file_by_free_count(cls, old);
    }
    Page* page = fullest_open_page(cls);
    if (page) unfile_by_free_count(cls, page);
    else page = empty_page(k);
    page->current = true;
    cls.current = page;
    return page;
}

// The in-use bits are read and written as both words at once, so that the
// stores' addresses never wait for the block's index and later loads need
// not wait for them.

// Marks the page's lowest free block as used and returns its index; the
// page has one.
int take_lowest_free(Page* page) {
    const uint64_t low = page->used[0], high = page->used[1];
    const bool in_low = ~low != 0;
    const int bit = __builtin_ctzll(in_low ? ~low : ~high);  // the word has a free block
    page->used[0] = in_low ? low | uint64_t(1) << bit : low;
    page->used[1] = in_low ? high : high | uint64_t(1) << bit;
    return in_low ? bit : 64 + bit;
}

[[gnu::noinline]] void* current_page_filled(SizeClass& cls, void* block) {
    clear_current(cls);
    cls.full_pages++;
    return block;
}

void* take_block(SizeClass& cls, Page* page) {
    uint8_t* block = block_at(page, uint32_t(take_lowest_free(page)));
    if (--page->free_count == 0) [[unlikely]] return current_page_filled(cls, block);
    return block;
}

[[gnu::noinline]] void* take_block_from_new_current(SizeClass& cls, int k) {
    return take_block(cls, switch_current_page(cls, k));
}

// The pool itself; unused when every block passes through to malloc.
[[maybe_unused]] void* pool_alloc(size_t n) {
    const int k = int((n - 1) / 16);  // n is 1..256
    SizeClass& cls = g_classes[k];
    if (!cls.current_serves()) [[unlikely]] return take_block_from_new_current(cls, k);
    return take_block(cls, cls.current);
}

// Clears the block's bit; false when it was not in use (a second free,
// which changes nothing) or is no block (-1).
bool mark_free(Page* page, int index) {
    if (index < 0) return false;
    const uint64_t keep = std::rotl(~uint64_t(1), index % 64);  // every bit but the block's
    const uint64_t keep_low = index < 64 ? keep : ~uint64_t(0), keep_high = index < 64 ? ~uint64_t(0) : keep;
    const uint64_t low = page->used[0], high = page->used[1];
    if ((low & keep_low) == low && (high & keep_high) == high) return false;
    page->used[0] = low & keep_low;
    page->used[1] = high & keep_high;
    return true;
}

// A free to a page other than the current one moves it to its new list.
[[gnu::noinline]] void free_on_other_page(Page* page, uint32_t offset) {
    if (!mark_free(page, block_index(page, offset))) return;
    SizeClass& cls = g_classes[page->class_index];
    if (page->free_count == 0) cls.full_pages--;
    else unfile_by_free_count(cls, page);
    if (++page->free_count == kPoolBlocksPerPage) retire_page(cls, page);
    else file_by_free_count(cls, page);
}

// The current page emptied: it is the class's kept-back page, unless the
// class keeps a spare already.
void current_page_emptied(Page* page) {
    SizeClass& cls = g_classes[page->class_index];
    if (cls.spare) [[unlikely]] release_current_page(cls);
}

[[maybe_unused]] void pool_free(Page* page, uint32_t offset) {
    if (!page->current) [[unlikely]] return free_on_other_page(page, offset);
    if (!mark_free(page, block_index(page, offset))) return;
    if (++page->free_count == kPoolBlocksPerPage) [[unlikely]] current_page_emptied(page);
}

[[maybe_unused, gnu::noinline]] void* heap_block_alloc(size_t n) {
    if (out_of_range(n)) memory_full();
    auto* base = static_cast<uint8_t*>(heap_alloc(n + kBlockHeader));
    header_word(base + kBlockHeader) = nullptr;
    return base + kBlockHeader;
}

}  // namespace

#ifdef NIMBREL_POOL_PASSTHROUGH

void* mem_alloc(size_t n) {
    if (out_of_range(n)) memory_full();
    return heap_alloc(n ? n : 1);
}

void mem_free(void* p) { std::free(p); }

void* mem_realloc(void* p, size_t n) {
    if (out_of_range(n)) memory_full();
    return with_one_retry([p, n] { return try_heap_realloc(p, n ? n : 1); });
}

int mem_block_class(const void*) { return -1; }

#else

namespace {

[[gnu::noinline]] void* locked_pool_alloc(size_t n) {
    PoolGuard guard;
    return pool_alloc(n);
}

[[gnu::noinline]] void locked_pool_free(Page* page, uint32_t offset) {
    PoolGuard guard;
    pool_free(page, offset);
}

}  // namespace

// The common paths (a pooled block, one thread) stay free of everything
// else, which lives out of line.
void* mem_alloc(size_t n) {
    if (n - 1 >= kPoolMaxBlock) [[unlikely]] return n ? heap_block_alloc(n) : mem_alloc(1);
    if (!__libc_single_threaded) return locked_pool_alloc(n);
    return pool_alloc(n);
}

void mem_free(void* p) {
    uint32_t offset = 0;
    Page* page = page_of(p, offset);
    if (!page) [[unlikely]] {
        if (p) std::free(static_cast<uint8_t*>(p) - kBlockHeader);
    } else if (!__libc_single_threaded) {
        locked_pool_free(page, offset);
    } else {
        pool_free(page, offset);
    }
}

void* mem_realloc(void* p, size_t n) {
    if (!p) return mem_alloc(n);
    if (out_of_range(n)) memory_full();
    PoolGuard guard;
    uint32_t offset = 0;
    if (Page* page = page_of(p, offset)) {
        const size_t size = class_block_size(page->class_index);
        if (n <= size) return p;
        void* grown = mem_alloc(n);
        std::memcpy(grown, p, size);
        pool_free(page, offset);
        return grown;
    }
    uint8_t* base = static_cast<uint8_t*>(p) - kBlockHeader;
    auto* moved = static_cast<uint8_t*>(
        with_one_retry([base, n] { return try_heap_realloc(base, n + kBlockHeader); }));
    return moved + kBlockHeader;
}

int mem_block_class(const void* p) {
    uint32_t offset = 0;
    const Page* page = page_of(p, offset);
    return page ? page->class_index : -1;
}

#endif

namespace {

// Gives back the kept-back pages, then, on their own thread, has the caches
// delete what nobody uses.
void purge_pages_and_caches() {
    free_spare_pages();
    if (g_cache_purge && may_purge_caches()) g_cache_purge();
}

}  // namespace

void on_low_memory() {
    PoolGuard guard;
    g_purge_requested = true;
    if (g_memory_reserve) {
        std::free(g_memory_reserve);
        g_memory_reserve = nullptr;
    } else {
        purge_pages_and_caches();
    }
}

void ensure_memory_reserve() {
    PoolGuard guard;
    // Elsewhere than on the caches' thread the request stays for it.
    if (g_purge_requested && may_purge_caches()) {
        purge_pages_and_caches();
        g_purge_requested = false;
    }
    if (!g_memory_reserve) g_memory_reserve = try_heap_alloc(kReserveBytes);
}

void set_cache_purge(CachePurge purge) {
    PoolGuard guard;
    g_cache_purge = purge;
    g_cache_thread.store(purge ? &t_cache_thread_tag : nullptr, std::memory_order_relaxed);
}

void report_memory_full() { memory_full(); }

PoolClassState mem_class_state(int class_index) {
    PoolGuard guard;
    PoolClassState state;
    const SizeClass& cls = g_classes[class_index];
    state.spare_pages = cls.holds_empty_page() ? 1 : 0;
    state.full_pages = cls.full_pages;
    for (int c = 0; c < kPoolBlocksPerPage; c++) {
        // The current page stands first among the pages of its count, as
        // the one that reached it last.
        if (cls.current->free_count == c && cls.current != &g_no_page) state.open_free_counts.push_back(c);
        for (const Page* p = cls.by_free()[c]; p; p = p->next) state.open_free_counts.push_back(p->free_count);
    }
    state.pages = cls.pages_made - int(cls.spare != nullptr) - int(cls.current_is_empty());
    return state;
}

bool mem_reserve_held() { return g_memory_reserve != nullptr; }

void mem_inject_heap_failures(int count) { g_failures_to_inject = count; }
