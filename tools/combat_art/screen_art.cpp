// The combat screen's pictures: a background a place, the frame of the
// hit-point bars with the two bars, the matchup arrow, the control panel
// with its buttons and page icons, the level-up picture and the funeral
// picture.
#include <cmath>
#include <cstdlib>
#include <string>

#include "tools/bitmap_tools/frame_shapes.h"
#include "tools/combat_art/art.h"

namespace {

constexpr int kWidth = 240;
constexpr int kSceneHeight = 255;  // above the control panel
constexpr int kPanelHeight = 65;

// --- backgrounds -------------------------------------------------------------------

uint32_t mix(uint32_t a, uint32_t b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    const auto ch = [&](int s) { return int(std::lround((a >> s & 255) * (1 - t) + (b >> s & 255) * t)); };
    return rgb(ch(16), ch(8), ch(0));
}

struct Place {
    uint32_t sky_top, sky_low, far, ground_near, ground_far;
    int horizon;
};

// Sky, a far line of hills or roofs or trees, and the ground the fighters
// stand on (their feet at row 200).
bool draw_background(const std::filesystem::path& out, const std::string& name, const Place& p, int kind) {
    Canvas canvas(kWidth, kSceneHeight, 0);
    const Frame f{canvas, 0};
    for (int y = 0; y < kSceneHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint32_t c;
            if (y < p.horizon) c = mix(p.sky_top, p.sky_low, double(y) / p.horizon);
            else c = mix(p.ground_far, p.ground_near, double(y - p.horizon) / (kSceneHeight - p.horizon));
            if (y >= p.horizon && ((x * 7 + y * 13) % 23 == 0)) c = shade_percent(c, 85);
            f.put(x, y, c);
        }
    for (int x = 0; x < kWidth; ++x) {
        int top = p.horizon;
        if (kind == 0) top -= int(10 + 8 * std::sin(x / 30.0) + 4 * std::sin(x / 9.0));
        if (kind == 1) top -= (x / 30) % 2 ? 34 - std::abs(x % 30 - 15) : 18;
        if (kind == 2) top -= int(40 + 14 * std::abs(std::sin(x / 11.0)) + 6 * std::sin(x / 3.0));
        for (int y = std::max(0, top); y < p.horizon; ++y) f.put(x, y, shade_percent(p.far, 80 + (y - top) / 3));
    }
    if (kind == 1)
        for (int house = 0; house < 8; ++house)
            f.fill(house * 30 + 12, p.horizon - 14, 5, 6, rgb(250, 210, 120));  // lit windows
    // A worn patch where the fight happens.
    f.ellipse(120, 200, 110, 16, shade_percent(p.ground_near, 80));
    return write_canvas(out, "combat/background/" + name + ".bmp", canvas);
}

// --- hit-point bars and the matchup arrow -----------------------------------------------

constexpr int kBarFrameHeight = 30;
constexpr int kBarWidth = 71;
constexpr int kBarHeight = 6;
constexpr int kBarTop = 11;
constexpr int kEnemyBarLeft = 14;
constexpr int kHeroBarLeft = 155;

// Opaque but for the bars' two windows, so that a bar sliding out of its
// window is hidden by the frame.
bool draw_bar_frame(const std::filesystem::path& out) {
    Canvas canvas(kWidth, kBarFrameHeight, kKeyColour);
    const Frame f{canvas, 0};
    f.fill(0, 6, kWidth, 17, rgb(60, 46, 34));
    f.fill(0, 6, kWidth, 1, rgb(170, 140, 90));
    f.fill(0, 22, kWidth, 1, rgb(30, 22, 16));
    for (const int left : {kEnemyBarLeft, kHeroBarLeft}) {
        f.fill(left - 2, kBarTop - 2, kBarWidth + 4, kBarHeight + 4, rgb(200, 170, 110));
        f.fill(left, kBarTop, kBarWidth, kBarHeight, kKeyColour);
    }
    return write_canvas(out, "combat/hpcsikok.bmp", canvas);
}

bool draw_bar(const std::filesystem::path& out, const std::string& name, bool red) {
    Canvas canvas(kBarWidth, kBarHeight, 0);
    const Frame f{canvas, 0};
    for (int y = 0; y < kBarHeight; ++y)
        f.fill(0, y, kBarWidth, 1, red ? rgb(240 - y * 22, 50 + y * 8, 40) : rgb(20, 14, 12));
    return write_canvas(out, "combat/" + name + ".bmp", canvas);
}

// Frames: weak (red, down), normal (yellow, level), strong (green, up),
// hidden (all colour key). 13 pixels high, so that the arrow (at y 6) ends
// above the row of the hit-point captions (y 19) it stands between.
bool draw_helper(const std::filesystem::path& out) {
    constexpr int size = 13, centre = 6;
    Canvas canvas(size, size * 4, kKeyColour);
    const uint32_t colours[3] = {rgb(230, 60, 50), rgb(240, 210, 60), rgb(80, 220, 90)};
    for (int i = 0; i < 3; ++i) {
        const Frame f{canvas, i * size};
        f.disc(centre, centre, centre + 0.5, rgb(30, 24, 20));
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const int dx = x - centre, dy = y - centre;
                bool on = false;
                if (i == 1) on = (std::abs(dy) <= 1 && dx >= -4 && dx <= 0) || (dx > 0 && std::abs(dy) <= 4 - dx);
                else {
                    const int ty = i == 2 ? -dy : dy;  // the tip up for strong
                    on = (std::abs(dx) <= 1 && ty >= -4 && ty <= 0) || (ty > 0 && std::abs(dx) <= 4 - ty);
                }
                if (on) f.put(x, y, colours[i]);
            }
    }
    return write_canvas(out, "combat/helper.bmp", canvas);
}

