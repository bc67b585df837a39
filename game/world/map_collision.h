// The test of whether a character may step onto a pixel of a level.
#pragma once

#include <functional>
#include <vector>

#include "engine/core/geometry.h"

struct MapLevel;
struct TileParams;

// What the test needs beside the level: where the hero and the other
// characters stand, and the sprites of the view grid that the renderer
// builds (walls, trees, objects). Positions are the characters' pixel
// positions (their top-left corner).
struct CollisionScene {
    const TileParams* params = nullptr;
    bool mover_is_hero = false;
    Point hero;
    // Every character of the level's two actor lists except the mover.
    std::vector<Point> others;
    // The sprite blocks' verdict at (x, y) in the given mode: true blocks.
    // Unset, a point inside the level is free and one outside blocked.
    std::function<bool(int x, int y, int mode)> sprites_block;
};

// True when (x, y) is blocked for the moving character: the hero or another
// character too near (Manhattan distance of the shifted positions below 18),
// a bare cell under one of five probes whose background does not allow
// walking, or the sprites there. A level without grid blocks everywhere.
bool map_collision_test(int x, int y, const MapLevel& level, int mode, const CollisionScene& scene);
