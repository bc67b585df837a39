// The sound library's platform layer: memory, threads, locks, events, the
// CPU meter and the generator.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

#include "tests/sound/sound_test_support.h"

namespace {

struct RestoreHeap {
    ~RestoreHeap() { mem_set_system(nullptr, 0, nullptr, nullptr, nullptr); }
};

int g_custom_allocs = 0;
void* counting_alloc(size_t n) { return ++g_custom_allocs, std::malloc(n); }
void* counting_realloc(void* p, size_t n) { return std::realloc(p, n); }
void counting_free(void* p) { std::free(p); }

TEST(SoundMemory, SetSystemValidatesItsArguments) {
    RestoreHeap restore;
    g_custom_allocs = 0;
    alignas(16) static uint8_t pool[4096];
    EXPECT_EQ(mem_set_system(pool, 300, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(sound_get_error(), SOUND_ERR_PARAM);
    EXPECT_EQ(mem_set_system(nullptr, 0, nullptr, nullptr, counting_free), 0);
    EXPECT_EQ(mem_set_system(nullptr, 0, counting_alloc, nullptr, counting_free), 0);
    EXPECT_EQ(mem_set_system(pool, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(mem_set_system(nullptr, 512, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(mem_set_system(pool, 512, counting_alloc, counting_realloc, counting_free), 0);
    ASSERT_EQ(mem_set_system(nullptr, 0, counting_alloc, counting_realloc, counting_free), 1);
    void* p = SOUND_ALLOC(40);
    EXPECT_EQ(g_custom_allocs, 1);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
    SOUND_FREE(p);
    ASSERT_EQ(mem_set_system(nullptr, 0, nullptr, nullptr, nullptr), 1);
    SOUND_FREE(SOUND_ALLOC(8));
    EXPECT_EQ(g_custom_allocs, 1);
}

TEST(SoundMemory, PoolsOfEverySizeStayInsideTheirMemory) {
    RestoreHeap restore;
    for (int length = 256; length <= 65536; length *= 2) {
        // Exactly `length` bytes on the heap, so ASan sees any block laid past it.
        auto pool = std::make_unique<uint8_t[]>(size_t(length));
        ASSERT_EQ(mem_set_system(pool.get(), length, nullptr, nullptr, nullptr), 1) << length;
        const uint32_t blocks = sound_system_memory().block_count;
        EXPECT_LE(blocks * 257u, uint32_t(length)) << length;
        EXPECT_EQ(blocks % 16, 0u);
        std::vector<void*> taken;
        while (void* p = SOUND_ALLOC(100)) {
            std::memset(p, 0xAB, 100);
            taken.push_back(p);
        }
        EXPECT_EQ(taken.size(), blocks);
        EXPECT_EQ(sound_mem_system_free_bytes(), 0u);
        for (void* p : taken) SOUND_FREE(p);
        EXPECT_EQ(sound_mem_system_free_bytes(), uint64_t(blocks) * 256);
        mem_set_system(nullptr, 0, nullptr, nullptr, nullptr);
    }
}

TEST(SoundMemory, PoolFirstFitReallocAndStatistics) {
    RestoreHeap restore;
    auto pool = std::make_unique<uint8_t[]>(16384);
    ASSERT_EQ(mem_set_system(pool.get(), 16384, nullptr, nullptr, nullptr), 1);
    auto* a = static_cast<uint8_t*>(SOUND_ALLOC(300));  // 2 blocks with the header
    void* b = SOUND_ALLOC(10);
    for (int i = 0; i < 300; ++i) a[i] = uint8_t(i);
    uint64_t current = 0, peak = 0;
    sound_mem_get_stats(&current, &peak);
    EXPECT_EQ(current, 3u * 256);
    // Growing in place is impossible (b follows a): the data moves intact.
    auto* grown = static_cast<uint8_t*>(sound_mem_realloc(nullptr, a, 1000, __FILE__, __LINE__));
    ASSERT_NE(grown, nullptr);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(grown[i], uint8_t(i));
    SOUND_FREE(b);
    // The freed first blocks are found first again.
    void* c = SOUND_ALLOC(200);
    EXPECT_EQ(c, static_cast<void*>(pool.get() + ((16 - reinterpret_cast<uintptr_t>(pool.get()) % 16) % 16) +
                                    sound_system_memory().block_count + 16));
    sound_mem_get_stats(nullptr, &peak);
    EXPECT_EQ(peak, 5u * 256);
    SOUND_FREE(grown);
    SOUND_FREE(c);
    sound_mem_get_stats(&current, nullptr);
    EXPECT_EQ(current, 0u);
    EXPECT_EQ(SOUND_ALLOC(20000), nullptr);
}

TEST(SoundMemory, ThreadsAllocateConcurrently) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 2000; ++i) {
                void* p = SOUND_CALLOC(size_t(16 + i % 300));
                p = sound_mem_realloc(nullptr, p, size_t(32 + i % 500), __FILE__, __LINE__);
                SOUND_FREE(p);
            }
        });
    for (auto& t : threads) t.join();
    uint64_t current = 1;
    sound_mem_get_stats(&current, nullptr);
    EXPECT_EQ(current, 0u);
}

TEST(SoundThreads, NonRealtimeModeStartsNothing) {
    sound_test::NonRealtimeSound s;
    ASSERT_TRUE(s.ok);
    static std::atomic<int> ran{0};
    SoundThread* t = sound_thread_create([](void*) { ran.store(1); }, nullptr, 3);
    EXPECT_NE(t, nullptr);
    EXPECT_FALSE(sound_thread_is_real(t));
    sound_thread_join(t);
    EXPECT_EQ(ran.load(), 0);
    EXPECT_EQ(sound_crit_create(), nullptr);
    EXPECT_EQ(sound_event_create(), nullptr);
    sound_crit_enter(nullptr);
    sound_crit_leave(nullptr);
    sound_event_set(nullptr);
    sound_event_wait(nullptr);  // returns at once
    const uint32_t before = sound_timer_ms();
    sound_sleep(10000);
    EXPECT_LT(sound_timer_ms() - before, 5000u);
}

TEST(SoundThreads, ThreadsLocksAndEventsWork) {
    struct Shared {
        SoundLock* lock = sound_crit_create();
        SoundEvent* go = sound_event_create();
        SoundEvent* done = sound_event_create();
        int counter = 0;
    } shared;
    ASSERT_NE(shared.lock, nullptr);
    ASSERT_NE(shared.go, nullptr);
    SoundThread* t = sound_thread_create(
        [](void* arg) {
            auto* s = static_cast<Shared*>(arg);
            sound_event_wait(s->go);
            for (int i = 0; i < 1000; ++i) {
                SoundLockGuard guard(s->lock);
                SoundLockGuard again(s->lock);  // recursive
                ++s->counter;
            }
            sound_event_set(s->done);
        },
        &shared, 3);
    EXPECT_TRUE(sound_thread_is_real(t));
    EXPECT_EQ(sound_thread_priority(t), 3);
    sound_event_set(shared.go);
    for (int i = 0; i < 1000; ++i) {
        SoundLockGuard guard(shared.lock);
        ++shared.counter;
    }
    sound_event_wait(shared.done);
    sound_thread_join(t);
    EXPECT_EQ(shared.counter, 2000);
    sound_crit_destroy(shared.lock);
    sound_event_close(shared.go);
    sound_event_close(shared.done);
}

TEST(CpuMeter, MeasuresTheBusyShareAndSurvivesZeroPeriods) {
    CpuMeter m;
    // Zero-length periods: nothing to divide by, no fault.
    for (int i = 0; i < 5; ++i) {
        cpu_meter_start_at(&m, 1000);
        EXPECT_EQ(cpu_meter_stop_at(&m, 90, 1000), 0u);
    }
    // Busy 1 ms out of every 10 ms: settles at 10 percent (x 256), also
    // when the clock is far from zero at the first stop.
    CpuMeter busy;
    uint32_t use = 0;
    const uint32_t boot = 3000000000u;
    for (uint32_t t = 0; t < 60; ++t) {
        cpu_meter_start_at(&busy, boot + t * 10000 + 9000);
        use = cpu_meter_stop_at(&busy, 90, boot + t * 10000 + 10000);
    }
    EXPECT_NEAR(double(use) / 256.0, 10.0, 0.5);
    // A clock that went back gives a zero period, not a huge one.
    cpu_meter_start_at(&busy, 5);
    cpu_meter_stop_at(&busy, 90, 10);
}

TEST(SoundRandom, SeededSequencesRepeat) {
    sound_srand(1);
    EXPECT_EQ(sound_rand(), 41);
    EXPECT_EQ(sound_rand(), 18467);
    sound_srand(99);
    const int a = sound_rand();
    sound_srand(99);
    EXPECT_EQ(sound_rand(), a);
}

}  // namespace
