// The game's start-up to the first frame of the game scene on the demo data,
// headless: the whole start-up, its parts (engine objects, story loading),
// the exit without its 800 ms hold, the view refresh of a level, and the
// sound facade's cache hit against a first load, and whether memory, the
// picture caches, the tile templates and the pool stay flat over many level
// changes, menu trips and conversations. The peak
// resident size is reported as a counter (kB).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/app/frame_loop.h"
#include "engine/app/screen.h"
#include "engine/core/memory_pool.h"
#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/pictures/bitmap_cache.h"
#include "engine/pictures/sprite_def_cache.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/map_view/view_grid.h"
#include "game/program/game_screens.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"
#include "game/session/story_placement.h"
#include "game/sound/sound_manager.h"
#include "game/story/npc_record.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/world.h"

namespace {

struct HeadlessGame {
    HeadlessPlatform host{0x00A00000};
    std::string folder =
        (std::filesystem::temp_directory_path() / ("bench_game_startup_" + std::to_string(getpid()))).string();
    explicit HeadlessGame(const std::string& data = NIMBREL_DEMO_DATA_DIR) {
        std::filesystem::create_directories(folder + "/savegame");
        set_program_folder(utf8_to_utf16(data));
        set_state_folder(utf8_to_utf16(folder + "/"));
        set_platform(&host);
        game_startup_options().silent_sound = true;
        install_game_screens();
    }
    ~HeadlessGame() { set_platform(nullptr); }
};

double peak_rss_kb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss);
}

// Times start-ups only; each exit runs untimed.
void time_startups(benchmark::State& state) {
    for (auto _ : state) {
        game_engine_objects_init();
        game_startup();
        state.PauseTiming();
        game_shutdown();
        game_engine_objects_shutdown();
        state.ResumeTiming();
    }
}

void BM_StartupToGameScene(benchmark::State& state) {
    HeadlessGame env;
    time_startups(state);
    state.counters["peak_rss_kB"] = peak_rss_kb();
}
BENCHMARK(BM_StartupToGameScene)->Unit(benchmark::kMillisecond);

