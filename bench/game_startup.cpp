// The game's start-up to the first frame of the game scene on the demo data,
// headless: the whole start-up, its parts (engine objects, story loading),
// the exit without its 800 ms hold, the view refresh of a level, and the
// sound facade's cache hit against a first load. The peak resident size is
// reported as a counter (kB).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>

#include "engine/core/program_paths.h"
#include "engine/core/text_helpers.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/screens/game.h"
#include "game/screens/game_startup.h"
#include "game/screens/sound_manager.h"
#include "game/screens/story_module.h"
#include "game/screens/view_grid.h"
#include "game/world/world.h"

namespace {

struct HeadlessGame {
    HeadlessPlatform host{0x00A00000};
    std::string folder = (std::filesystem::temp_directory_path() / "bench_game_startup").string();
    HeadlessGame() {
        std::filesystem::create_directories(folder + "/savegame");
        set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
        set_state_folder(utf8_to_utf16(folder + "/"));
        set_platform(&host);
        game_startup_options().silent_sound = true;
    }
    ~HeadlessGame() { set_platform(nullptr); }
};

double peak_rss_kb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss);
}

void BM_StartupToGameScene(benchmark::State& state) {
    HeadlessGame env;
    for (auto _ : state) {
        game_engine_objects_init();
        game_startup();
        state.PauseTiming();
        game_shutdown();
        game_engine_objects_shutdown();
        state.ResumeTiming();
    }
    state.counters["peak_rss_kB"] = peak_rss_kb();
}
BENCHMARK(BM_StartupToGameScene)->Unit(benchmark::kMillisecond);

void BM_ExitWithoutHold(benchmark::State& state) {
    HeadlessGame env;
    for (auto _ : state) {
        state.PauseTiming();
        game_engine_objects_init();
        game_startup();
        state.ResumeTiming();
        game_shutdown();  // the hold is on the virtual clock here
        state.PauseTiming();
        game_engine_objects_shutdown();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExitWithoutHold)->Unit(benchmark::kMillisecond);

void BM_LoadStory(benchmark::State& state) {
    HeadlessGame env;
    game_engine_objects_init();
    for (auto _ : state) {
        World world;
        benchmark::DoNotOptimize(world.load_story("Story"));
    }
    game_engine_objects_shutdown();
}
BENCHMARK(BM_LoadStory)->Unit(benchmark::kMicrosecond);

struct NullBuilder : ViewCellBuilder {
    void build_block(int32_t, int32_t) override {}
    void drop_block(int32_t, int32_t) override {}
    void build_lists(int32_t, int32_t) override {}
    void drop_lists(int32_t, int32_t) override {}
};

void BM_FullViewRefresh(benchmark::State& state) {
    NullBuilder builder;
    ViewGrid grid(builder);
    int32_t x = 0;
    for (auto _ : state) {
        grid.refresh({1000 + (x++ % 64) * 32, 1000}, {200, 200}, {240, 320}, false, true, 16);
    }
}
BENCHMARK(BM_FullViewRefresh);

void BM_PlaySoundCacheHitVsFirstLoad(benchmark::State& state) {
    HeadlessGame env;
    game_engine_objects_init();
    SoundManager sound(make_library_sound_backend(true));
    sound.configure(2, 256, 256);
    const bool first_load = state.range(0) != 0;
    for (auto _ : state) {
        if (first_load) sound.flush_samples();
        benchmark::DoNotOptimize(sound.play_sound(u"sfx/coins.wav", 256, -1, false));
    }
    sound.configure(2, 0, 0);
    game_engine_objects_shutdown();
}
BENCHMARK(BM_PlaySoundCacheHitVsFirstLoad)->Arg(0)->Arg(1);

}  // namespace
