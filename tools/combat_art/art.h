// The combat pictures combat_art draws, one function a family; each writes
// its files below `out` and returns false when a write failed.
#pragma once

#include <filesystem>

#include "tools/bitmap_tools/glyph_text.h"

bool draw_hero_sprites(const std::filesystem::path& out);
bool draw_monster_sprites(const std::filesystem::path& out);
bool draw_screen_pictures(const std::filesystem::path& out, const GlyphSet& glyphs);
