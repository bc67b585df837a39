// The item screens, headless on the demo data, against the game's logic
// tick of 12 ms (each counter "of_tick" is the share of one tick a step
// takes; below 1 it fits): the inventory entered with 3 and with 1,000
// (the most) entries up to its first drawn frame, its tab change and its
// item information; the shop's list filled (a page turned) over 500 goods
// to buy; a frame of the fade-in; and, beside them, a frame of the walk in
// the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/demo_game_bench.h"
#include "engine/app/frame_loop.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/game_key.h"
#include "engine/ui/ui_control.h"
#include "engine/ui/ui_menu.h"
#include "game/screens/inventory_state.h"
#include "game/screens/shop_state.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/session/state_helpers.h"
#include "game/session/story_module.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {


struct StartedGame : StartedDemoGame {
    explicit StartedGame(size_t entries) : StartedDemoGame("bench_item_screens") {
        World& world = g_app->world;
        HeroActor& hero = world.hero();
        hero.inventory.clear();
        hero.armour = hero.shield = hero.current_item = nullptr;
        // Every kind of item in turn, so each tab has its share.
        std::vector<uint32_t> ids;
        for (const auto& group : world.item_groups)
            for (const auto& item : group->items) ids.push_back(item->id);
        for (size_t i = 0; i < entries; ++i) hero.add_item(ids[i % ids.size()]);
        walk(40);
    }
    void walk(int ticks) {
        g_app->game()->switch_state("Walking", 0);
        for (int i = 0; i < ticks; ++i) {
            g_app->game()->update();
            current()->update();
            g_app->game()->animate();
        }
    }
    void tick(int n) {
        for (int i = 0; i < n; ++i) current()->update();
    }
    void tap(UiMenu& menu, std::u16string_view control) {
        const Rect r = find_menu_control(&menu, control)->screen_rect();
        const Point at = menu.group()->position();
        current()->on_pointer(kPenDown, at.x + (r.left + r.right) / 2, at.y + (r.top + r.bottom) / 2);
    }
};

void BM_InventoryEnterToFirstFrame(benchmark::State& state) {
    StartedGame game(size_t(state.range(0)));
    double seconds = 0;
    for (auto _ : state) {
        const auto start = BenchClock::now();
        g_app->game()->switch_state("Inventory", InventoryState::kOpenItems);
        render_frame();
        seconds += seconds_since(start);
        state.PauseTiming();
        g_app->game()->switch_state("Walking", 0);
        state.ResumeTiming();
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_InventoryEnterToFirstFrame)->Arg(3)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_InventoryChangeTab(benchmark::State& state) {
    StartedGame game(1000);
    g_app->game()->switch_state("Inventory", InventoryState::kOpenItems);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = BenchClock::now();
        game.current()->on_key(kKeyPress, kKeyButton3, 0);  // the next tab: grid rebuilt, information shown
        seconds += seconds_since(start);
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_InventoryChangeTab)->Unit(benchmark::kMicrosecond);

void BM_InventoryShowItemInfo(benchmark::State& state) {
    StartedGame game(1000);
    g_app->game()->switch_state("Inventory", InventoryState::kOpenItems);
    auto& inventory = *static_cast<InventoryState*>(game.current());
    const Point grid = inventory.view().grid()->position();
    double seconds = 0;
    int32_t cell = 0;
    for (auto _ : state) {
        const Point at = inventory.view().layout().cell_origin(cell);
        cell = (cell + 1) % inventory.cursor().cells;
        const auto start = BenchClock::now();
        game.current()->on_pointer(kPenDown, grid.x + at.x + 16, grid.y + at.y + 16);  // a cell chosen
        seconds += seconds_since(start);
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_InventoryShowItemInfo)->Unit(benchmark::kMicrosecond);

void BM_ShopFillBuyList(benchmark::State& state) {
    StartedGame game(3);
    // 500 knives to buy, all fit for the hero.
    World& world = g_app->world;
    ItemGroup* weapons = world.item_group_of(world.item_id_by_name("Hunting Knife"));
    const ItemRecord& knife = *world.get_item(world.item_id_by_name("Hunting Knife"));
    const size_t before = weapons->items.size();
    while (weapons->items.size() < 500) {
        auto extra = std::make_unique<ItemRecord>();
        extra->id = knife.id;
        extra->kind = knife.kind;
        extra->value = knife.value;
        extra->price = knife.price;
        extra->param1 = knife.param1;
        extra->name = "Knife " + std::to_string(weapons->items.size());
        weapons->items.push_back(std::move(extra));
    }
    ShopRequest& request = g_app->game()->screen_subjects.shop;
    request = {world.get_or_load_npc(0x2002), 1, 0, 1};
    g_app->game()->switch_state("Shop", &request);
    auto& shop = *static_cast<ShopState*>(game.current());
    double seconds = 0;
    bool forward = true;
    for (auto _ : state) {
        state.PauseTiming();
        game.tick(1);  // the page buttons follow the page
        if (!shop.cursor().has_next_page()) forward = false;
        if (!shop.cursor().has_previous_page()) forward = true;
        state.ResumeTiming();
        const auto start = BenchClock::now();
        game.tap(*shop.menu(), forward ? u"rightbutton" : u"leftbutton");  // the list filled again
        seconds += seconds_since(start);
    }
    report_ticks(state, seconds);
    state.counters["goods"] = double(shop.cursor().items_seen);
    weapons->items.resize(before);
}
BENCHMARK(BM_ShopFillBuyList)->Unit(benchmark::kMicrosecond);

// A frame of the inventory's 32-tick fade-in (the tick and the drawing).
void BM_InventoryFadeInFrame(benchmark::State& state) {
    StartedGame game(1000);
    double seconds = 0;
    int32_t ticks = 32;
    for (auto _ : state) {
        if (ticks == 32) {
            state.PauseTiming();
            g_app->game()->switch_state("Walking", 0);
            g_app->game()->switch_state("Inventory", InventoryState::kOpenItems);
            render_frame();
            ticks = 0;
            state.ResumeTiming();
        }
        const auto start = BenchClock::now();
        g_app->game()->update();
        game.current()->update();
        render_frame();
        seconds += seconds_since(start);
        ++ticks;
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_InventoryFadeInFrame)->Unit(benchmark::kMicrosecond);

// The anchor of the same run: one frame of the walk on the village's map.
void BM_WalkingFrame(benchmark::State& state) {
    StartedGame game(3);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = BenchClock::now();
        g_app->game()->update();
        game.current()->update();
        g_app->game()->animate();
        g_app->game()->pre_render();
        render_frame();
        seconds += seconds_since(start);
    }
    report_ticks(state, seconds);
}
BENCHMARK(BM_WalkingFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
