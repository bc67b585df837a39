// Shapes the combat and effect pictures are drawn with, on a Canvas of
// frames stacked top to bottom: each frame's drawing is offset by its
// frame's top row.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/bitmap_tools/canvas.h"

// A frame of a stacked canvas: coordinates relative to its top-left.
struct Frame {
    Canvas& canvas;
    int top = 0;

    void put(int x, int y, uint32_t c) const { canvas.put(x, top + y, c); }
    void fill(int x, int y, int w, int h, uint32_t c) const {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) put(x + i, y + j, c);
    }
    // A filled ellipse centred on (cx, cy) with radii rx, ry.
    void ellipse(double cx, double cy, double rx, double ry, uint32_t c) const {
        for (int y = int(cy - ry) - 1; y <= int(cy + ry) + 1; ++y)
            for (int x = int(cx - rx) - 1; x <= int(cx + rx) + 1; ++x) {
                const double dx = (x - cx) / rx, dy = (y - cy) / ry;
                if (dx * dx + dy * dy <= 1.0) put(x, y, c);
            }
    }
    void disc(double cx, double cy, double r, uint32_t c) const { ellipse(cx, cy, r, r, c); }
    // A segment of the given thickness with round ends.
    void line(double x0, double y0, double x1, double y1, double thick, uint32_t c) const {
        const double len = std::max(1.0, std::hypot(x1 - x0, y1 - y0));
        for (double t = 0; t <= len; t += 0.5) {
            const double x = x0 + (x1 - x0) * t / len, y = y0 + (y1 - y0) * t / len;
            disc(x, y, thick / 2, c);
        }
    }
};
