#include "game/screens/tile_kinds.h"

#include <array>
#include <cstdio>

#include "engine/core/text_helpers.h"

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
