// Walking sheets: 24 frames of 32 x 32, three steps (left foot, standing,
// right foot) for each of eight directions: south, south-west, west,
// north-west, north, north-east, east, south-east. People are drawn from
// three parts (body, head, hair) so that the game can combine them; the
// premade sheets draw all three, or an animal.
#include <array>
#include <functional>

#include "tools/tile_art/art.h"

namespace {

constexpr int kFrames = 24;
constexpr std::array<int, 8> kDx = {0, -1, -1, -1, 0, 1, 1, 1};
constexpr std::array<int, 8> kDy = {1, 1, 0, -1, -1, -1, 0, 1};

struct Look {
    uint32_t tunic;
    uint32_t legs;
    uint32_t skin;
    uint32_t hair;
};

enum Part { kBody = 1, kHead = 2, kHair = 4, kWhole = 7 };

// Step -1, 0 or +1: which foot is forward.
void draw_person(Canvas& c, int top, int direction, int step, const Look& look, int parts) {
    const int dx = kDx[size_t(direction)], dy = kDy[size_t(direction)];
    const int bob = step == 0 ? 0 : 1;
    if (parts & kBody) {
        const int left_leg = step < 0 ? -2 : 0, right_leg = step > 0 ? -2 : 0;
        c.fill_corners(12, top + 25 + left_leg, 14, top + 30 + left_leg / 2, look.legs);
        c.fill_corners(17, top + 25 + right_leg, 19, top + 30 + right_leg / 2, look.legs);
        c.fill_corners(11, top + 15 + bob, 20, top + 26, look.tunic);
        c.fill_corners(11, top + 24, 20, top + 25, shade(look.tunic, -50));  // belt
        const int swing = step * (dy != 0 ? 1 : 2);
        if (dx <= 0 || dy != 0) c.fill_corners(8, top + 16 + bob + swing, 10, top + 23 + bob + swing, shade(look.tunic, -25));
        if (dx >= 0 || dy != 0) c.fill_corners(21, top + 16 + bob - swing, 23, top + 23 + bob - swing, shade(look.tunic, -25));
    }
    const double cx = 16 + dx * 1.5, cy = top + 9 + bob;
    if (parts & kHead) {
        c.ellipse(cx, cy, 6, 6.5, look.skin);
        if (dy >= 0 || dx != 0) {  // eyes unless walking away
            const uint32_t eye = rgb(30, 30, 40);
            if (dx == 0) {
                c.put(int(cx) - 3, int(cy) + 1, eye);
                c.put(int(cx) + 2, int(cy) + 1, eye);
            } else if (dy >= 0) {
                c.put(int(cx) + dx * 3, int(cy) + 1, eye);
                c.put(int(cx) + dx * 3 - dx * 4, int(cy) + 1, eye);
            } else {
                c.put(int(cx) + dx * 4, int(cy) + 1, eye);
            }
        }
    }
    if (parts & kHair) {
        // A cap of hair; seen from behind it covers the head.
        c.ellipse(cx, cy - 2, 6.5, 5.5, look.hair, -1e9, cy - 1 + (dy < 0 ? 6 : 0));
        if (dx != 0) c.ellipse(cx - dx * 4, cy, 3, 4.5, look.hair);
    }
}

// A four-legged animal or a floating light, for the monsters on the map.
void draw_creature(Canvas& c, int top, int direction, int step, int kind) {
    const int dx = kDx[size_t(direction)], dy = kDy[size_t(direction)];
    if (kind == 2) {  // wisp: a pale glow that bobs
        const double y = top + 14 + step * 2;
        c.ellipse(16, y, 9, 9, rgb(150, 200, 220));
        c.ellipse(16, y, 6, 6, rgb(210, 240, 250));
        c.ellipse(16 + dx * 2, y - 1 + dy, 2, 2, rgb(255, 255, 255));
        return;
    }
    const bool boar = kind == 1;
    const uint32_t fur = boar ? rgb(92, 70, 50) : rgb(120, 108, 96);
    const double rx = boar ? 11 : 7, ry = boar ? 7 : 4.5, cy = top + (boar ? 20 : 24);
    for (int leg = -1; leg <= 1; leg += 2) {
        const int lift = leg == step ? -2 : 0;
        c.fill_corners(16 + leg * int(rx / 2) - 1, int(cy) + 2 + lift, 16 + leg * int(rx / 2) + 1, int(cy + ry) + 2 + lift,
               shade(fur, -40));
    }
    c.ellipse(16, cy, rx, ry, fur);
    if (boar) c.ellipse(16, cy - 4, rx - 2, 3, rgb(80, 120, 60));  // moss on the back
    const double hx = 16 + dx * (rx - 1), hy = cy - 2 + dy * 3;
    c.ellipse(hx, hy, boar ? 5 : 3.5, boar ? 4.5 : 3, shade(fur, 15));
    c.put(int(hx) + dx, int(hy) - 1, rgb(20, 20, 20));
    if (boar) {
        c.put(int(hx) - 2, int(hy) + 2, rgb(240, 240, 220));
        c.put(int(hx) + 2, int(hy) + 2, rgb(240, 240, 220));
    } else {
        c.line(16 - dx * int(rx), int(cy), 16 - dx * int(rx + 6), int(cy) - 3, rgb(200, 150, 150));  // tail
    }
}


bool walk_sheet(const std::filesystem::path& root, const std::string& name,
                const std::function<void(Canvas&, int, int, int)>& draw) {
    Canvas c(32, 32 * kFrames, kKeyColour);
    for (int d = 0; d < 8; ++d)
        for (int s = 0; s < 3; ++s) draw(c, 32 * (3 * d + s), d, s - 1);
    return write_canvas(root, "npc/" + name, c);
}

bool person_sheet(const std::filesystem::path& root, const std::string& name, const Look& look, int parts) {
    return walk_sheet(root, name, [&](Canvas& c, int top, int d, int s) { draw_person(c, top, d, s, look, parts); });
}

}  // namespace

