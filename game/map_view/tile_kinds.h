// The kinds of tile pictures the map is drawn from: for each, the family of
// bitmap files, the frame size and how a picture index picks a file and a
// frame in it (frames are stacked top to bottom).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>

struct TileCell;

enum TileKind : int32_t {
    kTileBackground = 1,
    kTileGround = 2,
    kTileDecor = 3,
    kTileShade = 4,
    kTileTree = 5,
    kTileWall = 6,
    kTileWall16 = 7,
    kTileObject = 8,
    kTileAnimObject = 9,
    kTileItem = 10,
};
inline constexpr int32_t kTileKindCount = 11;  // kinds are numbered 1..10; 0 is unused

struct TileKindInfo {
    const char* file_pattern;  // printf pattern with the file number
    int32_t frame_size;
    int32_t frames_per_file;
};

// Null for a number that is no kind.
const TileKindInfo* tile_kind_info(int32_t kind);
// Signed division and remainder, as the picture indexes are stored.
int32_t tile_file_number(int32_t kind, int32_t index);
int32_t tile_frame(int32_t kind, int32_t index);
std::u16string tile_file_name(int32_t kind, int32_t file_number);

// The picture files (kind, file number) that drawing the cell needs.
using TileFileSet = std::set<std::pair<int32_t, int32_t>>;
void add_tile_files(const TileCell& cell, TileFileSet& files);
// Whether every picture that a cell field of this value needs is there; a
// save whose tile changes need missing pictures is refused.
bool tile_value_has_pictures(uint16_t field, uint32_t value);
