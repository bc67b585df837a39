// Per-picture tile parameters ("Story\tileparams.ini"), one byte table per
// section. Missing entries are 0.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>

class IniFile;

struct TileParams {
    std::array<uint8_t, 32> anim_objects{};   // "AnimObjs"
    std::array<uint8_t, 833> objects{};       // "Objs"
    std::array<uint8_t, 641> walls{};         // "Walls"
    std::array<uint8_t, 32> trees{};          // "Trees"
    std::array<uint8_t, 257> tile_decors{};   // "TileDecors"
    std::array<uint8_t, 257> tiles{};         // "Tiles"
    std::array<uint8_t, 64> backgrounds{};    // "Backgr": non-zero lets a bare cell be walked on

    // Reads every table from a parsed "tileparams.ini".
    void read(IniFile& document);

    // The "Backgr" entry of a background picture; 0 outside the table.
    uint8_t background(uint8_t index) const { return index < backgrounds.size() ? backgrounds[index] : 0; }
};
