// talk_art OUT_DIR
//
// Draws, by code, the pictures of the walk HUD and of conversations: the
// HUD panel with the window the hit-point bar shows through, the eight HUD
// buttons, the red and black bars, the two-frame action button, the speech
// bubble with its two pointers, the thought bubble, the hero's face and the
// other backgrounds of story pages. Frames are stacked top to bottom;
// magenta is the colour key.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "tools/bitmap_tools/canvas.h"
#include "tools/talk_art/page_backgrounds.h"

namespace {

constexpr int kScreenWidth = 240;
constexpr int kPanelHeight = 34;
constexpr int kBarWidth = 46;
constexpr int kBarHeight = 5;
constexpr int kButton = 20;

// The strip under the map; the bar window (centred, one pixel below the
// top) is left see-through so the bar sliding beneath shows only there.
uint32_t hud_panel(int, int x, int y) {
    const int window_left = kScreenWidth / 2 - 23;
    if (y >= 1 && y < 1 + kBarHeight && x >= window_left && x < window_left + kBarWidth) return kKeyColour;
    if (y == 0) return rgb(150, 130, 90);
    return rgb(40 + y, 34 + y, 28 + y / 2);
}

uint32_t red_bar(int, int, int y) { return rgb(230 - y * 25, 40 + y * 6, 30); }
uint32_t black_bar(int, int, int) { return rgb(16, 12, 10); }

// One HUD button: a framed square with a simple mark of its own.
using Mark = std::function<bool(int x, int y)>;

FramePainter button(uint32_t fill, Mark mark) {
    return [fill, mark](int, int x, int y) {
        if (x == 0 || y == 0 || x == kButton - 1 || y == kButton - 1) return rgb(200, 190, 160);
        if (mark(x - kButton / 2, y - kButton / 2)) return rgb(250, 245, 230);
        return fill;
    };
}

bool bars_mark(int x, int y) { return std::abs(x) <= 5 && (y == -4 || y == 0 || y == 4); }
bool arrow_mark(int x, int y) { return (std::abs(y) <= 1 && x >= -6 && x <= 2) || (x > 2 && std::abs(y) <= 6 - x); }
bool ring_mark(int x, int y) {
    const int r2 = x * x + y * y;
    return (r2 >= 9 && r2 <= 20) || (x >= 3 && x <= 6 && y == x);
}
bool box_mark(int x, int y) { return x >= -5 && x <= 5 && y >= -3 && y <= 5 && (std::abs(x) == 5 || y == -3 || y == 5 || y == 1); }
bool two_boxes_mark(int x, int y) {
    return (y >= -5 && y <= 5) && ((x >= -6 && x <= -1) || (x >= 1 && x <= 6)) &&
           (x == -6 || x == -1 || x == 1 || x == 6 || y == -5 || y == 5);
}
bool moon_mark(int x, int y) {
    const bool outer = x * x + y * y <= 36;
    const bool bite = (x - 3) * (x - 3) + (y + 2) * (y + 2) <= 20;
    return outer && !bite;
}
bool hand_mark(int x, int y) { return (x == 0 && y >= -6 && y <= 2) || (x == 0 && y == 5); }
bool disk_mark(int x, int y) {
    return std::abs(x) <= 6 && std::abs(y) <= 6 && (std::abs(x) == 6 || std::abs(y) == 6 || (y <= -2 && std::abs(x) <= 3));
}

// The action button shown over "*ACTION": the same mark, frame 0 quiet,
// frame 1 lit. Four see-through rows on top, so that it lines up with the
// buttons when placed four pixels above them.
uint32_t action_button(int frame, int x, int y) {
    if (y < 4) return kKeyColour;
    const int by = y - 4;
    if (x == 0 || by == 0 || x == kButton - 1 || by == kButton - 1) return frame ? rgb(255, 230, 90) : rgb(200, 190, 160);
    if (hand_mark(x - kButton / 2, by - kButton / 2)) return frame ? rgb(255, 250, 200) : rgb(230, 225, 210);
    return frame ? rgb(200, 120, 20) : rgb(90, 70, 40);
}

// The speech bubble: a parchment rectangle with rounded corners.
constexpr int kBubbleWidth = 220;
constexpr int kBubbleHeight = 144;

uint32_t bubble(int, int x, int y) {
    const int r = 8;
    const int cx = std::clamp(x, r, kBubbleWidth - 1 - r);
    const int cy = std::clamp(y, r, kBubbleHeight - 1 - r);
    const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    if (d2 > r * r) return kKeyColour;
    if (d2 > (r - 2) * (r - 2) || x < 2 || y < 2 || x > kBubbleWidth - 3 || y > kBubbleHeight - 3)
        return rgb(90, 70, 40);
    return rgb(244, 234, 206 - y / 12);
}

// The thought bubble: a dusky cloud (an ellipse) for three lines of the
// light text font with the story page's margins round them, with two small
// puffs trailing off to the lower left.
constexpr int kThoughtWidth = 200;
constexpr int kThoughtHeight = 60;

uint32_t thought(int, int x, int y) {
    auto inside = [](int dx, int dy, int rx, int ry) { return dx * dx * ry * ry + dy * dy * rx * rx <= rx * rx * ry * ry; };
    const int rx = kThoughtWidth / 2 - 1, ry = kThoughtHeight / 2 - 3;
    const int dx = x - kThoughtWidth / 2, dy = y - (kThoughtHeight / 2 - 2);
    if (inside(dx, dy, rx, ry)) return inside(dx, dy, rx - 2, ry - 2) ? rgb(48, 54, 84 - y / 3) : rgb(150, 160, 190);
    for (const auto& [cx, cy, r] : {std::tuple{30, 51, 4}, std::tuple{20, 56, 3}}) {
        if (inside(x - cx, y - cy, r, r)) return inside(x - cx, y - cy, r - 1, r - 1) ? rgb(48, 54, 70) : rgb(150, 160, 190);
    }
    return kKeyColour;
}

// Pointers: a triangle 20 wide, 14 high; down points to a speaker below
// the bubble, up to one above it.
constexpr int kPointerWidth = 20;
constexpr int kPointerHeight = 14;

uint32_t pointer(int y_from_base, int x) {
    const int half = (kPointerWidth / 2) * (kPointerHeight - y_from_base) / kPointerHeight;
    const int dx = std::abs(x - kPointerWidth / 2);
    if (dx > half) return kKeyColour;
    if (dx >= half - 1) return rgb(90, 70, 40);
    return rgb(244, 234, 200);
}

uint32_t pointer_down(int, int x, int y) { return pointer(y, x); }
uint32_t pointer_up(int, int x, int y) { return pointer(kPointerHeight - 1 - y, x); }

// The hero's face: a plain round head with hair, eyes and a smile.
constexpr int kFace = 64;

uint32_t hero_face(int, int x, int y) {
    const int dx = x - 32, dy = y - 36;
    const int head = dx * dx * 100 / (20 * 20) + dy * dy * 100 / (25 * 25);
    if (head > 100) return y < 30 && std::abs(dx) < 24 && y > 6 ? rgb(120, 70, 30) : rgb(60, 90, 120);
    if (dy < -12) return rgb(120, 70, 30);  // hair
    if ((dx == -8 || dx == 8) && (dy == -2 || dy == -1)) return rgb(30, 30, 40);
    if (dy == 12 && std::abs(dx) <= 6) return rgb(150, 50, 50);
    return rgb(236, 196, 160);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: talk_art OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    struct Button {
        const char* name;
        uint32_t fill;
        Mark mark;
    };
    const Button buttons[] = {
        {"menu", rgb(60, 80, 120), bars_mark},   {"run", rgb(60, 110, 60), arrow_mark},
        {"zoom", rgb(80, 60, 110), ring_mark},   {"inv", rgb(110, 80, 40), box_mark},
        {"inv2", rgb(110, 60, 40), two_boxes_mark}, {"sleep", rgb(30, 40, 90), moon_mark},
        {"action", rgb(90, 70, 40), hand_mark},  {"save", rgb(70, 70, 70), disk_mark},
    };
    bool ok = write_picture(out, "menus/walk/hudpanel.bmp", kScreenWidth, kPanelHeight, 1, hud_panel) &&
              write_picture(out, "menus/walk/hpcsikred2.bmp", kBarWidth, kBarHeight, 1, red_bar) &&
              write_picture(out, "menus/walk/hpcsikblack2.bmp", kBarWidth, kBarHeight, 1, black_bar) &&
              write_picture(out, "menus/walk/action.bmp", kButton, kButton + 4, 2, action_button) &&
              write_picture(out, "talk/talkbg.bmp", kBubbleWidth, kBubbleHeight, 1, bubble) &&
              write_picture(out, "talk/thoughtbg.bmp", kThoughtWidth, kThoughtHeight, 1, thought) &&
              write_picture(out, "talk/talkbg2.bmp", kPointerWidth, kPointerHeight, 1, pointer_down) &&
              write_picture(out, "talk/talkbg2b.bmp", kPointerWidth, kPointerHeight, 1, pointer_up) &&
              write_picture(out, "talk/heroface.bmp", kFace, kFace, 1, hero_face);
    for (const Button& b : buttons)
        ok = ok && write_picture(out, std::string("menus/walk/btn_") + b.name + ".bmp", kButton, kButton, 1,
                                 button(b.fill, b.mark));
    ok = ok && page_backgrounds::write_all(out);
    return ok ? 0 : 1;
}
