// The shell's frame loop on the SDL back end in real time (SDL's dummy video
// driver unless SDL_VIDEODRIVER says otherwise): logic and animation rates
// for 12 and 10 ms periods, how late steps run behind their due time,
// input-to-on_key latency, and the CPU the loop uses. Runs for
// NIMBREL_BENCH_SECONDS (default 60) of wall time.
#include <benchmark/benchmark.h>
#include <SDL.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "engine/app/frame_loop.h"
#include "engine/app/scene.h"
#include "engine/app/shell.h"
#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/display.h"
#include "engine/platform/sdl/sdl_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int64_t> g_key_pushed_at_us{0};

int64_t now_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A scene with the game's periods that measures itself. It draws nothing,
// so after the first frame nothing is presented: the loop idles.
class TimedScene : public Scene {
public:
    TimedScene(Platform& host, Display* display) : Scene(display, "Game"), host_(host) {
        create_layer();
        logic_period = 12;
        animation_period = 10;
    }
    void update() override {
        updates++;
        // logic_due was already moved on by one period: the step was due at
        // logic_due - logic_period.
        const int32_t late = int32_t(host_.tick_count() - (logic_due - logic_period));
        max_late_ms = std::max(max_late_ms, late);
        total_late_ms += late;
    }
    void animate() override { animates++; }
    void on_key(int kind, uint32_t, uint32_t) override {
        if (kind != kKeyPress) return;
        const int64_t pushed = g_key_pushed_at_us.exchange(0);
        if (pushed) {
            const int64_t latency = now_us() - pushed;
            keys++;
            total_latency_us += latency;
            max_latency_us = std::max(max_latency_us, latency);
        }
    }

    int64_t updates = 0, animates = 0, keys = 0;
    int64_t total_late_ms = 0, total_latency_us = 0, max_latency_us = 0;
    int32_t max_late_ms = 0;

private:
    Platform& host_;
};

void BM_SdlFrameLoop(benchmark::State& state) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    const char* env = std::getenv("NIMBREL_BENCH_SECONDS");
    const uint32_t seconds = env ? uint32_t(std::max(1, std::atoi(env))) : 60;
    const std::string folder = std::filesystem::temp_directory_path().string() + "/bench_sdl_frame_loop/";
    std::filesystem::create_directories(folder);
    set_state_folder(utf8_to_utf16(folder));

    for (auto _ : state) {
        SdlPlatform host(2);
        if (!host.ok()) {
            state.SkipWithError(host.error().c_str());
            return;
        }
        set_platform(&host);
        Display display;
        TimedScene* scene = nullptr;
        std::atomic<bool> running{true};
        std::thread typist;
        int64_t started_us = 0;
        double started_cpu = 0;
        shell_hooks().game_startup = [&] {
            if (!display.open(&host.display(), 1, 240, 320)) return 0;
            scene = new TimedScene(host, &display);
            g_current_scene = scene;
            restart_scene_timers();
            started_us = now_us();
            started_cpu = cpu_seconds();
            // A key every 50 ms from another thread, as the user would.
            typist = std::thread([&running] {
                while (running) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                    SDL_Event e{};
                    e.type = SDL_KEYDOWN;
                    e.key.keysym.sym = SDLK_SPACE;
                    g_key_pushed_at_us = now_us();
                    SDL_PushEvent(&e);
                    e.type = SDL_KEYUP;
                    SDL_PushEvent(&e);
                }
            });
            return 1;
        };
        shell_hooks().game_shutdown = [&] {
            running = false;
            const double wall = double(now_us() - started_us) / 1e6;
            state.counters["updates_per_s"] = double(scene->updates) / wall;
            state.counters["animates_per_s"] = double(scene->animates) / wall;
            state.counters["late_mean_ms"] = double(scene->total_late_ms) / double(std::max<int64_t>(1, scene->updates));
            state.counters["late_max_ms"] = scene->max_late_ms;
            state.counters["key_latency_mean_us"] =
                double(scene->total_latency_us) / double(std::max<int64_t>(1, scene->keys));
            state.counters["key_latency_max_us"] = double(scene->max_latency_us);
            state.counters["cpu_percent"] = 100.0 * (cpu_seconds() - started_cpu) / wall;
            delete scene;
            g_current_scene = nullptr;
            return 1;
        };
        host.close_at(100 + seconds * 1000);
        run_shell();
        if (typist.joinable()) typist.join();
        shell_hooks() = ShellHooks{};
        set_platform(nullptr);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_SdlFrameLoop)->Iterations(1)->Unit(benchmark::kSecond);
