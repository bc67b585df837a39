#include "engine/graphics/frame_render.h"

uint32_t g_frame_counter = 0;

namespace {

// A layer alone redraws its own dirty cells. Several layers must all redraw
// the same pixels, or a change in a lower layer would paint over an upper
// one: each redraws the union of every layer's changes and the screen's.
void draw_together(std::span<Layer* const> layers, DirtyRegion& screen_region,
                   const DrawTarget& target) {
    for (Layer* layer : layers) layer->flush_drawables();
    for (Layer* layer : layers) layer->report_region_to(screen_region);
    RectList rects;
    screen_region.to_rects({0, 0, target.surface.width, target.surface.height}, rects);
    for (Layer* layer : layers) layer->draw_rects(target, rects);
}

}  // namespace

void draw_layers(std::span<Layer* const> layers, DirtyRegion& screen_region, Display& display) {
    ++g_frame_counter;
    if (g_frame_counter % kFullRedrawFrames == 0) {
        screen_region.mark_all();
        if (!layers.empty()) layers[0]->invalidate_all();
    }

    const DrawTarget target = display.draw_target();
    if (layers.size() == 1)
        layers[0]->draw(target);
    else
        draw_together(layers, screen_region, target);
}

void present_layers(std::span<Layer* const> layers, DirtyRegion& screen_region, Display& display) {
    display.present(screen_region);
    for (Layer* layer : layers) layer->clear_dirty();
}

void render_layers(std::span<Layer* const> layers, DirtyRegion& screen_region, Display& display) {
    draw_layers(layers, screen_region, display);
    present_layers(layers, screen_region, display);
}
