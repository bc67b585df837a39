#include "game/world/actor.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/fixed_math.h"
#include "game/story/item_record.h"
#include "game/world/hero_actor.h"
#include "game/world/map_collision.h"
#include "game/world/map_level.h"
#include "game/world/world.h"

namespace {

ActorSpriteFactory& sprite_factory() {
    static ActorSpriteFactory factory;
    return factory;
}

// Direction 0..7 of each pair of facings: 0 west-ish through the compass.
constexpr int kDirectionOfHalfFacing[20] = {2, 2, 3, 3, 4, 4, 4, 5, 5, 6, 6, 6, 7, 7, 0, 0, 0, 1, 1, 2};
constexpr int kPhaseOffset[4] = {1, 0, 1, 2};

int sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

void set_actor_sprite_factory(ActorSpriteFactory factory) { sprite_factory() = std::move(factory); }

std::unique_ptr<ActorSprite> make_actor_sprite(const Actor& actor, Layer* layer) {
    if (sprite_factory()) return sprite_factory()(actor, layer);
    return std::make_unique<NullActorSprite>();
}

int facing_from_vector(int dx, int dy) {
    const int ax = std::abs(dx);
    const int ay = std::abs(dy);
    if (dx == 0 && dy == 0) return -1;
    if (dx > 0 && 2 * ay < ax) return 20;
    if (dx < 0 && 2 * ay < ax) return 0;
    if (dy > 0 && 2 * ax < ay) return 30;
    if (dy < 0 && 2 * ax < ay) return 10;
    if (dy > 0) return dx < 0 ? 35 : 25;
    return dx < 0 ? 5 : 15;
}

int walk_frame(int facing, int animation, bool animated) {
    const int f = std::clamp(facing, 0, Actor::kFacings - 1);
    const int direction = kDirectionOfHalfFacing[f / 2];
    const int phase = int((unsigned(animation) / 80) % 4);
    const int frame = 3 * direction + kPhaseOffset[phase];
    return animated ? frame : frame / 3;
}

Actor::Actor(World* w, bool is_controlled) : controlled(is_controlled), world(w) {}

Actor::~Actor() = default;

void Actor::init_from_record(int32_t lvl, int32_t dex, int32_t str, int32_t knw, int32_t def, int32_t res) {
    set_level_and_attributes(lvl, dex, str, knw, def, res);
}

void Actor::init_stats(int32_t lvl, int32_t dex, int32_t str, int32_t knw, int32_t def, int32_t res, int32_t spare_value,
                       int32_t attack) {
    set_level_and_attributes(lvl, dex, str, knw, def, res);
    spare = spare_value;
    attack_kind_ = attack;
}

void Actor::set_level_and_attributes(int32_t lvl, int32_t dex, int32_t str, int32_t knw, int32_t def, int32_t res) {
    level_number = lvl;
    dexterity_ = dex;
    strength_ = str;
    knowledge_ = knw;
    defence_ = def;
    resistance_ = res;
    hit_points = hit_points_for_level(lvl);
}

void Actor::take_damage(int32_t amount, bool) { hit_points -= amount; }

bool Actor::use_up_item(InventoryEntry*) { return false; }

bool Actor::can_use_magic(const ItemRecord&) const { return true; }

int Actor::item_index(const InventoryEntry* entry) const {
    for (size_t i = 0; i < inventory.size(); ++i)
        if (inventory[i].get() == entry) return int(i);
    return -1;
}

void Actor::remove_entry(const InventoryEntry* entry) {
    const int index = item_index(entry);
    if (index < 0) return;
    if (current_item == entry) current_item = nullptr;
    forget_entry(entry);
    inventory.erase(inventory.begin() + index);
}

// --- placement and sprite ---------------------------------------------------------

void Actor::place(uint32_t id, int px, int py, int new_facing) {
    level_id = id;
    level = world ? world->get_level(id) : nullptr;
    x = px;
    y = py;
    if (new_facing >= 0 && new_facing < kFacings) facing = new_facing;
    if (sprite_) sprite_->move_to(x, y, y + kSpriteDepthBase);
    show_frame();
}

void Actor::attach_sprite_at(Layer* layer, int px, int py, MapLevel* on_level) {
    x = px;
    y = py;
    attach_sprite(layer, on_level);
}

void Actor::attach_sprite(Layer* layer, MapLevel* on_level) {
    if (on_level) {
        level = on_level;
        level_id = on_level->id;
    }
    layer_ = layer;
    if (!sprite_) sprite_ = make_actor_sprite(*this, layer);
    sprite_->move_to(x, y, y + kSpriteDepthBase);
    show_frame();
}

void Actor::detach_sprite() {
    sprite_.reset();
    layer_ = nullptr;
}

void Actor::show_frame() {
    if (sprite_) sprite_->set_frame(walk_frame(facing, animation, animated));
}

// --- movement -----------------------------------------------------------------------

bool Actor::turn_toward(int target) {
    if (facing == target) {
        if (sprite_) sprite_->move_to(x, y, y + kSpriteDepthBase);
        show_frame();
        return true;
    }
    animation = 0;
    const int a = (target - facing + kFacings) % kFacings;
    const int b = (facing - target + kFacings) % kFacings;
    facing += (a < b || (a == b && target == 0)) ? 1 : -1;
    facing = (facing + kFacings) % kFacings;
    show_frame();
    return false;
}

int Actor::step_toward(int tx, int ty, bool move) {
    int result = kMoved;
    const int rounds = 1 + (running ? 1 : 0);
    for (int round = 0; round < rounds; ++round) {
        next_step += controlled ? 8 : 10 - 2 * (running ? 1 : 0);
        if (next_step < 0) {
            result = kMoved;
            continue;
        }
        next_step -= 10;
        const int dx = tx - x;
        const int dy = ty - y;
        const int target = facing_from_vector(dx, dy);
        if (target < 0) {
            animation = 0;
            show_frame();
            return kArrived;
        }
        if (!turn_toward(target)) return kTurning;
        if (!move) return kNoProgress;
        const int old_x = x;
        const int old_y = y;
        if (dx == 0 || (move_with_collision(sign(dx), 0), x == old_x && y == old_y)) {
            if (dy != 0) move_with_collision(0, sign(dy));
        }
        if (x == old_x && y == old_y) return kNoProgress;
        // Ten times the distance moved, from 16.16 back to whole units.
        const int32_t moved = fix_distance(old_x << 16, old_y << 16, x << 16, y << 16);
        const int step = int((int64_t(moved) * 10) >> 16);
        next_step -= step;
        animation += step;
        if (sprite_) sprite_->move_to(x, y, y + kSpriteDepthBase);
        show_frame();
        result = kMoved;
    }
    return result;
}

namespace {

// The collision scene of a moving character: the hero and everyone else of
// the level's two lists.
CollisionScene collision_scene(const Actor& mover, const World* world) {
    CollisionScene scene;
    if (!world) return scene;
    scene.params = &world->tile_params;
    const HeroActor& hero = world->hero();
    scene.mover_is_hero = &mover == &hero;
    scene.mover_is_monster = mover.hostile;
    scene.hero = hero.position();
    if (mover.level) {
        for (const Actor* other : mover.level->actors)
            if (other && other != &mover) scene.people.push_back(other->position());
        for (const auto& other : mover.level->extra_actors)
            if (other && other.get() != &mover) scene.monsters.push_back(other->position());
    }
    scene.sprites_block = world->view_grid_blocks;
    return scene;
}

}  // namespace

bool Actor::blocked_at(int px, int py) const {
    if (!level) return true;
    return map_collision_test(px, py, *level, controlled ? 1 : 0, collision_scene(*this, world));
}

bool Actor::move_with_collision(int dx, int dy) {
    if (!level) return false;
    const CollisionScene scene = collision_scene(*this, world);
    const int mode = controlled ? 1 : 0;
    auto blocked = [&](int px, int py) { return map_collision_test(px, py, *level, mode, scene); };
    const int px = x + 16 + dx;
    const int py = y + 16 + dy;
    if (!blocked(px, py)) {
        x += dx;
        y += dy;
        return false;
    }
    // Perpendicular to the step: (sx, sy) is one pixel sideways.
    const int sx = dy != 0 ? 1 : 0;
    const int sy = dx != 0 ? 1 : 0;
    auto side_free = [&](int offset) {
        const int bx = x + 16 + sx * offset;
        const int by = y + 16 + sy * offset;
        return !blocked(bx, by) && !blocked(bx + dx, by + dy);
    };
    auto nearest = [&](int direction) {
        for (int offset = 1; offset < 20; offset += 2)
            if (side_free(direction * offset)) return offset;
        return 0;
    };
    const int plus = nearest(1);
    const int minus = nearest(-1);
    if (plus == minus) return false;  // a tie, or no way round
    const int direction = (minus == 0 || (plus != 0 && plus < minus)) ? 1 : -1;
    x += sx * direction;
    y += sy * direction;
    return true;
}

std::string Actor::region_name() const { return level ? level->region_name() : std::string(); }

int32_t Actor::distance_to(Point p) const { return fix_distance(x << 16, y << 16, p.x << 16, p.y << 16); }
