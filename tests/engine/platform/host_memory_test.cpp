#include "engine/platform/host_memory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "engine/platform/headless/headless_platform.h"

namespace {

constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();

TEST(HostMemory, TakesMemAvailableNotMemFree) {
    const char* meminfo =
        "MemTotal:       24576000 kB\n"
        "MemFree:          512000 kB\n"
        "MemAvailable:   16384000 kB\n"
        "Buffers:          204800 kB\n";
    EXPECT_EQ(mem_available_from_meminfo(meminfo), uint64_t(16384000) * 1024);
    // The last line needs no line end.
    EXPECT_EQ(mem_available_from_meminfo("MemFree: 1 kB\nMemAvailable: 7 kB"), uint64_t(7) * 1024);
}

TEST(HostMemory, MissingOrBrokenFiguresGiveNothingAndHugeOnesSaturate) {
    EXPECT_EQ(mem_available_from_meminfo(""), std::nullopt);
    EXPECT_EQ(mem_available_from_meminfo("MemTotal: 100 kB\nMemFree: 50 kB\n"), std::nullopt);  // old kernels
    EXPECT_EQ(mem_available_from_meminfo("MemAvailable:      kB\n"), std::nullopt);
    EXPECT_EQ(mem_available_from_meminfo("MemAvailable: -5 kB\n"), std::nullopt);
    EXPECT_EQ(mem_available_from_meminfo("XMemAvailable: 5 kB\n"), std::nullopt);
    EXPECT_EQ(mem_available_from_meminfo("MemAvailable: 99999999999999999999999 kB\n"), kMax);
    EXPECT_EQ(mem_available_from_meminfo("MemAvailable: 18014398509481984 kB\n"), kMax);  // 2^64 bytes
    EXPECT_EQ(mem_available_from_meminfo("MemAvailable: 18014398509481983 kB\n"), kMax - 1023);
}

TEST(HostMemory, AReadingServesForItsLifetimeThenIsTakenAgain) {
    MemoryReading reading;
    int reads = 0;
    const auto read = [&] { return uint64_t(1000 + ++reads); };
    EXPECT_EQ(reading.get(5000, read), 1001u);
    EXPECT_EQ(reading.get(5000 + MemoryReading::kLifetimeMs - 1, read), 1001u);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(reading.get(5000 + MemoryReading::kLifetimeMs, read), 1002u);
    // A clock that went back (another steady clock's origin) reads anew.
    EXPECT_EQ(reading.get(10, read), 1003u);
    EXPECT_EQ(reading.get(10, read), 1003u);
    EXPECT_EQ(reads, 3);
    // The first reading is taken at any time, even at 0.
    MemoryReading fresh;
    EXPECT_EQ(fresh.get(0, read), 1004u);
}

// The sanitizers bring their own allocator, which keeps its own counts.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
TEST(HostMemory, FreedPicturesStayInTheHeapForTheNextOnes) {
    HeadlessPlatform host;  // every platform keeps freed memory
    constexpr size_t kWarmed = size_t(3) << 20;
    warm_heap(kWarmed);
    EXPECT_GE(mallinfo2().fordblks, kWarmed);
    // Fifty ground pictures made and freed leave the heap as large as it was.
    const size_t heap = mallinfo2().arena;
    std::vector<void*> blocks;
    for (int i = 0; i < 50; ++i) blocks.push_back(std::malloc(160 * 160 * 2));
    for (void* block : blocks) std::free(block);
    EXPECT_EQ(mallinfo2().arena, heap);
    EXPECT_GE(mallinfo2().fordblks, kWarmed);
}
#endif

TEST(HostMemory, ThePlatformAsksTheHostUnlessAFigureIsInjected) {
    HeadlessPlatform host;
    EXPECT_GT(host.available_memory_bytes(), 0u);
    host.set_available_memory_bytes(1234);
    EXPECT_EQ(host.available_memory_bytes(), 1234u);
    host.set_available_memory_bytes(std::nullopt);
    EXPECT_GT(host.available_memory_bytes(), 0u);
}

}  // namespace
