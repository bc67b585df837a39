// Pointer arrays, depth lists and the string pool.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/core/depth_list.h"
#include "engine/core/ptr_array.h"
#include "engine/core/string_pool.h"

namespace {

int g_element;

void BM_PtrArrayPush(benchmark::State& state) {
    for (auto _ : state) {
        PtrArray<int> array(false);
        for (int64_t i = 0; i < state.range(0); ++i) array.push(&g_element);
        benchmark::DoNotOptimize(array.count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PtrArrayPush)->Arg(1000)->Arg(100000);

void BM_VectorPushBack(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<int*> array;
        for (int64_t i = 0; i < state.range(0); ++i) array.push_back(&g_element);
        benchmark::DoNotOptimize(array.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_VectorPushBack)->Arg(1000)->Arg(100000);

void BM_DepthListInsertRising(benchmark::State& state) {
    for (auto _ : state) {
        DepthList<int> list(false);
        for (int64_t i = 0; i < state.range(0); ++i) list.insert(&g_element, uint32_t(i));
        benchmark::DoNotOptimize(list.count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DepthListInsertRising)->Arg(1000)->Arg(10000);

void BM_DepthListInsertRandom(benchmark::State& state) {
    for (auto _ : state) {
        DepthList<int> list(false);
        uint32_t seed = 1;
        for (int64_t i = 0; i < state.range(0); ++i) {
            seed = seed * 214013 + 2531011;
            list.insert(&g_element, seed >> 8);
        }
        benchmark::DoNotOptimize(list.count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DepthListInsertRandom)->Arg(1000)->Arg(10000);

void BM_StringPoolAddMillionShortStrings(benchmark::State& state) {
    std::vector<std::string> texts;
    for (int i = 0; i < 1000; ++i) texts.push_back("name " + std::to_string(i));
    for (auto _ : state) {
        StringPool pool;
        for (int i = 0; i < 1000000; ++i) benchmark::DoNotOptimize(pool.add(texts[size_t(i % 1000)].c_str()));
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_StringPoolAddMillionShortStrings)->Unit(benchmark::kMillisecond);

}  // namespace
