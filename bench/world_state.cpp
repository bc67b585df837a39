// Save games, trigger firing and character updates against the 12 ms game
// tick: saving and loading a typical and a stress game (in memory and to
// disk), firing a level of 500 triggers per hero step, and updating many
// people at once.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "engine/core/crt_random.h"
#include "tests/game/world/game_world_support.h"

namespace {

using namespace test_world;

// Stress: 1,000 items, 1,000 flags set, 10,000 tile changes, 1,000 fired
// triggers. Typical: a dozen items, 20 flags, 100 changes, 20 triggers.
void fill(Built& b, bool stress) {
    const int flags = stress ? 1000 : 20;
    for (int i = 0; i < flags; ++i) {
        auto flag = std::make_unique<FlagRecord>();
        flag->value = 1;
        b.world.register_object(flag.get(), 0x10000 + uint32_t(i));
        b.world.flags.push_back(std::move(flag));
    }
    const int items = stress ? 1000 : 12;
    for (int i = 0; i < items; ++i) b.hero().add_item(i % 2 ? kSword : kPotion);
    const int changes = stress ? 10000 : 100;
    for (int i = 0; i < changes; ++i) b.level->set_tile_field(i % 10, (i / 10) % 10, 7, uint32_t(i & 0xFF), true);
    const int fired = stress ? 1000 : 20;
    for (int i = 0; i < fired; ++i) b.world.fired_trigger_ids.push_back(0x20000 + uint32_t(i));
}

void BM_SaveInMemory(benchmark::State& state) {
    Built b;
    fill(b, state.range(0) != 0);
    size_t size = 0;
    for (auto _ : state) size = b.world.save_state_bytes().size();
    state.counters["bytes"] = double(size);
}
BENCHMARK(BM_SaveInMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_LoadInMemory(benchmark::State& state) {
    Built b;
    fill(b, state.range(0) != 0);
    const std::vector<uint8_t> bytes = b.world.save_state_bytes();
    Built target;
    fill(target, state.range(0) != 0);
    for (auto _ : state)
        if (!target.world.load_state_bytes(bytes)) state.SkipWithError("load failed");
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_LoadInMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The atomic write (temporary file, flush, rename) and the read back.
void BM_SaveAndLoadOnDisk(benchmark::State& state) {
    Built b;
    fill(b, state.range(0) != 0);
    const auto dir = std::filesystem::temp_directory_path() / "nimbrel_bench_saves";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "save1.dat").string();
    for (auto _ : state) {
        if (!b.world.save_state(path) || !b.world.load_state(path)) state.SkipWithError("disk round trip failed");
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveAndLoadOnDisk)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 500 triggers on the level, each with a tile condition, a flag test and a
// level test; one hero step is one firing pass (nothing matches, so every
// expression is tested every time, as on most steps).
void BM_FireLevelTriggersPerStep(benchmark::State& state) {
    Built b;
    const int count = int(state.range(0));
    for (int i = 0; i < count; ++i)
        b.add_trigger(0x30000 + uint32_t(i), {condition(8, 0, 1), condition(0x83, kFlagA),
                                              condition(6, kLevel, tile(uint32_t(i % 10), uint32_t(i / 10 % 10)))});
    b.level->collect_triggers(b.world.triggers);
    b.world.trigger_event = {0, 11, 11, kLevel};
    int step = 0;
    for (auto _ : state) {
        b.world.trigger_event.tile_x = 10 + (step++ & 1);
        benchmark::DoNotOptimize(b.world.fire_level_triggers(nullptr));
    }
}
BENCHMARK(BM_FireLevelTriggersPerStep)->Arg(500)->Unit(benchmark::kMicrosecond);

// One frame of `count` wandering people on a 10 x 10 level that leaves
// little room, so many draw up to 500 wander targets.
void BM_UpdatePeople(benchmark::State& state) {
    Built b;
    crt_srand(5);
    auto record = std::make_shared<NpcRecord>();
    record->stance = 1;
    std::vector<std::shared_ptr<NpcActor>> people;
    for (int i = 0; i < state.range(0); ++i) {
        auto npc = std::make_shared<NpcActor>(&b.world, record);
        npc->place(kLevel, 20 + (i * 37) % 260, 20 + (i * 53) % 260, 30);
        npc->home_x = npc->x;
        npc->home_y = npc->y;
        b.level->actors.push_back(npc.get());
        people.push_back(npc);
    }
    b.hero().place(kLevel, 2000, 2000, 30);
    for (auto _ : state)
        for (auto& npc : people) npc->update();
    state.counters["people"] = double(people.size());
}
BENCHMARK(BM_UpdatePeople)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

}  // namespace
