// Fights on the demo data, headless, against the game's logic tick of
// 12 ms (a counter "…of_tick" is the share of one tick a step takes; below
// 1 it fits):
//   ScriptedFight  the Briar Rat fought with the Ash Cudgel, Enter pressed
//                  whenever the hero may act and the reward's wait cut
//                  short: the mean logic of one combat update, the worst
//                  whole frame (logic, animation, camera, drawing) and,
//                  apart, the first frame, which builds the screen.
//   HeadlessFights fights against the three demo monsters played by a bot
//                  pressing keys at random, logic only: fights a second.
//   ThousandFights resident memory and the two caches' entries (all, and
//                  those still in use after a purge) after 1,000 such
//                  fights, beside their baseline after ten.
// Times are the thread's CPU time, so that other work on the machine
// counts as little as it can.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/demo_game_bench.h"
#include "engine/app/frame_loop.h"
#include "engine/app/input_kind.h"
#include "engine/core/crt_random.h"
#include "engine/pictures/resource_caches.h"
#include "engine/ui/menu_event.h"
#include "game/combat/combat_state.h"
#include "game/session/game.h"
#include "game/world/hero_actor.h"
#include "game/world/monster_actor.h"
#include "game/world/world.h"

namespace {

constexpr int kMostUpdates = 20000;
constexpr uint32_t kRat = 0x3001, kBoar = 0x3002, kWisp = 0x3003;
constexpr uint32_t kCudgel = 0x4101, kKnife = 0x4102, kTwig = 0x4201, kTonic = 0x4301, kGreaterTonic = 0x4302,
                   kDraught = 0x4303;

double thread_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

long resident_kb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class FightingGame {
public:
    FightingGame() {
        crt_srand(7);
        g_app->world.set_random_seed(7);
        g_app->game()->switch_state("Walking", 0);
        for (int i = 0; i < 40; ++i) frame(false);
    }

    HeroActor& hero() { return g_app->world.hero(); }
    CombatState* combat() { return dynamic_cast<CombatState*>(g_app->game()->current_state()); }

    // The hero with these items, whole and unable to level up, meets the
    // monster on the map (made for this fight only).
    void begin(uint32_t monster_id, std::initializer_list<uint32_t> items) {
        started_.host.sleep_ms(7);  // each fight's seed comes from the clock
        HeroActor& h = hero();
        h.inventory.clear();
        h.current_item = h.armour = h.shield = nullptr;
        for (uint32_t id : items) h.add_item(id);
        h.experience = 0;
        h.hit_points = h.max_hit_points;
        h.gold = 50;
        auto monster = std::make_shared<MonsterActor>(&g_app->world, g_app->world.get_or_load_monster(monster_id));
        monster->encounter = true;
        g_app->game()->screen_subjects.opponent = monster;
        g_app->game()->switch_state("Combat", monster.get());
    }
    // After a death the load screen (or the end of the game) follows:
    // back to the map for the next fight.
    void back_to_the_map() {
        if (g_app->game()->current_state()->name() != "Walking") g_app->game()->switch_state("Walking", 0);
    }

    // One logic tick; its CPU seconds.
    double logic() {
        const double start = thread_seconds();
        g_app->game()->update();
        if (GameState* s = g_app->game()->current_state()) s->update();
        return thread_seconds() - start;
    }
    // A whole frame as the frame loop runs it (drawing only when asked);
    // its CPU seconds, the logic's part in `logic_seconds`.
    double frame(bool draw, double* logic_seconds = nullptr) {
        const double start = thread_seconds();
        const double l = logic();
        if (logic_seconds) *logic_seconds = l;
        g_app->game()->animate();
        if (GameState* s = g_app->game()->current_state()) s->animate();
        g_app->game()->pre_render();
        if (draw) render_frame();
        return thread_seconds() - start;
    }

    void press(uint32_t game_key) {
        GameState* s = g_app->game()->current_state();
        s->on_key(kKeyPress, game_key, 0);
        if (g_app->game()->current_state() == s) s->on_key(kKeyRelease, game_key, 0);
    }
    // The player of the scripted fight: strikes whenever he may and cuts
    // the waits short.
    void press_on() {
        CombatState* c = combat();
        if (c && c->input_enabled()) press(kKeyAction);
    }
    // The soak's bot: now and then one of the keys a player could press.
    void press_at_random() {
        CombatState* c = combat();
        if (!c || !c->input_enabled() || crt_rand() % 3 != 0) return;
        static constexpr std::array<uint32_t, 8> kKeys = {kKeyAction, kKeyButton1, kKeyAction, kKeyButton4,
                                                          kKeyLeft,   kKeyRight,   kKeyUp,     kKeyDown};
        press(kKeys[size_t(crt_rand()) % kKeys.size()]);
    }

private:
    StartedDemoGame started_{"bench_combat_fight"};
};

void BM_ScriptedFight(benchmark::State& state) {
    FightingGame game;
    double logic_seconds = 0, first_frame = 0, worst_frame = 0;
    long updates = 0;
    for (auto _ : state) {
        game.begin(kRat, {kCudgel});
        const std::shared_ptr<MonsterActor> rat = g_app->game()->screen_subjects.opponent;
        bool first = true;
        for (int i = 0; i < kMostUpdates && game.combat(); ++i) {
            game.press_on();
            double logic = 0;
            const double whole = game.frame(true, &logic);
            logic_seconds += logic;
            ++updates;
            if (first) first_frame = std::max(first_frame, whole);
            else worst_frame = std::max(worst_frame, whole);
            first = false;
        }
        if (game.combat() || rat->hit_points > 0) state.SkipWithError("the rat was not beaten");
        game.back_to_the_map();
    }
    state.counters["updates_per_fight"] = double(updates) / double(state.iterations());
    state.counters["logic_of_tick"] = logic_seconds / double(updates) / kTickSeconds;
    state.counters["worst_frame_of_tick"] = worst_frame / kTickSeconds;
    state.counters["first_frame_of_tick"] = first_frame / kTickSeconds;
}
BENCHMARK(BM_ScriptedFight)->Unit(benchmark::kMillisecond);

struct FightEnd {
    long updates = 0;
    bool won = false, died = false;
};

// One fight of the bot's, logic only.
FightEnd bot_fight(FightingGame& game, int fight) {
    static constexpr std::array<uint32_t, 3> kMonsters = {kRat, kBoar, kWisp};
    crt_srand(uint32_t(fight));
    game.begin(kMonsters[size_t(fight) % kMonsters.size()], {kKnife, kCudgel, kTwig, kTonic, kGreaterTonic, kDraught});
    const std::shared_ptr<MonsterActor> monster = g_app->game()->screen_subjects.opponent;
    FightEnd end;
    while (game.combat() && end.updates < kMostUpdates) {
        game.press_at_random();
        game.frame(false);
        ++end.updates;
    }
    end.won = monster->hit_points <= 0;
    end.died = game.hero().hit_points <= 0;
    game.back_to_the_map();
    return end;
}

void BM_HeadlessFights(benchmark::State& state) {
    FightingGame game;
    int fight = 0;
    long updates = 0;
    const double start = thread_seconds();
    for (auto _ : state) updates += bot_fight(game, fight++).updates;
    const double seconds = thread_seconds() - start;
    state.SetItemsProcessed(fight);  // items_per_second: fights a second
    state.counters["updates_per_fight"] = double(updates) / fight;
    state.counters["update_of_tick"] = seconds / double(updates) / kTickSeconds;
}
BENCHMARK(BM_HeadlessFights)->Unit(benchmark::kMillisecond);

// Entries the two caches hold; after a purge only those still in use.
int32_t cached(bool purged) {
    if (purged) purge_resource_caches();
    return g_bitmap_cache->size() + g_sprite_def_cache->size();
}

void BM_ThousandFights(benchmark::State& state) {
    FightingGame game;
    for (auto _ : state) {
        int fight = 0;
        for (; fight < 10; ++fight) bot_fight(game, fight);
        const int32_t entries = cached(false), in_use = cached(true);
        const long rss = resident_kb();
        int won = 0, died = 0;
        for (; fight < 1010; ++fight) {
            const FightEnd end = bot_fight(game, fight);
            won += end.won;
            died += end.died;
        }
        state.counters["won"] = won;
        state.counters["died"] = died;
        state.counters["fled"] = 1000 - won - died;
        // Unused entries stay cached until a purge, so their number follows
        // the pictures the last fights showed; after the purge (both
        // memory figures are taken after one) only what is in use stays.
        state.counters["cache_entries_baseline"] = entries;
        state.counters["cache_entries_growth"] = cached(false) - entries;
        state.counters["cache_in_use_baseline"] = in_use;
        state.counters["cache_in_use_growth"] = cached(true) - in_use;
        state.counters["rss_baseline_kB"] = double(rss);
        state.counters["rss_growth_kB"] = double(resident_kb() - rss);
    }
}
BENCHMARK(BM_ThousandFights)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
