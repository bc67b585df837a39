// The fade layer over a whole 240x320 frame: fades toward black and toward
// a colour at several levels, and the tints, against a plain copy of the
// frame (the least any full-frame pass costs).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine/graphics/fade_layer.h"

namespace {

constexpr int32_t kWidth = 240, kHeight = 320;

struct Frame {
    Frame() : pixels(size_t(kWidth) * kHeight) {
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint16_t(i * 2654435761u >> 7);
    }
    DrawTarget target() {
        return whole_surface_target(pixels.data(), {kWidth, kHeight});
    }
    std::vector<uint16_t> pixels;
};

void run(benchmark::State& state, FadeLayer& fade) {
    Frame frame;
    fade.set_size(kWidth, kHeight);
    const DrawTarget target = frame.target();
    for (auto _ : state) {
        fade.draw(target);
        benchmark::DoNotOptimize(frame.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 2);
}

// args: level, fade colour
void fade_level(benchmark::State& state) {
    FadeLayer fade;
    fade.set_color(uint16_t(state.range(1)));
    fade.set_level(int32_t(state.range(0)));
    run(state, fade);
}

// args: red, green, blue factors
void tint(benchmark::State& state) {
    FadeLayer fade;
    fade.set_tint(int32_t(state.range(0)), int32_t(state.range(1)), int32_t(state.range(2)));
    run(state, fade);
}

void memcpy_frame(benchmark::State& state) {
    Frame from, to;
    for (auto _ : state) {
        std::memcpy(to.pixels.data(), from.pixels.data(), from.pixels.size() * 2);
        benchmark::DoNotOptimize(to.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 2);
}

}  // namespace

BENCHMARK(fade_level)->ArgNames({"level", "color"})
    ->Args({8, 0})->Args({16, 0})->Args({31, 0})
    ->Args({8, 0x7BEF})->Args({16, 0x7BEF})->Args({31, 0x7BEF});
BENCHMARK(tint)->ArgNames({"r", "g", "b"})->Args({2, 2, 2})->Args({2, 2, 1})->Args({3, 3, 3});
BENCHMARK(memcpy_frame);
