// The pooled allocator: size classes, alignment, growth in place, pages
// given back, the out-of-memory path, and a model run checked after every
// step, on one thread and on two.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/core/fatal_report.h"
#include "engine/core/memory_pool.h"
#include "engine/core/program_end.h"
#include "tests/support/program_end.h"

namespace {

#define SKIP_WITHOUT_POOL() \
    if (kPoolPassthrough) GTEST_SKIP() << "the pool is routed to malloc in this build"

bool aligned16(const void* p) { return reinterpret_cast<uintptr_t>(p) % 16 == 0; }

TEST(MemoryPool, ChoosesTheClassBySize) {
    SKIP_WITHOUT_POOL();
    struct Case {
        size_t size;
        int klass;
    };
    for (Case c : {Case{0, 0}, {1, 0}, {16, 0}, {17, 1}, {32, 1}, {33, 2}, {255, 15}, {256, 15}, {257, -1},
                   {100000, -1}}) {
        void* p = mem_alloc(c.size);
        EXPECT_EQ(mem_block_class(p), c.klass) << c.size;
        mem_free(p);
    }
}

TEST(MemoryPool, EveryBlockIs16AlignedAndUsable) {
    std::vector<void*> blocks;
    for (size_t n = 0; n <= 600; n++) {
        void* p = mem_alloc(n);
        EXPECT_TRUE(aligned16(p)) << n;
        std::memset(p, 0xAB, n);
        blocks.push_back(p);
    }
    for (void* p : blocks) mem_free(p);
    mem_free(nullptr);
}

TEST(MemoryPool, FreeingAnAddressInsideABlockChangesNothing) {
    SKIP_WITHOUT_POOL();
    for (int k = 0; k < kPoolClassCount; k++) {
        const size_t size = 16 * size_t(k + 1);
        auto* block = static_cast<uint8_t*>(mem_alloc(size));
        const PoolClassState before = mem_class_state(k);
        std::vector<size_t> offsets{1, 8, 15, size - 1};
        if (size > 16) offsets.insert(offsets.end(), {16, size - 16});
        for (size_t offset : offsets) mem_free(block + offset);
        const PoolClassState after = mem_class_state(k);
        EXPECT_EQ(after.pages, before.pages) << size;
        EXPECT_EQ(after.full_pages, before.full_pages) << size;
        EXPECT_EQ(after.open_free_counts, before.open_free_counts) << size;
        void* next = mem_alloc(size);
        EXPECT_NE(next, block) << size << ": the block was taken as free";
        mem_free(next);
        mem_free(block);
    }
}

TEST(MemoryPool, ReallocGrowsOnlyPastTheClass) {
    SKIP_WITHOUT_POOL();
    auto* p = static_cast<uint8_t*>(mem_alloc(20));
    for (int i = 0; i < 32; i++) p[i] = uint8_t(i + 1);
    EXPECT_EQ(mem_realloc(p, 30), p);
    EXPECT_EQ(mem_realloc(p, 32), p);
    EXPECT_EQ(mem_realloc(p, 1), p);  // never shrinks
    auto* q = static_cast<uint8_t*>(mem_realloc(p, 33));
    EXPECT_NE(q, p);
    EXPECT_EQ(mem_block_class(q), 2);  // 48-byte class
    for (int i = 0; i < 32; i++) EXPECT_EQ(q[i], i + 1);
    mem_free(q);
}

TEST(MemoryPool, HeapBlocksStayHeapBlocksAndKeepTheirBytes) {
    auto* p = static_cast<uint8_t*>(mem_alloc(300));
    for (int i = 0; i < 300; i++) p[i] = uint8_t(i);
    p = static_cast<uint8_t*>(mem_realloc(p, 5000));
    for (int i = 0; i < 300; i++) ASSERT_EQ(p[i], uint8_t(i));
    EXPECT_TRUE(aligned16(p));
    p = static_cast<uint8_t*>(mem_realloc(p, 10));
    EXPECT_EQ(mem_block_class(p), -1);
    EXPECT_EQ(p[9], 9);
    mem_free(p);
    void* fresh = mem_realloc(nullptr, 40);
    EXPECT_NE(fresh, nullptr);
    mem_free(fresh);
}

TEST(MemoryPool, PagesOpenWhenFullAndGoBackWhenEmpty) {
    SKIP_WITHOUT_POOL();
    constexpr int kClass = 12;  // 208 bytes: nothing else in this program uses it
    constexpr size_t kSize = 200;
    ASSERT_EQ(mem_class_state(kClass).pages, 0);
    std::vector<void*> first;
    for (int i = 0; i < kPoolBlocksPerPage; i++) first.push_back(mem_alloc(kSize));
    PoolClassState s = mem_class_state(kClass);
    EXPECT_EQ(s.pages, 1);
    EXPECT_EQ(s.full_pages, 1);
    EXPECT_TRUE(s.open_free_counts.empty());

    void* extra = mem_alloc(kSize);  // the 129th opens a new page
    s = mem_class_state(kClass);
    EXPECT_EQ(s.pages, 2);
    EXPECT_EQ(s.open_free_counts, std::vector<int>{127});

    for (void* p : first) mem_free(p);  // the full page drains and goes back
    s = mem_class_state(kClass);
    EXPECT_EQ(s.pages, 1);
    EXPECT_EQ(s.full_pages, 0);
    mem_free(extra);
    EXPECT_EQ(mem_class_state(kClass).pages, 0);
}

TEST(MemoryPool, NewBlocksComeFromTheFullestOpenPage) {
    SKIP_WITHOUT_POOL();
    constexpr int kClass = 13;
    constexpr size_t kSize = 220;
    std::vector<void*> blocks;
    for (int i = 0; i < 3 * kPoolBlocksPerPage; i++) blocks.push_back(mem_alloc(kSize));
    // Free 10 from the first page, 50 from the second, 5 from the third.
    void* first_freed_of_third = blocks[256];
    for (int i = 0; i < 10; i++) mem_free(std::exchange(blocks[i], nullptr));
    for (int i = 128; i < 178; i++) mem_free(std::exchange(blocks[i], nullptr));
    for (int i = 256; i < 261; i++) mem_free(std::exchange(blocks[i], nullptr));
    EXPECT_EQ(mem_class_state(kClass).open_free_counts, (std::vector<int>{5, 10, 50}));
    // The next block goes to the page with the fewest free blocks, into its
    // lowest free slot.
    void* p = mem_alloc(kSize);
    EXPECT_EQ(p, first_freed_of_third);
    EXPECT_EQ(mem_class_state(kClass).open_free_counts, (std::vector<int>{4, 10, 50}));
    mem_free(p);
    for (void* b : blocks) mem_free(b);
    EXPECT_EQ(mem_class_state(kClass).pages, 0);
}

// The notices shown, as the platform's message boxes would show them.
struct Notice {
    std::string text;
    std::string caption;
};

struct OutOfMemoryTest : ::testing::Test {
    static inline std::vector<Notice> notices;
    static inline int purges = 0;
    static bool record_notice(std::string_view text, std::string_view caption, NoticeStyle) {
        notices.push_back({std::string(text), std::string(caption)});
        return true;
    }
    void SetUp() override {
        notices.clear();
        set_notice_hook(record_notice);
        throw_on_program_end();
        set_cache_purge([] { purges++; });
        purges = 0;
        ensure_memory_reserve();
    }
    void TearDown() override {
        mem_inject_heap_failures(0);
        ensure_memory_reserve();
        set_cache_purge(nullptr);
        set_exit_hook(nullptr);
        set_notice_hook(nullptr);
    }
};

TEST_F(OutOfMemoryTest, HugeRequestsEndWithMemoryFull) {
    EXPECT_EQ(exit_code_of([] { mem_alloc(size_t(1) << 31); }), kFailureExitCode);
    EXPECT_EQ(exit_code_of([] { mem_alloc(SIZE_MAX); }), kFailureExitCode);
    EXPECT_EQ(exit_code_of([] { mem_alloc(SIZE_MAX - 8); }), kFailureExitCode);
    void* p = mem_alloc(20);
    EXPECT_EQ(exit_code_of([p] { mem_realloc(p, SIZE_MAX); }), kFailureExitCode);
    mem_free(p);
    ASSERT_EQ(notices.size(), 4u);
    EXPECT_EQ(notices[0].text, "Memory full!");
    EXPECT_EQ(notices[0].caption, "Memory full!");
    // (INT32_MAX itself is inside the range; not asked for here.)
}

TEST_F(OutOfMemoryTest, OneFailureIsMetByGivingBackTheReserve) {
    ASSERT_TRUE(mem_reserve_held());
    mem_inject_heap_failures(1);
    void* p = mem_alloc(1000);
    EXPECT_NE(p, nullptr);
    EXPECT_FALSE(mem_reserve_held());
    EXPECT_EQ(purges, 0);
    EXPECT_TRUE(notices.empty());
    mem_free(p);
    // The next purge point runs the requested purge and takes the reserve again.
    ensure_memory_reserve();
    EXPECT_EQ(purges, 1);
    EXPECT_TRUE(mem_reserve_held());
}

TEST_F(OutOfMemoryTest, AnEmptiedClassKeepsOnePageBackUntilThePurge) {
    SKIP_WITHOUT_POOL();
    constexpr int kClass = 15;
    constexpr size_t kSize = 250;
    std::vector<void*> blocks;
    for (int i = 0; i < 2 * kPoolBlocksPerPage + 1; i++) blocks.push_back(mem_alloc(kSize));
    for (void* b : blocks) mem_free(b);
    PoolClassState s = mem_class_state(kClass);
    EXPECT_EQ(s.pages, 0);
    EXPECT_EQ(s.spare_pages, 1);

    void* p = mem_alloc(kSize);  // the kept page comes into use, and back
    s = mem_class_state(kClass);
    EXPECT_EQ(s.pages, 1);
    EXPECT_EQ(s.spare_pages, 0);
    EXPECT_EQ(s.open_free_counts, std::vector<int>{kPoolBlocksPerPage - 1});
    mem_free(p);
    EXPECT_EQ(mem_class_state(kClass).spare_pages, 1);

    on_low_memory();  // the reserve goes first
    EXPECT_EQ(mem_class_state(kClass).spare_pages, 1);
    on_low_memory();  // then the kept pages
    s = mem_class_state(kClass);
    EXPECT_EQ(s.spare_pages, 0);
    EXPECT_EQ(s.pages, 0);
    EXPECT_EQ(purges, 1);
}

TEST_F(OutOfMemoryTest, ReserveFirstThenPurgeThenMemoryFull) {
    mem_inject_heap_failures(-1);
    EXPECT_EQ(exit_code_of([] { mem_alloc(1000); }), kFailureExitCode);
    EXPECT_FALSE(mem_reserve_held());  // first the reserve went back
    EXPECT_EQ(purges, 0);
    EXPECT_EQ(exit_code_of([] { mem_alloc(1000); }), kFailureExitCode);
    EXPECT_EQ(purges, 1);  // then, with no reserve left, the caches
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1].text, "Memory full!");
}

