// The arithmetic of walking, apart from the screen: which cell the hero
// stands on, where the arrow keys and the pen steer it, how it closes in on a
// walk target and when it leaves the level over an edge.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/core/geometry.h"
#include "engine/ui/game_key.h"
#include "game/world/map_level.h"

class Actor;
class Sprite;
class SpriteGroup;

inline constexpr int32_t kTilePixels = 32;
inline constexpr int32_t kArrowStep = 10;
// A walk target not reached after this many ticks is given up.
inline constexpr int32_t kWalkTimeLimit = 1500;
// The hero acts at once on a target at most this far (|dx| + |dy|) from
// him; a farther one he walks to first.
inline constexpr int32_t kActionReach = 24;
inline constexpr const char* kMessagePage = "menus/io/message.def";

enum WalkMode : int32_t { kWalkNone = 0, kWalkToAction = 1, kWalkByPen = 2 };

// Bits of the held arrow keys in the scene's key mask (game_key_mask).
enum HeldArrow : uint32_t {
    kHeldLeft = 1u << kKeyLeft,
    kHeldRight = 1u << kKeyRight,
    kHeldUp = 1u << kKeyUp,
    kHeldDown = 1u << kKeyDown,
    kArrowKeys = kHeldLeft | kHeldRight | kHeldUp | kHeldDown,
};

// The cell under the hero's feet.
Point hero_cell(const Actor& hero);
// `distance` pixels the way the facing points (facing / 10: 0 left, 1 up,
// 2 right, 3 down).
Point facing_step(int32_t facing, int32_t distance);
// Where the held arrows lead in one tick: 10 pixels along each.
Point arrow_step(Point from, uint32_t held);

// Which axes move toward a walk target this tick: with targets on both axes
// a long walk moves one axis at a time, y and x in turns of 500 ticks.
struct WalkAxes {
    bool x = true;
    bool y = true;
};
WalkAxes walk_axes(Point target, int32_t walk_timer);
// One tick along an axis toward `target`: 10 pixels, or nothing and the
// target cleared when within a pixel of it.
int32_t approach(int32_t from, int32_t target, int32_t* target_cell);

// Whether `target` lies within the action reach of a hero at `hero`.
bool within_action_reach(Point hero, Point target);

// The edge whose exit the step from `at` to `next` takes, tested down,
// left, up, right; none when the level has no exit there.
std::optional<LevelEdge> edge_crossed(const MapLevel& level, Point at, Point next);

// Where a pen at screen (x, y) steers the hero standing at `hero`: far to
// one side when the pen is mostly beside the screen's centre, far up or down
// when mostly above or below it, otherwise far along the line through the
// pen's map point (`map_point`).
Point pen_walk_target(Point screen, Point hero, Point map_point);

// The machine's millisecond tick count (pen press lengths).
uint32_t tick_now();
// Whether the game's files (loose or packed) hold the file.
bool game_file_exists(std::u16string_view name);
// A sprite from its definition, or null (logged) when the file is missing,
// so that a screen still works without its decoration.
Sprite* load_optional_sprite(SpriteGroup& group, std::u16string_view name, Point at, int32_t depth);
