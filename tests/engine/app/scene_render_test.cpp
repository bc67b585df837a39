#include <gtest/gtest.h>

#include "engine/app/frame_loop.h"
#include "engine/app/scene.h"
#include "engine/graphics/fill_rect.h"
#include "engine/graphics/frame_render.h"
#include "tests/engine/graphics/graphics_test_support.h"

namespace {

struct CountingScene : Scene {
    using Scene::Scene;
    void pre_render() override { order += "pre "; }
    void post_render() override { order += "post "; }
    std::string order;
};

TEST(SceneRender, CurrentSceneIsDrawnAndPresented) {
    MemorySink sink;
    Display display;
    ASSERT_TRUE(display.open(&sink, 1, 240, 320));
    CountingScene scene(&display, "Load");
    Layer* layer = scene.create_layer();
    EXPECT_EQ(layer->size(), (Size{240, 320}));
    auto* fill = new FillRect;
    fill->set_color(0x4208);
    layer->add(fill, 0);
    auto* box = new Box(0x1111);
    layer->add_at(box, 0, 0, 0, 0, 1);
    box->set_size(16, 16);

    g_current_scene = &scene;
    g_frame_counter = 0;
    render_frame();
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_TRUE(sink.calls[0].whole) << "a new scene presents the whole screen";
    EXPECT_EQ(scene.order, "pre post ");
    EXPECT_EQ(sink.front()[100 * 240 + 100], 0x4208);
    EXPECT_EQ(sink.front()[5 * 240 + 5], box->shade(5, 5));

    box->set_position(50, 60);
    render_frame();
    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_FALSE(sink.calls[1].whole);
    EXPECT_EQ(sink.front()[5 * 240 + 5], 0x4208) << "the old place is repaired";
    EXPECT_EQ(sink.front()[65 * 240 + 55], box->shade(55, 65));

    scene.repaint_all();  // the window was exposed
    render_frame();
    ASSERT_EQ(sink.calls.size(), 3u);
    EXPECT_TRUE(sink.calls[2].whole);
    const std::vector<uint16_t> shown = sink.front();
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), display.pixels()));
    g_current_scene = nullptr;
}

}  // namespace
