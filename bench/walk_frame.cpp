// Frame time while the hero walks and the map scrolls (logic, camera,
// drawing and presentation, headless, on the demo story), reported as the
// median and the worst frame; and the firing of a level's triggers when the
// level has 500 of them.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/crt_random.h"
#include "engine/core/frame_loop.h"
#include "engine/core/program_paths.h"
#include "engine/core/game_state.h"
#include "engine/core/scene.h"
#include "engine/core/text_helpers.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/screens/game.h"
#include "game/screens/game_startup.h"
#include "game/screens/story_module.h"
#include "game/world/action.h"
#include "game/world/map_region.h"
#include "game/world/trigger.h"
#include "game/world/world.h"

namespace {

struct WalkingGame {
    HeadlessPlatform host{0x00A00000};
    std::string folder =
        (std::filesystem::temp_directory_path() / ("bench_walk_frame_" + std::to_string(getpid()))).string();

    WalkingGame() {
        std::filesystem::create_directories(folder + "/savegame");
        set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
        set_state_folder(utf8_to_utf16(folder + "/"));
        set_platform(&host);
        game_startup_options().silent_sound = true;
        game_engine_objects_init();
        game_startup();
        crt_srand(3);
        g_game->start_new_game();
        g_game->switch_state("Walking", 0);
    }
    ~WalkingGame() {
        game_shutdown();
        game_engine_objects_shutdown();
        set_platform(nullptr);
        std::filesystem::remove_all(folder);
    }

    // One frame as the frame loop runs it: the two ticks, then the drawing.
    void frame() {
        Game& game = *g_game;
        game.update();
        if (GameState* s = game.current_state()) s->update();
        game.animate();
        if (GameState* s = game.current_state()) s->animate();
        render_frame();
    }
};

// The machine is shared while benchmarks run: frames are timed by the
// thread's own CPU time, which other programs do not inflate.
double thread_cpu_us() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

// Game keys of the arrows: the hero walks a square around the village.
constexpr uint32_t kWalkKeys[] = {1, 3, 0, 2};

void BM_WalkingFrame(benchmark::State& state) {
    WalkingGame env;
    std::vector<double> frame_us;
    frame_us.reserve(size_t(state.max_iterations));
    int64_t frames = 0;
    for (auto _ : state) {
        if (frames % 150 == 0) {
            g_game->clear_held_keys();
            g_game->set_key_state(1, kWalkKeys[(frames / 150) % 4], 0);
        }
        const double start = thread_cpu_us();
        env.frame();
        frame_us.push_back(thread_cpu_us() - start);
        ++frames;
    }
    std::sort(frame_us.begin(), frame_us.end());
    state.counters["median_us"] = frame_us[frame_us.size() / 2];
    state.counters["p99_us"] = frame_us[frame_us.size() * 99 / 100];
    state.counters["worst_us"] = frame_us.back();
}
BENCHMARK(BM_WalkingFrame)->Iterations(5000)->Unit(benchmark::kMicrosecond);

// A level with 500 triggers on its tiles, of which the one under the hero
// fires (repeatable, so every firing finds it again).
void BM_FireLevelTriggers500(benchmark::State& state) {
    World world;
    auto region = std::make_unique<MapRegion>();
    auto map = std::make_unique<Map>();
    auto level = std::make_unique<MapLevel>();
    map->region = region.get();
    level->map = map.get();
    level->width = level->height = 50;
    world.register_object(region.get(), 1);
    world.register_object(map.get(), 2);
    world.register_object(level.get(), 3);
    map->levels.push_back(std::move(level));
    region->maps.push_back(std::move(map));
    world.regions.push_back(std::move(region));
    world.set_current_level(3);
    for (uint32_t i = 0; i < 500; ++i) {
        auto trigger = std::make_shared<Trigger>();
        trigger->repeatable = 1;
        trigger->expression.conditions.push_back({6, 0, 3, (i % 50) | (i / 50) << 16});
        auto action = std::make_shared<Action>();
        action->code = 0x103;
        trigger->actions.insert(action, 0);
        world.register_object(trigger.get(), 0x1000 + i);
        world.triggers.push_back(trigger);
    }
    world.current_level()->collect_triggers(world.triggers);
    world.trigger_event = {0, 7, 3, 3};
    int64_t queued = 0;
    for (auto _ : state) {
        const bool fired = world.fire_level_triggers([&](const std::shared_ptr<Action>&) { ++queued; });
        benchmark::DoNotOptimize(fired);
    }
    state.counters["queued"] = double(queued);
}
BENCHMARK(BM_FireLevelTriggers500);

}  // namespace
