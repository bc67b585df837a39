// The mixer thread in real time on the audio device (run with
// SDL_AUDIODRIVER=dummy on machines without sound): poll regularity, late
// blocks, the CPU use the library reports against the CPU time measured, and
// how long the game thread waits to change a channel while blocks are mixed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include "sound/system/sound.h"

namespace {

using Clock = std::chrono::steady_clock;

std::mutex g_poll_lock;
std::vector<Clock::time_point> g_polls;

// The watchdog reads its tick clock once per poll: a hook into the mixer thread.
int64_t recording_ticks() {
    const auto now = Clock::now();
    {
        std::lock_guard guard(g_poll_lock);
        g_polls.push_back(now);
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
}
int64_t wall_ticks() { return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count(); }

double process_cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void BM_RealtimeMixing(benchmark::State& state) {
    const int voices = int(state.range(0));
    output_watchdog_set_clocks(wall_ticks, recording_ticks);
    sound_set_output(OUTPUT_AUDIO_DEVICE);
    sound_set_mixer(MIXER_QUALITY_AUTODETECT);
    sound_set_buffer_size(75);
    if (!sound_init(44100, 48, 2)) {
        sound_close();
        output_watchdog_set_clocks(nullptr, nullptr);
        state.SkipWithError("no audio device opened (SDL_AUDIODRIVER=dummy gives one)");
        return;
    }
    const int length = 44100;
    SoundSample* sample = sample_create(kSampleAnyFree, length, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, 44100,
                                        255, 128, 128);
    void *p1, *p2;
    int l1, l2;
    sample_lock(sample, 0, length * 2, &p1, &l1, &p2, &l2);
    for (int i = 0; i < length; ++i) static_cast<int16_t*>(p1)[i] = int16_t(9000 * std::sin(i * 0.0627));
    sample_unlock(sample, p1, p2, l1, l2);
    std::vector<int> handles;
    for (int i = 0; i < voices; ++i) {
        handles.push_back(channel_play_sound(kChannelFree, sample));
        channel_set_frequency(handles.back(), 30000 + 311 * i);
        channel_set_volume(handles.back(), 30);
    }
    std::vector<double> waits_us;
    double reported = 0, measured = 0;
    for (auto _ : state) {
        {
            std::lock_guard guard(g_poll_lock);
            g_polls.clear();
        }
        const double cpu0 = process_cpu_seconds();
        const auto t0 = Clock::now();
        // One second of game-thread calls, one a millisecond.
        for (int i = 0; i < 1000; ++i) {
            const auto before = Clock::now();
            channel_set_volume(handles[size_t(i) % handles.size()], 20 + i % 20);
            waits_us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - before).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        measured = 100.0 * (process_cpu_seconds() - cpu0) / wall;
        reported = sound_get_cpu_usage();
    }
    std::vector<double> gaps_ms;
    {
        std::lock_guard guard(g_poll_lock);
        for (size_t i = 1; i < g_polls.size(); ++i)
            gaps_ms.push_back(std::chrono::duration<double, std::milli>(g_polls[i] - g_polls[i - 1]).count());
    }
    const double ring_ms = 1000.0 * (sound_system().buffer_samples - sound_system().block_samples) / 44100;
    sound_close();
    sound_set_output(OUTPUT_DEFAULT);
    output_watchdog_set_clocks(nullptr, nullptr);
    if (gaps_ms.empty()) {
        state.SkipWithError("the mixer thread never polled");
        return;
    }
    double sum = 0, worst = 0;
    int late = 0;
    for (double g : gaps_ms) sum += g, worst = std::max(worst, g), late += g > ring_ms;
    std::sort(waits_us.begin(), waits_us.end());
    state.counters["poll_mean_ms"] = sum / double(gaps_ms.size());
    state.counters["poll_max_ms"] = worst;
    state.counters["late_blocks"] = late;
    state.counters["reported_cpu_pct"] = reported;
    state.counters["process_cpu_pct"] = measured;
    state.counters["wait_median_us"] = waits_us[waits_us.size() / 2];
    state.counters["wait_max_us"] = waits_us.back();
}
BENCHMARK(BM_RealtimeMixing)->Arg(32)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
