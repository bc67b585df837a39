// effect_art OUT_DIR
//
// Draws, by code, the pictures the combat effects show: a spark for the
// particle effects (three frames, bright to dim), a soft light, three lens
// flares and a rainbow ring, two jagged lightning bolts and a small winged
// flier. Frames are stacked top to bottom; magenta is the colour key.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/bitmap_tools/frame_shapes.h"

namespace {

// A colour between two by t in 0..1.
uint32_t mix(uint32_t a, uint32_t b, double t) {
    const auto ch = [&](int s) {
        const double v = (a >> s & 255) * (1 - t) + (b >> s & 255) * t;
        return std::clamp(int(v + 0.5), 0, 255);
    };
    return rgb(ch(16), ch(8), ch(0));
}

// A glow: a disc that fades from `centre` at its middle to `edge` at its rim.
void glow(const Frame& f, double cx, double cy, double r, uint32_t centre, uint32_t edge) {
    for (int y = int(cy - r) - 1; y <= int(cy + r) + 1; ++y)
        for (int x = int(cx - r) - 1; x <= int(cx + r) + 1; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / r;
            if (d <= 1.0) f.put(x, y, mix(centre, edge, d));
        }
}

bool draw_spark(const std::filesystem::path& out) {
    constexpr int kSize = 7;
    Canvas canvas(kSize, kSize * 3, kKeyColour);
    const uint32_t hearts[3] = {rgb(255, 255, 230), rgb(255, 220, 120), rgb(240, 150, 60)};
    for (int i = 0; i < 3; ++i) {
        const Frame f{canvas, i * kSize};
        glow(f, 3.5, 3.5, 3.5 - i * 0.6, hearts[i], rgb(200, 80, 20));
    }
    return write_canvas(out, "gfx/spark.bmp", canvas);
}

bool draw_light(const std::filesystem::path& out) {
    Canvas canvas(32, 32, kKeyColour);
    const Frame f{canvas, 0};
    glow(f, 16, 16, 15, rgb(255, 255, 240), rgb(180, 150, 80));
    f.line(2, 16, 30, 16, 1.5, rgb(255, 250, 220));
    f.line(16, 2, 16, 30, 1.5, rgb(255, 250, 220));
    return write_canvas(out, "gfx/light.bmp", canvas);
}

bool draw_flare(const std::filesystem::path& out, const std::string& name, int size, uint32_t colour, bool ring) {
    Canvas canvas(size, size, kKeyColour);
    const Frame f{canvas, 0};
    const double r = size / 2.0;
    glow(f, r, r, r - 0.5, colour, shade_percent(colour, 40));
    if (ring) glow(f, r, r, r * 0.6, kKeyColour, kKeyColour);
    return write_canvas(out, "gfx/" + name + ".bmp", canvas);
}

bool draw_rainbow(const std::filesystem::path& out) {
    constexpr int kSize = 48;
    Canvas canvas(kSize, kSize, kKeyColour);
    const uint32_t bands[6] = {rgb(230, 60, 60),  rgb(240, 150, 50), rgb(240, 230, 70),
                               rgb(80, 200, 90), rgb(70, 130, 230), rgb(150, 80, 210)};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const double d = std::hypot(x + 0.5 - kSize / 2.0, y + 0.5 - kSize / 2.0);
            const int band = int((d - 14) / 1.6);
            if (band >= 0 && band < 6) canvas.put(x, y, bands[band]);
        }
    return write_canvas(out, "gfx/rainbow.bmp", canvas);
}

// A bolt from the top down, zigzagging by a fixed pattern of its own.
bool draw_bolt(const std::filesystem::path& out, const std::string& name, const int (&swings)[8]) {
    constexpr int kWidth = 40, kHeight = 170;
    Canvas canvas(kWidth, kHeight, kKeyColour);
    const Frame f{canvas, 0};
    double x = kWidth / 2.0, y = 0;
    for (int i = 0; i < 8; ++i) {
        const double nx = std::clamp(kWidth / 2.0 + swings[i], 3.0, kWidth - 4.0), ny = (i + 1) * kHeight / 8.0;
        f.line(x, y, nx, ny, 5, rgb(150, 170, 255));
        f.line(x, y, nx, ny, 2, rgb(255, 255, 255));
        if (i == 3) f.line(nx, ny, nx + 12, ny + 18, 2, rgb(200, 210, 255));
        x = nx;
        y = ny;
    }
    return write_canvas(out, "gfx/" + name + ".bmp", canvas);
}

// The dragonfly's flier, facing right (the effect turns it the way it flies).
bool draw_flier(const std::filesystem::path& out) {
    Canvas canvas(20, 16, kKeyColour);
    const Frame f{canvas, 0};
    f.ellipse(7, 4, 5, 3, rgb(170, 220, 240));
    f.ellipse(7, 12, 5, 3, rgb(170, 220, 240));
    f.line(2, 8, 14, 8, 3, rgb(40, 140, 110));
    f.disc(16, 8, 2.5, rgb(30, 90, 70));
    f.put(17, 7, rgb(255, 255, 255));
    return write_canvas(out, "combat/fej.bmp", canvas);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: effect_art OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const int left[8] = {-6, 4, -8, 6, -2, 10, -4, 2};
    const int right[8] = {8, -4, 10, -6, 4, -10, 6, -2};
    const bool ok = draw_spark(out) && draw_light(out) &&
                    draw_flare(out, "flair1", 20, rgb(255, 230, 150), false) &&
                    draw_flare(out, "flair2", 14, rgb(150, 220, 255), true) &&
                    draw_flare(out, "flair3", 26, rgb(255, 170, 220), true) && draw_rainbow(out) &&
                    draw_bolt(out, "light1", left) && draw_bolt(out, "light2", right) && draw_flier(out);
    return ok ? 0 : 1;
}
