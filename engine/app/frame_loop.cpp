#include "engine/app/frame_loop.h"

#include "engine/app/scene.h"
#include "engine/app/screen.h"
#include "engine/core/memory_pool.h"
#include "engine/platform/platform.h"
#include "engine/ui/ui_menu.h"

namespace {

// A menu page drawn restarts the timers, as loading does; installed as the
// program starts.
const bool kPageDrawnHookInstalled = (set_page_drawn_hook(restart_scene_timers), true);

// 0 marks an unset stamp, so a stamp that lands on 0 moves on by one ms.
uint32_t set_stamp(uint32_t value) { return value ? value : 1; }

// The shared shape of both kinds of tick: reset a stamp that is unset or too far
// behind to one period before now, then run a step per period that fell due.
// `stamp_of` picks the stamp, `step` runs the scene's and the state's call.
template <typename StampOf, typename Step>
int run_catch_up(uint32_t now, StampOf stamp_of, Step step) {
    Scene* scene = g_current_scene;
    if (!scene) return 0;
    uint32_t& first = stamp_of(*scene);
    if (first == 0 || tick_behind_by_more_than(first, now, kMaxCatchUpMs)) {
        first = set_stamp(now - stamp_of.period(*scene));
    }
    int steps = 0;
    for (;;) {
        scene = g_current_scene;
        if (!scene) break;
        uint32_t& stamp = stamp_of(*scene);
        if (stamp == 0 || !tick_before(stamp, now)) break;
        stamp = set_stamp(stamp + stamp_of.period(*scene));
        ensure_memory_reserve();
        step(*scene);
        steps++;
    }
    return steps;
}

struct LogicStamp {
    uint32_t& operator()(Scene& s) const { return s.logic_due; }
    uint32_t period(const Scene& s) const { return s.logic_period; }
};
struct AnimationStamp {
    uint32_t& operator()(Scene& s) const { return s.animation_due; }
    uint32_t period(const Scene& s) const { return s.animation_period; }
};

}  // namespace

int run_logic_ticks(uint32_t now) {
    return run_catch_up(now, LogicStamp{}, [](Scene& scene) {
        scene.update();
        if (g_current_scene)
            if (GameState* state = g_current_scene->current_state()) state->update();
    });
}

int run_animation_ticks(uint32_t now) {
    return run_catch_up(now, AnimationStamp{}, [](Scene& scene) {
        scene.animate();
        if (g_current_scene)
            if (GameState* state = g_current_scene->current_state()) state->animate();
    });
}

int run_frame(uint32_t now) {
    const int steps = run_logic_ticks(now) + run_animation_ticks(now);
    if (steps > 0 && g_current_scene) {
        render_frame();
        ensure_memory_reserve();
    }
    return steps;
}

void restart_scene_timers() {
    if (!g_current_scene || !has_platform()) return;
    const uint32_t now = platform().tick_count();
    g_current_scene->logic_due = set_stamp(now);
    g_current_scene->animation_due = set_stamp(now);
}
