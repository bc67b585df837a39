#include "engine/graphics/frame_render.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "engine/graphics/fill_rect.h"
#include "tests/engine/graphics/graphics_test_support.h"

namespace {

const Rect kScreenRect{0, 0, 240, 320};

// What a scene holds for drawing: a display, a screen region and layers.
struct Stage {
    MemorySink sink;
    Display display;
    DirtyRegion screen{kScreenRect};
    std::vector<std::unique_ptr<Bitmap>> pictures;  // fill pictures, not owned by the fills
    std::vector<Layer*> layers;  // owned, in depth order
    std::vector<std::vector<Box*>> boxes;  // per layer
    std::vector<FillRect*> fills;          // per layer

    Stage() { EXPECT_TRUE(display.open(&sink, 1, 240, 320)); }
    ~Stage() {
        for (Layer* layer : layers) delete layer;
    }

    Layer* add_layer(Rect area) {
        auto* layer = new Layer;
        layer->set_position(area.left, area.top);
        layer->set_size(area.width(), area.height());
        layer->set_screen_region(&screen);
        layers.push_back(layer);
        boxes.emplace_back();
        fills.push_back(nullptr);
        return layer;
    }
    void render() { render_layers(layers, screen, display); }
};

TEST(RenderLayers, OnlyDirtyPartsAreDrawnAndPresented) {
    Stage stage;
    Layer* layer = stage.add_layer(kScreenRect);
    auto* box = new Box;
    layer->add_at(box, 0, 0, 0, 0, 0);
    box->set_position(40, 50);
    box->set_size(8, 10);
    g_frame_counter = 0;
    stage.render();
    ASSERT_EQ(stage.sink.calls.size(), 1u) << "a new screen region is presented whole";
    EXPECT_TRUE(layer->region().is_clear());
    EXPECT_TRUE(stage.screen.is_clear());

    box->clips.clear();
    stage.render();
    EXPECT_TRUE(box->clips.empty());
    EXPECT_EQ(stage.sink.calls.size(), 1u) << "nothing changed, nothing presented";

    box->set_color(0x0F0F);
    stage.render();
    ASSERT_EQ(stage.sink.calls.size(), 2u);
    EXPECT_EQ(stage.sink.calls[1].rects, (std::vector<Rect>{{40, 50, 56, 70}}));
    EXPECT_EQ(stage.sink.front()[55 * 240 + 44], box->shade(44, 55));
}

TEST(RenderLayers, EveryTwoHundredthFrameIsWhole) {
    Stage stage;
    Layer* layer = stage.add_layer(kScreenRect);
    auto* fill = new FillRect;
    fill->set_color(0x7777);
    layer->add(fill, 0);
    g_frame_counter = 0;
    stage.render();
    stage.display.pixels()[1000] = 0;  // damage that only a full redraw repairs
    g_frame_counter = 198;
    stage.render();
    EXPECT_EQ(stage.sink.calls.size(), 1u);
    stage.render();  // frame 200
    ASSERT_EQ(stage.sink.calls.size(), 2u);
    EXPECT_TRUE(stage.sink.calls[1].whole);
    EXPECT_EQ(stage.display.pixels()[1000], 0x7777);
    stage.render();
    EXPECT_EQ(stage.sink.calls.size(), 2u);
}

// Builds the same random scene twice; one copy is drawn by dirty regions, the
// other wholly redrawn every frame. After every step both screens must match.
class RandomScene {
public:
    explicit RandomScene(uint32_t seed) : rng_(seed) {}

    void build(Stage& s) {
        std::mt19937 rng = rng_;
        const int layer_count = 1 + int(rng() % 3);
        for (int i = 0; i < layer_count; ++i) {
            Rect area = kScreenRect;
            if (i > 0 && rng() % 2) {
                const int32_t x = int32_t(rng() % 300) - 60, y = int32_t(rng() % 400) - 80;
                area = {x, y, x + 20 + int32_t(rng() % 200), y + 20 + int32_t(rng() % 250)};
            }
            Layer* layer = s.add_layer(area);
            auto* fill = new FillRect;
            fill->set_color(i == 0 ? uint16_t(0x1082) : uint16_t(rng()));
            if (i > 0 && rng() % 2) {
                auto& picture = s.pictures.emplace_back(std::make_unique<Bitmap>(37, 23, false));
                for (auto& p : picture->pixels) p = uint16_t(rng());
                fill->set_bitmap(picture.get(), nullptr);
            }
            layer->add(fill, 0);
            s.fills.back() = fill;
            const int box_count = 2 + int(rng() % 5);
            for (int b = 0; b < box_count; ++b) add_box(s, i, rng);
        }
        rng_seed_ = rng();
    }

