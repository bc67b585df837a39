// Text drawn on a Canvas in the demo fonts' glyph shapes: the rows of "#"
// ink of each character, read from data/fonts/glyphs.txt, each ink pixel a
// square of `scale` pixels.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tools/bitmap_tools/canvas.h"

// Glyph rows ("#" ink) by character.
using GlyphSet = std::map<char, std::vector<std::string>>;

// Reads "glyph C rows..." lines; false when the file cannot be read.
bool read_glyph_set(const std::filesystem::path& path, GlyphSet& glyphs);

// Width in pixels of `text` at `scale` (one empty column between glyphs).
int text_width(const GlyphSet& glyphs, const std::string& text, int scale);
// `text` with its top-left corner at (x, y).
void draw_text(Canvas& canvas, const GlyphSet& glyphs, const std::string& text, int x, int y, int scale,
               uint32_t colour);
// `text` centred on the column cx.
void draw_centred_text(Canvas& canvas, const GlyphSet& glyphs, const std::string& text, int cx, int y, int scale,
                       uint32_t colour);
