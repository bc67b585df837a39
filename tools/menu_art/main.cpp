// menu_art OUT_DIR GLYPHS
//
// Draws the pictures the demo menus use, by code: the check, radio and
// three-state icons, a three-frame picture, a ten-step slider, the focus
// frames, a button, the ruler, a landscape and a page background. Frames are stacked top
// to bottom; magenta is the colour key.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/bitmap_tools/canvas.h"
#include "tools/menu_art/game_menu_art.h"

namespace {


uint32_t rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

bool on_border(int x, int y, int size) { return x == 0 || y == 0 || x == size - 1 || y == size - 1; }

// A square box; filled to a share of 0..1 from the bottom.
uint32_t box(int x, int y, int size, double filled) {
    if (on_border(x, y, size)) return rgb(230, 230, 240);
    if (y >= size - 1 - int(std::lround(filled * (size - 2)))) return rgb(80, 200, 120);
    return rgb(30, 40, 60);
}

uint32_t tick(int frame, int x, int y) {
    const int size = 14;
    if (frame == 1 && x > 2 && x < size - 2 && (y == 10 - std::abs(x - 5) || y == 9 - std::abs(x - 5)) &&
        (x >= 5 || y >= 7))
        return rgb(250, 220, 60);
    return box(x, y, size, 0.0);
}

uint32_t dot(int frame, int x, int y) {
    const double dx = x - 6.5, dy = y - 6.5, r = std::sqrt(dx * dx + dy * dy);
    if (r > 6.6) return kKeyColour;
    if (r > 5.4) return rgb(230, 230, 240);
    if (frame == 1 && r < 3.2) return rgb(250, 220, 60);
    return rgb(30, 40, 60);
}

uint32_t gem(int frame, int x, int y) {
    const int cx = 11, cy = 11;
    if (std::abs(x - cx) + std::abs(y - cy) > 10) return kKeyColour;
    const int shade = 120 + (cy - y) * 8 + (cx - x) * 3;
    switch (frame) {
    case 0: return rgb(40, std::clamp(shade, 0, 255), 200);
    case 1: return rgb(std::clamp(shade + 80, 0, 255), 240, 255);
    default: return rgb(110, 110, 110);
    }
}

uint32_t slider(int frame, int x, int y) {
    const int width = 60, height = 10;
    if (y == 0 || y == height - 1 || x == 0 || x == width - 1) return rgb(200, 200, 210);
    const int fill = 1 + (width - 2) * frame / 9;
    return x < fill ? rgb(60 + frame * 19, 120, 220 - frame * 15) : rgb(25, 25, 35);
}

uint32_t focus_frame(int, int x, int y) { return on_border(x, y, 14) ? rgb(255, 120, 40) : kKeyColour; }

// The check, radio and state icons are 14 pixels square; their pictures
// are wider by see-through columns, so that a label set beside the icon
// (2 pixels after the picture) stands clear of the box.
constexpr int kIconSide = 14, kIconWidth = kIconSide + 4;
FramePainter with_label_gap(FramePainter icon) {
    return [icon](int frame, int x, int y) { return x < kIconSide ? icon(frame, x, y) : kKeyColour; };
}

uint32_t button(int frame, int x, int y) {
    const int width = 80, height = 20;
    if (x == 0 || y == 0 || x == width - 1 || y == height - 1) return rgb(240, 240, 250);
    const int glow = frame == 1 ? 60 : 0;
    return rgb(40 + glow, 60 + y * 4 + glow, 130 + glow);
}

// A picture drawn as it stands (no colour key): ticks on a dark band.
uint32_t ruler(int, int x, int y) {
    if (y == 1) return rgb(180, 180, 200);
    return x % 10 == 0 ? rgb(180, 180, 200) : rgb(20, 26, 52);
}

// The slider's focus look: its border in the focus colour.
uint32_t slider_focus(int, int x, int y) {
    return x == 0 || y == 0 || x == 59 || y == 9 ? rgb(255, 120, 40) : kKeyColour;
}

// A small landscape for the pictures page: sky, sun, hills.
uint32_t landscape(int, int x, int y) {
    const int hill = 28 + int(std::lround(5.0 * std::sin(x / 9.0)));
    if (x == 0 || y == 0 || x == 79 || y == 39) return rgb(240, 240, 250);
    if (y >= hill) return rgb(40, 110 + (y - hill) * 3, 50);
    const double dx = x - 62, dy = y - 11;
    if (dx * dx + dy * dy < 36) return rgb(250, 220, 90);
    return rgb(90 + y * 2, 140 + y * 2, 230);
}

uint32_t background(int, int x, int y) {
    const int band = ((x / 16) + (y / 16)) % 2;
    return rgb(14 + y / 16, 20 + y / 12 + band * 4, 48 + x / 10);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: menu_art OUT_DIR GLYPHS\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    bool ok = write_picture(out, "ui/check.bmp", kIconWidth, kIconSide, 2, with_label_gap(tick)) &&
              write_picture(out, "ui/radio.bmp", kIconWidth, kIconSide, 2, with_label_gap(dot)) &&
              write_picture(out, "ui/states.bmp", kIconWidth, kIconSide, 3,
                            with_label_gap([](int f, int x, int y) { return box(x, y, kIconSide, f / 2.0); })) &&
              write_picture(out, "ui/gem.bmp", 23, 23, 3, gem) &&
              write_picture(out, "ui/slider.bmp", 60, 10, 10, slider) &&
              write_picture(out, "ui/focus.bmp", 14, 14, 1, focus_frame) &&
              write_picture(out, "ui/slider_focus.bmp", 60, 10, 1, slider_focus) &&
              write_picture(out, "ui/button.bmp", 80, 20, 2, button) &&
              write_picture(out, "ruler.zbm", 230, 3, 1, ruler) &&
              write_picture(out, "menus/landscape.bmp", 80, 40, 1, landscape) &&
              write_picture(out, "menus/demo_bg.bmp", 240, 320, 1, background);
    GlyphSet glyphs;
    if (!read_glyph_set(argv[2], glyphs)) {
        std::fprintf(stderr, "menu_art: cannot read the glyphs %s\n", argv[2]);
        return 1;
    }
    ok = ok && draw_game_menus(out, glyphs);
    return ok ? 0 : 1;
}
