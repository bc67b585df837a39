// Portrait layers of 64 x 64 with alpha (32 bits): the game lays head,
// tatoo, eyes, eyebrow, mouth, nose, clothes, hair and extra over each
// other. Every part has pictures 0..5; 0 is a real picture too (for tatoo
// and extra an empty one).
#include <array>
#include <string>

#include "tools/tile_art/art.h"

namespace {

constexpr int kSize = 64;
constexpr int kVariants = 6;
constexpr double kCx = 32, kCy = 30;

const std::array<uint32_t, kVariants> kSkins = {rgb(236, 196, 160), rgb(214, 170, 130), rgb(176, 124, 88),
                                                rgb(120, 84, 60), rgb(244, 214, 190), rgb(200, 150, 110)};
const std::array<uint32_t, kVariants> kHairs = {rgb(60, 40, 30), rgb(170, 70, 30), rgb(210, 180, 100),
                                                rgb(200, 200, 200), rgb(30, 30, 30), rgb(120, 80, 40)};
const std::array<uint32_t, kVariants> kCloth = {rgb(60, 80, 160), rgb(150, 50, 50), rgb(70, 130, 60),
                                                rgb(120, 90, 60), rgb(160, 140, 60), rgb(90, 60, 130)};

void head(Canvas& c, int n) { c.ellipse(kCx, kCy, 17, 21, kSkins[size_t(n)]); }

void tatoo(Canvas& c, int n) {
    if (n == 0) return;
    const uint32_t ink = rgb(40, 70, 120);
    for (int i = 0; i < n + 1; ++i) c.line(20 + i * 2, 33, 22 + i * 2, 38, ink);
}

void eyes(Canvas& c, int n) {
    const std::array<uint32_t, kVariants> iris = {rgb(60, 90, 160), rgb(90, 60, 30), rgb(60, 130, 70),
                                                  rgb(90, 90, 90), rgb(40, 40, 40), rgb(140, 100, 40)};
    for (int side = -1; side <= 1; side += 2) {
        c.ellipse(kCx + side * 7, 27, 4, 2.5, rgb(250, 250, 250));
        c.ellipse(kCx + side * 7, 27, 1.8, 2.2, iris[size_t(n)]);
    }
}

void eyebrow(Canvas& c, int n) {
    for (int side = -1; side <= 1; side += 2)
        for (int t = 0; t <= n % 3; ++t)
            c.line(int(kCx) + side * 3, 22 - t - (n / 3), int(kCx) + side * 11, 23 - t + (n % 2), kHairs[size_t(n)]);
}

void mouth(Canvas& c, int n) {
    const uint32_t lip = rgb(170, 70, 70);
    switch (n % 3) {
        case 0: c.line(26, 42, 38, 42, lip); break;
        case 1:
            c.line(26, 41, 29, 43, lip);
            c.line(29, 43, 35, 43, lip);
            c.line(35, 43, 38, 41, lip);
            break;
        default: c.ellipse(32, 42, 4, 2, rgb(110, 40, 40)); break;
    }
    if (n >= 3) c.line(27, 45, 37, 45, shade(lip, 40));
}

void nose(Canvas& c, int n) {
    const uint32_t edge = rgb(180, 120, 90);
    c.line(32, 29, 32 - (n % 2), 35 + n / 2, edge);
    c.line(32 - (n % 2), 35 + n / 2, 35, 36 + n / 2, edge);
}

void clothes(Canvas& c, int n) {
    const uint32_t cloth = kCloth[size_t(n)];
    c.ellipse(kCx, 66, 30, 15, cloth);
    c.fill_corners(27, 50, 37, 53, kSkins[0]);  // neck
    c.line(24, 52, 32, 58, shade(cloth, -40));
    c.line(40, 52, 32, 58, shade(cloth, -40));
}

void hair(Canvas& c, int n) {
    const uint32_t h = kHairs[size_t(n)];
    c.ellipse(kCx, 18, 18, 11, h, -1e9, 20);
    if (n % 2 == 0) {  // longer hair at the sides
        c.fill_corners(14, 16, 17, 34 + n * 2, h);
        c.fill_corners(47, 16, 50, 34 + n * 2, h);
    }
}

void extra(Canvas& c, int n) {
    switch (n) {
        case 0: break;
        case 1: c.ellipse(14, 36, 1.5, 2.5, rgb(230, 200, 60)); break;  // earring
        case 2:
            c.fill_corners(12, 8, 52, 11, rgb(90, 60, 40));  // hat
            c.fill_corners(20, 0, 44, 8, rgb(110, 76, 50));
            break;
        case 3: c.line(38, 22, 44, 36, rgb(170, 90, 80)); break;  // scar
        case 4:
            for (int side = -1; side <= 1; side += 2) c.ellipse(kCx + side * 7, 27, 5, 4, rgb(40, 40, 40));
            break;
        default: c.ellipse(kCx, 48, 10, 6, kHairs[4]); break;  // beard
    }
}

}  // namespace

bool draw_faces(const std::filesystem::path& root) {
    struct Layer {
        const char* name;
        void (*draw)(Canvas&, int);
    };
    const std::array<Layer, 9> layers = {{{"head", head}, {"tatoo", tatoo}, {"eyes", eyes}, {"eyebrow", eyebrow},
                                          {"mouth", mouth}, {"nose", nose}, {"clothes", clothes}, {"hair", hair},
                                          {"extra", extra}}};
    bool ok = true;
    for (const Layer& layer : layers)
        for (int n = 0; n < kVariants; ++n) {
            Canvas c(kSize, kSize, kClear);
            layer.draw(c, n);
            ok &= write_canvas_with_alpha(root, "npc/heads/" + std::string(layer.name) + "_" + std::to_string(n) + ".bmp", c);
        }
    return ok;
}
