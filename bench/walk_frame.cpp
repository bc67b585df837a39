// Frame time while the hero walks and the map scrolls, headless: 5,000
// ticks round a 120 x 120 tile level with 20 people on it, once with the
// ground lighting (GfxQuality 1) and once without (0). Each frame is taken
// apart as the frame loop runs it: the two ticks (update), the camera with
// its view refresh (refresh, where ground blocks are built), the drawing
// into the back buffer (draw) and the present. Reported per part: p50, p99
// and max in microseconds of the thread's CPU time, and the most ground
// blocks and object-list pairs built in one frame. The first frame after
// the walking screen is entered rebuilds the whole view by design; it is
// reported apart (enter_frame_us), as is the level change that brings the
// hero there (enter_level_us). The same walk again under each weather.
// Also: the firing of a level's triggers when the level has 500 of them.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/app/scene.h"
#include "engine/app/screen.h"
#include "engine/core/crt_random.h"
#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/frame_render.h"
#include "engine/graphics/sprite_group.h"
#include "engine/platform/headless/headless_platform.h"
#include "engine/ui/game_key.h"
#include "game/program/game_screens.h"
#include "game/session/game.h"
#include "game/session/game_settings.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"
#include "game/world/action.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/map_region.h"
#include "game/world/trigger.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kSide = 120;           // tiles
constexpr int32_t kRoad = 9;             // the ring road's middle, tiles from each edge
constexpr int32_t kPeople = 20;
constexpr uint32_t kBigRegionId = 0xB000, kBigMapId = 0xB100, kBigLevelId = 0xB101;  // clear of the demo story's ids
constexpr int32_t kTile = 32;

// The village's kinds of ground, as the demo story's legend gives them.
TileCell grass() { return {.background = 1, .tile = 64}; }
TileCell road() { return {.background = 2, .tile = 32}; }

bool on_ring(int32_t column, int32_t row, int32_t reach) {
    const auto near_line = [&](int32_t v) {
        return std::abs(v - kRoad) <= reach || std::abs(v - (kSide - 1 - kRoad)) <= reach;
    };
    const bool inside = column >= kRoad - reach && row >= kRoad - reach && column <= kSide - 1 - kRoad + reach &&
                        row <= kSide - 1 - kRoad + reach;
    return inside && (near_line(column) || near_line(row));
}

// Grass with a ring road three tiles wide; off the road (and a tile clear
// of it) ponds, houses, trees, reeds, shade, a few objects and animated
// tiles, scattered by a fixed hash so every run draws the same level.
std::vector<TileCell> big_level_grid() {
    std::vector<TileCell> grid(size_t(kSide) * kSide);
    for (int32_t row = 0; row < kSide; ++row)
        for (int32_t column = 0; column < kSide; ++column) {
            TileCell& cell = grid[size_t(row) * kSide + size_t(column)];
            if (on_ring(column, row, 1)) {
                cell = road();
                continue;
            }
            cell = grass();
            if (on_ring(column, row, 2)) continue;
            const uint32_t h = uint32_t(column * 7919 + row * 104729) * 2654435761u >> 8;
            if (column % 20 >= 14 && column % 20 <= 17 && row % 20 >= 3 && row % 20 <= 6) {
                cell = {.background = 3};  // a pond: its shore takes the nine-piece edges
            } else if (column % 25 >= 3 && column % 25 <= 6 && row % 25 >= 14 && row % 25 <= 16) {
                cell = road();
                cell.wall = 9;  // a house
            } else if (h % 100 < 12) {
                cell.trees = 0x41;
            } else if (h % 100 < 16) {
                cell.decor = 2;
            } else if (h % 100 < 19) {
                cell.shade = uint8_t(1 | (h >> 12 & 3) << 6);
            } else if (h % 1000 < 195) {
                cell.object = 7;
            } else if (h % 1000 < 200) {
                cell.state = 1;
            }
        }
    return grid;
}

// Adds the level to the World in a region of its own that counts as
// loaded, so entering it reads no region file.
void add_big_level(World& world) {
    auto region = std::make_unique<MapRegion>();
    auto map = std::make_unique<Map>();
    auto level = std::make_unique<MapLevel>();
    region->name = "Benchmark Reach";
    region->loaded = true;
    map->region = region.get();
    map->name = "Benchmark";
    level->map = map.get();
    level->name = "Ringroad";
    level->width = level->height = kSide;
    level->params[1] = 1;  // the wood's lighting
    level->grid = big_level_grid();
    world.register_object(region.get(), kBigRegionId);
    world.register_object(map.get(), kBigMapId);
    world.register_object(level.get(), kBigLevelId);
    map->levels.push_back(std::move(level));
    region->maps.push_back(std::move(map));
    world.regions.push_back(std::move(region));
}

