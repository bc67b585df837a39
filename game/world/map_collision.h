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
    // A monster comes as near as a fight needs; the hero and people keep
    // further apart (characters_too_near).
    bool mover_is_monster = false;
    Point hero;
    // The people of the level (its first actor list) and its monsters (the
    // second), except the mover.
    std::vector<Point> people;
    std::vector<Point> monsters;
    // The sprite blocks' verdict at (x, y) in the given mode: true blocks.
    // Unset, a point inside the level is free and one outside blocked.
    std::function<bool(int x, int y, int mode)> sprites_block;
};

// True when (x, y) is blocked for the moving character: the hero or another
// character too near, a bare cell under one of five probes whose background
// does not allow walking, or the sprites there. A level without grid blocks
// everywhere. (x, y) is the mover's position shifted by 16, 16.
//
// Two characters stand too near when the Manhattan distance of their
// positions is below 18 if one of them is a monster (a monster must come
// within 20 pixels of the hero to start a fight), else below 24: nearer,
// the front figure would be drawn across the other's body; at 24 its head
// covers no more than the other's legs, and the walking screen's reach for
// an action (24) and for a talk (32) still take in a person standing there.
bool map_collision_test(int x, int y, const MapLevel& level, int mode, const CollisionScene& scene);
