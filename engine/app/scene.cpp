#include "engine/app/scene.h"

#include <cstring>

#include "engine/app/frame_loop.h"
#include "engine/app/screen.h"

Scene* g_current_scene = nullptr;

Scene::Scene(Display* display, std::string_view name) : display_(display), name_(name) {
    create_screen_region();
}

Scene::~Scene() {
    for (GameState* state : states_) delete state;
    states_.clear();
    current_state_ = nullptr;
    destroy_graphics();
    if (g_current_scene == this) g_current_scene = nullptr;
}

void Scene::add_state(std::string_view name, GameState* state) {
    state->name_ = std::string(name);
    state->owner_ = this;
    states_.push_back(state);
}

void Scene::switch_state(const char* name, ScreenArgument argument) {
    if (current_state_) {
        current_state_->leave();
        current_state_ = nullptr;
    }
    if (!name) return;
    for (GameState* state : states_) {
        if (state->name() == name) {
            current_state_ = state;
            state->enter(argument);
            break;
        }
    }
    restart_scene_timers();
}

void Scene::set_key_state(int kind, uint32_t game_key, uint32_t) {
    if (kind == kKeyPress) {
        key_mask_ |= game_key_mask(game_key);
    } else {
        key_mask_ &= ~game_key_mask(game_key);
    }
}

uint32_t game_key_mask(uint32_t game_key) {
    if (game_key <= 19) return 1u << game_key;
    if (game_key == 21) return 1u << 21;
    if (game_key >= 24 && game_key <= 29) return 1u << (game_key - 2);
    return 0;
}
