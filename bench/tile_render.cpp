// The map renderer on the demo tiles: one ground block of 5 x 5 tiles
// (backgrounds with their edge pieces, tiles, decorations; with and without
// the lighting pass), the lighting pass alone on a block of each family
// (adding light, scaling it), one block's object lists, and beside them SDL2's
// RGB565 32 x 32 blit, plain and colour-keyed, on the same machine.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/program_paths.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/resource_caches.h"
#include "game/map_view/block_lighting.h"
#include "game/map_view/tile_renderer.h"
#include "game/world/map_level.h"
#include "game/world/tile_params.h"

namespace {

// A 10 x 10 level of grass, road and pond with walls and tufts, in the
// demo story's pictures.
MapLevel demo_level() {
    MapLevel level;
    level.id = 0x1101;
    level.width = level.height = 10;
    level.grid.resize(100);
    for (int32_t i = 0; i < 100; ++i) {
        TileCell& c = level.grid[size_t(i)];
        const int32_t x = i % 10, y = i / 10;
        c.background = uint8_t(x == 4 || y == 6 ? 2 : (x > 6 && y < 3) ? 3 : 1);
        c.tile = c.background == 2 ? 32 : c.background == 1 && (x + y) % 3 == 0 ? 64 : 0;
        c.decor = (x * y) % 7 == 1 ? 2 : 0;
        c.wall = y == 0 ? 5 : (x == 8 && y > 6) ? 9 : 0;
    }
    return level;
}

struct DemoTiles {
    DemoTiles() {
        set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
        g_file_system = new FileSystem;
        create_resource_caches();
        g_bitmap_cache->caching = 1;
        g_sprite_def_cache->caching = 1;
    }
    ~DemoTiles() {
        destroy_resource_caches();
        delete g_file_system;
        g_file_system = nullptr;
    }
};

void BM_RenderBlock(benchmark::State& state) {
    DemoTiles tiles;
    TileParams params;
    MapLevel level = demo_level();
    {
        TileRenderer renderer(params);
        renderer.lighting = state.range(0) != 0;
        delete renderer.render_block(level, 5, 5);  // templates and pictures cached
        for (auto _ : state) {
            Sprite* block = renderer.render_block(level, 5, 5);
            benchmark::DoNotOptimize(block->bitmap()->pixels.data());
            delete block;
        }
    }
    state.SetLabel(state.range(0) ? "lighting" : "no lighting");
}
BENCHMARK(BM_RenderBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same block lit over and over: the pass costs the same whatever the
// pixels, so the picture need not be fresh each time.
void BM_LightBlock(benchmark::State& state) {
    const uint32_t kind = uint32_t(state.range(0));
    Bitmap block(160, 160, false);
    for (size_t i = 0; i < block.pixels.size(); ++i) block.pixels[i] = uint16_t(i * 2654435761u >> 12);
    for (auto _ : state) {
        light_block(block, 0x1102, kind, {480, 320});
        benchmark::DoNotOptimize(block.pixels.data());
    }
    state.SetLabel(kind <= 2 ? "adding" : "scaling");
    state.counters["Mpix/s"] =
        benchmark::Counter(double(state.iterations()) * double(block.pixels.size()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LightBlock)->ArgName("kind")->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

void BM_BuildBlockObjects(benchmark::State& state) {
    DemoTiles tiles;
    TileParams params;
    MapLevel level = demo_level();
    {
        TileRenderer renderer(params);
        SpriteGroup group;
        for (auto _ : state) {
            group.remove_list(renderer.build_block_objects(level, group, 5, 5));
            group.remove_list(renderer.build_block_objects(level, group, 0, 0));
        }
    }
}
BENCHMARK(BM_BuildBlockObjects)->Unit(benchmark::kMicrosecond);

// SDL2 blitting one 32 x 32 RGB565 tile into a 240 x 320 RGB565 screen.
void BM_Sdl565Blit32(benchmark::State& state) {
    const bool keyed = state.range(0) != 0;
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, 240, 320, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* tile = SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 16, SDL_PIXELFORMAT_RGB565);
    auto* pixels = static_cast<uint16_t*>(tile->pixels);
    for (int32_t i = 0; i < 32 * 32; ++i) pixels[i] = (i % 7 == 0) ? kColorKey : uint16_t(i * 37);
    SDL_SetSurfaceBlendMode(tile, SDL_BLENDMODE_NONE);
    if (keyed) SDL_SetColorKey(tile, SDL_TRUE, kColorKey);
    int32_t n = 0;
    for (auto _ : state) {
        SDL_Rect at{(n * 32) % 224, (n * 32) % 288, 32, 32};
        SDL_BlitSurface(tile, nullptr, screen, &at);
        ++n;
    }
    benchmark::DoNotOptimize(screen->pixels);
    SDL_FreeSurface(tile);
    SDL_FreeSurface(screen);
    state.SetLabel(keyed ? "keyed" : "plain");
}
BENCHMARK(BM_Sdl565Blit32)->Arg(0)->Arg(1);

}  // namespace
