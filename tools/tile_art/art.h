// The demo-art tool's three families of pictures.
#pragma once

#include <filesystem>

#include "tools/bitmap_tools/canvas.h"

// tiles/*.bmp: ground, tiles, decorations, shade, trees, walls, objects.
bool draw_tiles(const std::filesystem::path& root);
// npc/walk_full/*.bmp (premade sheets) and npc/walk_parts/*.bmp.
bool draw_walk_sheets(const std::filesystem::path& root);
// npc/heads/<part>_<n>.bmp: 32-bit portrait layers with alpha.
bool draw_faces(const std::filesystem::path& root);