TEST_F(OutOfMemoryTest, NewPagesAndHeapReallocTakeTheSamePath) {
    SKIP_WITHOUT_POOL();
    mem_inject_heap_failures(-1);
    EXPECT_EQ(exit_code_of([] { mem_alloc(232); }), kFailureExitCode);  // class 14 has no page yet
    mem_inject_heap_failures(0);
    void* big = mem_alloc(400);
    mem_inject_heap_failures(-1);
    EXPECT_EQ(exit_code_of([big] { mem_realloc(big, 800); }), kFailureExitCode);
    mem_inject_heap_failures(0);
    mem_free(big);  // a failed realloc leaves the block as it was
    EXPECT_EQ(notices.size(), 2u);
}

// --- Model run ----------------------------------------------------------

struct LiveBlock {
    size_t size;
    uint8_t tag;
};

// Open lists ascend by free count; pages = full + open; every live block
// of a class is accounted for by its pages.
void check_invariants(const std::map<uint8_t*, LiveBlock>& live) {
    int live_per_class[kPoolClassCount] = {};
    for (const auto& [p, block] : live) {
        const int k = mem_block_class(p);
        if (k >= 0) live_per_class[k]++;
    }
    for (int k = 0; k < kPoolClassCount; k++) {
        const PoolClassState s = mem_class_state(k);
        ASSERT_EQ(s.pages, s.full_pages + int(s.open_free_counts.size())) << "class " << k;
        int in_use = s.full_pages * kPoolBlocksPerPage;
        for (size_t i = 0; i < s.open_free_counts.size(); i++) {
            ASSERT_GE(s.open_free_counts[i], 1);
            ASSERT_LE(s.open_free_counts[i], kPoolBlocksPerPage - 1);
            if (i > 0) {
                ASSERT_LE(s.open_free_counts[i - 1], s.open_free_counts[i]) << "class " << k;
            }
            in_use += kPoolBlocksPerPage - s.open_free_counts[i];
        }
        // Other tests of this program may hold blocks of class 0..11, so
        // count only what must be there.
        ASSERT_GE(in_use, live_per_class[k]) << "class " << k;
    }
}

