#include "game/world/map_collision.h"

#include <algorithm>
#include <cstdlib>

#include "game/world/map_level.h"
#include "game/world/tile_params.h"

namespace {

constexpr int kTile = 32;
// Manhattan distances below which two characters block each other.
constexpr int kMonsterReach = 18;
constexpr int kFigureSpacing = 24;

// A cell with no tile, object or wall is walked on only where its
// background allows it.
bool bare_cell_blocks(const TileCell& cell, const TileParams* params) {
    if (cell.object != 0 || cell.tile != 0 || (cell.wall & 0xFFFFFF) != 0) return false;
    return !params || params->background(cell.background) == 0;
}

bool probes_block(int x, int y, const MapLevel& level, const TileParams* params) {
    const Point probes[] = {{x / kTile, (y + 16) / kTile},
                            {(x - 8) / kTile, (y + 16) / kTile},
                            {(x + 8) / kTile, (y + 16) / kTile},
                            {x / kTile, (y + 8) / kTile},
                            {x / kTile, (y + 21) / kTile}};
    std::vector<Point> seen;
    for (Point p : probes) {
        p.x = std::clamp(p.x, 0, level.width - 1);
        p.y = std::clamp(p.y, 0, level.height - 1);
        if (std::find(seen.begin(), seen.end(), p) != seen.end()) continue;
        seen.push_back(p);
        if (bare_cell_blocks(*level.cell(p.x, p.y), params)) return true;
    }
    return false;
}

bool characters_too_near(Point mover, Point other, bool monster_among_them) {
    const int apart = std::abs(other.x - mover.x) + std::abs(other.y - mover.y);
    return apart < (monster_among_them ? kMonsterReach : kFigureSpacing);
}

}  // namespace

bool map_collision_test(int x, int y, const MapLevel& level, int mode, const CollisionScene& scene) {
    if (!level.has_grid()) return true;
    const Point mover{x - 16, y - 16};
    const bool monster = scene.mover_is_monster;
    if (!scene.mover_is_hero && characters_too_near(mover, scene.hero, monster)) return true;
    if (probes_block(x, y, level, scene.params)) return true;
    for (Point person : scene.people)
        if (characters_too_near(mover, person, monster)) return true;
    for (Point other : scene.monsters)
        if (characters_too_near(mover, other, true)) return true;
    if (scene.sprites_block) return scene.sprites_block(x, y, mode);
    const bool inside = x >= 0 && x <= level.width * kTile && y >= 0 && y <= level.height * kTile;
    return !inside;
}
