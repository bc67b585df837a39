// Mixing cost of the sound library: whole blocks through the DSP chain at
// each quality, the mix kernels one by one, and idle memory per quality.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "sound/mixer/mix_kernels.h"
#include "sound/system/sound.h"

namespace {

std::vector<int16_t> tone(int length, double period_frames) {
    std::vector<int16_t> v(static_cast<size_t>(length) + 2);
    for (int i = 0; i < length; ++i) v[size_t(i)] = int16_t(12000 * std::sin(2 * M_PI * i / period_frames));
    return v;
}

// Starts the library in non-real-time mode with a sink that drops the
// output, so the measured cost is mixing and clipping alone.
struct Renderer {
    Renderer(int rate, int mixer, int voices) {
        CaptureConfig config;
        config.sink = [](const int16_t*, int, int) {};
        output_capture_configure(std::move(config));
        sound_set_output(OUTPUT_NONREALTIME);
        sound_set_mixer(mixer);
        sound_set_buffer_size(75);
        ok = sound_init(rate, 48, 2) == 1;
        const auto data = tone(44100, 100.3);
        sample = sample_create(kSampleAnyFree, 44100, SAMPLE_16BITS | SAMPLE_MONO | SAMPLE_LOOP_NORMAL, 44100, 255,
                               128, 128);
        void *p1, *p2;
        int l1, l2;
        sample_lock(sample, 0, 44100 * 2, &p1, &l1, &p2, &l2);
        std::memcpy(p1, data.data(), size_t(l1));
        sample_unlock(sample, p1, p2, l1, l2);
        for (int i = 0; i < voices; ++i) {
            const int h = channel_play_sound(kChannelFree, sample);
            channel_set_frequency(h, 22050 + 997 * i);  // every voice resamples
            channel_set_pan(h, (i * 37) & 255);
            channel_set_volume(h, 40);
        }
    }
    ~Renderer() {
        sound_close();
        output_capture_configure({});
        sound_set_output(OUTPUT_DEFAULT);
    }
    bool ok = false;
    SoundSample* sample = nullptr;
};

// CPU seconds per second of audio, reported as "cpu_per_audio_s".
void BM_MixBlocks(benchmark::State& state) {
    const int mixer = int(state.range(0)), rate = int(state.range(1)), voices = int(state.range(2));
    Renderer r(rate, mixer, voices);
    if (!r.ok) {
        state.SkipWithError("sound_init failed");
        return;
    }
    for (auto _ : state) sound_update();
    const double audio_seconds = double(state.iterations()) * 1024 / rate;
    state.counters["cpu_per_audio_s"] = benchmark::Counter(audio_seconds, benchmark::Counter::kIsRate |
                                                                              benchmark::Counter::kInvert);
    state.SetItemsProcessed(state.iterations() * 1024 * voices);
}
BENCHMARK(BM_MixBlocks)
    ->ArgNames({"mixer", "rate", "voices"})
    ->Args({8, 44100, 32})
    ->Args({9, 44100, 32})
    ->Args({0, 44100, 32})
    ->Args({4, 44100, 32})
    ->Args({8, 11025, 48})
    ->Args({8, 22050, 48})
    ->Args({9, 22050, 48})
    ->Args({0, 22050, 48})
    ->Args({4, 44100, 48})
    ->Args({4, 44100, 0});  // fixed cost of a block: clear and clip

// One kernel over one voice, by hand-built channel: ns per output frame.
void BM_Kernel(benchmark::State& state) {
    using Kernel = void (*)(ListNode&, int32_t*, int);
    static const Kernel kernels[] = {mix_channel_mono, mix_channel_mono_quality, mix_channel_stereo,
                                     mix_channel_stereo_quality};
    static const double steps[] = {0.37, 1.0, 2.7};
    const Kernel kernel = kernels[state.range(0)];
    const bool sixteen = state.range(1) == 16;
    const int source_channels = int(state.range(2));
    const double step = steps[state.range(3)];
    const bool short_loop = state.range(4) != 0;
    constexpr int kLength = 65536, kFrames = 1024;
    std::vector<uint8_t> data(size_t(kLength + 4) * 2 * source_channels);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 2654435761u >> 24);
    SoundSample sample{};
    sample.data = data.data();
    sample.length = kLength;
    sample.loop_start = short_loop ? 1000 : 0;
    sample.loop_length = short_loop ? 16 : kLength;
    sample.mode = (sixteen ? SAMPLE_16BITS : SAMPLE_8BITS) | (source_channels == 2 ? SAMPLE_STEREO : SAMPLE_MONO) |
                  SAMPLE_LOOP_NORMAL;
    SoundChannel channel;
    channel.sample.store(&sample);
    channel.data = data.data();
    channel.mode = sample.mode;
    const auto fixed = uint64_t(step * 4294967296.0);
    channel.step_integer = int32_t(fixed >> 32);
    channel.step_fraction = uint32_t(fixed);
    channel.left_gain = 180;
    channel.right_gain = 120;
    channel.mean_gain = 150;
    channel.position = short_loop ? 1000 : 0;
    ListNode list;
    list_append(list, &channel);
    std::vector<int32_t> acc(kFrames * 2);
    for (auto _ : state) {
        kernel(list, acc.data(), kFrames);
        benchmark::DoNotOptimize(acc.data());
    }
    list_unlink(&channel);
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_Kernel)
    ->ArgNames({"kernel", "bits", "src_ch", "step", "short_loop"})
    ->ArgsProduct({{0, 1, 2, 3}, {8, 16}, {1, 2}, {0, 1, 2}, {0, 1}});

// Library memory in use right after start-up, per quality.
void BM_IdleMemory(benchmark::State& state) {
    const int mixer = int(state.range(0)), rate = int(state.range(1));
    uint64_t current = 0, peak = 0;
    for (auto _ : state) {
        output_capture_configure({});
        sound_set_output(OUTPUT_NONREALTIME);
        sound_set_mixer(mixer);
        sound_set_buffer_size(75);
        sound_init(rate, 48, 2);
        sound_mem_get_stats(&current, &peak);
        sound_close();
    }
    sound_set_output(OUTPUT_DEFAULT);
    state.counters["bytes"] = double(current);
}
BENCHMARK(BM_IdleMemory)
    ->ArgNames({"mixer", "rate"})
    ->Args({8, 11025})
    ->Args({8, 22050})
    ->Args({9, 22050})
    ->Args({0, 22050})
    ->Args({4, 44100})
    ->Iterations(3);

}  // namespace
