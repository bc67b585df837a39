#include "tools/bitmap_tools/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tools/bitmap_tools/bmp_file.h"

void Canvas::fill(int x, int y, int w, int h, uint32_t colour) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) put(i, j, colour);
}

void Canvas::fill_corners(int x0, int y0, int x1, int y1, uint32_t colour) {
    fill(x0, y0, x1 - x0 + 1, y1 - y0 + 1, colour);
}

void Canvas::frame(int x, int y, int w, int h, uint32_t colour) {
    fill(x, y, w, 1, colour);
    fill(x, y + h - 1, w, 1, colour);
    fill(x, y, 1, h, colour);
    fill(x + w - 1, y, 1, h, colour);
}

void Canvas::ellipse(double cx, double cy, double rx, double ry, uint32_t colour, double from_y, double to_y) {
    for (int y = int(cy - ry) - 1; y <= int(cy + ry) + 1; ++y)
        for (int x = int(cx - rx) - 1; x <= int(cx + rx) + 1; ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0 && y >= from_y && y <= to_y) put(x, y, colour);
        }
}

void Canvas::line(int x0, int y0, int x1, int y1, uint32_t colour) {
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int i = 0; i <= steps; ++i) {
        const double t = steps ? double(i) / steps : 0;
        put(int(std::lround(x0 + (x1 - x0) * t)), int(std::lround(y0 + (y1 - y0) * t)), colour);
    }
}

void Canvas::paste(const Canvas& other, int x, int y) {
    for (int j = 0; j < other.height; ++j)
        for (int i = 0; i < other.width; ++i) put(x + i, y + j, other.get(i, j));
}

namespace {

bool write_canvas_bits(const std::filesystem::path& root, const std::string& name, const Canvas& canvas,
                       uint16_t bits) {
    BmpLayout layout;
    layout.width = canvas.width;
    layout.height = canvas.height;
    layout.bits = bits;
    return save_bmp_file(root, name, layout, canvas.pixels);
}

}  // namespace

bool write_canvas(const std::filesystem::path& root, const std::string& name, const Canvas& canvas) {
    return write_canvas_bits(root, name, canvas, 24);
}

bool write_canvas_with_alpha(const std::filesystem::path& root, const std::string& name, const Canvas& canvas) {
    return write_canvas_bits(root, name, canvas, 32);
}

bool write_picture(const std::filesystem::path& root, const std::string& name, int width, int frame_height,
                   int frames, const FramePainter& paint) {
    Canvas canvas(width, frame_height * frames, kKeyColour);
    for (int f = 0; f < frames; ++f)
        for (int y = 0; y < frame_height; ++y)
            for (int x = 0; x < width; ++x) canvas.put(x, f * frame_height + y, paint(f, x, y));
    return write_canvas(root, name, canvas);
}