// The demo's five people, four times each, on the grass inside the ring.
void place_people(World& world) {
    static constexpr uint32_t kPeopleIds[] = {0x2001, 0x2002, 0x2003, 0x2004, 0x2005};
    const int32_t inner = (kRoad + 4) * kTile;
    const int32_t span = (kSide - 2 * (kRoad + 4)) * kTile;
    for (int32_t i = 0; i < kPeople; ++i) {
        const int32_t along = span * (i / 4) / 5 + 64;
        const std::array<std::pair<int32_t, int32_t>, 4> sides = {
            {{inner + along, inner}, {inner + span, inner + along}, {inner + along, inner + span}, {inner, inner + along}}};
        const auto [x, y] = sides[size_t(i % 4)];
        const auto u16 = [](int32_t v) { return uint16_t(v); };
        world.npc_placements.push_back({kPeopleIds[i % 5], kBigLevelId, u16(x), u16(y), u16(x), u16(y)});
    }
}

// The machine is shared while benchmarks run: frames are timed by the
// thread's own CPU time, which other programs do not inflate.
double thread_cpu_us() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

struct WalkingGame {
    HeadlessPlatform host;
    std::string folder =
        (std::filesystem::temp_directory_path() / ("bench_walk_frame_" + std::to_string(getpid()))).string();
    double enter_level_us = 0;

    explicit WalkingGame(int32_t gfx_quality) {
        std::filesystem::create_directories(folder + "/savegame");
        set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
        set_state_folder(utf8_to_utf16(folder + "/"));
        set_platform(&host);
        GameSettings settings;
        settings.gfx_quality = gfx_quality;
        save_settings_file(settings_path(), settings);
        game_startup_options().silent_sound = true;
        install_game_screens();
        game_engine_objects_init();
        game_startup();
        crt_srand(3);
        Game& game = *g_app->game();
        game.start_new_game();
        game.switch_state("Walking", 0);
        game.set_hud_mode(false);  // a new game starts in HUD mode, which holds the keys
        add_big_level(game.world());
        place_people(game.world());
        const double start = thread_cpu_us();
        game.teleport(kBigLevelId, kRoad * kTile, kRoad * kTile, 20);
        enter_level_us = thread_cpu_us() - start;
    }
    ~WalkingGame() {
        game_shutdown();
        game_engine_objects_shutdown();
        set_platform(nullptr);
        std::filesystem::remove_all(folder);
    }
};

// One frame as the frame loop runs it, each part timed: the two ticks,
// the camera, the drawing and the present.
struct FrameTimes {
    double update, refresh, draw, present;
    double total() const { return update + refresh + draw + present; }
};

FrameTimes timed_frame(Game& game) {
    Scene& scene = game;
    const double t0 = thread_cpu_us();
    game.update();
    if (GameState* s = game.current_state()) s->update();
    game.animate();
    if (GameState* s = game.current_state()) s->animate();
    const double t1 = thread_cpu_us();
    scene.pre_render();
    const double t2 = thread_cpu_us();
    draw_layers(scene.layers(), *scene.screen_region(), *scene.display());
    const double t3 = thread_cpu_us();
    present_layers(scene.layers(), *scene.screen_region(), *scene.display());
    scene.post_render();
    const double t4 = thread_cpu_us();
    return {t1 - t0, t2 - t1, t3 - t2, t4 - t3};
}

// Involuntary context switches and page faults of this thread so far.
struct ThreadEvents {
    long switches, faults;
};
ThreadEvents thread_events() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return {usage.ru_nivcsw, usage.ru_minflt};
}

// Per part of a frame, microseconds.
struct FrameParts {
    std::vector<double> update, refresh, draw, present, total;
    void reserve(size_t n) {
        for (auto* v : {&update, &refresh, &draw, &present, &total}) v->reserve(n);
    }
    void add(const FrameTimes& t) {
        update.push_back(t.update);
        refresh.push_back(t.refresh);
        draw.push_back(t.draw);
        present.push_back(t.present);
        total.push_back(t.total());
    }
};

void report(benchmark::State& state, const char* name, std::vector<double>& us) {
    if (us.empty()) return;
    std::sort(us.begin(), us.end());
    const std::string prefix = name;
    state.counters[prefix + "_p50"] = us[us.size() / 2];
    state.counters[prefix + "_p99"] = us[us.size() * 99 / 100];
    state.counters[prefix + "_max"] = us.back();
}

// Arrow keys round the ring road: right, down, left, up; the next side
// starts at the corner (or when the hero is stuck).
class RingWalker {
public:
    void steer(Game& game) {
        const Point at = game.hero().position();
        const int32_t far = (kSide - 1 - kRoad) * kTile, near = kRoad * kTile;
        const bool corner = (side_ == 0 && at.x >= far) || (side_ == 1 && at.y >= far) ||
                            (side_ == 2 && at.x <= near) || (side_ == 3 && at.y <= near);
        stuck_ = at == last_ ? stuck_ + 1 : 0;
        last_ = at;
        if (!corner && stuck_ < 50 && pressed_) return;
        if (pressed_) side_ = (side_ + 1) % 4;
        stuck_ = 0;
        pressed_ = true;
        static constexpr GameKey kKeys[] = {kKeyRight, kKeyDown, kKeyLeft, kKeyUp};
        game.clear_held_keys();
        game.set_key_state(kKeyPress, kKeys[side_], 0);
    }
    int32_t sides() const { return side_; }

private:
    int32_t side_ = 0;
    int32_t stuck_ = 0;
    bool pressed_ = false;
    Point last_{-1, -1};
};

