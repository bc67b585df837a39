// The map's tile pictures: ground, tiles, decorations, shade, trees, walls,
// objects and an animated object. Sheets hold 32 x 32 frames stacked top to
// bottom; the picture numbers the demo story uses are noted at each sheet.
#include <algorithm>
#include <cmath>
#include <cstdlib>
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
    return write_canvas(root, "tiles/" + name, whole);
}

void speckle(Canvas& c, uint32_t base, int seed, int spread) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) c.put(x, y, shade(base, noise(x, y, seed) * spread / 255 - spread / 2));
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
            c.put(x - 1, y - 1, shade(stone, 30));
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
        c.fill_corners(x, top, x + 1, top + 4, rgb(110, 72, 36));
    }
}

void tree(Canvas& c, int f) {
    c.fill_corners(14, 20, 17, 31, rgb(96, 64, 38));
    const uint32_t leaves = rgb(40 + 8 * f, 104 + 6 * f, 44);
    c.ellipse(16, 12, 12 - f % 2, 11, shade(leaves, -20));
    c.ellipse(14, 10, 9, 8, leaves);
    c.ellipse(12, 7, 4, 3, shade(leaves, 30));
}

void field_stone(Canvas& c, int f) {
    c.fill_corners(0, 0, 31, 31, rgb(88, 84, 78));
    for (int row = 0; row < 4; ++row)
        for (int col = -1; col < 3; ++col) {
            const int x = col * 13 + (row % 2) * 6 + 7, y = row * 8 + 4;
            c.ellipse(x, y, 6, 3.6, shade(rgb(150, 144, 132), noise(col + 3, row, f) % 36 - 18));
        }
}

void house_wall(Canvas& c, int) {
    c.fill_corners(0, 0, 31, 31, rgb(222, 206, 170));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (noise(x, y, 40) < 24) c.put(x, y, rgb(206, 190, 152));
    c.fill_corners(0, 0, 31, 3, rgb(112, 70, 40));   // beams
    c.fill_corners(0, 28, 31, 31, rgb(112, 70, 40));
    c.fill_corners(0, 0, 3, 31, rgb(112, 70, 40));
    c.line(4, 4, 27, 27, rgb(112, 70, 40));
}

void log(Canvas& c, int) {
    c.ellipse(16, 20, 15, 6, rgb(110, 76, 44));
    c.ellipse(16, 18, 15, 3, rgb(136, 96, 56));
    c.ellipse(3, 20, 3, 5, rgb(190, 150, 96));
}

void doorway(Canvas& c, bool open) {
    house_wall(c, 0);
    c.fill_corners(8, 6, 23, 31, open ? rgb(36, 26, 20) : rgb(140, 92, 48));
    if (!open) {
        c.line(15, 6, 15, 31, rgb(100, 64, 34));
        c.put(20, 19, rgb(220, 200, 90));
    } else {
        c.fill_corners(8, 28, 23, 31, rgb(70, 56, 44));  // threshold
    }
}

void chest(Canvas& c, bool open) {
    c.fill_corners(5, 14, 26, 28, rgb(132, 84, 40));
    c.fill_corners(5, 14, 26, 15, rgb(90, 56, 28));
    c.fill_corners(14, 14, 17, 28, rgb(200, 170, 70));
    if (open) {
        c.fill_corners(5, 6, 26, 13, rgb(104, 66, 32));
        c.fill_corners(8, 12, 23, 15, rgb(240, 210, 80));  // gold inside
    } else {
        c.fill_corners(5, 10, 26, 13, rgb(150, 98, 48));
        c.fill_corners(14, 16, 17, 19, rgb(60, 50, 40));
    }
}

void well(Canvas& c, int) {
    c.ellipse(16, 22, 13, 8, rgb(140, 136, 128));
    c.ellipse(16, 21, 9, 5, rgb(30, 40, 70));
    c.fill_corners(4, 4, 5, 22, rgb(110, 72, 40));
    c.fill_corners(26, 4, 27, 22, rgb(110, 72, 40));
    c.fill_corners(2, 2, 29, 5, rgb(150, 60, 40));
    c.line(16, 5, 16, 16, rgb(190, 180, 160));
}

