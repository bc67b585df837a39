// The walking screen's action button and action key: trigger tiles the hero
// can act on, people it can talk to, and the walk to them.
#include <cstdlib>

#include "engine/core/fixed_math.h"
#include "engine/graphics/sprite.h"
#include "game/screens/action_executor.h"
#include "game/screens/walking_rules.h"
#include "game/screens/walking_state.h"
#include "game/session/game.h"
#include "game/story/npc_record.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/npc_actor.h"
#include "game/world/trigger.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kTalkReach = 32;
constexpr int32_t kTargetReach = 48;
constexpr int32_t kProbeAhead = 16;

// Whole pixels between two points.
int32_t pixel_distance(Point a, Point b) { return fix_distance(a.x << 16, a.y << 16, b.x << 16, b.y << 16) >> 16; }

// The condition that makes a trigger an action on a tile of this level.
const Condition* action_tile_condition(const Trigger& trigger, uint32_t level_id) {
    for (const Condition& c : trigger.expression.conditions)
        if (c.base_kind() == 6 && (c.aux & 1) && c.id == level_id) return &c;
    return nullptr;
}

Point condition_tile(const Condition& c) { return {int32_t(c.value & 0xFFFF), int32_t(c.value >> 16)}; }
Point tile_pixels(Point tile) { return {tile.x * kTilePixels, tile.y * kTilePixels}; }

bool next_to(Point tile, Point cell) {
    return (tile.x == cell.x && std::abs(tile.y - cell.y) <= 1) || (tile.y == cell.y && std::abs(tile.x - cell.x) <= 1);
}

template <class Visit>
void for_each_action_tile(World& world, const MapLevel& level, Visit visit) {
    for (int index : level.trigger_indexes) {
        if (index < 0 || size_t(index) >= world.triggers.size()) continue;
        const Trigger& trigger = *world.triggers[size_t(index)];
        if (trigger.fired && !trigger.repeatable) continue;
        if (const Condition* c = action_tile_condition(trigger, level.id))
            if (visit(trigger, *c)) return;
    }
}

}  // namespace

bool WalkingState::trigger_tile_near_hero(Point* tile) const {
    if (!level_) return false;
    const HeroActor& h = world->hero();
    const Point cell{(h.x + 16) / kTilePixels, (h.y + 28) / kTilePixels};
    bool found = false;
    for_each_action_tile(*world, *level_, [&](const Trigger& trigger, const Condition& tile_condition) {
        if (!next_to(condition_tile(tile_condition), cell)) return false;
        for (const Condition& other : trigger.expression.conditions)
            if (&other != &tile_condition && !other.holds(*world)) return false;
        if (tile) *tile = condition_tile(tile_condition);
        return found = true;
    });
    return found;
}

bool WalkingState::person_to_talk_near_hero() const {
    const NpcActor* person = nearest_person(world->hero().position(), kTalkReach, kTalkReach);
    return person && person->record() && !person->record()->topics.empty();
}

void WalkingState::check_action_button() { show_action_button(trigger_tile_near_hero(nullptr) || person_to_talk_near_hero()); }

void WalkingState::show_action_button(bool shown) {
    action_available_ = shown;
    if (!action_sprite_) return;
    action_sprite_->set_alpha(shown ? 32 : 0);
    action_sprite_->set_visible(shown ? 1 : 0);
}

NpcActor* WalkingState::nearest_person(Point at, int32_t bound, int32_t within) const {
    if (!level_) return nullptr;
    NpcActor* nearest = nullptr;
    int32_t best = bound;
    for (Actor* actor : level_->actors) {
        const int32_t d = pixel_distance(actor->position(), at);
        if (d < best && d < within) {
            best = d;
            nearest = static_cast<NpcActor*>(actor);
        }
    }
    return nearest;
}

bool WalkingState::find_action_target() {
    if (!action_available_ || !level_) return false;
    const HeroActor& h = world->hero();
    const Point probe = h.position() + facing_step(h.facing, kProbeAhead);
    std::optional<Point> target;
    int32_t best = 50;
    if (const NpcActor* person = nearest_person(probe, best, kTargetReach)) {
        target = person->position();
        best = pixel_distance(person->position(), probe);
    }
    action_at_person_ = target.has_value();
    for_each_action_tile(*world, *level_, [&](const Trigger&, const Condition& c) {
        const Point at = tile_pixels(condition_tile(c));
        const int32_t d = pixel_distance(at, probe);
        if (d < best && d < kTargetReach) {
            target = at;
            best = d;
            action_at_person_ = false;
        }
        return false;
    });
    Point tile;
    if (!target && trigger_tile_near_hero(&tile)) target = tile_pixels(tile);
    if (!target) return false;
    action_target_ = *target;
    if (!within_action_reach(h.position(), *target)) {
        const Point offset = map_offset();
        walk_mode_ = kWalkToAction;
        action_offset_ = {target->x - offset.x + 16, target->y - offset.y + 24};
    }
    action_pending_ = true;
    return true;
}

bool WalkingState::talk_to_nearest(Point at) {
    const NpcActor* person = nearest_person(at, 40, kTalkReach);
    if (!person || !person->record()) return false;
    game->screen_subjects.talk_partner = person->record();
    return enter_screen(*game, kTalkingScreen, person->record().get());
}
