#include "game/screens/walking_rules.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/platform/platform.h"
#include "game/session/game.h"
#include "game/world/actor.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kFarAway = 10000;

}  // namespace

uint32_t tick_now() { return has_platform() ? platform().tick_count() : 0; }

bool game_file_exists(std::u16string_view name) {
    if (!g_file_system) return false;
    FileHandle* handle = g_file_system->open(name);
    if (!handle) return false;
    g_file_system->close(handle);
    return true;
}

Point hero_cell(const Actor& hero) { return {(hero.x + 16) / kTilePixels, (hero.y + 26) / kTilePixels}; }

Point facing_step(int32_t facing, int32_t distance) {
    switch (facing / 10) {
    case 0: return {-distance, 0};
    case 1: return {0, -distance};
    case 2: return {distance, 0};
    default: return {0, distance};
    }
}

Point arrow_step(Point from, uint32_t held) {
    if (held & kHeldLeft) from.x -= kArrowStep;
    if (held & kHeldRight) from.x += kArrowStep;
    if (held & kHeldUp) from.y -= kArrowStep;
    if (held & kHeldDown) from.y += kArrowStep;
    return from;
}

WalkAxes walk_axes(Point target, int32_t walk_timer) {
    if (target.x == 0 || target.y == 0 || walk_timer < 200) return {};
    const bool y_turn = (walk_timer / 500) % 2 == 0;
    return {!y_turn, y_turn};
}

int32_t approach(int32_t from, int32_t target, int32_t* target_cell) {
    if (from < target - 1) return from + kArrowStep;
    if (from > target + 1) return from - kArrowStep;
    *target_cell = 0;
    return from;
}

bool within_action_reach(Point hero, Point target) {
    return std::abs(target.x - hero.x) + std::abs(target.y - hero.y) <= kActionReach;
}

std::optional<LevelEdge> edge_crossed(const MapLevel& level, Point at, Point next) {
    const int32_t right = level.width * kTilePixels - 28;
    const int32_t bottom = level.height * kTilePixels - 28;
    const struct {
        LevelEdge edge;
        bool taken;
    } tests[] = {
        {LevelEdge::Down, at.y > bottom && next.y > at.y},
        {LevelEdge::Left, at.x < -8 && next.x < at.x},
        {LevelEdge::Up, at.y < -8 && next.y < at.y},
        {LevelEdge::Right, at.x > right && next.x > at.x},
    };
    for (const auto& test : tests)
        if (test.taken && level.exit_level(test.edge) != 0 && level.exit_position(test.edge) != 0) return test.edge;
    return std::nullopt;
}

Point pen_walk_target(Point screen, Point hero, Point map_point) {
    const int32_t px = screen.x * 100 / kScreenSize.width - 50;
    const int32_t py = screen.y * 100 / kScreenSize.height - 50;
    if (std::abs(py) < std::abs(px) / 2) return {px < 0 ? -kFarAway : kFarAway, hero.y};
    if (std::abs(px) < std::abs(py) / 2) return {hero.x, py < 0 ? -kFarAway : kFarAway};
    // Computed in 64 bits: far points of a large level do not overflow.
    const auto extend = [](int32_t point, int32_t from) {
        const int64_t v = 100 * int64_t(point) - 99 * int64_t(from);
        return int32_t(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
    };
    return {extend(map_point.x, hero.x), extend(map_point.y, hero.y)};
}

Sprite* load_optional_sprite(SpriteGroup& group, std::u16string_view name, Point at, int32_t depth) {
    if (!game_file_exists(name)) {
        static std::set<std::u16string, std::less<>> told;
        if (told.insert(std::u16string(name)).second)
            std::fprintf(stderr, "tarrowind: no sprite \"%s\"; it is not shown\n", utf16_to_utf8(name).c_str());
        return nullptr;
    }
    return group.create_sprite(name, at.x, at.y, depth, 0, 0, 0);
}