// An iron bowl of coals on three legs; its flames lean and leap from phase
// to phase, and a spark rises.
void brazier(Canvas& c, int f) {
    const uint32_t iron = rgb(70, 66, 64);
    c.line(10, 30, 13, 23, iron);
    c.line(21, 30, 18, 23, iron);
    c.line(16, 31, 16, 24, shade(iron, -20));
    const double flicker = 1.0 + 0.15 * ((f * 3) % 5 - 2);
    const int lean = (f % 3) - 1;
    c.ellipse(16 + lean, 15, 5.5 * flicker, 8 * flicker, rgb(230, 110, 30), -1e9, 20);
    c.ellipse(13 - lean, 18, 2.5, 4 * flicker, rgb(230, 110, 30));
    c.ellipse(19 - lean, 18, 2.5, 3.5 / flicker, rgb(230, 110, 30));
    c.ellipse(16 + lean, 17, 3, 4.5 * flicker, rgb(250, 210, 70));
    c.put(16 - lean * 3, 8 - f % 4 * 2, rgb(255, 230, 120));       // a spark
    c.ellipse(16, 22, 8, 3.5, iron);                                 // the bowl
    c.ellipse(16, 21, 6.5, 1.6, rgb(200, 70, 30));                   // its coals
    c.line(9, 22, 23, 22, shade(iron, 30));
}

// Shade pieces are added to (lighten) or taken from (darken) the ground
// beneath, so black leaves it as it is. `strength` gives 0..1 a pixel.
void shade_piece(Canvas& c, uint32_t colour, const std::function<double(int x, int y)>& strength) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double s = std::clamp(strength(x, y), 0.0, 1.0);
            c.put(x, y, rgb(int(((colour >> 16) & 255) * s), int(((colour >> 8) & 255) * s), int((colour & 255) * s)));
        }
}

void shade_blob(Canvas& c, int) {
    shade_piece(c, rgb(200, 200, 200), [](int x, int y) { return 1.0 - std::hypot(x - 15.5, y - 15.5) / 16.0; });
}

// The shadow a wall or stone casts on the cell below it (edge 0) or to its
// right (edge 1), fading away from the edge along a wavering line.
void shade_edge(Canvas& c, int edge) {
    shade_piece(c, rgb(210, 210, 210), [edge](int x, int y) {
        const int along = edge == 0 ? x : y, across = edge == 0 ? y : x;
        const double waver = 2.0 * std::sin(along * 0.6 + edge) + std::sin(along * 1.7);
        return 1.0 - (across + waver) / 20.0;
    });
}

// Leaves' shadow: overlapping soft spots, darkest in the middle of the cell.
void shade_dapple(Canvas& c, int) {
    shade_piece(c, rgb(190, 200, 190), [](int x, int y) {
        double s = 0;
        for (int i = 0; i < 6; ++i) {
            const double cx = 6 + noise(i, 1, 60) % 20, cy = 6 + noise(i, 2, 60) % 20;
            s = std::max(s, 1.0 - std::hypot(x - cx, y - cy) / 9.0);
        }
        return s * (1.1 - std::hypot(x - 15.5, y - 15.5) / 24.0);
    });
}

// Firelight: a warm glow, lightened onto the ground around a brazier.
void shade_glow(Canvas& c, int) {
    // Still bright in the cell's corners, so that the glows of neighbouring
    // cells run together into one pool of light.
    shade_piece(c, rgb(250, 160, 60), [](int x, int y) { return 1.15 - std::hypot(x - 15.5, y - 15.5) / 26.0; });
}

// --- 16-pixel wall quarters of the dry-stone set -------------------------------
// Quarters carry alpha (they are drawn without a colour key): a see-through
// pixel shows the ground. Pictures 1-15 stand at the characters' depth (the
// face of a wall), 16-30 are drawn above them (its crown).

using Quarter = Canvas;

// Flat stones laid in courses, each a little different: the face of a
// dry-stone wall, darker towards its foot. `from_y` leaves the rows above
// it empty (a course that has fallen); `tumbled` shades the stones' corners
// as if they had shifted.
void stone_courses(Quarter& q, int seed, int from_y, int tumbled) {
    q.fill_corners(0, from_y, 15, 15, rgb(58, 54, 48));   // the dark chinks between stones
    for (int course = 0; course < 3; ++course) {
        const int top = course * 5 + 1;
        if (top < from_y) continue;
        for (int x = -(course % 2) * 3; x < 16; x += 6 + noise(course, x, seed) % 3) {
            const int w = 4 + noise(x, course, seed + 1) % 3, sag = noise(x, course, seed + 3) % 2;
            const uint32_t stone = shade(rgb(142, 136, 124), noise(x, course, seed + 2) % 36 - 18 - course * 8);
            q.fill_corners(std::max(x, 0), top + sag, std::min(x + w - 1, 15), top + 3, stone);
            q.line(std::max(x, 0), top + sag, std::min(x + w - 2, 15), top + sag, shade(stone, 24));   // the sunlit edge
            if (tumbled) q.put(std::clamp(x + w - 1, 0, 15), top + 3, shade(stone, -40));
        }
    }
}