// --- the control panel ----------------------------------------------------------------

bool draw_panel(const std::filesystem::path& out) {
    Canvas canvas(kWidth, kPanelHeight, 0);
    const Frame f{canvas, 0};
    for (int y = 0; y < kPanelHeight; ++y) f.fill(0, y, kWidth, 1, rgb(58 - y / 4, 46 - y / 4, 36 - y / 5));
    f.fill(0, 0, kWidth, 1, rgb(180, 150, 100));
    // The carousel's well, below the row of the item's caption (y 1 to 9).
    f.fill(86, 11, 68, 41, rgb(30, 24, 18));
    canvas.frame(86, 11, 68, 41, rgb(120, 96, 64));
    return write_canvas(out, "combat/panel.bmp", canvas);
}

bool draw_labelled_button(const std::filesystem::path& out, const GlyphSet& glyphs, const std::string& name,
                          const std::string& label, uint32_t fill) {
    Canvas canvas(48, 28, fill);
    canvas.frame(0, 0, 48, 28, rgb(220, 200, 150));
    canvas.frame(1, 1, 46, 26, shade_percent(fill, 60));
    draw_centred_text(canvas, glyphs, label, 24, 10, 1, rgb(255, 250, 235));
    return write_canvas(out, "combat/" + name + ".bmp", canvas);
}

bool draw_arrow_button(const std::filesystem::path& out, const std::string& name, bool right) {
    Canvas canvas(22, 30, kKeyColour);
    const Frame f{canvas, 0};
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 22; ++x) {
            const int reach = right ? x - 4 : 17 - x;
            if (reach >= 0 && std::abs(y - 15) <= 13 - reach) f.put(x, y, rgb(220, 190, 110));
        }
    return write_canvas(out, "combat/" + name + ".bmp", canvas);
}

