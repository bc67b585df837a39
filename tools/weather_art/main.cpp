// weather_art OUT_DIR
//
// Draws the weather's pictures by code, as 32-bit pictures whose alpha the
// game fades by: "weather/rain.bmp" (a thin streak, faint at its tail),
// "weather/snow.bmp" (a soft flake), and "weather/fog.bmp" and
// "weather/redfog.bmp", 480 x 480 banks of mist whose edges meet
// seamlessly, so that the game can tile them 3 by 3.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/bitmap_tools/canvas.h"

namespace {

constexpr int kFogSize = 480;

uint32_t argb(int alpha, int r, int g, int b) {
    return uint32_t(std::clamp(alpha, 0, 255)) << 24 | (rgb(r, g, b) & 0xFFFFFF);
}

Canvas raindrop() {
    Canvas c(3, 12, kClear);
    for (int y = 0; y < c.height; ++y) {
        const int alpha = 40 + 200 * y / (c.height - 1);  // the head, at the bottom, is the brightest
        c.put(1, y, argb(alpha, 200, 215, 255));
        if (y >= c.height / 2) {
            c.put(0, y, argb(alpha / 3, 170, 190, 240));
            c.put(2, y, argb(alpha / 3, 170, 190, 240));
        }
    }
    return c;
}

Canvas snowflake() {
    Canvas c(5, 5, kClear);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const double d = std::hypot(x - 2.0, y - 2.0) / 2.9;
            if (d < 1.0) c.put(x, y, argb(int(std::lround(255 * (1 - d * d))), 250, 252, 255));
        }
    return c;
}

// Noise on a lattice of `cells` x `cells` that wraps round the tile, so
// that its left edge continues its right one (and the top the bottom).
double lattice(int cx, int cy, int cells, int seed) {
    return noise((cx % cells + cells) % cells, (cy % cells + cells) % cells, seed) / 255.0;
}

double smooth(double t) { return t * t * (3 - 2 * t); }

double wrapped_noise(int x, int y, int cells, int seed) {
    const double scale = double(kFogSize) / cells;
    const double fx = x / scale, fy = y / scale;
    const int cx = int(fx), cy = int(fy);
    const double tx = smooth(fx - cx), ty = smooth(fy - cy);
    const double top = lattice(cx, cy, cells, seed) * (1 - tx) + lattice(cx + 1, cy, cells, seed) * tx;
    const double bottom = lattice(cx, cy + 1, cells, seed) * (1 - tx) + lattice(cx + 1, cy + 1, cells, seed) * tx;
    return top * (1 - ty) + bottom * ty;
}

// Banks of mist: four octaves of wrapped noise, thinned so that clear
// patches show the map between them.
Canvas fog(int r, int g, int b, int seed) {
    Canvas c(kFogSize, kFogSize, kClear);
    for (int y = 0; y < kFogSize; ++y)
        for (int x = 0; x < kFogSize; ++x) {
            const double n = 0.5 * wrapped_noise(x, y, 4, seed) + 0.25 * wrapped_noise(x, y, 8, seed + 1) +
                             0.15 * wrapped_noise(x, y, 16, seed + 2) + 0.1 * wrapped_noise(x, y, 40, seed + 3);
            const double density = std::clamp((n - 0.35) / 0.5, 0.0, 1.0);
            const int shade = int(std::lround(20 * (n - 0.5)));
            c.put(x, y, argb(int(std::lround(170 * density)), r + shade, g + shade, b + shade));
        }
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: weather_art OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const bool ok = write_canvas_with_alpha(root, "weather/rain.bmp", raindrop()) &&
                    write_canvas_with_alpha(root, "weather/snow.bmp", snowflake()) &&
                    write_canvas_with_alpha(root, "weather/fog.bmp", fog(225, 228, 232, 11)) &&
                    write_canvas_with_alpha(root, "weather/redfog.bmp", fog(200, 60, 50, 23));
    return ok ? 0 : 1;
}
