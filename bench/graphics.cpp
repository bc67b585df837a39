// Frame drawing and presentation: full and dirty redraws, scripted scenes
// (pixels presented against pixels really changed), fills against plain
// memory fills, and the dirty-region operations themselves.
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <vector>

#include "engine/graphics/display.h"
#include "engine/graphics/fill_rect.h"
#include "engine/graphics/frame_render.h"
#include "engine/graphics/layer.h"
#include "engine/platform/front_buffer.h"

namespace {

const Rect kScreen{0, 0, 240, 320};

// Pixels written into the back buffer by the drawables below.
uint64_t g_drawn_pixels = 0;

// A solid opaque rectangle, the cost of the simplest sprite.
class Block : public Drawable {
public:
    explicit Block(uint16_t color) : color_(color) {}
    void draw(const DrawTarget& t) override {
        g_drawn_pixels += uint64_t(t.clip.size().area());
        for (int32_t y = t.clip.top; y < t.clip.bottom; ++y)
            std::fill_n(t.pixel16(t.clip.left, y), t.clip.width(), color_);
    }
    void set_color(uint16_t c) {
        if (c == color_) return;
        color_ = c;
        invalidate();
    }

private:
    uint16_t color_;
};

class CountingFill : public FillRect {
public:
    void draw(const DrawTarget& t) override {
        g_drawn_pixels += uint64_t(t.clip.size().area());
        FillRect::draw(t);
    }
};

struct Stage {
    FrontBuffer screen;
    Display display;
    DirtyRegion region{kScreen};
    std::vector<Layer*> layers;

