// A picture drawn by code for the demo menus: RGB pixels (0xRRGGBB, magenta
// the colour key), rectangles, and text in the demo fonts' glyph shapes
// (data/fonts/glyphs.txt), written as a BMP whose frames stack top to bottom.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

inline constexpr uint32_t kKeyColour = 0xFF00FF;

inline uint32_t rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// Glyph rows ("#" ink) by character.
using GlyphSet = std::map<char, std::vector<std::string>>;
// Reads "glyph C rows..." lines; false when the file cannot be read.
bool read_glyph_set(const std::filesystem::path& path, GlyphSet& glyphs);

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Canvas(int w, int h, uint32_t fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
    void put(int x, int y, uint32_t colour) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
    }
    void fill(int x, int y, int w, int h, uint32_t colour);
    void frame(int x, int y, int w, int h, uint32_t colour);  // one-pixel outline
    // Width in pixels of `text` at `scale` (one empty column between glyphs).
    static int text_width(const GlyphSet& glyphs, const std::string& text, int scale);
    void text(const GlyphSet& glyphs, const std::string& text, int x, int y, int scale, uint32_t colour);
    // Centred on the column cx.
    void centred_text(const GlyphSet& glyphs, const std::string& text, int cx, int y, int scale, uint32_t colour);
};

bool write_canvas(const std::filesystem::path& out, const std::string& name, const Canvas& canvas);
