// The pooled allocator against glibc malloc/free and the standard library's
// synchronized pool resource, on the same sequences of 16..256-byte blocks.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory_resource>
#include <random>
#include <vector>

#include "engine/core/memory_pool.h"

namespace {

struct Pool {
    static void* alloc(size_t n) { return mem_alloc(n); }
    static void free(void* p, size_t) { mem_free(p); }
};

struct Malloc {
    static void* alloc(size_t n) { return std::malloc(n); }
    static void free(void* p, size_t) { std::free(p); }
};

struct Pmr {
    static std::pmr::synchronized_pool_resource& resource() {
        static std::pmr::synchronized_pool_resource r;
        return r;
    }
    static void* alloc(size_t n) { return resource().allocate(n, 16); }
    static void free(void* p, size_t n) { resource().deallocate(p, n, 16); }
};

std::vector<size_t> random_sizes(size_t count, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> size(16, 256);
    std::vector<size_t> sizes(count);
    for (auto& s : sizes) s = size(rng);
    return sizes;
}

// Allocate and free at once, sizes at random: the common short-lived case.
template <typename A>
void BM_Lifo(benchmark::State& state) {
    const auto sizes = random_sizes(4096, 7);
    size_t i = 0;
    for (auto _ : state) {
        const size_t n = sizes[i++ & 4095];
        void* p = A::alloc(n);
        benchmark::DoNotOptimize(p);
        A::free(p, n);
    }
    state.SetItemsProcessed(state.iterations());
}

// Random frees among many live blocks: each step frees a random live block
// and allocates a new one of random size in its place.
template <typename A>
void BM_RandomLifetimes(benchmark::State& state) {
    const size_t live_count = size_t(state.range(0));
    const auto sizes = random_sizes(live_count + 65536, 11);
    std::vector<void*> live(live_count);
    std::vector<size_t> live_size(live_count);
    for (size_t i = 0; i < live_count; i++) {
        live_size[i] = sizes[i];
        live[i] = A::alloc(sizes[i]);
    }
    std::mt19937 rng(3);
    std::vector<uint32_t> victims(65536);
    for (auto& v : victims) v = uint32_t(rng() % live_count);
    size_t step = 0;
    for (auto _ : state) {
        const size_t v = victims[step & 65535];
        const size_t n = sizes[live_count + (step & 65535)];
        A::free(live[v], live_size[v]);
        live[v] = A::alloc(n);
        live_size[v] = n;
        step++;
    }
    state.SetItemsProcessed(state.iterations());
    for (size_t i = 0; i < live_count; i++) A::free(live[i], live_size[i]);
}

// One page of a class full; the 129th block then makes a page and its free
// gives it back, every time.
template <typename A>
void BM_PageBoundaryChurn(benchmark::State& state) {
    constexpr size_t kSize = 96;
    std::vector<void*> page(kPoolBlocksPerPage);
    for (auto& p : page) p = A::alloc(kSize);
    for (auto _ : state) {
        void* p = A::alloc(kSize);
        benchmark::DoNotOptimize(p);
        A::free(p, kSize);
    }
    state.SetItemsProcessed(state.iterations());
    for (void* p : page) A::free(p, kSize);
}

// 10,000 pages of one class, each with one free block; freeing a second
// block of each, head first, walks the page past every other page.
void BM_ReorderWalk10000Pages(benchmark::State& state) {
    constexpr int kPages = 10000;
    constexpr size_t kSize = 16;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<void*> blocks(size_t(kPages) * kPoolBlocksPerPage);
        for (auto& b : blocks) b = mem_alloc(kSize);
        for (int p = 0; p < kPages; p++) {  // one free block a page
            mem_free(blocks[size_t(p) * kPoolBlocksPerPage]);
            blocks[size_t(p) * kPoolBlocksPerPage] = nullptr;
        }
        state.ResumeTiming();
        for (int p = kPages - 1; p >= 0; p--) {
            mem_free(blocks[size_t(p) * kPoolBlocksPerPage + 1]);
            blocks[size_t(p) * kPoolBlocksPerPage + 1] = nullptr;
        }
        state.PauseTiming();
        for (void* b : blocks) mem_free(b);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPages);
}

}  // namespace

BENCHMARK(BM_Lifo<Pool>);
BENCHMARK(BM_Lifo<Malloc>);
BENCHMARK(BM_Lifo<Pmr>);
BENCHMARK(BM_RandomLifetimes<Pool>)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_RandomLifetimes<Malloc>)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_RandomLifetimes<Pmr>)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_PageBoundaryChurn<Pool>);
BENCHMARK(BM_PageBoundaryChurn<Malloc>);
BENCHMARK(BM_PageBoundaryChurn<Pmr>);
BENCHMARK(BM_ReorderWalk10000Pages)->Unit(benchmark::kMillisecond)->Iterations(3);
