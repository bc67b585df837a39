// What the benchmarks that play the demo game headless share: the game
// started on the demo data in a state folder of its own, and the 12 ms logic
// tick their "of_tick" counters are shares of (below 1, a step fits in it).
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "tests/game/session/demo_game_host.h"

inline constexpr double kTickSeconds = 0.012;

using BenchClock = std::chrono::steady_clock;

inline double seconds_since(BenchClock::time_point start) {
    return std::chrono::duration<double>(BenchClock::now() - start).count();
}

// Seconds of the timed part of all iterations, as a share of one tick each.
inline void report_ticks(benchmark::State& state, double seconds) {
    state.counters["of_tick"] = seconds / double(state.iterations()) / kTickSeconds;
}

// The demo game started headless; `name` names its folder below the
// system's temporary folder (the process id keeps parallel runs apart).
struct StartedDemoGame {
    HeadlessPlatform host{0x00A00000};
    std::string folder;

    explicit StartedDemoGame(const std::string& name)
        : folder((std::filesystem::temp_directory_path() / (name + "_" + std::to_string(getpid()))).string()) {
        prepare_demo_game_in(host, folder);
        game_startup();
    }
    ~StartedDemoGame() { finish_demo_game(folder); }
    StartedDemoGame(const StartedDemoGame&) = delete;
    StartedDemoGame& operator=(const StartedDemoGame&) = delete;

    GameState* current() const { return g_app->game()->current_state(); }
};