void random_run(uint32_t seed, int steps, bool check_each_step) {
    std::mt19937 rng(seed);
    std::map<uint8_t*, LiveBlock> live;
    auto fill = [](uint8_t* p, const LiveBlock& b) { std::memset(p, b.tag, b.size); };
    auto intact = [](const uint8_t* p, const LiveBlock& b) {
        for (size_t i = 0; i < b.size; i++)
            if (p[i] != b.tag) return false;
        return true;
    };
    for (int step = 0; step < steps; step++) {
        const int action = int(rng() % 10);
        if (action < 5 || live.empty()) {
            const LiveBlock b{rng() % 300, uint8_t(rng())};
            auto* p = static_cast<uint8_t*>(mem_alloc(b.size));
            ASSERT_TRUE(aligned16(p));
            ASSERT_EQ(live.count(p), 0u) << "block handed out twice";
            fill(p, b);
            live[p] = b;
        } else {
            auto it = live.begin();
            std::advance(it, rng() % live.size());
            ASSERT_TRUE(intact(it->first, it->second)) << "block overwritten";
            if (action < 8) {
                mem_free(it->first);
                live.erase(it);
            } else {
                LiveBlock b = it->second;
                const size_t new_size = rng() % 300;
                auto* q = static_cast<uint8_t*>(mem_realloc(it->first, new_size));
                live.erase(it);
                b.size = std::min(b.size, new_size);
                ASSERT_TRUE(intact(q, b)) << "realloc lost bytes";
                b.size = new_size;
                fill(q, b);
                live[q] = b;
            }
        }
        if (check_each_step) check_invariants(live);
        if (::testing::Test::HasFatalFailure()) return;
    }
    for (auto& [p, b] : live) {
        ASSERT_TRUE(intact(p, b));
        mem_free(p);
    }
}

TEST(MemoryPoolModel, RandomRunKeepsEveryInvariant) {
    random_run(1234, 4000, true);
}

TEST(MemoryPoolModel, TwoThreadsAtOnce) {
    std::thread a([] { random_run(1, 30000, false); });
    std::thread b([] { random_run(2, 30000, false); });
    a.join();
    b.join();
    check_invariants({});
    if (!kPoolPassthrough) {
        for (int k = 12; k < kPoolClassCount; k++) EXPECT_EQ(mem_class_state(k).pages, 0) << k;
    }
}

}  // namespace