// The same with every file read from "data.zip" alone.
void BM_StartupFromTheArchiveAlone(benchmark::State& state) {
    const std::string data =
        (std::filesystem::temp_directory_path() / ("bench_archive_only_" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(data);
    std::filesystem::copy_file(NIMBREL_DEMO_DATA_DIR "/data.zip", data + "/data.zip",
                               std::filesystem::copy_options::overwrite_existing);
    {
        HeadlessGame env(data);
        time_startups(state);
    }
    std::filesystem::remove_all(data);
}
BENCHMARK(BM_StartupFromTheArchiveAlone)->Unit(benchmark::kMillisecond);

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

double current_rss_kb() {
    long pages_total = 0, pages_resident = 0;
    std::ifstream("/proc/self/statm") >> pages_total >> pages_resident;
    return double(pages_resident) * double(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// Memory pages the pooled allocator holds, over all its size classes.
int32_t pool_pages() {
    int32_t pages = 0;
    for (int i = 0; i < kPoolClassCount; ++i) pages += mem_class_state(i).pages;
    return pages;
}

// One frame as the frame loop runs it: the two ticks, then the drawing.
void run_frame() {
    Game& game = *g_app->game();
    game.update();
    if (GameState* s = game.current_state()) s->update();
    game.animate();
    if (GameState* s = game.current_state()) s->animate();
    render_frame();
}

// Starts the demo game on the map (the view is built only under
// "Walking"), runs `round` once to warm up, then per iteration; reports how
// much the resident size, the two picture caches, the tile templates and
// the pool's pages grew after the warm-up.
template <typename Round>
void measure_growth(benchmark::State& state, Round round) {
    HeadlessGame env;
    game_engine_objects_init();
    game_startup();
    g_app->game()->switch_state("Walking", 0);
    round();
    const double rss = current_rss_kb();
    const int32_t bitmaps = g_bitmap_cache->size(), defs = g_sprite_def_cache->size();
    const int32_t templates = g_app->game()->map_cells().renderer().cached_templates(), pages = pool_pages();
    for (auto _ : state) round();
    state.counters["rss_growth_kB"] = current_rss_kb() - rss;
    state.counters["bitmap_entries"] = g_bitmap_cache->size();
    state.counters["bitmap_growth"] = g_bitmap_cache->size() - bitmaps;
    state.counters["spritedef_growth"] = g_sprite_def_cache->size() - defs;
    state.counters["tile_template_growth"] = g_app->game()->map_cells().renderer().cached_templates() - templates;
    state.counters["pool_page_growth"] = pool_pages() - pages;
    game_shutdown();
    game_engine_objects_shutdown();
}

void BM_FiftyLevelChanges(benchmark::State& state) {
    static constexpr uint32_t kLevels[] = {0x1101, 0x1102, 0x1103};  // village, wood, inn
    measure_growth(state, [] {
        for (int i = 0; i < 50; ++i) {
            g_app->game()->teleport(kLevels[i % 3], 96, 96, 30);
            run_frame();
        }
    });
}
BENCHMARK(BM_FiftyLevelChanges)->Unit(benchmark::kMillisecond);

void BM_FiftyMenuTrips(benchmark::State& state) {
    measure_growth(state, [] {
        for (int i = 0; i < 50; ++i) {
            g_app->game()->switch_state("Menu", 0);
            g_app->game()->switch_state("Walking", 0);
        }
    });
}
BENCHMARK(BM_FiftyMenuTrips)->Unit(benchmark::kMillisecond);

// Fifty conversations with the innkeeper, each drawn for a few frames
// (bubble, portrait, replies) before the map comes back.
void BM_FiftyTalks(benchmark::State& state) {
    constexpr uint32_t kMarta = 0x2001;
    std::shared_ptr<NpcRecord> marta;
    int64_t talks = 0;
    measure_growth(state, [&marta, &talks] {
        Game& game = *g_app->game();
        if (!marta) {
            marta = game.world().get_or_load_npc(kMarta);
            place_npc(game, marta, *game.world().current_level(), game.hero().position());
        }
        for (int i = 0; i < 50; ++i) {
            game.screen_subjects.talk_partner = marta;
            game.switch_state("Talking", marta.get());
            for (int frame = 0; frame < 5; ++frame) run_frame();
            talks += game.current_state() && game.current_state()->name() == "Talking";
            game.switch_state("Walking", 0);
            run_frame();
        }
    });
    if (talks == 0) state.SkipWithError("no conversation opened");
    state.counters["talks"] = double(talks);
}
BENCHMARK(BM_FiftyTalks)->Unit(benchmark::kMillisecond);

// One frame's camera work while the hero walks two pixels a frame across
// the village and back: follow, incremental view refresh, group offsets.
// The percentiles are per frame, against the 10 ms tick.
void BM_CameraWhileWalking(benchmark::State& state) {
    HeadlessGame env;
    game_engine_objects_init();
    game_startup();
    g_app->game()->switch_state("Walking", 0);  // the view refreshes under Walking only
    HeroActor& hero = g_app->game()->hero();
    std::vector<double> frame_us;
    int32_t step = 2;
    for (auto _ : state) {
        if (hero.x + step < 32 || hero.x + step > 15 * 32) step = -step;
        hero.x += step;
        const auto start = std::chrono::steady_clock::now();
        g_app->game()->pre_render();
        frame_us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(frame_us.begin(), frame_us.end());
    if (!frame_us.empty()) {
        state.counters["p50_us"] = frame_us[frame_us.size() / 2];
        state.counters["p95_us"] = frame_us[frame_us.size() * 95 / 100];
        state.counters["max_us"] = frame_us.back();
    }
    game_shutdown();
    game_engine_objects_shutdown();
}
BENCHMARK(BM_CameraWhileWalking);

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
