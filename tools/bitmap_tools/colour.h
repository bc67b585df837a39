// A picture being drawn by the demo-art tool: 0xAARRGGBB pixels, top row
// first, with the few shapes the tiles, figures and faces are made of, and
// a small seeded noise so that textures look the same on every build.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

inline constexpr uint32_t kKey = 0xFFFF00FF;     // magenta: see-through in the game
inline constexpr uint32_t kClear = 0x00000000;   // transparent in 32-bit pictures

inline uint32_t rgb(int r, int g, int b) {
    return 0xFF000000u | uint32_t(std::clamp(r, 0, 255)) << 16 | uint32_t(std::clamp(g, 0, 255)) << 8 |
           uint32_t(std::clamp(b, 0, 255));
}
inline uint32_t shade(uint32_t c, int delta) {
    return rgb(int((c >> 16) & 255) + delta, int((c >> 8) & 255) + delta, int(c & 255) + delta);
}

// Deterministic noise in 0..255 for a pixel and a seed.
inline int noise(int x, int y, int seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return int((h ^ (h >> 16)) & 255);
}

struct Canvas {
    int width;
    int height;
    std::vector<uint32_t> pixels;

    Canvas(int w, int h, uint32_t fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint32_t get(int x, int y) const { return inside(x, y) ? pixels[size_t(y) * size_t(width) + size_t(x)] : kKey; }
    void set(int x, int y, uint32_t c) {
        if (inside(x, y)) pixels[size_t(y) * size_t(width) + size_t(x)] = c;
    }
    void rect(int x0, int y0, int x1, int y1, uint32_t c) {  // inclusive corners
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) set(x, y, c);
    }
    // Filled ellipse around (cx, cy); top/bottom halves only when asked.
    void ellipse(double cx, double cy, double rx, double ry, uint32_t c, double from_y = -1e9, double to_y = 1e9) {
        for (int y = int(cy - ry) - 1; y <= int(cy + ry) + 1; ++y)
            for (int x = int(cx - rx) - 1; x <= int(cx + rx) + 1; ++x) {
                const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
                if (dx * dx + dy * dy <= 1.0 && y >= from_y && y <= to_y) set(x, y, c);
            }
    }
    void line(int x0, int y0, int x1, int y1, uint32_t c) {
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= steps; ++i) {
            const double t = steps ? double(i) / steps : 0;
            set(int(std::lround(x0 + (x1 - x0) * t)), int(std::lround(y0 + (y1 - y0) * t)), c);
        }
    }
    // Copies another canvas in at (x, y).
    void paste(const Canvas& other, int x, int y) {
        for (int j = 0; j < other.height; ++j)
            for (int i = 0; i < other.width; ++i) set(x + i, y + j, other.get(i, j));
    }
};

// Writes the canvas as a BMP: 24 bits, or 32 bits with its alpha channel.
bool save_picture(const std::filesystem::path& root, const std::string& name, const Canvas& canvas, bool with_alpha);
