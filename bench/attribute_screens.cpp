// The level-up and stats screens, headless on the demo data, against the
// game's logic tick of 12 ms (each counter "of_tick" is the share of one
// tick a step takes; below 1 it fits): the level-up's last tick, which
// writes the automatic save ("save6.dat" and "autoio.ini") and returns to
// the map, for a hero with 4 and with 1,000 items; the stats screen entered
// up to its first drawn frame; one point spent (the page filled and drawn
// again); and a frame of the page's fade.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "bench/demo_game_bench.h"
#include "engine/app/frame_loop.h"
#include "engine/app/input_kind.h"
#include "engine/ui/game_key.h"
#include "game/screens/level_up_state.h"
#include "game/screens/stats_state.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

struct StartedGame : StartedDemoGame {
    explicit StartedGame(size_t extra_items = 0) : StartedDemoGame("bench_attribute_screens") {
        World& world = g_app->world;
        const uint32_t item = world.item_groups.front()->items.front()->id;
        for (size_t i = 0; i < extra_items; ++i) world.hero().add_item(item);
        g_app->game()->switch_state("Walking", 0);
    }
    HeroActor& hero() const { return g_app->world.hero(); }
    void tick() { current()->update(); }
    // A hero with as many points to share as the demo's.
    void reset_attributes() {
        hero().dexterity_ = 6;
        hero().strength_ = 7;
        hero().knowledge_ = 4;
        hero().gold = 1000;
    }
};

void BM_LevelUpLastTickWithAutosave(benchmark::State& state) {
    StartedGame game(size_t(state.range(0)));
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        game.hero().experience = game.hero().experience_step;
        g_app->game()->switch_state("Level", 0);
        auto& level_up = *static_cast<LevelUpState*>(game.current());
        for (int i = 0; i < 32; ++i) game.tick();
        level_up.on_key(kKeyPress, kKeyButton1, 0);
        while (game.current() == &level_up &&
               !(level_up.phase() == LevelUpState::kFadingOut && level_up.page().alpha() == 1))
            game.tick();
        if (game.current() != &level_up) state.SkipWithError("the level-up ended before its last tick");
        state.ResumeTiming();
        const auto start = BenchClock::now();
        game.tick();  // the page gone: the automatic save, then the map
        seconds += seconds_since(start);
        state.PauseTiming();
        if (game.current() == &level_up) state.SkipWithError("the level-up did not end");
        state.ResumeTiming();
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_LevelUpLastTickWithAutosave)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_StatsEnterToFirstFrame(benchmark::State& state) {
    StartedGame game;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        game.reset_attributes();
        state.ResumeTiming();
        const auto start = BenchClock::now();
        g_app->game()->switch_state("Stats", 0);
        render_frame();
        seconds += seconds_since(start);
        state.PauseTiming();
        g_app->game()->switch_state("Walking", 0);
        state.ResumeTiming();
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_StatsEnterToFirstFrame)->Unit(benchmark::kMillisecond);

void BM_StatsSpendOnePoint(benchmark::State& state) {
    StartedGame game;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (game.current()->name() != "Stats" || static_cast<StatsState*>(game.current())->points() < 2) {
            g_app->game()->switch_state("Walking", 0);
            game.reset_attributes();
            g_app->game()->switch_state("Stats", 0);
            for (int i = 0; i < 32; ++i) game.tick();
        }
        state.ResumeTiming();
        const auto start = BenchClock::now();
        game.current()->on_key(kKeyPress, kKeyButton1, 0);
        render_frame();
        seconds += seconds_since(start);
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_StatsSpendOnePoint)->Unit(benchmark::kMicrosecond);

void BM_StatsFadeFrame(benchmark::State& state) {
    StartedGame game;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (game.current()->name() != "Stats") {
            game.reset_attributes();
            g_app->game()->switch_state("Stats", 0);
        } else if (static_cast<StatsState*>(game.current())->page().alpha() >= 32) {
            g_app->game()->switch_state("Walking", 0);
            game.reset_attributes();
            g_app->game()->switch_state("Stats", 0);
        }
        state.ResumeTiming();
        const auto start = BenchClock::now();
        game.tick();
        render_frame();
        seconds += seconds_since(start);
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_StatsFadeFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
