// One cell of a level's tile grid, and the packed form the region files
// store grids in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct TileCell {
    uint8_t background = 0;  // picture indexes are 1-based, 0 is empty
    uint8_t tile = 0;
    uint8_t decor = 0;
    uint8_t shade = 0;
    uint8_t trees = 0;
    uint32_t wall = 0;       // bit 0 is the wall's state
    uint16_t object = 0;     // bit 0 of (object - 1) is the object's state
    uint8_t state = 0;       // when not 0, bit 0 of (state - 1) is the cell's state

    bool operator==(const TileCell&) const = default;
};

// Field numbers of the tile-change log.
enum TileField : uint16_t {
    kFieldBackground = 0,
    kFieldTile = 1,
    kFieldDecor = 2,
    kFieldShade = 3,
    kFieldTrees = 4,
    kFieldWall = 5,
    kFieldObject = 6,
    kFieldState = 7,
    kTileFieldCount = 8,
};

void set_cell_field(TileCell& cell, uint16_t field, uint32_t value);

// Packed grid: per cell a flag byte, then only the flagged fields: bit 7
// background, 6 tile, 5 shade, 4 trees, 3 wall (u32), 2 object (u16),
// 1 state, 0 decor.
std::vector<uint8_t> encode_tile_grid(const std::vector<TileCell>& cells);
// Exactly `cell_count` cells that use up the whole blob, or nothing.
std::optional<std::vector<TileCell>> decode_tile_grid(const std::vector<uint8_t>& blob, size_t cell_count);
