// The save and load screen, headless on the demo data: a save through the
// screen (the tap on a slot to the "Game Saved." message: the game written,
// flushed, renamed, the slot index rewritten) for a typical hero and one
// carrying 1,000 items, beside the bare serialisation to memory; a load of
// a slot (the save read, the level entered) beside a plain teleport; one
// draw of the main menu and of the load page; and the resident size across
// 50 trips between the menu and the save screen (it should stay flat).
// A save runs inside one input event: compare it with the 12 ms tick.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/demo_game_bench.h"
#include "engine/app/frame_loop.h"
#include "engine/platform/headless/headless_platform.h"
#include "engine/ui/ui_control.h"
#include "engine/ui/ui_menu.h"
#include "game/screens/game_io_state.h"
#include "game/screens/main_menu_state.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

// A started game in a folder of its own, left on the main menu.
struct StartedGame : StartedDemoGame {
    explicit StartedGame(size_t items) : StartedDemoGame("bench_save_screen") {
        World& world = g_app->world;
        const uint32_t item = world.item_groups.front()->items.front()->id;
        for (size_t i = 0; i < items; ++i) world.hero().add_item(item);
    }
    GameIOState& io() const { return *static_cast<GameIOState*>(current()); }
    void tick(int n) {
        for (int i = 0; i < n; ++i) current()->update();
    }
    // Opens the save or load page and waits until it is shown.
    void open_io(uintptr_t argument) {
        g_app->game()->switch_state("GameIO", argument);
        tick(2);
    }
    void tap_control(UiMenu& menu, std::u16string_view name) {
        const Rect r = menu.find_control(name)->screen_rect();
        current()->on_pointer(kPenDown, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};

long resident_kb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_SaveThroughScreen(benchmark::State& state) {
    StartedGame game(size_t(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(game.folder + "/savegame/io.ini");  // slot 1 empty: no question first
        game.open_io(1);
        state.ResumeTiming();
        game.tap_control(*game.io().page(), u"SLOT1");
        state.PauseTiming();
        if (game.io().phase() != GameIOState::kMessage) state.SkipWithError("the save did not end in its message");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SaveThroughScreen)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_SaveStateToMemory(benchmark::State& state) {
    StartedGame game(size_t(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(g_app->world.save_state_bytes());
}
BENCHMARK(BM_SaveStateToMemory)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_LoadSlotThroughScreen(benchmark::State& state) {
    StartedGame game(0);
    g_app->world.save_state(g_app->world.save_path("save0.dat"));
    std::ofstream(game.folder + "/savegame/io.ini", std::ios::binary)
        << "[savedata]\r\ndata = 5000, \"Vale\", \"Level 1\", 1\r\n";
    for (auto _ : state) {
        state.PauseTiming();
        game.open_io(0);
        game.tap_control(*game.io().page(), u"SLOT1");
        game.tick(GameIOState::kLoadDelayTicks - 1);
        state.ResumeTiming();
        game.tick(1);  // the load itself
    }
}
BENCHMARK(BM_LoadSlotThroughScreen)->Unit(benchmark::kMillisecond);

void BM_PlainTeleport(benchmark::State& state) {
    StartedGame game(0);
    const HeroActor& hero = g_app->world.hero();
    const uint32_t level = g_app->world.current_level_id();
    for (auto _ : state) g_app->game()->teleport(level, hero.x, hero.y, hero.facing);
}
BENCHMARK(BM_PlainTeleport)->Unit(benchmark::kMillisecond);

void BM_DrawMainMenu(benchmark::State& state) {
    StartedGame game(0);
    UiMenu& menu = *static_cast<MainMenuState*>(game.current())->menu();
    for (auto _ : state) {
        menu.draw();
        render_frame();
    }
}
BENCHMARK(BM_DrawMainMenu)->Unit(benchmark::kMicrosecond);

void BM_DrawLoadPage(benchmark::State& state) {
    StartedGame game(0);
    game.open_io(0);
    UiMenu& page = *game.io().page();
    for (auto _ : state) {
        page.draw();
        render_frame();
    }
}
BENCHMARK(BM_DrawLoadPage)->Unit(benchmark::kMicrosecond);

void BM_MenuSaveScreenTrips(benchmark::State& state) {
    StartedGame game(0);
    long before = 0, after = 0;
    for (auto _ : state) {
        for (int trip = 0; trip < 50; ++trip) {
            if (trip == 5) before = resident_kb();  // after the caches warmed up
            g_app->game()->switch_state("Menu", 0);
            game.open_io(trip % 2);
            game.tap_control(*game.io().page(), u"CANCEL");
            game.tick(12);
        }
        after = resident_kb();
    }
    state.counters["rss_growth_kB"] = double(after - before);
}
BENCHMARK(BM_MenuSaveScreenTrips)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