bool draw_walk_sheets(const std::filesystem::path& root) {
    const uint32_t skin = rgb(232, 190, 150), dark_skin = rgb(170, 120, 84);
    bool ok = true;
    ok &= person_sheet(root, "walk_full/hero.bmp", {rgb(50, 80, 170), rgb(70, 50, 40), skin, rgb(120, 70, 30)}, kWhole);
    ok &= person_sheet(root, "walk_full/villager.bmp", {rgb(70, 130, 60), rgb(90, 80, 60), skin, rgb(220, 190, 100)},
                       kWhole);
    ok &= walk_sheet(root, "walk_full/briarrat.bmp", [](Canvas& c, int t, int d, int s) { draw_creature(c, t, d, s, 0); });
    ok &= walk_sheet(root, "walk_full/mossboar.bmp", [](Canvas& c, int t, int d, int s) { draw_creature(c, t, d, s, 1); });
    ok &= walk_sheet(root, "walk_full/hollowwisp.bmp", [](Canvas& c, int t, int d, int s) { draw_creature(c, t, d, s, 2); });

    const Look none{};
    ok &= person_sheet(root, "walk_parts/body_a.bmp", {rgb(150, 60, 50), rgb(60, 50, 40), 0, 0}, kBody);
    ok &= person_sheet(root, "walk_parts/body_b.bmp", {rgb(170, 150, 110), rgb(80, 70, 90), 0, 0}, kBody);
    ok &= person_sheet(root, "walk_parts/head_a.bmp", {none.tunic, none.legs, skin, 0}, kHead);
    ok &= person_sheet(root, "walk_parts/head_b.bmp", {none.tunic, none.legs, dark_skin, 0}, kHead);
    ok &= person_sheet(root, "walk_parts/hair_a.bmp", {0, 0, 0, rgb(60, 40, 30)}, kHair);
    ok &= person_sheet(root, "walk_parts/hair_b.bmp", {0, 0, 0, rgb(170, 60, 30)}, kHair);
    ok &= person_sheet(root, "walk_parts/hair_c.bmp", {0, 0, 0, rgb(200, 200, 200)}, kHair);
    return ok;
}
