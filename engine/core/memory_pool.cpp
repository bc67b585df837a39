#include "engine/core/memory_pool.h"

#include <atomic>
#include <bit>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "engine/platform/platform.h"

namespace {

constexpr size_t kReserveBytes = 0x80000;
// Every block is preceded by a header whose last word names its page, or is
// 0 for a heap block; 16 bytes keep blocks aligned like malloc's.
constexpr size_t kBlockHeader = 16;
constexpr size_t kPageHeader = 48;
static_assert(kBlockHeader % alignof(std::max_align_t) == 0);
static_assert(kPageHeader % alignof(std::max_align_t) == 0);

struct Page {
    Page* next;
    Page* prev;
    uint32_t used[kPoolBlocksPerPage / 32];  // bit i of word i / 32: block i in use
    uint8_t free_count;
    uint8_t class_index;
    uint16_t block_words;  // block size in 4-byte words
};
static_assert(sizeof(Page) <= kPageHeader);

struct SizeClass {
    Page* full = nullptr;  // pages without a free block
    Page* open = nullptr;  // pages with room, ascending free count
    int pages = 0;
};

constinit SizeClass g_classes[kPoolClassCount];
constinit void* g_memory_reserve = nullptr;
constinit bool g_purge_requested = false;
constinit CachePurge g_cache_purge = nullptr;
std::atomic<int> g_failures_to_inject{0};

// The one lock over classes, pages and heap frees; re-entrant because a purge
// under memory pressure frees blocks while an allocation holds it.
std::recursive_mutex& pool_lock() {
    static std::recursive_mutex lock;
    return lock;
}

constexpr size_t class_block_size(int k) { return 16 * size_t(k + 1); }
constexpr size_t block_stride(int k) { return kBlockHeader + class_block_size(k); }
constexpr size_t page_bytes(int k) { return kPageHeader + kPoolBlocksPerPage * block_stride(k); }

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
    if (has_platform()) {
        platform().message_box("Memory full!", "Memory full!", kMessageBoxOk);
    } else {
        std::fputs("Memory full!\n", stderr);
    }
    exit_program(0);
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

void append(Page*& head, Page* page) {
    page->next = nullptr;
    if (!head) {
        page->prev = nullptr;
        head = page;
        return;
    }
    Page* tail = head;
    while (tail->next) tail = tail->next;
    tail->next = page;
    page->prev = tail;
}

void insert_after(Page*& head, Page* where, Page* page) {
    if (!where) {
        push_front(head, page);
        return;
    }
    page->prev = where;
    page->next = where->next;
    if (where->next) where->next->prev = page;
    where->next = page;
}

// After an allocation lowered the free count: move toward the head past
// every page with more free blocks.
void move_toward_head(Page*& head, Page* page) {
    Page* before = page->prev;
    if (!before || before->free_count <= page->free_count) return;
    unlink(head, page);
    while (before && before->free_count > page->free_count) before = before->prev;
    insert_after(head, before, page);
}

// After a free raised the free count: move toward the tail past every page
// with fewer free blocks.
void move_toward_tail(Page*& head, Page* page) {
    Page* after = page->next;
    if (!after || after->free_count >= page->free_count) return;
    unlink(head, page);
    Page* before = after;
    while (before->next && before->next->free_count < page->free_count) before = before->next;
    insert_after(head, before, page);
}

Page* new_page(int k) {
    auto* page = static_cast<Page*>(heap_alloc(page_bytes(k)));
    std::memset(page, 0, kPageHeader);
    page->free_count = kPoolBlocksPerPage;
    page->class_index = uint8_t(k);
    page->block_words = uint16_t(class_block_size(k) / 4);
    g_classes[k].pages++;
    return page;
}

void* pool_alloc(size_t n) {
    const int k = n == 0 ? 0 : int((n + 15) / 16 - 1);
    SizeClass& cls = g_classes[k];
    Page* page = cls.open ? cls.open : new_page(k);

    int index = 0;
    for (int w = 0; w < kPoolBlocksPerPage / 32; w++) {
        if (page->used[w] != 0xFFFFFFFFu) {
            const int bit = std::countr_zero(~page->used[w]);
            page->used[w] |= 1u << bit;
            index = w * 32 + bit;
            break;
        }
    }
    uint8_t* block = reinterpret_cast<uint8_t*>(page) + kPageHeader + size_t(index) * block_stride(k) + kBlockHeader;
    header_word(block) = page;

    const int before = page->free_count--;
    if (before == kPoolBlocksPerPage) {
        append(cls.open, page);
    } else if (page->free_count == 0) {
        unlink(cls.open, page);
        push_front(cls.full, page);
    } else {
        move_toward_head(cls.open, page);
    }
    return block;
}

void pool_free(Page* page, void* p) {
    const int k = page->class_index;
    SizeClass& cls = g_classes[k];
    const size_t offset = size_t(static_cast<uint8_t*>(p) - kBlockHeader - reinterpret_cast<uint8_t*>(page) - kPageHeader);
    const size_t index = offset / block_stride(k);
    uint32_t& word = page->used[index / 32];
    const uint32_t bit = 1u << (index % 32);
    if (!(word & bit)) return;  // not in use: a second free changes nothing
    word &= ~bit;

    const int before = page->free_count++;
    if (before == 0) {
        unlink(cls.full, page);
        push_front(cls.open, page);
        move_toward_tail(cls.open, page);
    } else if (page->free_count == kPoolBlocksPerPage) {
        unlink(cls.open, page);
        std::free(page);
        cls.pages--;
    } else {
        move_toward_tail(cls.open, page);
    }
}

void* heap_block_alloc(size_t n) {
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

void* mem_alloc(size_t n) {
    if (out_of_range(n)) memory_full();
    if (n > kPoolMaxBlock) return heap_block_alloc(n);
    std::lock_guard guard(pool_lock());
    return pool_alloc(n);
}

void mem_free(void* p) {
    if (!p) return;
    std::lock_guard guard(pool_lock());
    if (Page* page = header_word(p)) {
        pool_free(page, p);
    } else {
        std::free(static_cast<uint8_t*>(p) - kBlockHeader);
    }
}

void* mem_realloc(void* p, size_t n) {
    if (!p) return mem_alloc(n);
    if (out_of_range(n)) memory_full();
    std::lock_guard guard(pool_lock());
    if (Page* page = header_word(p)) {
        const size_t size = class_block_size(page->class_index);
        if (n <= size) return p;
        void* grown = mem_alloc(n);
        std::memcpy(grown, p, size);
        pool_free(page, p);
        return grown;
    }
    uint8_t* base = static_cast<uint8_t*>(p) - kBlockHeader;
    auto* moved = static_cast<uint8_t*>(
        with_one_retry([base, n] { return try_heap_realloc(base, n + kBlockHeader); }));
    return moved + kBlockHeader;
}

int mem_block_class(const void* p) {
    const Page* page = *reinterpret_cast<Page* const*>(static_cast<const uint8_t*>(p) - sizeof(Page*));
    return page ? page->class_index : -1;
}

#endif

void on_low_memory() {
    std::lock_guard guard(pool_lock());
    g_purge_requested = true;
    if (g_memory_reserve) {
        std::free(g_memory_reserve);
        g_memory_reserve = nullptr;
    } else if (g_cache_purge) {
        g_cache_purge();
    }
}

void ensure_memory_reserve() {
    std::lock_guard guard(pool_lock());
    if (g_purge_requested) {
        if (g_cache_purge) g_cache_purge();
        g_purge_requested = false;
    }
    if (!g_memory_reserve) g_memory_reserve = try_heap_alloc(kReserveBytes);
}

void set_cache_purge(CachePurge purge) { g_cache_purge = purge; }

PoolClassState mem_class_state(int class_index) {
    std::lock_guard guard(pool_lock());
    PoolClassState state;
    const SizeClass& cls = g_classes[class_index];
    state.pages = cls.pages;
    for (const Page* p = cls.full; p; p = p->next) state.full_pages++;
    for (const Page* p = cls.open; p; p = p->next) state.open_free_counts.push_back(p->free_count);
    return state;
}

bool mem_reserve_held() { return g_memory_reserve != nullptr; }

void mem_inject_heap_failures(int count) { g_failures_to_inject = count; }
