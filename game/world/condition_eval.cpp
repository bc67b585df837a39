// Evaluation of conditions, expressions and triggers against the game state,
// and which levels they concern.
#include <algorithm>

#include "engine/core/crt_random.h"
#include "game/world/action.h"
#include "game/world/expression.h"
#include "game/world/hero_actor.h"
#include "game/world/map_region.h"
#include "game/world/trigger.h"
#include "game/world/world.h"

namespace {

enum ConditionKind : uint8_t {
    kCarriesItem = 1,
    kHasGold = 2,
    kFlagSet = 3,
    kWallState = 4,
    kCellState = 5,
    kTileEvent = 6,
    kConstant = 7,
    kHeroLevel = 8,
    kChance = 9,
    kGoldForLevel = 10,
};

// The state bit of a cell of any level; without a grid (its region file
// cannot be read) the cell has no state to test.
bool cell_state(World& world, uint32_t level_id, uint32_t packed, int mode) {
    MapLevel* level = world.get_level(level_id);
    if (!level || !world.load_level_grid(*level)) return false;
    return level->tile_state(int(packed & 0xFFFF), int(packed >> 16), mode) != 0;
}

bool test(const Condition& c, World& world) {
    const HeroActor& hero = world.hero();
    // Amounts compare unsigned: a negative gold or level never passes.
    const uint32_t gold = uint32_t(hero.gold);
    switch (c.base_kind()) {
    case kCarriesItem: return hero.has_item(c.id);
    case kHasGold: return gold >= c.value;
    case kFlagSet: {
        const FlagRecord* flag = world.get_flag(c.id);
        return flag && flag->value != 0;
    }
    case kWallState: return cell_state(world, c.id, c.value, 1);
    case kCellState: return cell_state(world, c.id, c.value, 0);
    case kTileEvent: {
        const TriggerEvent& e = world.trigger_event;
        return uint32_t(e.kind) == (c.aux & 1u) && e.level_id == c.id && uint32_t(e.tile_x) == (c.value & 0xFFFF) &&
               uint32_t(e.tile_y) == (c.value >> 16);
    }
    case kConstant: return c.value != 0;
    case kHeroLevel: return uint32_t(hero.level_number) >= c.value;
    case kChance: return uint32_t(crt_rand() % 100) < c.value;
    case kGoldForLevel: return int64_t(uint32_t(hero.gold)) >= 10 * int64_t(uint32_t(hero.level_number));
    default: return false;  // no story uses the other kinds
    }
}

bool names_level(const Condition& c, uint32_t level_id) {
    const uint8_t kind = c.base_kind();
    return (kind == kWallState || kind == kCellState || kind == kTileEvent) && c.id == level_id;
}

}  // namespace

bool Condition::holds(World& world) const { return test(*this, world) != negated(); }

bool Condition::uses_level(uint32_t level_id) const { return names_level(*this, level_id); }

bool Expression::holds(World& world) const {
    return std::all_of(conditions.begin(), conditions.end(), [&](const Condition& c) { return c.holds(world); });
}

bool Expression::uses_level(uint32_t level_id) const {
    return std::any_of(conditions.begin(), conditions.end(),
                       [&](const Condition& c) { return c.uses_level(level_id); });
}

bool Action::uses_level(uint32_t level_id) const {
    switch (code) {
    case 769: return expression.uses_level(level_id);
    case 1282: return a == level_id || expression.uses_level(level_id);
    case 770: case 1283: case 1285: return b == level_id;
    case 1026: case 1281: case 1284: return a == level_id;
    default: return false;
    }
}

bool Trigger::is_enabled(World& world) const {
    if (!repeatable && fired) return false;
    return expression.holds(world);
}

bool Trigger::uses_level(uint32_t level_id) const {
    if (expression.uses_level(level_id)) return true;
    const auto& list = actions.entries();
    return std::any_of(list.begin(), list.end(), [&](const auto& e) { return e.action->uses_level(level_id); });
}