// Rough stones seen from above: the crown of the wall, or a cairn's pile.
void stone_crown(Quarter& q, int seed, double roundness) {
    q.fill_corners(0, 0, 15, 15, rgb(84, 80, 72));
    for (int i = 0; i < 7; ++i) {
        const double cx = 2 + noise(i, 0, seed) % 12, cy = 2 + noise(i, 1, seed) % 12;
        const uint32_t stone = shade(rgb(160, 154, 142), noise(i, 2, seed) % 40 - 20);
        q.ellipse(cx, cy, 3.5 + roundness, 2.6 + roundness, shade(stone, -30));
        q.ellipse(cx - 0.5, cy - 0.6, 3.0 + roundness, 2.0 + roundness, stone);
    }
}

void moss(Quarter& q, int seed) {
    for (int i = 0; i < 9; ++i) {
        const int x = noise(i, 3, seed) % 16, y = noise(i, 4, seed) % 16;
        if ((q.get(x, y) >> 24) != 0) q.fill_corners(x, y, x + 1, y, rgb(86, 122, 52));
    }
}

// Clears what lies beyond a ragged line: side -1 the left, +1 the right,
// 2 the top; 3 and 4 round off the top-left and the top-right corner.
void break_off(Quarter& q, int side, int seed) {
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            // Straight breaks are ragged in steps of 2 pixels; rounded corners smooth.
            const int ragged = side <= 2 ? noise((side < 2 ? y : x) / 2, side, seed) % 3 : 0;
            bool gone = false;
            if (side == -1) gone = x < 4 + ragged;
            if (side == 1) gone = x > 11 - ragged;
            if (side == 2) gone = y < 7 + ragged;
            if (side == 3) gone = std::hypot(x - 15.5, y - 15.5) > 15.0;
            if (side == 4) gone = std::hypot(x + 0.5, y - 15.5) > 15.0;
            if (gone) q.put(x, y, kClear);
        }
}

void quarter_picture(Quarter& q, int u) {
    switch (u) {
        case 1: stone_courses(q, 70, 0, 0); break;                               // face
        case 2: stone_courses(q, 71, 0, 0); break_off(q, -1, 71); break;         // face, its left end
        case 3: stone_courses(q, 72, 0, 0); break_off(q, 1, 72); break;          // face, its right end
        case 4: stone_courses(q, 73, 6, 1); break;                               // face, its top course fallen
        case 5: stone_courses(q, 74, 0, 0); moss(q, 74); break;                  // mossy face
        case 6:                                                                  // tumbled stones
            for (int i = 0; i < 4; ++i) {
                const double cx = 3 + noise(i, 0, 75) % 10, cy = 6 + noise(i, 1, 75) % 8;
                q.ellipse(cx, cy, 3.0, 2.2, shade(rgb(120, 116, 106), noise(i, 2, 75) % 30 - 15));
            }
            break;
        case 7: stone_crown(q, 76, 0.6); break;                                  // cairn's flank
        case 8: stone_crown(q, 77, 0.6); break_off(q, 3, 77); break;             // its left end
        case 9: stone_crown(q, 78, 0.6); break_off(q, 4, 78); break;             // its right end
        case 16: stone_crown(q, 80, 0); break;                                   // crown
        case 17: stone_crown(q, 81, 0); break_off(q, -1, 81); break;             // crown, its left end
        case 18: stone_crown(q, 82, 0); break_off(q, 1, 82); break;              // crown, its right end
        case 19: stone_crown(q, 83, 0); break_off(q, 2, 83); break;              // crown half fallen
        case 20: stone_crown(q, 84, 0); moss(q, 84); break;                      // mossy crown
        case 21: stone_crown(q, 85, 0.8); break;                                 // cairn's top
        case 22: stone_crown(q, 86, 0.8); break_off(q, 3, 86); break;            // its left shoulder
        case 23: stone_crown(q, 87, 0.8); break_off(q, 4, 87); break;            // its right shoulder
        default: stone_courses(q, 90 + u, 0, 0); break;                          // spare faces
    }
}

// One file of a set: 15 quarters stacked top to bottom, pictures first..first+14.
bool quarter_sheet(const std::filesystem::path& root, const std::string& name, int first) {
    Canvas whole(16, 16 * 15, kClear);
    for (int i = 0; i < 15; ++i) {
        Quarter q(16, 16, kClear);
        quarter_picture(q, first + i);
        whole.paste(q, 0, 16 * i);
    }
    return write_canvas_with_alpha(root, "tiles/" + name, whole);
}

// --- animated objects: eight phases each ----------------------------------------

// Rings spreading from the spring's source and fading as they go.
void ripples(Canvas& c, int f) {
    for (int ring = 0; ring < 2; ++ring) {
        const double r = 2.0 + ((f + ring * 4) % 8) * 1.7;
        const int light = 90 - int(r * 5);
        for (int a = 0; a < 64; ++a) {
            const double t = a * 3.14159265 / 32;
            c.put(int(16 + r * std::cos(t)), int(16 + r * 0.7 * std::sin(t)), rgb(140 + light, 180 + light / 2, 230));
        }
    }
    c.ellipse(16, 16, 1.5 + (f % 2) * 0.5, 1.0, rgb(220, 240, 255));   // the welling source
}

