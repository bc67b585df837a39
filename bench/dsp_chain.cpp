// The DSP chain per mix block with 0, 1 and 48 playing channels, and how
// long the game thread waits for the chain lock while the mixer thread runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "sound/system/sound.h"

namespace {

constexpr int kRate = 22050;

SoundSample* looping_tone() {
    const int length = 4096;
    SoundSample* sample =
        sample_create(kSampleAnyFree, length, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, kRate, 255, 128, 128);
    void *p1, *p2;
    int len1, len2;
    if (!sample || !sample_lock(sample, 0, length * 2, &p1, &len1, &p2, &len2)) return nullptr;
    auto* values = static_cast<int16_t*>(p1);
    for (int i = 0; i < len1 / 2; ++i) values[i] = int16_t(8000 * std::sin(i * 0.07));
    sample_unlock(sample, p1, p2, len1, len2);
    return sample;
}

// Starts the library with `voices` looping channels; output type 12 mixes
// one block per sound_update, type 13 runs the mixer thread in real time.
struct Library {
    Library(int output, int voices) {
        CaptureConfig config;
        config.sink = [](const int16_t*, int, int) {};
        output_capture_configure(config);
        sound_set_output(output);
        sound_set_mixer(MIXER_QUALITY_AUTODETECT);
        ok = sound_init(kRate, 64, 0) == 1;
        sample = ok ? looping_tone() : nullptr;
        for (int i = 0; sample && i < voices; ++i) {
            int handle = channel_play_sound(kChannelFree, sample);
            channel_set_frequency(handle, 11025 + 331 * i);
            channel_set_volume(handle, 30);
        }
        ok = ok && sample;
    }
    ~Library() {
        sound_close();
        output_capture_configure({});
        sound_set_output(OUTPUT_DEFAULT);
    }
    bool ok = false;
    SoundSample* sample = nullptr;
};

void BM_ChainPerBlock(benchmark::State& state) {
    Library library(OUTPUT_NONREALTIME, int(state.range(0)));
    if (!library.ok) {
        state.SkipWithError("sound_init failed");
        return;
    }
    for (auto _ : state) sound_update();
    state.counters["block_frames"] = dsp_get_block_length();
}
BENCHMARK(BM_ChainPerBlock)->ArgName("voices")->Arg(0)->Arg(1)->Arg(48)->Unit(benchmark::kMicrosecond);

// Each iteration re-inserts a unit at its own priority, which takes the
// chain lock; with the mixer thread busy on 48 voices the call waits for
// the block in progress. Reports the longest single wait too.
void BM_GameThreadChainLockWait(benchmark::State& state) {
    Library library(OUTPUT_CAPTURE, 48);
    if (!library.ok) {
        state.SkipWithError("sound_init failed");
        return;
    }
    DspUnit* unit = dsp_create_unit(nullptr, 500, nullptr);
    double longest_us = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        dsp_set_priority(unit, 500);
        double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        longest_us = std::max(longest_us, us);
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.ResumeTiming();
    }
    state.counters["longest_wait_us"] = longest_us;
    dsp_free_unit(unit);
}
BENCHMARK(BM_GameThreadChainLockWait)->Iterations(2000)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
