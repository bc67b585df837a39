#include "game/map_view/tile_kinds.h"

#include <array>
#include <cstdio>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "game/world/tile_cell.h"

namespace {

constexpr std::array<TileKindInfo, kTileKindCount> kKinds = {{
    {nullptr, 0, 1},
    {"tiles/background_%d.bmp", 32, 3},
    {"tiles/tiles_%d.bmp", 32, 4},
    {"tiles/tiledecors_%d.bmp", 32, 2},
    {"tiles/shade_%d.bmp", 32, 1},
    {"tiles/trees_%d.bmp", 32, 4},
    {"tiles/walls_%d.bmp", 32, 4},
    {"tiles/walls16_%d.bmp", 16, 15},
    {"tiles/objects_%d.bmp", 32, 1},
    {"tiles/animobjects_%d.bmp", 32, 8},
    {"tiles/item_%d.bmp", 32, 1},
}};

}  // namespace

const TileKindInfo* tile_kind_info(int32_t kind) {
    if (kind < 1 || kind >= kTileKindCount) return nullptr;
    return &kKinds[size_t(kind)];
}

int32_t tile_file_number(int32_t kind, int32_t index) {
    const TileKindInfo* info = tile_kind_info(kind);
    return info ? index / info->frames_per_file : 0;
}

int32_t tile_frame(int32_t kind, int32_t index) {
    const TileKindInfo* info = tile_kind_info(kind);
    return info ? index % info->frames_per_file : 0;
}

std::u16string tile_file_name(int32_t kind, int32_t file_number) {
    const TileKindInfo* info = tile_kind_info(kind);
    if (!info) return {};
    char name[64];
    std::snprintf(name, sizeof name, info->file_pattern, int(file_number));
    return utf8_to_utf16(name);
}

void add_tile_files(const TileCell& cell, TileFileSet& files) {
    auto want = [&](int32_t kind, int32_t index) { files.insert({kind, tile_file_number(kind, index)}); };
    if (cell.background) want(kTileBackground, 3 * cell.background - 3);
    if (cell.tile) want(kTileGround, cell.tile - 1);
    if (cell.decor) want(kTileDecor, cell.decor - 1);
    if (cell.shade & 0x3F) want(kTileShade, (cell.shade & 0x3F) - 1);
    if ((cell.trees & 0x1F) && (cell.trees >> 6)) want(kTileTree, 4 * (cell.trees & 0x1F) - 4);
    if (cell.wall && (cell.wall >> 30) == 0) want(kTileWall, int32_t(cell.wall) - 1);
    if ((cell.wall >> 30) == 2 && ((cell.wall >> 24) & 0x3F)) {
        const int32_t set = int32_t(cell.wall >> 24) & 0x3F;
        files.insert({kTileWall16, 2 * set - 2});
        files.insert({kTileWall16, 2 * set - 1});
    }
    if (cell.object) want(kTileObject, cell.object - 1);
}

bool tile_value_has_pictures(uint16_t field, uint32_t value) {
    TileCell cell;
    set_cell_field(cell, field, value);
    TileFileSet files;
    add_tile_files(cell, files);
    // An animated object's eight frames fill one file.
    if (cell.state) files.insert({kTileAnimObject, tile_file_number(kTileAnimObject, 8 * cell.state - 8)});
    for (const auto& [kind, file_number] : files) {
        FileHandle* file = g_file_system ? g_file_system->open(tile_file_name(kind, file_number)) : nullptr;
        if (!file) return false;
        g_file_system->close(file);
    }
    return true;
}
