#include "tools/bitmap_tools/glyph_text.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

constexpr int kSpaceWidth = 3;
constexpr size_t kGlyphRows = 8;

bool fail(const std::string& where, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", where.c_str(), message.c_str());
    return false;
}

bool has_empty_column(const Glyph& glyph) {
    for (int column = 0; column < glyph.width(); ++column) {
        bool ink = false;
        for (const std::string& row : glyph.rows) ink |= row[size_t(column)] == '#';
        if (!ink) return true;
    }
    return false;
}

}  // namespace

bool read_glyphs(const std::filesystem::path& path, std::vector<Glyph>& glyphs) {
    std::ifstream in(path);
    if (!in) return fail(path.string(), "cannot read");
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        std::string keyword, character;
        if (!(words >> keyword) || keyword[0] == ';') continue;
        const std::string where = path.string() + ":" + std::to_string(number);
        if (keyword != "glyph" || !(words >> character) || character.size() != 1)
            return fail(where, "expected: glyph C rows...");
        Glyph glyph;
        glyph.character = character[0];
        for (std::string row; words >> row;) glyph.rows.push_back(row);
        if (glyph.rows.size() != kGlyphRows) return fail(where, "a glyph has 8 rows");
        for (const std::string& row : glyph.rows)
            if (int(row.size()) != glyph.width() || row.find_first_not_of("#.") != std::string::npos)
                return fail(where, "rows must be equally long and hold only '#' and '.'");
        if (has_empty_column(glyph)) return fail(where, "an empty column would split the glyph");
        glyphs.push_back(glyph);
    }
    if (glyphs.empty()) return fail(path.string(), "no glyphs");
    return true;
}

bool read_glyph_set(const std::filesystem::path& path, GlyphSet& glyphs) {
    std::vector<Glyph> in_order;
    if (!read_glyphs(path, in_order)) return false;
    for (Glyph& glyph : in_order) glyphs[glyph.character] = std::move(glyph.rows);
    return true;
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
