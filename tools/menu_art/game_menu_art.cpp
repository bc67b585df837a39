#include "tools/menu_art/game_menu_art.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kScreenW = 240, kScreenH = 320;
constexpr int kEntryW = 140, kEntryH = 20;

// A night sky over dark hills: the title page and, dimmer, the panels.
Canvas dusk_background(double brightness) {
    Canvas c(kScreenW, kScreenH, 0);
    for (int y = 0; y < kScreenH; ++y) {
        const double t = double(y) / kScreenH;
        const uint32_t sky = rgb(int((20 + 70 * t) * brightness), int((16 + 30 * t) * brightness),
                                 int((60 + 40 * t) * brightness));
        c.fill(0, y, kScreenW, 1, sky);
    }
    // Stars on a fixed scatter.
    for (int i = 0; i < 60; ++i) {
        const int x = (i * 97 + 13) % kScreenW, y = (i * 53 + 7) % 150;
        c.put(x, y, rgb(int(220 * brightness), int(220 * brightness), int(200 * brightness)));
    }
    for (int x = 0; x < kScreenW; ++x) {
        const int ridge = 250 + int(18 * std::sin(x / 23.0) + 9 * std::sin(x / 7.0));
        c.fill(x, ridge, 1, kScreenH - ridge, rgb(int(18 * brightness), int(28 * brightness), int(30 * brightness)));
    }
    return c;
}

// One entry of the title page: plain, focused and disabled, stacked.
Canvas entry(const GlyphSet& glyphs, const std::string& label) {
    Canvas c(kEntryW, kEntryH * 3, kKeyColour);
    const uint32_t fills[] = {rgb(36, 48, 110), rgb(150, 110, 30), rgb(60, 60, 66)};
    const uint32_t borders[] = {rgb(150, 160, 230), rgb(255, 220, 120), rgb(100, 100, 106)};
    const uint32_t inks[] = {rgb(235, 235, 250), rgb(255, 255, 255), rgb(130, 130, 136)};
    for (int f = 0; f < 3; ++f) {
        const int top = f * kEntryH;
        c.fill(1, top + 1, kEntryW - 2, kEntryH - 2, fills[f]);
        c.frame(0, top, kEntryW, kEntryH, borders[f]);
        // Round the corners with the colour key.
        for (int x : {0, kEntryW - 1})
            for (int y : {top, top + kEntryH - 1}) c.put(x, y, kKeyColour);
        draw_centred_text(c, glyphs, label, kEntryW / 2, top + 6, 1, inks[f]);
    }
    return c;
}

// A slider step is an 80 x 12 frame with four bars, set in a dark margin of
// 2 pixels that hides the stars of the sky right beside it (one would read
// as a bar poking out of the frame). The focus frame covers the step's.
constexpr int kSliderMargin = 2;
constexpr int kSliderFrameW = 80, kSliderFrameH = 12;
constexpr int kSliderW = kSliderFrameW + 2 * kSliderMargin, kSliderH = kSliderFrameH + 2 * kSliderMargin;

Canvas volume_steps() {
    const int steps = 5;
    Canvas c(kSliderW, kSliderH * steps, 0);
    for (int f = 0; f < steps; ++f) {
        const int left = kSliderMargin, top = f * kSliderH + kSliderMargin;
        c.frame(left, top, kSliderFrameW, kSliderFrameH, rgb(200, 200, 215));
        for (int bar = 0; bar < 4; ++bar) {
            const bool lit = bar < f;
            const int bx = left + 3 + bar * 19, bh = 3 + bar * 2;
            c.fill(bx, top + kSliderFrameH - 2 - bh, 16, bh, lit ? rgb(90 + bar * 40, 200, 120) : rgb(40, 44, 56));
        }
    }
    return c;
}

Canvas volume_focus() {
    Canvas c(kSliderW, kSliderH, kKeyColour);
    c.frame(kSliderMargin, kSliderMargin, kSliderFrameW, kSliderFrameH, rgb(255, 150, 40));
    return c;
}

// A ring growing over four frames, where the pen sent the hero.
Canvas click_marker() {
    const int size = 16, frames = 4;
    Canvas c(size, size * frames, kKeyColour);
    for (int f = 0; f < frames; ++f) {
        const double radius = 2.0 + f * 1.8;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const double d = std::hypot(x - 7.5, y - 7.5);
                if (std::abs(d - radius) < 0.8) c.put(x, f * size + y, rgb(255, 230 - f * 30, 90));
            }
    }
    return c;
}

Canvas panel(int w, int h, const GlyphSet& glyphs, const std::string& title) {
    Canvas c(w, h, rgb(24, 30, 58));
    c.frame(0, 0, w, h, rgb(200, 190, 140));
    c.frame(2, 2, w - 4, h - 4, rgb(90, 90, 120));
    if (!title.empty()) draw_centred_text(c, glyphs, title, w / 2, 6, 1, rgb(255, 220, 120));
    return c;
}

Canvas title_page(const GlyphSet& glyphs) {
    Canvas c = dusk_background(1.0);
    draw_centred_text(c, glyphs, "Quenlo", kScreenW / 2 + 2, 22, 4, rgb(30, 20, 40));
    draw_centred_text(c, glyphs, "Quenlo", kScreenW / 2, 20, 4, rgb(255, 215, 120));
    draw_centred_text(c, glyphs, "Duskmarrow", kScreenW / 2, 64, 2, rgb(200, 190, 240));
    return c;
}

Canvas slot_page(const GlyphSet& glyphs) {
    Canvas c = dusk_background(0.6);
    // Bands behind the seven slot lines.
    for (int i = 0; i < 7; ++i) c.fill(4, 58 + i * 24, kScreenW - 8, 20, rgb(30 + i % 2 * 8, 34, 70));
    (void)glyphs;
    return c;
}

}  // namespace

bool draw_game_menus(const std::filesystem::path& out, const GlyphSet& glyphs) {
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"cont", "Continue"}, {"new", "New game"}, {"load", "Load game"}, {"save", "Save game"},
        {"settings", "Settings"}, {"about", "About"}, {"exit", "End game"}};
    bool ok = write_canvas(out, "menus/main/title.bmp", title_page(glyphs)) &&
              write_canvas(out, "menus/main/panel.bmp", dusk_background(0.45)) &&
              write_canvas(out, "menus/main/volume.bmp", volume_steps()) &&
              write_canvas(out, "menus/main/volume_focus.bmp", volume_focus()) &&
              write_canvas(out, "menus/main/click.bmp", click_marker()) &&
              write_canvas(out, "menus/io/slots.bmp", slot_page(glyphs)) &&
              write_canvas(out, "menus/io/dialog.bmp", panel(203, 106, glyphs, "")) &&
              write_canvas(out, "menus/io/newgame.bmp", panel(200, 140, glyphs, "New game"));
    for (const auto& [name, label] : entries)
        ok = ok && write_canvas(out, "menus/main/entry_" + name + ".bmp", entry(glyphs, label));
    return ok;
}