// A vane on a post, its arrow turning round in the wind; the arrow's far
// end is drawn lighter so that it reads as it swings.
void wind_vane(Canvas& c, int f) {
    c.fill_corners(15, 12, 16, 30, rgb(96, 64, 38));
    c.fill_corners(13, 29, 18, 30, rgb(70, 48, 30));
    const double t = f * 3.14159265 / 4;
    const double dx = 10 * std::cos(t), dy = 4 * std::sin(t);
    c.line(int(16 - dx), int(10 - dy), int(16 + dx), int(10 + dy), rgb(60, 60, 66));
    c.ellipse(16 + dx, 10 + dy, 2.5, 1.8, rgb(200, 60, 40));        // the arrow's head
    c.line(int(16 - dx), int(8 - dy), int(16 - dx), int(12 - dy), rgb(150, 150, 160));   // its tail fin
    c.ellipse(16, 10, 1.5, 1.5, rgb(210, 180, 80));
}

}  // namespace

bool draw_tiles(const std::filesystem::path& root) {
    bool ok = true;
    // Backgrounds 1 grass, 2 earth, 3 pond: three variations each.
    ok &= sheet(root, "background_0.bmp", 3, kKeyColour, grass);
    ok &= sheet(root, "background_1.bmp", 3, kKeyColour, earth);
    ok &= sheet(root, "background_2.bmp", 3, kKeyColour, water);
    // Tiles 29-32 (cobbles) and 61-64 (grass tufts).
    ok &= sheet(root, "tiles_7.bmp", 4, kKeyColour, cobbles);
    ok &= sheet(root, "tiles_15.bmp", 4, kKeyColour, [](Canvas& c, int f) { tuft(c, f % 3); });
    // Decorations 1-2 (reeds).
    ok &= sheet(root, "tiledecors_0.bmp", 2, kKeyColour, reeds);
    // Shade 1 (a spot), 2 and 3 (a wall's shadow below it and to its right),
    // 4 (leaves), 5 (firelight).
    ok &= sheet(root, "shade_0.bmp", 1, kKeyColour, shade_blob);
    ok &= sheet(root, "shade_1.bmp", 1, kKeyColour, [](Canvas& c, int) { shade_edge(c, 0); });
    ok &= sheet(root, "shade_2.bmp", 1, kKeyColour, [](Canvas& c, int) { shade_edge(c, 1); });
    ok &= sheet(root, "shade_3.bmp", 1, kKeyColour, shade_dapple);
    ok &= sheet(root, "shade_4.bmp", 1, kKeyColour, shade_glow);
    // 16-pixel quarters, set 1 (dry stone): pictures 1-15 and 16-30.
    ok &= quarter_sheet(root, "walls16_0.bmp", 1);
    ok &= quarter_sheet(root, "walls16_1.bmp", 16);
    ok &= sheet(root, "trees_0.bmp", 4, kKeyColour, tree);
    // Walls 5-8 field stone; 9-12 house wall, house wall, fallen log, log;
    // 121-124 house walls and the open door; 125 the closed door.
    ok &= sheet(root, "walls_1.bmp", 4, kKeyColour, field_stone);
    ok &= sheet(root, "walls_2.bmp", 4, kKeyColour, [](Canvas& c, int f) { f < 2 ? house_wall(c, f) : log(c, f); });
    ok &= sheet(root, "walls_30.bmp", 4, kKeyColour, [](Canvas& c, int f) { f < 3 ? house_wall(c, f) : doorway(c, true); });
    ok &= sheet(root, "walls_31.bmp", 4, kKeyColour, [](Canvas& c, int f) { f == 0 ? doorway(c, false) : house_wall(c, f); });
    // Objects 3/4 (chest closed/open), 7 (well).
    ok &= sheet(root, "objects_2.bmp", 1, kKeyColour, [](Canvas& c, int) { chest(c, false); });
    ok &= sheet(root, "objects_3.bmp", 1, kKeyColour, [](Canvas& c, int) { chest(c, true); });
    ok &= sheet(root, "objects_6.bmp", 1, kKeyColour, well);
    // Animated objects 1 (a brazier), 2 (a spring's ripples), 3 (a wind vane).
    ok &= sheet(root, "animobjects_0.bmp", 8, kKeyColour, brazier);
    ok &= sheet(root, "animobjects_1.bmp", 8, kKeyColour, ripples);
    ok &= sheet(root, "animobjects_2.bmp", 8, kKeyColour, wind_vane);
    return ok;
}
