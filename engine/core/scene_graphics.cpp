// The part of a scene that draws: its layers, its screen region and the
// frame render. Until the graphics module provides layers, dirty regions and
// the display, a scene has no layers and every frame presents a black screen.
#include "engine/core/frame_loop.h"
#include "engine/core/scene.h"
#include "engine/core/shell.h"
#include "engine/platform/platform.h"

void Scene::create_screen_region() {}
void Scene::destroy_graphics() { layers_.clear(); }
Layer* Scene::create_layer() { return nullptr; }
void Scene::draw_layers(DrawTarget&) {}
void Scene::clear_layer_dirty() {}
void Scene::mark_screen_dirty() {}
void Scene::invalidate_first_layer() {}
void Scene::repaint_all() {}

void render_frame() {
    if (!g_current_scene || !has_platform()) return;
    g_current_scene->pre_render();
    show_black_screen();
    g_current_scene->post_render();
}
