#include "game/world/tile_params.h"

#include "engine/files/ini_file.h"

namespace {

// Entry i of a table is value i % 10 of the (i / 10)-th "Param" line of the
// section; missing entries stay 0.
template <size_t N>
void read_param_table(IniFile& document, const char* section, std::array<uint8_t, N>& table) {
    for (size_t i = 0; i < N; ++i)
        table[i] = uint8_t(document.get_int(0, "Param", section, int32_t(i / 10), int32_t(i % 10)));
}

}  // namespace

void TileParams::read(IniFile& document) {
    read_param_table(document, "AnimObjs", anim_objects);
    read_param_table(document, "Objs", objects);
    read_param_table(document, "Walls", walls);
    read_param_table(document, "Trees", trees);
    read_param_table(document, "TileDecors", tile_decors);
    read_param_table(document, "Tiles", tiles);
    read_param_table(document, "Backgr", backgrounds);
}
