// The zoomed map's drawing: the one logic tick in which the whole level is
// drawn block by block through the screen-sized scratch picture, sampled,
// shrunk and cleaned. Headless on the demo data, for the three demo levels
// and the test story's 40 x 30 and 250 x 250 levels (2,500 blocks). Each
// is reported against the game's logic tick of 12 ms ("of_tick": the share
// of one tick the drawing takes) and against what the walking view pays
// for one block on the same level ("of_walking_block": a ground block with
// the player's lighting and its object lists built and dropped again, as
// the view grid does while the hero walks, measured beside it in the run;
// "of_unlit_walking_block" the same without the lighting pass, which the
// zoom leaves out).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "bench/demo_game_bench.h"
#include "game/map_view/map_view_cells.h"
#include "game/screens/zoom_state.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"
#include "game/world/map_level.h"
#include "game/world/world.h"
#include "tests/game/screens/zoom_levels.h"

namespace {

constexpr double kTickMs = 12.0;
constexpr int32_t kBlockTiles = ViewGrid::kTilesPerCell;

struct Level {
    uint32_t id;
    const char* name;
    Point hero;
};
constexpr Level kLevels[] = {{0x1101, "Millbrook 16x12", {96, 160}},
                             {0x1102, "Thistlewood 16x12", {128, 128}},
                             {0x1103, "Copper Kettle 8x6", {96, 96}},
                             {zoom_story::kFields, "Broad Fields 40x30", {352, 320}},
                             {zoom_story::kHeath, "Great Heath 250x250", {352, 320}}};

// The machine is shared while benchmarks run: the thread's own CPU time.
double thread_cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct ZoomGame : StartedDemoGame {
    std::string error;

    explicit ZoomGame(const Level& level) : StartedDemoGame("bench_zoom_render") {
        std::filesystem::create_directories(folder + "/zoom_story");
        if (!zoom_story::add_to(g_app->world, folder + "/zoom_story", &error)) return;
        g_app->game()->switch_state("Walking", 0);
        if (!g_app->game()->teleport(level.id, level.hero.x, level.hero.y, 20)) error = "no such level";
    }

    int32_t blocks() const {
        const MapLevel& level = *g_app->world.current_level();
        return ((level.width + kBlockTiles - 1) / kBlockTiles) * ((level.height + kBlockTiles - 1) / kBlockTiles);
    }

    // Milliseconds the walking view takes for one block of this level.
    double walking_block_ms(bool lighting) {
        Game& game = *g_app->game();
        game.clear_view_grid();
        MapViewCells& cells = game.map_cells();
        const bool players_lighting = cells.renderer().lighting;
        cells.renderer().lighting = lighting;
        const MapLevel& level = *g_app->world.current_level();
        const int32_t columns = (level.width + kBlockTiles - 1) / kBlockTiles;
        const int32_t rows = (level.height + kBlockTiles - 1) / kBlockTiles;
        const int32_t passes = blocks() >= 500 ? 1 : 3;
        const double start = thread_cpu_ms();
        for (int32_t pass = 0; pass < passes; ++pass)
            for (int32_t row = 0; row < rows; ++row)
                for (int32_t column = 0; column < columns; ++column) {
                    cells.build_block(column, row);
                    cells.build_lists(column, row);
                    cells.drop_block(column, row);
                    cells.drop_lists(column, row);
                }
        const double ms = (thread_cpu_ms() - start) / double(passes * blocks());
        cells.renderer().lighting = players_lighting;
        return ms;
    }

    // The zoom entered and its thought faded in: the next tick draws.
    ZoomState& zoom_ready_to_draw() {
        g_app->game()->switch_state("Walking", 0);
        g_app->game()->switch_state("Zoom", 0);
        auto& zoom = *static_cast<ZoomState*>(g_app->game()->current_state());
        while (zoom.phase() == ZoomState::kBubbleIn) zoom.update();
        return zoom;
    }
};

void BM_ZoomDrawWholeLevel(benchmark::State& state) {
    const Level& level = kLevels[state.range(0)];
    state.SetLabel(level.name);
    ZoomGame env(level);
    if (!env.error.empty()) {
        state.SkipWithError(env.error.c_str());
        return;
    }
    const double walking_ms = env.walking_block_ms(g_app->settings.gfx_quality != 0);
    const double unlit_walking_ms = env.walking_block_ms(false);
    double total_ms = 0;
    for (auto _ : state) {
        ZoomState& zoom = env.zoom_ready_to_draw();
        const double start = thread_cpu_ms();
        zoom.update();
        const double ms = thread_cpu_ms() - start;
        total_ms += ms;
        state.SetIterationTime(ms / 1e3);
        if (zoom.phase() != ZoomState::kBubbleOut || !zoom.map_picture()) {
            state.SkipWithError("the map was not drawn");
            return;
        }
    }
    const double ms = total_ms / double(state.iterations());
    const double block_ms = ms / double(env.blocks());
    state.counters["blocks"] = double(env.blocks());
    state.counters["phase1_ms"] = ms;
    state.counters["of_tick"] = ms / kTickMs;
    state.counters["zoom_block_us"] = block_ms * 1e3;
    state.counters["walking_block_us"] = walking_ms * 1e3;
    state.counters["of_walking_block"] = block_ms / walking_ms;
    state.counters["unlit_walking_block_us"] = unlit_walking_ms * 1e3;
    state.counters["of_unlit_walking_block"] = block_ms / unlit_walking_ms;
}
BENCHMARK(BM_ZoomDrawWholeLevel)
    ->ArgName("level")
    ->DenseRange(0, 4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