    // One random change, made identically on both stages.
    void step(Stage& a, Stage& b, int number) {
        std::mt19937 rng(rng_seed_ + uint32_t(number));
        const int layer = int(rng() % uint32_t(a.layers.size()));
        const uint32_t op = rng() % 8;
        for (Stage* s : {&a, &b}) {
            std::mt19937 r = rng;
            apply(*s, layer, op, r);
        }
    }

private:
    static void add_box(Stage& s, int layer, std::mt19937& rng) {
        const uint32_t flags = (rng() % 2 ? Drawable::kFollowLayerOffset : 0) |
                               (rng() % 2 ? Drawable::kInvalidateOnOffset : 0);
        auto* box = new Box(uint16_t(rng()), flags);
        s.layers[size_t(layer)]->add_at(box, int32_t(rng() % 260) - 20, int32_t(rng() % 340) - 20, 0, 0,
                                1 + rng() % 4);
        box->set_size(1 + int32_t(rng() % 60), 1 + int32_t(rng() % 60));
        s.boxes[size_t(layer)].push_back(box);
    }

    static void apply(Stage& s, int layer, uint32_t op, std::mt19937& rng) {
        auto& boxes = s.boxes[size_t(layer)];
        if (boxes.empty()) op = 5;
        Box* box = boxes.empty() ? nullptr : boxes[rng() % boxes.size()];
        switch (op) {
            case 0: box->set_position(int32_t(rng() % 260) - 20, int32_t(rng() % 340) - 20); break;
            case 1: box->set_size(int32_t(rng() % 70), int32_t(rng() % 70)); break;
            case 2: box->set_visible(!box->is_visible()); break;
            case 3: box->set_color(uint16_t(rng())); break;
            case 4:
                s.layers[size_t(layer)]->remove(box);
                boxes.erase(std::find(boxes.begin(), boxes.end(), box));
                break;
            case 5: add_box(s, layer, rng); break;
            case 6: {
                // Scrolling: followers with the report flag redraw themselves.
                s.layers[size_t(layer)]->set_offset(int32_t(rng() % 20), int32_t(rng() % 20));
                for (Box* b : boxes)
                    if ((b->flags() & Drawable::kFollowLayerOffset) &&
                        !(b->flags() & Drawable::kInvalidateOnOffset))
                        b->invalidate();
                break;
            }
            case 7:
                s.fills[size_t(layer)]->set_color(uint16_t(rng()));
                s.fills[size_t(layer)]->invalidate();
                break;
        }
    }

    std::mt19937 rng_;
    uint32_t rng_seed_ = 0;
};

TEST(RenderLayers, DirtyRedrawEqualsFullRedraw) {
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        Stage dirty, full;
        RandomScene scene(seed);
        scene.build(dirty);
        scene.build(full);
        for (int number = 0; number < 40; ++number) {
            if (number > 0) scene.step(dirty, full, number);
            full.screen.mark_all();
            for (Layer* layer : full.layers) layer->invalidate_all();
            dirty.render();
            full.render();
            const std::vector<uint16_t> shown = dirty.sink.front(), expected = full.sink.front();
            const auto diff = std::mismatch(shown.begin(), shown.end(), expected.begin());
            ASSERT_TRUE(diff.first == shown.end())
                << "seed " << seed << " step " << number << ": pixel " << (diff.first - shown.begin()) % 240
                << "," << (diff.first - shown.begin()) / 240;
            // The screen shows exactly the back buffer after every present.
            ASSERT_TRUE(std::equal(shown.begin(), shown.end(), dirty.display.pixels()));
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), full.display.pixels()));
        }
    }
}

}  // namespace