    Stage() { display.open(&screen, 1, 240, 320); }
    ~Stage() {
        for (Layer* l : layers) delete l;
    }
    Layer* add_layer() {
        auto* l = new Layer;
        l->set_size(240, 320);
        l->set_screen_region(&region);
        layers.push_back(l);
        return l;
    }
    FillRect* add_fill(Layer* layer, uint16_t color) {
        auto* f = new CountingFill;
        f->set_color(color);
        layer->add(f, 0);
        return f;
    }
    Block* add_block(Layer* layer, Rect at, uint16_t color, uint32_t depth) {
        auto* b = new Block(color);
        layer->add_at(b, at.left, at.top, 0, 0, depth);
        b->set_size(at.width(), at.height());
        return b;
    }
    void render() { render_layers(layers, region, display); }
};

void BM_FullRedrawEightFillLayers(benchmark::State& state) {
    Stage s;
    for (int i = 0; i < 8; ++i) s.add_fill(s.add_layer(), uint16_t(0x0841 * (i + 1)));
    for (auto _ : state) {
        for (Layer* l : s.layers) l->invalidate_all();
        s.render();
    }
}

// One scripted scene: `step` changes the scene before each frame.
struct Script {
    const char* name;
    std::function<void(Stage&)> build;
    std::function<void(Stage&, int)> step;
};

std::vector<Block*> g_blocks;  // the blocks of the scene being built

std::vector<Script> scripts() {
    return {
        {"walking_sprite",
         [](Stage& s) {
             Layer* l = s.add_layer();
             s.add_fill(l, 0x2945);
             g_blocks = {s.add_block(l, {20, 100, 52, 132}, 0xFFE0, 1)};
         },
         [](Stage&, int f) { g_blocks[0]->set_position(20 + (f * 2) % 180, 100); }},
        {"ten_sprites",
         [](Stage& s) {
             Layer* l = s.add_layer();
             s.add_fill(l, 0x2945);
             g_blocks.clear();
             for (int i = 0; i < 10; ++i)
                 g_blocks.push_back(s.add_block(l, {i * 20, i * 28, i * 20 + 24, i * 28 + 32}, uint16_t(0x1234 * i), 1));
         },
         [](Stage&, int f) {
             for (size_t i = 0; i < g_blocks.size(); ++i)
                 g_blocks[i]->set_position(int32_t(i) * 20 + (f + int(i) * 7) % 30, int32_t(i) * 28);
         }},
        {"scrolling_map",
         [](Stage& s) {
             Layer* l = s.add_layer();
             s.add_fill(l, 0x2945);
         },
         [](Stage& s, int f) {
             s.layers[0]->set_offset(f % 32, 0);  // the fill reports its whole area
         }},
        {"menu_focus",
         [](Stage& s) {
             Layer* l = s.add_layer();
             s.add_fill(l, 0x0010);
             g_blocks.clear();
             for (int i = 0; i < 6; ++i)
                 g_blocks.push_back(s.add_block(l, {40, 60 + i * 30, 200, 84 + i * 30}, 0x4208, 1));
         },
         [](Stage&, int f) {
             for (size_t i = 0; i < g_blocks.size(); ++i)
                 g_blocks[i]->set_color(int(i) == f % 6 ? 0xFFFF : 0x4208);
         }},
        {"fade_step",
         [](Stage& s) {
             Layer* l = s.add_layer();
             s.add_fill(l, 0);
         },
         [](Stage& s, int f) {
             auto* fill = static_cast<FillRect*>(s.layers[0]->drawables()[0]);
             fill->set_color(uint16_t((f % 32) * 0x0841));
             fill->invalidate();
         }},
    };
}

void BM_ScriptedScene(benchmark::State& state) {
    const Script script = scripts()[size_t(state.range(0))];
    state.SetLabel(script.name);
    Stage s;
    script.build(s);
    s.render();

    // Counting pass: what the screen really changed against what was sent.
    // 150 frames that keep clear of the periodic whole redraw.
    constexpr int kFrames = 150;
    g_frame_counter = 1;
    std::vector<uint16_t> before(s.display.pixels(), s.display.pixels() + 240 * 320);
    const PresentStats start = s.display.stats();
    uint64_t changed = 0;
    const uint64_t drawn_before = g_drawn_pixels;
    for (int f = 1; f <= kFrames; ++f) {
        script.step(s, f);
        s.render();
        for (size_t i = 0; i < before.size(); ++i) changed += before[i] != s.display.pixels()[i];
        std::memcpy(before.data(), s.display.pixels(), before.size() * 2);
    }
    const PresentStats end = s.display.stats();
    const uint64_t drawn = g_drawn_pixels - drawn_before;

    int f = 0;
    for (auto _ : state) {
        script.step(s, ++f);
        s.render();
    }
    state.counters["presented_px_per_frame"] = double(end.pixels - start.pixels) / kFrames;
    state.counters["changed_px_per_frame"] = double(changed) / kFrames;
    state.counters["drawn_px_per_frame"] = double(drawn) / kFrames;
    state.counters["rects_per_frame"] = double(end.rects - start.rects) / kFrames;
    state.counters["whole_frame_rate"] = double(end.whole_frames - start.whole_frames) / kFrames;
}

void BM_WholeFramePresent(benchmark::State& state) {
    Stage s;
    s.add_fill(s.add_layer(), 0x1234);
    s.render();
    for (auto _ : state) {
        s.region.mark_all();
        s.display.present(s.region);
    }
}

void BM_FillRectFullScreen(benchmark::State& state) {
    std::vector<uint16_t> buffer(240 * 320);
    FillRect fill;
    fill.set_color(uint16_t(state.range(0)));
    Bitmap picture(240, 320, false);
    if (state.range(1)) fill.set_bitmap(&picture, nullptr);
    const DrawTarget t = whole_surface_target(buffer.data(), {240, 320});
    for (auto _ : state) {
        fill.draw(t);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 153600);
    state.SetLabel(state.range(1) ? "bitmap" : state.range(0) ? "colour" : "black");
}

void BM_Memset153600(benchmark::State& state) {
    std::vector<uint8_t> buffer(153600);
    for (auto _ : state) {
        std::memset(buffer.data(), 0, buffer.size());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 153600);
}

void BM_Memcpy153600(benchmark::State& state) {
    std::vector<uint8_t> from(153600, 1), to(153600);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::DoNotOptimize(to.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 153600);
}

void BM_DirtyRegionAddRect(benchmark::State& state) {
    DirtyRegion region(kScreen);
    int32_t i = 0;
    for (auto _ : state) {
        const int32_t x = (i * 37) % 240, y = (i * 53) % 320;
        region.add_rect({x, y, x + 32, y + 32});
        if (++i % 16 == 0) region.clear();
    }
    benchmark::DoNotOptimize(region.area());
}

void BM_DirtyRegionToRects(benchmark::State& state) {
    DirtyRegion region(kScreen);
    for (int i = 0; i < int(state.range(0)); ++i) {
        const int32_t x = (i * 37) % 240, y = (i * 53) % 320;
        region.add_rect({x, y, x + 32, y + 32});
    }
    RectList rects;
    for (auto _ : state) {
        rects.clear();
        region.to_rects(kScreen, rects);
        benchmark::DoNotOptimize(rects.data());
    }
    state.counters["rects"] = double(rects.size());
}

}  // namespace

BENCHMARK(BM_FullRedrawEightFillLayers)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScriptedScene)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WholeFramePresent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillRectFullScreen)->Args({0, 0})->Args({0x1234, 0})->Args({0, 1});
BENCHMARK(BM_Memset153600);
BENCHMARK(BM_Memcpy153600);
BENCHMARK(BM_DirtyRegionAddRect);
BENCHMARK(BM_DirtyRegionToRects)->Arg(1)->Arg(8)->Arg(16);
