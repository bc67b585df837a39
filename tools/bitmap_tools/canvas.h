// The picture every art tool draws into: width x height pixels of
// 0xAARRGGBB (colour.h), top row first, frames of an animation stacked top
// to bottom, with the few shapes the tools' pictures are made of. It is
// written as a 24-bit BMP (the game keys magenta, so the alpha is dropped),
// or as a 32-bit one for the pictures the game fades by their alpha.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/bitmap_tools/colour.h"

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Canvas(int w, int h, uint32_t fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // The colour key outside the canvas.
    uint32_t get(int x, int y) const {
        return inside(x, y) ? pixels[size_t(y) * size_t(width) + size_t(x)] : kKeyColour;
    }
    // Drawing outside the canvas is clipped, so shapes may run over its edges.
    void put(int x, int y, uint32_t colour) {
        if (inside(x, y)) pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
    }
    void fill(int x, int y, int w, int h, uint32_t colour);
    // The same rectangle given by its two inclusive corners.
    void fill_corners(int x0, int y0, int x1, int y1, uint32_t colour);
    void frame(int x, int y, int w, int h, uint32_t colour);  // one-pixel outline
    // Filled ellipse around (cx, cy), by pixel centres; only the rows from
    // `from_y` to `to_y` when asked.
    void ellipse(double cx, double cy, double rx, double ry, uint32_t colour, double from_y = -1e9,
                 double to_y = 1e9);
    void line(int x0, int y0, int x1, int y1, uint32_t colour);  // one pixel thick
    // Copies another canvas in at (x, y).
    void paste(const Canvas& other, int x, int y);
};

// Writes the canvas to root/name as a 24-bit BMP, or as a 32-bit one that
// keeps the alpha; false (with a message) when the file cannot be written.
bool write_canvas(const std::filesystem::path& root, const std::string& name, const Canvas& canvas);
bool write_canvas_with_alpha(const std::filesystem::path& root, const std::string& name, const Canvas& canvas);

// The colour of pixel (x, y) of frame `frame`.
using FramePainter = std::function<uint32_t(int frame, int x, int y)>;

// A 24-bit picture of `frames` frames stacked top to bottom, each
// width x frame_height, painted pixel by pixel.
bool write_picture(const std::filesystem::path& root, const std::string& name, int width, int frame_height,
                   int frames, const FramePainter& paint);
