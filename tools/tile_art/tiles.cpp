// The map's tile pictures: ground, tiles, decorations, shade, trees, walls,
// objects and an animated object. Sheets hold 32 x 32 frames stacked top to
// bottom; the picture numbers the demo story uses are noted at each sheet.
#include <functional>

#include "tools/tile_art/art.h"

namespace {

using Frame = std::function<void(Canvas&, int frame)>;

bool sheet(const std::filesystem::path& root, const std::string& name, int frames, uint32_t fill, const Frame& draw) {
    Canvas whole(32, 32 * frames, fill);
    for (int f = 0; f < frames; ++f) {
        Canvas frame(32, 32, fill);
        draw(frame, f);
        whole.paste(frame, 0, 32 * f);
    }
    return save_picture(root, "tiles/" + name, whole, false);
}

void speckle(Canvas& c, uint32_t base, int seed, int spread) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) c.set(x, y, shade(base, noise(x, y, seed) * spread / 255 - spread / 2));
}

void grass(Canvas& c, int f) {
    speckle(c, rgb(72, 138, 58), 11 + f, 26);
    for (int i = 0; i < 14; ++i) {
        const int x = noise(i, f, 3) % 32, y = noise(i, f, 4) % 30;
        c.line(x, y + 2, x + (i % 3) - 1, y, rgb(104, 170, 76));
    }
}

void earth(Canvas& c, int f) {
    speckle(c, rgb(138, 106, 70), 21 + f, 30);
    for (int i = 0; i < 5; ++i) c.ellipse(noise(i, f, 5) % 30 + 1, noise(i, f, 6) % 30 + 1, 1.5, 1.0, rgb(160, 150, 130));
}

void water(Canvas& c, int f) {
    speckle(c, rgb(52, 92, 158), 31 + f, 14);
    for (int i = 0; i < 4; ++i) {
        const int y = (noise(i, f, 7) % 28) + 2, x = noise(i, f, 8) % 20;
        c.line(x, y, x + 8, y, rgb(120, 160, 210));
    }
}

void cobbles(Canvas& c, int f) {
    for (int row = 0; row < 4; ++row)
        for (int col = -1; col < 4; ++col) {
            const int x = col * 9 + (row % 2) * 4 + 5, y = row * 8 + 4;
            const uint32_t stone = shade(rgb(150, 146, 138), noise(col + 9, row, f) % 40 - 20);
            c.ellipse(x, y, 4.0, 3.2, stone);
            c.set(x - 1, y - 1, shade(stone, 30));
        }
}

void tuft(Canvas& c, int f) {
    for (int i = 0; i < 3 + f; ++i) {
        const int x = 6 + noise(i, f, 9) % 20, y = 10 + noise(i, f, 10) % 18;
        for (int b = -2; b <= 2; ++b) c.line(x, y, x + b * 2, y - 6 + std::abs(b), rgb(60, 120 + 10 * b, 44));
    }
}

void reeds(Canvas& c, int f) {
    for (int i = 0; i < 6 + f; ++i) {
        const int x = 4 + noise(i, f, 12) % 24, top = 4 + noise(i, f, 13) % 10;
        c.line(x, 30, x + (i % 2), top, rgb(96, 130, 50));
        c.rect(x, top, x + 1, top + 4, rgb(110, 72, 36));
    }
}

void tree(Canvas& c, int f) {
    c.rect(14, 20, 17, 31, rgb(96, 64, 38));
    const uint32_t leaves = rgb(40 + 8 * f, 104 + 6 * f, 44);
    c.ellipse(16, 12, 12 - f % 2, 11, shade(leaves, -20));
    c.ellipse(14, 10, 9, 8, leaves);
    c.ellipse(12, 7, 4, 3, shade(leaves, 30));
}

void field_stone(Canvas& c, int f) {
    c.rect(0, 0, 31, 31, rgb(88, 84, 78));
    for (int row = 0; row < 4; ++row)
        for (int col = -1; col < 3; ++col) {
            const int x = col * 13 + (row % 2) * 6 + 7, y = row * 8 + 4;
            c.ellipse(x, y, 6, 3.6, shade(rgb(150, 144, 132), noise(col + 3, row, f) % 36 - 18));
        }
}

void house_wall(Canvas& c, int) {
    c.rect(0, 0, 31, 31, rgb(222, 206, 170));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (noise(x, y, 40) < 24) c.set(x, y, rgb(206, 190, 152));
    c.rect(0, 0, 31, 3, rgb(112, 70, 40));   // beams
    c.rect(0, 28, 31, 31, rgb(112, 70, 40));
    c.rect(0, 0, 3, 31, rgb(112, 70, 40));
    c.line(4, 4, 27, 27, rgb(112, 70, 40));
}

