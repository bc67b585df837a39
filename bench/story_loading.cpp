// Loading stories: the demo story, the synthetic stories the build writes
// with storyc (5,000 and 10,000 people, monsters and items), level entry on
// a 250 x 250 level, and writing many records.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>

#include "game/story/archive.h"
#include "game/world/world.h"

namespace {

size_t heap_in_use() { return mallinfo2().uordblks; }

void load_or_skip(benchmark::State& state, World& world, const std::string& folder) {
    if (!world.load_story(folder)) state.SkipWithError(("cannot load " + folder + ": " + world.last_error()).c_str());
}

void BM_LoadDemoStory(benchmark::State& state) {
    const std::string folder = std::string(NIMBREL_DEMO_DATA_DIR) + "/Story";
    for (auto _ : state) {
        World world;
        load_or_skip(state, world, folder);
        for (const auto& region : world.regions) world.load_region(*region);
        benchmark::DoNotOptimize(world.first_level());
    }
}
BENCHMARK(BM_LoadDemoStory)->Unit(benchmark::kMicrosecond);

// story.rpg with every monster, item group and level, plus the numbered
// files; people stay in their files until a level needs them.
void BM_LoadSyntheticStory(benchmark::State& state) {
    const std::string folder = std::string(NIMBREL_TEST_DATA_DIR) + "/story-synthetic-" + std::to_string(state.range(0));
    size_t heap = 0;
    for (auto _ : state) {
        const size_t before = heap_in_use();
        World world;
        load_or_skip(state, world, folder);
        heap = heap_in_use() - before;
        benchmark::DoNotOptimize(world.first_level());
    }
    state.counters["records"] = double(state.range(0));
    state.counters["heap_MB"] = double(heap) / (1 << 20);
}
BENCHMARK(BM_LoadSyntheticStory)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Entering a level of the synthetic story: its trigger file and the four
// people its triggers place, found in their numbered files.
void BM_EnterSyntheticLevel(benchmark::State& state) {
    const std::string folder = std::string(NIMBREL_TEST_DATA_DIR) + "/story-synthetic-" + std::to_string(state.range(0));
    World world;
    load_or_skip(state, world, folder);
    MapLevel* level = world.first_level();
    for (auto _ : state) {
        world.clear_triggers();
        world.clear_npcs();
        world.load_trigger_file(level->id);
        for (const auto& trigger : world.triggers)
            for (const auto& entry : trigger->actions.entries()) world.get_or_load_npc(entry.action->a);
    }
}
BENCHMARK(BM_EnterSyntheticLevel)->Arg(5000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The region file of a region with one level of side x side busy cells.
std::vector<uint8_t> region_file(int side) {
    MapRegion region;
    region.id = 1;
    auto map = std::make_unique<Map>();
    auto level = std::make_unique<MapLevel>();
    level->id = 2;
    level->width = side;
    level->height = side;
    level->grid.resize(size_t(side) * side);
    for (size_t i = 0; i < level->grid.size(); ++i)
        level->grid[i] = TileCell{uint8_t(1 + i % 3), uint8_t(i % 5 ? 64 : 0), 0, uint8_t(i % 11 == 0), 0,
                                  uint32_t(i % 17 == 0 ? 5 : 0), uint16_t(i % 23 == 0 ? 3 : 0), 0};
    map->levels.push_back(std::move(level));
    region.maps.push_back(std::move(map));
    Archive ar;
    ar.open_write_memory();
    region.write_tiles(ar);
    return ar.written();
}

void BM_LoadRegionFile(benchmark::State& state) {
    const int side = int(state.range(0));
    const std::vector<uint8_t> bytes = region_file(side);
    MapRegion region;
    region.id = 1;
    auto map = std::make_unique<Map>();
    auto level = std::make_unique<MapLevel>();
    level->width = side;
    level->height = side;
    level->set_tile_field(3, 3, kFieldWall, 0x80000421, true);  // a logged change to replay
    map->levels.push_back(std::move(level));
    region.maps.push_back(std::move(map));
    for (auto _ : state) {
        Archive ar;
        ar.open_bytes(bytes);
        if (!region.load_from(ar)) state.SkipWithError("region file refused");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_LoadRegionFile)->Arg(50)->Arg(125)->Arg(250)->Unit(benchmark::kMicrosecond);

// Writing n item records to memory: should grow linearly.
void BM_WriteItems(benchmark::State& state) {
    ItemGroup group;
    group.id = 1;
    for (int64_t i = 0; i < state.range(0); ++i) {
        auto item = std::make_unique<ItemRecord>();
        item->id = uint32_t(2 + i);
        item->name = "item " + std::to_string(i);
        item->text4 = "A generated item for measuring.";
        group.items.push_back(std::move(item));
    }
    for (auto _ : state) {
        Archive ar;
        ar.open_write_memory();
        for (int rep = 0; rep < 4; ++rep) group.write(ar);  // 4 groups of at most 65535 items
        benchmark::DoNotOptimize(ar.written().data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0) * 4);
}
BENCHMARK(BM_WriteItems)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
