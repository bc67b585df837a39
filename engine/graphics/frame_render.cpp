#include "engine/graphics/frame_render.h"

uint32_t g_frame_counter = 0;

namespace {

// A layer redraws only its own dirty cells; where a lower layer changed,
// the layers above it must paint over the new pixels again. So every layer
// also takes the screen's dirty cells. One layer alone already has them all.
void share_screen_changes(std::span<Layer* const> layers, const DirtyRegion& screen_region,
                          const Rect& screen) {
    if (layers.size() < 2) return;
    RectList changed;
    screen_region.to_rects(screen, changed);
    for (Layer* layer : layers) {
        const Point origin = layer->position();
        for (const Rect& r : changed)
            if (!r.empty()) layer->add_to_region(r.offset({-origin.x, -origin.y}));
    }
}

}  // namespace

void render_layers(std::span<Layer* const> layers, DirtyRegion& screen_region, Display& display) {
    ++g_frame_counter;
    if (g_frame_counter % kFullRedrawFrames == 0) {
        screen_region.mark_all();
        if (!layers.empty()) layers[0]->invalidate_all();
    }
    share_screen_changes(layers, screen_region, display.bounds());

    const DrawTarget target = display.draw_target();
    for (Layer* layer : layers) layer->draw(target);
    display.present(screen_region);
    for (Layer* layer : layers) layer->clear_dirty();
}
