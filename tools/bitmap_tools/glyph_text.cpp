#include "tools/bitmap_tools/glyph_text.h"

#include <fstream>
#include <sstream>

namespace {
constexpr int kSpaceWidth = 3;
}

bool read_glyph_set(const std::filesystem::path& path, GlyphSet& glyphs) {
    std::ifstream in(path);
    if (!in) return false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string keyword, character;
        if (!(words >> keyword >> character) || keyword != "glyph" || character.size() != 1) continue;
        std::vector<std::string>& rows = glyphs[character[0]];
        for (std::string row; words >> row;) rows.push_back(row);
    }
    return !glyphs.empty();
}

int text_width(const GlyphSet& glyphs, const std::string& text, int scale) {
    int width = 0;
    for (char c : text) {
        const auto it = glyphs.find(c);
        width += (it == glyphs.end() || it->second.empty() ? kSpaceWidth : int(it->second[0].size())) + 1;
    }
    return width > 0 ? (width - 1) * scale : 0;
}

void draw_text(Canvas& canvas, const GlyphSet& glyphs, const std::string& text, int x, int y, int scale,
               uint32_t colour) {
    for (char c : text) {
        const auto it = glyphs.find(c);
        if (it == glyphs.end() || it->second.empty()) {
            x += (kSpaceWidth + 1) * scale;
            continue;
        }
        const std::vector<std::string>& rows = it->second;
        for (size_t row = 0; row < rows.size(); ++row)
            for (size_t col = 0; col < rows[row].size(); ++col)
                if (rows[row][col] == '#')
                    canvas.fill(x + int(col) * scale, y + int(row) * scale, scale, scale, colour);
        x += (int(rows[0].size()) + 1) * scale;
    }
}

void draw_centred_text(Canvas& canvas, const GlyphSet& glyphs, const std::string& text, int cx, int y, int scale,
                       uint32_t colour) {
    draw_text(canvas, glyphs, text, cx - text_width(glyphs, text, scale) / 2, y, scale, colour);
}
