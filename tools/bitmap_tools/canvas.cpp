#include "tools/menu_art/canvas.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/demo_bitmaps/bmp_file.h"

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

void Canvas::fill(int x, int y, int w, int h, uint32_t colour) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) put(i, j, colour);
}

void Canvas::frame(int x, int y, int w, int h, uint32_t colour) {
    fill(x, y, w, 1, colour);
    fill(x, y + h - 1, w, 1, colour);
    fill(x, y, 1, h, colour);
    fill(x + w - 1, y, 1, h, colour);
}

int Canvas::text_width(const GlyphSet& glyphs, const std::string& text, int scale) {
    int width = 0;
    for (char c : text) {
        const auto it = glyphs.find(c);
        width += (it == glyphs.end() || it->second.empty() ? kSpaceWidth : int(it->second[0].size())) + 1;
    }
    return width > 0 ? (width - 1) * scale : 0;
}

void Canvas::text(const GlyphSet& glyphs, const std::string& text, int x, int y, int scale, uint32_t colour) {
    for (char c : text) {
        const auto it = glyphs.find(c);
        if (it == glyphs.end() || it->second.empty()) {
            x += (kSpaceWidth + 1) * scale;
            continue;
        }
        const std::vector<std::string>& rows = it->second;
        for (size_t row = 0; row < rows.size(); ++row)
            for (size_t col = 0; col < rows[row].size(); ++col)
                if (rows[row][col] == '#') fill(x + int(col) * scale, y + int(row) * scale, scale, scale, colour);
        x += (int(rows[0].size()) + 1) * scale;
    }
}

void Canvas::centred_text(const GlyphSet& glyphs, const std::string& text, int cx, int y, int scale,
                          uint32_t colour) {
    this->text(glyphs, text, cx - text_width(glyphs, text, scale) / 2, y, scale, colour);
}

bool write_canvas(const std::filesystem::path& out, const std::string& name, const Canvas& canvas) {
    BmpLayout layout;
    layout.width = canvas.width;
    layout.height = canvas.height;
    return save_bmp_file(out, name, layout, canvas.pixels);
}
