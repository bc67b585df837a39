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

// One character's shape: its rows from the top, "#" ink and "." empty.
struct Glyph {
    char character = 0;
    std::vector<std::string> rows;
    int width() const { return rows.empty() ? 0 : int(rows[0].size()); }
};

// Reads the "glyph C rows..." lines of a glyph file in their order, passing
// over blank lines and ";" comments. False, with the file and line named on
// stderr, for a file that cannot be read or holds no glyph, any other line,
// and a glyph that is not 8 rows of one width of "#" and "." or has an empty
// column (the game's strip scanner would split the glyph there).
bool read_glyphs(const std::filesystem::path& path, std::vector<Glyph>& glyphs);

// Glyph rows by character.
using GlyphSet = std::map<char, std::vector<std::string>>;

// The glyphs of a glyph file (read_glyphs) by character.
bool read_glyph_set(const std::filesystem::path& path, GlyphSet& glyphs);

// Width in pixels of `text` at `scale` (one empty column between glyphs).
int text_width(const GlyphSet& glyphs, const std::string& text, int scale);
// `text` with its top-left corner at (x, y).
void draw_text(Canvas& canvas, const GlyphSet& glyphs, const std::string& text, int x, int y, int scale,
               uint32_t colour);
// `text` centred on the column cx.
void draw_centred_text(Canvas& canvas, const GlyphSet& glyphs, const std::string& text, int cx, int y, int scale,
                       uint32_t colour);