void log(Canvas& c, int) {
    c.ellipse(16, 20, 15, 6, rgb(110, 76, 44));
    c.ellipse(16, 18, 15, 3, rgb(136, 96, 56));
    c.ellipse(3, 20, 3, 5, rgb(190, 150, 96));
}

void doorway(Canvas& c, bool open) {
    house_wall(c, 0);
    c.rect(8, 6, 23, 31, open ? rgb(36, 26, 20) : rgb(140, 92, 48));
    if (!open) {
        c.line(15, 6, 15, 31, rgb(100, 64, 34));
        c.set(20, 19, rgb(220, 200, 90));
    } else {
        c.rect(8, 28, 23, 31, rgb(70, 56, 44));  // threshold
    }
}

void chest(Canvas& c, bool open) {
    c.rect(5, 14, 26, 28, rgb(132, 84, 40));
    c.rect(5, 14, 26, 15, rgb(90, 56, 28));
    c.rect(14, 14, 17, 28, rgb(200, 170, 70));
    if (open) {
        c.rect(5, 6, 26, 13, rgb(104, 66, 32));
        c.rect(8, 12, 23, 15, rgb(240, 210, 80));  // gold inside
    } else {
        c.rect(5, 10, 26, 13, rgb(150, 98, 48));
        c.rect(14, 16, 17, 19, rgb(60, 50, 40));
    }
}

void well(Canvas& c, int) {
    c.ellipse(16, 22, 13, 8, rgb(140, 136, 128));
    c.ellipse(16, 21, 9, 5, rgb(30, 40, 70));
    c.rect(4, 4, 5, 22, rgb(110, 72, 40));
    c.rect(26, 4, 27, 22, rgb(110, 72, 40));
    c.rect(2, 2, 29, 5, rgb(150, 60, 40));
    c.line(16, 5, 16, 16, rgb(190, 180, 160));
}

void brazier(Canvas& c, int f) {
    c.rect(11, 22, 20, 30, rgb(70, 66, 64));
    const double flicker = 1.0 + 0.15 * ((f * 3) % 5 - 2);
    c.ellipse(16, 17, 6 * flicker, 7 * flicker, rgb(230, 110, 30));
    c.ellipse(16 + (f % 3) - 1, 18, 3.5, 4.5 * flicker, rgb(250, 210, 70));
}

void shade_blob(Canvas& c, int) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double d = std::hypot(x - 15.5, y - 15.5) / 16.0;
            c.set(x, y, shade(rgb(0, 0, 0), int(std::clamp(1.0 - d, 0.0, 1.0) * 200)));
        }
}

}  // namespace

bool draw_tiles(const std::filesystem::path& root) {
    bool ok = true;
    // Backgrounds 1 grass, 2 earth, 3 pond: three variations each.
    ok &= sheet(root, "background_0.bmp", 3, kKey, grass);
    ok &= sheet(root, "background_1.bmp", 3, kKey, earth);
    ok &= sheet(root, "background_2.bmp", 3, kKey, water);
    // Tiles 29-32 (cobbles) and 61-64 (grass tufts).
    ok &= sheet(root, "tiles_7.bmp", 4, kKey, cobbles);
    ok &= sheet(root, "tiles_15.bmp", 4, kKey, [](Canvas& c, int f) { tuft(c, f % 3); });
    // Decorations 1-2 (reeds).
    ok &= sheet(root, "tiledecors_0.bmp", 2, kKey, reeds);
    ok &= sheet(root, "shade_0.bmp", 1, kKey, shade_blob);
    ok &= sheet(root, "trees_0.bmp", 4, kKey, tree);
    // Walls 5-8 field stone; 9-12 house wall, house wall, fallen log, log;
    // 121-124 house walls and the open door; 125 the closed door.
    ok &= sheet(root, "walls_1.bmp", 4, kKey, field_stone);
    ok &= sheet(root, "walls_2.bmp", 4, kKey, [](Canvas& c, int f) { f < 2 ? house_wall(c, f) : log(c, f); });
    ok &= sheet(root, "walls_30.bmp", 4, kKey, [](Canvas& c, int f) { f < 3 ? house_wall(c, f) : doorway(c, true); });
    ok &= sheet(root, "walls_31.bmp", 4, kKey, [](Canvas& c, int f) { f == 0 ? doorway(c, false) : house_wall(c, f); });
    // Objects 3/4 (chest closed/open), 7 (well).
    ok &= sheet(root, "objects_2.bmp", 1, kKey, [](Canvas& c, int) { chest(c, false); });
    ok &= sheet(root, "objects_3.bmp", 1, kKey, [](Canvas& c, int) { chest(c, true); });
    ok &= sheet(root, "objects_6.bmp", 1, kKey, well);
    // Animated object 1: a brazier in eight phases.
    ok &= sheet(root, "animobjects_0.bmp", 8, kKey, brazier);
    return ok;
}
