#include "game/map_view/transition.h"

#include "engine/app/screen.h"
#include "game/map_view/fade_control.h"

namespace {

bool carries_scene_change(int32_t kind) { return kind == kTransitionChangeLevel || kind == kTransitionCombat; }

}  // namespace

void TransitionRunner::deliver_end(GameState* current, int code, const TransitionEvent& ended) {
    const int taken = current->on_event(code, ended.kind, ended.a, ended.b);
    if (!taken && carries_scene_change(ended.kind)) deferred_ = std::make_pair(code, ended);
}

void TransitionRunner::step(GameState* current, GameState* walking, FadeControl& main_fade,
                            FadeControl& upper_fade, const std::function<void()>& draw_frame) {
    if (!current) return;
    if (deferred_ && current == walking) {
        const auto [code, ended] = *deferred_;
        deferred_.reset();
        current->on_event(code, ended.kind, ended.a, ended.b);
    }
    switch (event_.type) {
    case kTransitionFadeIn: {
        const int before = main_fade.level();
        main_fade.add_level(-1);
        if (main_fade.level() == before) {
            const TransitionEvent ended = event_;
            event_ = {};
            deliver_end(current, kEventFadedIn, ended);
        }
        break;
    }
    case kTransitionFadeOut:
    case kTransitionFadeOutUpper: {
        FadeControl& fade = event_.type == kTransitionFadeOut ? main_fade : upper_fade;
        const int step = event_.type == kTransitionFadeOut ? 1 : 2;
        current->on_event(kEventFadeStep, event_.kind, event_.a, event_.b);
        const int before = fade.level();
        fade.add_level(step);
        if (fade.level() == before) {
            const TransitionEvent ended = event_;
            event_ = {};
            if (draw_frame) draw_frame();  // show the dark screen before the state acts
            deliver_end(current, kEventFadedOut, ended);
        }
        break;
    }
    default:
        break;
    }
}
