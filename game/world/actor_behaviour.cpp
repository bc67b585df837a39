// What people and monsters do on their own each frame, by behaviour kind.
#include <algorithm>
#include <cstdlib>

#include "engine/core/crt_random.h"
#include "game/world/actor.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/world.h"

namespace {

constexpr int kNearHero = 45;        // pixels: the near-hero counter runs
constexpr int kNearestNearCount = 200;  // a counter of 1..199 is "near"
constexpr int kHostileReach = 99;
constexpr int kWanderRange = 100;
constexpr int kWanderDraws = 500;
constexpr int kWanderSpacing = 40;
constexpr int kPaceReach = 30;
constexpr int kPathPatience = 10;

int random_between(int lo, int hi) { return lo + crt_rand() % (hi - lo + 1); }

int sentry_direction(int behaviour) {
    static constexpr int kFacing[] = {10, 30, 0, 20};  // north, south, west, east
    return kFacing[behaviour - 6];
}

}  // namespace

void Actor::update() {
    if (!world) return;
    ++frame_count;
    const HeroActor& hero = world->hero();
    const int distance = int(distance_to(hero.position()) >> 16);
    near_hero = distance < kNearHero ? std::min(near_hero + 1, kNearestNearCount) : 0;
    const bool near = near_hero >= 1 && near_hero < kNearestNearCount;

    if (!surroundings_built) return drift(hero, distance, near);
    if (!path.empty()) return walk_path();

    switch (behaviour) {
    case 1: return wander(hero, distance, near);
    case 2:
    case 3: return pace(hero, distance, near);
    case 4: return keep_company(hero, distance);
    case 5:
        if (distance < 80) step_away_from(hero.position());
        return;
    case 6:
    case 7:
    case 8:
    case 9:
        if (near) return face_point(hero.position());
        turn_toward(sentry_direction(behaviour));
        return;
    default:
        if (behaviour > 10) return;
        return drift(hero, distance, near);
    }
}

void Actor::walk_path() {
    const PathNode node = path.front();
    const int result = step_toward(node.x * 32, node.y * 32, true);
    if (result == kNoProgress) ++path_stalls;
    if (result == kArrived || path_stalls >= kPathPatience) {
        path.erase(path.begin());
        path_stalls = 0;
    }
}

void Actor::face_point(Point target) {
    const int wanted = facing_from_vector(target.x - x, target.y - y);
    if (wanted >= 0) turn_toward(wanted);
}

void Actor::step_away_from(Point from) { walk_at({2 * x - from.x, 2 * y - from.y}); }

bool Actor::draw_wander_target() {
    for (int draw = 0; draw < kWanderDraws; ++draw) {
        const int tx = home_x + random_between(-kWanderRange, kWanderRange);
        const int ty = home_y + random_between(-kWanderRange, kWanderRange);
        if (blocked_at(tx + 16, ty + 16)) continue;
        if (blocked_at((tx + x) / 2 + 16, (ty + y) / 2 + 16)) continue;
        bool crowded = false;
        if (level) {
            auto too_close = [&](const Actor* other) {
                return other && other != this && std::abs(other->x - tx) + std::abs(other->y - ty) < kWanderSpacing;
            };
            for (const Actor* other : level->actors) crowded = crowded || too_close(other);
            for (const auto& other : level->extra_actors) crowded = crowded || too_close(other.get());
        }
        if (crowded) continue;
        wander_x = tx;
        wander_y = ty;
        return true;
    }
    return false;
}

void Actor::wander(const Actor& hero, int distance, bool near) {
    if (hostile && distance <= kHostileReach) return walk_at(hero.position());
    if (near) return face_point(hero.position());
    if (frame_count % 2 != 0) return;
    if (wander_state == 0) {
        if (!draw_wander_target()) {
            facing = crt_rand() % kFacings;
            show_frame();
            return;
        }
        wander_state = 1;
    }
    const int result = step_toward(wander_x, wander_y, true);
    if (result == kArrived || result == kNoProgress) wander_state = 0;
}

void Actor::pace(const Actor& hero, int distance, bool near) {
    if (hostile && distance <= kHostileReach) return walk_at(hero.position());
    if (near) return face_point(hero.position());
    const int offset = wander_state ? kPaceReach : -kPaceReach;
    const Point target = behaviour == 2 ? Point{home_x + offset, home_y} : Point{home_x, home_y + offset};
    if (step_toward(target.x, target.y, true) == kArrived) wander_state = !wander_state;
}

void Actor::keep_company(const Actor& hero, int distance) {
    running = hero.running;
    if (distance < 40) return step_away_from(hero.position());
    if (distance <= 55) {
        approaching = false;
        return;
    }
    if (distance <= 80) {
        if (approaching) walk_at(hero.position());
        return;
    }
    approaching = true;
    if (distance <= 100) return walk_at(hero.position());
    // Far behind: catch up to a point beside the hero on the nearer axis.
    const int dx = x - hero.x;
    const int dy = y - hero.y;
    if (std::abs(dx) < std::abs(dy)) walk_at({hero.x, hero.y + (dy < 0 ? -20 : 20)});
    else walk_at({hero.x + (dx < 0 ? -20 : 20), hero.y});
}

void Actor::drift(const Actor& hero, int distance, bool near) {
    if (hostile && distance <= kHostileReach) return walk_at(hero.position());
    if (near) return face_point(hero.position());
    if (frame_count % 100 == 0) drift_offset = random_between(-15, 15);
    if (frame_count % 2 == 0) {
        const int wanted = facing_from_vector(drift_offset, 3);
        if (wanted >= 0) turn_toward(wanted);
    }
}
