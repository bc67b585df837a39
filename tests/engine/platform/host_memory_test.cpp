#include "engine/platform/host_memory.h"

#include <gtest/gtest.h>

#include <limits>

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

TEST(HostMemory, ThePlatformAsksTheHostUnlessAFigureIsInjected) {
    HeadlessPlatform host;
    EXPECT_GT(host.available_memory_bytes(), 0u);
    host.set_available_memory_bytes(1234);
    EXPECT_EQ(host.available_memory_bytes(), 1234u);
    host.set_available_memory_bytes(std::nullopt);
    EXPECT_GT(host.available_memory_bytes(), 0u);
}

}  // namespace