// The page switch of the quick items: sword, wand, flask; three frames.
bool draw_page_icons(const std::filesystem::path& out) {
    constexpr int w = 20, h = 18;
    Canvas canvas(w, h * 3, kKeyColour);
    for (int i = 0; i < 3; ++i) {
        const Frame f{canvas, i * h};
        f.fill(0, 0, w, h, rgb(40, 32, 26));
        if (i == 0) f.line(4, 14, 15, 3, 2, rgb(210, 220, 230));
        if (i == 1) {
            f.line(4, 14, 13, 5, 2, rgb(150, 60, 30));
            f.disc(15, 4, 2.5, rgb(255, 190, 60));
        }
        if (i == 2) f.ellipse(10, 11, 5, 5, rgb(200, 40, 50));
    }
    return write_canvas(out, "combat/tools.bmp", canvas);
}

// --- level-up and funeral ------------------------------------------------------------------

bool draw_levelup(const std::filesystem::path& out, const GlyphSet& glyphs) {
    Canvas canvas(kWidth, 200, kKeyColour);
    const Frame f{canvas, 0};
    for (int ray = 0; ray < 16; ++ray) {
        const double a = ray * 3.14159265 / 8;
        f.line(120, 100, 120 + std::cos(a) * 96, 100 + std::sin(a) * 80, 3, rgb(255, 220, 120));
    }
    f.disc(120, 100, 46, rgb(255, 240, 180));
    draw_centred_text(canvas, glyphs, "LEVEL UP!", 120, 92, 2, rgb(120, 60, 10));
    return write_canvas(out, "combat/background/levelup.bmp", canvas);
}

// A grave stone under a willow branch, see-through around it so that the
// funeral page's lines below stay readable.
bool draw_funeral(const std::filesystem::path& out, const GlyphSet& glyphs) {
    Canvas canvas(kWidth, 320, kKeyColour);
    const Frame f{canvas, 0};
    f.fill(30, 200, 180, 12, rgb(60, 80, 40));
    f.ellipse(120, 110, 46, 46, rgb(130, 130, 136));
    f.fill(74, 110, 93, 92, rgb(130, 130, 136));
    f.ellipse(120, 112, 40, 40, rgb(112, 112, 120));
    f.fill(80, 112, 81, 86, rgb(112, 112, 120));
    draw_centred_text(canvas, glyphs, "R.I.P.", 120, 104, 2, rgb(40, 40, 46));
    for (int leaf = 0; leaf < 12; ++leaf) f.line(20 + leaf * 4, 30 + leaf * 12, 30 + leaf * 4, 46 + leaf * 12, 3, rgb(70, 110, 50));
    return write_canvas(out, "screens/funeral.bmp", canvas);
}

}  // namespace

bool draw_screen_pictures(const std::filesystem::path& out, const GlyphSet& glyphs) {
    const Place field{rgb(90, 140, 210), rgb(200, 220, 240), rgb(90, 130, 80), rgb(80, 140, 60), rgb(120, 160, 90), 120};
    const Place village{rgb(70, 90, 160), rgb(230, 190, 150), rgb(110, 80, 70), rgb(130, 110, 80), rgb(150, 130, 100), 124};
    const Place wood{rgb(30, 50, 60), rgb(90, 120, 110), rgb(30, 60, 40), rgb(50, 80, 40), rgb(40, 64, 36), 128};
    return draw_background(out, "field", field, 0) && draw_background(out, "village", village, 1) &&
           draw_background(out, "wood", wood, 2) && draw_bar_frame(out) && draw_bar(out, "hpcsikred", true) &&
           draw_bar(out, "hpcsikblack", false) && draw_helper(out) && draw_panel(out) &&
           draw_labelled_button(out, glyphs, "btn_action", "ACTION", rgb(110, 50, 30)) &&
           draw_labelled_button(out, glyphs, "btn_flee", "FLEE", rgb(40, 60, 90)) &&
           draw_arrow_button(out, "btn_left", false) && draw_arrow_button(out, "btn_right", true) &&
           draw_page_icons(out) && draw_levelup(out, glyphs) && draw_funeral(out, glyphs);
}
