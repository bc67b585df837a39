// BMP decoding speed per bit depth, side by side with SDL2's own reader on
// the same 240 x 320 files held in memory.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/pictures/bmp_decoder.h"
#include "tools/bitmap_tools/bmp_writer.h"

namespace {

std::vector<uint8_t> picture(uint16_t bits) {
    BmpLayout layout{.width = 240, .height = 320, .bits = bits};
    if (bits <= 8)
        for (uint32_t i = 0; i < (1u << bits); ++i) layout.palette.push_back(i * 0x010203u);
    std::vector<uint32_t> values;
    for (uint32_t y = 0; y < 320; ++y)
        for (uint32_t x = 0; x < 240; ++x) {
            const uint32_t v = x * 7 + y * 13;
            values.push_back(bits <= 8 ? v % (1u << bits) : bits == 16 ? v & 0x7FFF : 0x80000000u | v * 2654435761u >> 8);
        }
    return write_bmp(layout, values);
}

void BM_DecodeBmp(benchmark::State& state) {
    const auto file = picture(uint16_t(state.range(0)));
    std::string error;
    for (auto _ : state) {
        auto b = decode_bmp(file, 0, error);
        benchmark::DoNotOptimize(b.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void BM_SdlLoadBmp(benchmark::State& state) {
    const auto file = picture(uint16_t(state.range(0)));
    for (auto _ : state) {
        SDL_Surface* s = SDL_LoadBMP_RW(SDL_RWFromConstMem(file.data(), int(file.size())), 1);
        if (!s) {
            state.SkipWithError(SDL_GetError());
            break;
        }
        benchmark::DoNotOptimize(s->pixels);
        SDL_FreeSurface(s);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

}  // namespace

BENCHMARK(BM_DecodeBmp)->Arg(4)->Arg(8)->Arg(16)->Arg(24)->Arg(32);
BENCHMARK(BM_SdlLoadBmp)->Arg(4)->Arg(8)->Arg(16)->Arg(24)->Arg(32);
