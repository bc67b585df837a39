// The pictures of the game's own menus: the title page with its entries,
// the settings and about panel, the volume steps, the walk click marker,
// and the save, load and dialog pages.
#pragma once

#include <filesystem>

#include "tools/bitmap_tools/glyph_text.h"

bool draw_game_menus(const std::filesystem::path& out, const GlyphSet& glyphs);
