// The engine's fixed-step frame loop: on every frame timer the current scene
// catches up the logic and animation steps that fell due, and one frame is
// drawn when any step ran. Tick counts wrap at 2^32, so stamps are only ever
// compared through their difference.
#pragma once

#include <cstdint>

// Time lost beyond this is dropped instead of replayed.
constexpr uint32_t kMaxCatchUpMs = 600;

// Wrap-safe comparisons of tick counts.
inline bool tick_before(uint32_t stamp, uint32_t now) { return int32_t(stamp - now) < 0; }
inline bool tick_behind_by_more_than(uint32_t stamp, uint32_t now, uint32_t ms) {
    return int32_t(now - stamp) > int32_t(ms);
}

// Runs every logic tick (scene update, then state update) that fell due by
// `now`; returns the number of ticks. The scene and its state are looked up
// again before each call, so a tick may switch either.
int run_logic_ticks(uint32_t now);
// The same for the animation ticks (scene animate, then state animate).
int run_animation_ticks(uint32_t now);
// Both kinds of tick, then one render when any ran; returns the ticks run.
int run_frame(uint32_t now);

// Sets both due stamps of the current scene to now, so that time spent
// loading is not caught up afterwards.
void restart_scene_timers();

// Draws the current scene's changes and presents them (graphics module).
void render_frame();
