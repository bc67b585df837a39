#include "engine/app/scene_manager.h"

#include "engine/app/frame_loop.h"
#include "engine/app/scene.h"
#include "engine/app/screen.h"
#include "engine/core/text_helpers.h"

SceneManager::~SceneManager() {
    for (Scene* scene : scenes_) delete scene;
    scenes_.clear();
    current_ = nullptr;
}

Scene* SceneManager::find(std::string_view name) const {
    for (Scene* scene : scenes_) {
        if (equals_ignore_case(scene->name(), name)) return scene;
    }
    return nullptr;
}

int SceneManager::add(Scene* scene) {
    scenes_.push_back(scene);
    scene->owner_ = this;
    return 1;
}

int SceneManager::switch_to(std::string_view name, ScreenArgument argument) {
    Scene* next = find(name);
    if (!next) return 0;
    if (current_) current_->leave();
    current_ = next;
    g_current_scene = next;
    next->enter(argument);
    restart_scene_timers();
    return 1;
}

void SceneManager::shutdown() {
    if (current_) {
        // switch_state may have left the scene without a state.
        if (current_->current_state()) current_->switch_state(nullptr, 0);
        current_->leave();
    }
    current_ = nullptr;
    g_current_scene = nullptr;
    for (Scene* scene : scenes_) delete scene;
    scenes_.clear();
}