void BM_WalkingFrame(benchmark::State& state) {
    WalkingGame env(int32_t(state.range(0)));
    Game& game = *g_app->game();
    FrameParts parts;
    parts.reserve(size_t(state.max_iterations));
    RingWalker walker;
    int64_t frames = 0, walked = 0, preempted = 0;
    uint64_t most_blocks = 0, most_lists = 0;
    long most_faults = 0;
    double enter_frame_us = 0, max_unpreempted_us = 0;
    for (auto _ : state) {
        walker.steer(game);
        const uint64_t blocks = game.view().blocks_built(), lists = game.view().lists_built();
        const Point before = game.hero().position();
        const ThreadEvents events = thread_events();
        const FrameTimes times = timed_frame(game);
        const ThreadEvents after = thread_events();
        walked += std::abs(game.hero().x - before.x) + std::abs(game.hero().y - before.y);
        if (frames++ == 0) {
            enter_frame_us = times.total();  // the walking screen's full view refresh
            continue;
        }
        parts.add(times);
        most_blocks = std::max(most_blocks, game.view().blocks_built() - blocks);
        most_lists = std::max(most_lists, game.view().lists_built() - lists);
        most_faults = std::max(most_faults, after.faults - events.faults);
        // Another program took the processor mid-frame: its cost (cold
        // caches, the host's accounting) shows in this frame's time.
        if (after.switches != events.switches) ++preempted;
        else max_unpreempted_us = std::max(max_unpreempted_us, times.total());
    }
    if (game.world().current_level_id() != kBigLevelId || walked == 0) {
        state.SkipWithError("the hero did not walk the big level");
        return;
    }
    report(state, "update", parts.update);
    report(state, "refresh", parts.refresh);
    report(state, "draw", parts.draw);
    report(state, "present", parts.present);
    report(state, "frame", parts.total);
    state.counters["frame_max_unpreempted"] = max_unpreempted_us;
    state.counters["preempted_frames"] = double(preempted);
    state.counters["page_faults_per_frame_max"] = double(most_faults);
    state.counters["blocks_per_frame_max"] = double(most_blocks);
    state.counters["lists_per_frame_max"] = double(most_lists);
    state.counters["blocks_built"] = double(game.view().blocks_built());
    state.counters["walked_px"] = double(walked);
    state.counters["people"] = double(game.world().current_level()->actors.size());
    state.counters["enter_frame_us"] = enter_frame_us;
    state.counters["enter_level_us"] = env.enter_level_us;
}
BENCHMARK(BM_WalkingFrame)->ArgName("gfx_quality")->Arg(1)->Arg(0)->Iterations(5000)->Unit(benchmark::kMicrosecond);

// The same walk under each weather of the map, started as entering a level
// starts it: none, rain (100 drops), snow (200 flakes), fog and red fog
// (nine 480 x 480 tiles with per-pixel alpha), each with its tint. Whole
// frames in microseconds of thread CPU time at p50, p95 and p99, and p99
// as a share of the 12 ms logic tick.
void BM_WalkingFrameWeather(benchmark::State& state) {
    WalkingGame env(1);
    Game& game = *g_app->game();
    const int32_t code = int32_t(state.range(0));
    game.start_weather(code);
    RingWalker walker;
    std::vector<double> frames_us;
    frames_us.reserve(size_t(state.max_iterations));
    bool first = true;
    for (auto _ : state) {
        walker.steer(game);
        const double us = timed_frame(game).total();
        if (!std::exchange(first, false)) frames_us.push_back(us);  // not the full view refresh
    }
    if (game.weather_type() != code || frames_us.empty()) {
        state.SkipWithError("the weather did not last the walk");
        return;
    }
    std::sort(frames_us.begin(), frames_us.end());
    const auto at = [&](size_t percent) { return frames_us[frames_us.size() * percent / 100]; };
    state.counters["frame_p50"] = at(50);
    state.counters["frame_p95"] = at(95);
    state.counters["frame_p99"] = at(99);
    state.counters["p99_per_tick"] = at(99) / (Game::kLogicTickMs * 1000.0);
    state.counters["weather_sprites"] = double(game.weather().group()->sprites().count());
}
BENCHMARK(BM_WalkingFrameWeather)
    ->ArgName("weather")
    ->Arg(0)
    ->Arg(2)
    ->Arg(4)
    ->Arg(6)
    ->Arg(9)
    ->Iterations(3000)
    ->Unit(benchmark::kMicrosecond);

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
