// One frame of a busy screen: about 80 sprites (ground tiles, keyed and
// blended actors, zoomed and rotated ones) change, the layer flushes their
// rectangles and redraws the dirty parts of the 240x320 back buffer. The
// game's frame budget is the 10-12 ms tick.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/resource_caches.h"
#include "engine/pictures/sprite_flags.h"

namespace {

Bitmap* disc_picture(int32_t size) {
    auto* b = new Bitmap(size, size, true);
    std::mt19937 rng{uint32_t(size)};
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            int32_t dx = 2 * x - size + 1, dy = 2 * y - size + 1;
            bool inside = dx * dx + dy * dy < size * size;
            b->pixels[b->index(x, y)] = inside ? uint16_t(rng() & ~0x20u) : kColorKey;
            b->alpha[b->index(x, y)] = inside ? uint8_t(rng() % 33) : 0;
        }
    return b;
}

void run_frames(benchmark::State& state, int moving, bool whole_screen) {
    create_resource_caches();
    Bitmap* tile = disc_picture(32);
    Bitmap* actor = disc_picture(24);
    g_bitmap_cache->add_unnamed(tile);
    g_bitmap_cache->add_unnamed(actor);
    std::vector<uint16_t> screen(240 * 320, 0);
    const DrawTarget target = whole_surface_target(screen.data(), {240, 320});
    {
        Layer layer;
        layer.set_size(240, 320);
        auto* group = new SpriteGroup;
        layer.add(group, 0);
        std::vector<Sprite*> actors;
        const uint32_t styles[] = {TRANS_COLOR, TRANS_COLOR | ALPHA_LAYER, ALPHA_PIXEL, RZ_ZOOMED | TRANS_COLOR,
                                   RZ_ROTOZOOMED | TRANS_COLOR | ALPHA_LAYER, BLT_LIGHTEN | TRANS_COLOR};
        for (int i = 0; i < 80; ++i) {
            auto* s = new Sprite;
            bool ground = i < 60;
            s->set_bitmap(ground ? tile : actor);
            group->add_sprite(s, (i % 8) * 32, (i / 8) * 32, ground ? 0 : 10, 0,
                              ground ? 0 : styles[i % 6] | GRAB_CENTER, 0);
            s->alpha = 20;
            s->zoom = 1400;
            s->rotation = i << 20;
            if (!ground) actors.push_back(s);
        }
        layer.draw(target);
        layer.clear_dirty();
        int frame = 0;
        for (auto _ : state) {
            ++frame;
            for (int i = 0; i < moving && i < int(actors.size()); ++i)
                actors[size_t(i)]->set_position(20 + (frame * 3 + i * 37) % 200, 20 + (frame * 2 + i * 53) % 280,
                                                Sprite::KEEP);
            if (whole_screen) layer.invalidate_all();
            layer.draw(target);
            layer.clear_dirty();
            benchmark::ClobberMemory();
        }
    }
    g_bitmap_cache->release(tile);
    g_bitmap_cache->release(actor);
    destroy_resource_caches();
}

}  // namespace

// All 20 actors, or 5 of them, move over 60 still ground tiles each frame.
BENCHMARK_CAPTURE(run_frames, twenty_moving, 20, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(run_frames, five_moving, 5, false)->Unit(benchmark::kMicrosecond);
// The whole screen redrawn every frame.
BENCHMARK_CAPTURE(run_frames, whole_screen, 20, true)->Unit(benchmark::kMicrosecond);
