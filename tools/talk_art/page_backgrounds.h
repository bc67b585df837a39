// The backgrounds of story pages besides the thought bubble (drawn with the
// conversation pictures): a book, a story panel, a small note, a computer
// screen and a main panel. Each is sized for its
// lines of text plus the margins the story screen leaves around them, and
// dark enough for the light ink of the demo fonts.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/bitmap_tools/canvas.h"

namespace page_backgrounds {

// A page's size: its text area (lines of `line_height`) plus the margins.
struct PageSize {
    int width;
    int lines, line_height;
    int top, bottom;
    int height() const { return top + lines * line_height + bottom; }
};

// font1 lines are 9 pixels (8 and a shadow row), comp lines 8.
constexpr PageSize kBook{220, 12, 9, 22, 30};
constexpr PageSize kStory{230, 15, 9, 20, 20};
constexpr PageSize kNote{170, 3, 9, 10, 10};
constexpr PageSize kComputer{220, 12, 8, 22, 30};
constexpr PageSize kMain{210, 12, 9, 22, 30};

// Distance outside a rectangle with rounded corners (<= 0 inside).
inline int outside_rounded(int x, int y, int w, int h, int r) {
    const int cx = std::clamp(x, r, w - 1 - r);
    const int cy = std::clamp(y, r, h - 1 - r);
    const double d = std::hypot(x - cx, y - cy);
    return int(std::lround(d)) - r;
}

// A book: a leather cover framing a dark page that is lighter toward its
// middle, with a red ribbon hanging out at the bottom.
inline uint32_t book(int, int x, int y) {
    const int w = kBook.width, h = kBook.height();
    if (outside_rounded(x, y, w, h, 6) > 0) return kKeyColour;
    if (x >= w / 2 + 40 && x < w / 2 + 46 && y >= h - 14) return rgb(170, 30, 30);
    if (x < 8 || y < 8 || x >= w - 8 || y >= h - 8) return rgb(92 - y / 8, 44, 26);
    return rgb(70 - std::abs(x - w / 2) / 8, 52 - std::abs(x - w / 2) / 10, 38);
}

// A story panel: deep blue with a gold frame.
inline uint32_t story(int, int x, int y) {
    const int w = kStory.width, h = kStory.height();
    const int out = outside_rounded(x, y, w, h, 5);
    if (out > 0) return kKeyColour;
    if (x < 3 || y < 3 || x >= w - 3 || y >= h - 3) return rgb(200, 160, 70);
    return rgb(24, 30, 70 - y / 6);
}

// A small note: a strip of dark card with a light edge.
inline uint32_t note(int, int x, int y) {
    const int w = kNote.width, h = kNote.height();
    if (x == 0 || y == 0 || x == w - 1 || y == h - 1) return rgb(190, 180, 150);
    return rgb(64, 56, 44);
}

// A computer screen: a grey bezel round a dark green glass with scan lines.
inline uint32_t computer(int, int x, int y) {
    const int w = kComputer.width, h = kComputer.height();
    if (outside_rounded(x, y, w, h, 8) > 0) return kKeyColour;
    if (x < 12 || y < 12 || x >= w - 12 || y >= h - 12) return rgb(110, 112, 118);
    return y % 3 == 0 ? rgb(6, 30, 12) : rgb(10, 40, 18);
}

// A main panel: dark stone with a carved double border.
inline uint32_t main_panel(int, int x, int y) {
    const int w = kMain.width, h = kMain.height();
    const int edge = std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y));
    if (edge == 0 || edge == 4) return rgb(170, 170, 160);
    return rgb(52 + (x * 7 + y * 3) % 9, 50 + (x * 5 + y * 11) % 7, 56);
}

inline bool write_all(const std::filesystem::path& out) {
    return write_picture(out, "talk/bookbg.bmp", kBook.width, kBook.height(), 1, book) &&
           write_picture(out, "talk/storybg.bmp", kStory.width, kStory.height(), 1, story) &&
           write_picture(out, "talk/minibg.bmp", kNote.width, kNote.height(), 1, note) &&
           write_picture(out, "talk/compbg.bmp", kComputer.width, kComputer.height(), 1, computer) &&
           write_picture(out, "talk/mainbg.bmp", kMain.width, kMain.height(), 1, main_panel);
}

}  // namespace page_backgrounds
