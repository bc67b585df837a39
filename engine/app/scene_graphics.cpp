// The part of a scene that draws: its layers, its screen region and the
// frame render. A scene made without a display (the shell's stand-in loading
// scene) has no screen of its own; its frames present a black screen.
#include "engine/app/frame_loop.h"
#include "engine/app/scene.h"
#include "engine/app/shell.h"
#include "engine/graphics/display.h"
#include "engine/graphics/frame_render.h"
#include "engine/graphics/layer.h"
#include "engine/platform/platform.h"

namespace {

Size screen_size_of(const Display* display) {
    return display ? Size{display->width(), display->height()} : kScreenSize;
}

}  // namespace

void Scene::create_screen_region() {
    const Size size = screen_size_of(display_);
    screen_region_ = new DirtyRegion({0, 0, size.width, size.height});
    // A new scene's first frame is presented whole.
    screen_region_->mark_all();
}

void Scene::destroy_graphics() {
    for (Layer* layer : layers_) delete layer;
    layers_.clear();
    delete screen_region_;
    screen_region_ = nullptr;
}

Layer* Scene::create_layer() {
    const Size size = screen_size_of(display_);
    auto* layer = new Layer;
    layer->set_size(size.width, size.height);
    layer->set_screen_region(screen_region_);
    layers_.push_back(layer);  // depth 0, after the layers already there
    return layer;
}

void Scene::draw_layers(DrawTarget& target) {
    for (Layer* layer : layers_) layer->draw(target);
}

void Scene::clear_layer_dirty() {
    for (Layer* layer : layers_) layer->clear_dirty();
}

void Scene::mark_screen_dirty() { screen_region_->mark_all(); }

void Scene::invalidate_first_layer() {
    if (!layers_.empty()) layers_.front()->invalidate_all();
}

void Scene::repaint_all() {
    invalidate_first_layer();
    if (display_) display_->invalidate_all(*screen_region_);
}

void render_frame() {
    Scene* scene = g_current_scene;
    if (!scene) return;
    if (!scene->display()) {
        if (!has_platform()) return;
        scene->pre_render();
        show_black_screen();
        scene->post_render();
        return;
    }
    scene->pre_render();
    render_layers(scene->layers(), *scene->screen_region(), *scene->display());
    scene->post_render();
}
