// inv_art OUT_DIR
//
// Draws, by code, the pictures of the item screens: the item icons the demo
// story's items name ("tiles/item_<n>.bmp", 32 x 32, and the gold coins,
// number 86), the page backgrounds of the inventory, stats, quest and shop
// pages and of the attribute page (level-up and training), the five tab
// pictures, the page arrows, the selection frames (the inventory's and the
// shop's), the worn-gear mark, the message box, the quest bar and the notice
// box. Frames are stacked top to bottom; magenta is the colour key.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/bitmap_tools/canvas.h"
#include "tools/inv_art/icons.h"

namespace {

constexpr int kScreenWidth = 240, kScreenHeight = 320;
constexpr int kTab = 28;
constexpr int kArrow = 20;
constexpr int kIcon = 32;
constexpr int kCellHeight = 34;
constexpr int kBoxWidth = 232, kBoxHeight = 60;
constexpr int kQuestBarWidth = 224, kQuestBarHeight = 14;
constexpr int kNoticeWidth = 220, kNoticeHeight = 52;

// Dark leather with a lighter tooled border; a parchment panel where the
// quest list and the description stand.
uint32_t page(int, int x, int y) {
    const int edge = std::min({x, y, kScreenWidth - 1 - x, kScreenHeight - 1 - y});
    if (edge < 2) return rgb(150, 120, 70);
    if (edge < 4) return rgb(70, 52, 34);
    const int grain = (x * 7 + y * 13) % 11 == 0 ? 6 : 0;
    return rgb(52 + grain, 40 + grain, 30 + grain / 2);
}

// The quest page's parchment panels (list and description) on the leather.
uint32_t quest_page(int frame, int x, int y) {
    const bool list = x >= 8 && x < 232 && y >= 44 && y < 170;
    const bool text = x >= 8 && x < 232 && y >= 176 && y < 276;
    if (!list && !text) return page(frame, x, y);
    const bool rim = x == 8 || x == 231 || y == 44 || y == 169 || y == 176 || y == 275;
    return rim ? rgb(120, 90, 50) : rgb(236, 222, 186 - (y % 40) / 8);
}

// The attribute page of the level-up and stats screens: the leather page
// with two sunken frames where the worn armour's and shield's icons stand
// (layout.ini's "inv" grid start plus "armor" and "shield", 5 pixels left).
uint32_t attribute_page(int frame, int x, int y) {
    for (const int left : {39, 167}) {
        const int top = 94, side = 40;
        if (x < left || y < top || x >= left + side || y >= top + side) continue;
        const int edge = std::min({x - left, y - top, left + side - 1 - x, top + side - 1 - y});
        if (edge == 0) return rgb(150, 120, 70);
        if (edge == 1) return rgb(24, 18, 12);
        return rgb(36, 28, 20);
    }
    return page(frame, x, y);
}

// A tab: a rounded plate with the icon's mark; frame 1 is the chosen tab.
FramePainter tab(IconPainter mark) {
    return [mark](int frame, int x, int y) {
        const bool rim = x == 0 || y == 0 || x == kTab - 1 || y == kTab - 1;
        if ((x == 0 || x == kTab - 1) && (y == 0 || y == kTab - 1)) return kKeyColour;
        if (rim) return frame ? rgb(255, 220, 110) : rgb(120, 100, 70);
        // The mark is the item icon shrunk to the plate (every 32 / 24th pixel).
        const uint32_t ink = mark(2 + (x - 2) * kIcon / (kTab - 4), 2 + (y - 2) * kIcon / (kTab - 4));
        if (x >= 2 && y >= 2 && x < kTab - 2 && y < kTab - 2 && ink != kKeyColour) return frame ? ink : art_dim(ink);
        return frame ? rgb(110, 80, 40) : rgb(60, 46, 34);
    };
}

// A page arrow: plain, focused, disabled.
FramePainter arrow(bool right) {
    return [right](int frame, int x, int y) {
        const int ax = right ? x : kArrow - 1 - x;
        const int half = ax / 2;
        const bool ink = ax >= 4 && ax < 16 && std::abs(y - kArrow / 2) <= 8 - half + 2 && std::abs(y - kArrow / 2) <= half;
        if (!ink) return kKeyColour;
        if (frame == 2) return rgb(90, 80, 70);
        return frame ? rgb(255, 230, 120) : rgb(220, 190, 120);
    };
}

// The selection frame over an icon, pulsing through three brightnesses.
uint32_t selection(int frame, int x, int y) {
    const int edge = std::min({x, y, kIcon - 1 - x, kIcon - 1 - y});
    if (edge >= 2) return kKeyColour;
    const int corner = std::min(std::abs(x - 15) + 1, std::abs(y - 15) + 1);
    if (corner < 8 && edge == 1) return kKeyColour;  // the sides' middles stay open
    const int lift = frame * 30;
    return rgb(200 + lift / 2, 160 + lift, 40 + lift);
}

// The shop's selection frame: the same, without its top-left corner, where
// the count of the chosen item the hero carries stands (4 pixels left of
// the icon, on its top row).
uint32_t shop_selection(int frame, int x, int y) {
    constexpr int kCountWidth = 8, kCountHeight = 10;
    if (x < kCountWidth && y < kCountHeight) return kKeyColour;
    return selection(frame, x, y);
}

// The mark of the worn armour and the held shield: a green bar under the
// icon and a small badge at its top-left corner (the picture is a whole
// cell; the icon stands 5 pixels right of the cell's left edge).
uint32_t worn_mark(int, int x, int y) {
    if (y >= kCellHeight - 2 && x >= 6 && x < 36) return rgb(80, 210, 110);
    if (x >= 5 && x < 11 && y < 6) return x == 5 || y == 0 || x == 10 || y == 5 ? rgb(20, 60, 30) : rgb(80, 210, 110);
    return kKeyColour;
}

uint32_t message_box(int, int x, int y) {
    const int edge = std::min({x, y, kBoxWidth - 1 - x, kBoxHeight - 1 - y});
    if (edge < 1) return rgb(200, 170, 100);
    if (edge < 2) return rgb(30, 22, 14);
    return rgb(40 + y / 6, 30 + y / 8, 22);
}

uint32_t quest_bar(int, int x, int y) {
    if (y == 0 || y == kQuestBarHeight - 1 || x == 0 || x == kQuestBarWidth - 1) return rgb(150, 110, 50);
    return rgb(250, 214, 120);
}

// The notice box: parchment with rounded ends and a dark rim; the icon
// stands at (10, 10) and the text from x 50.
uint32_t notice(int, int x, int y) {
    const int r = 8;
    const int cx = std::clamp(x, r, kNoticeWidth - 1 - r);
    const int cy = std::clamp(y, r, kNoticeHeight - 1 - r);
    const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    if (d2 > r * r) return kKeyColour;
    if (d2 > (r - 2) * (r - 2) || x < 2 || y < 2 || x > kNoticeWidth - 3 || y > kNoticeHeight - 3)
        return rgb(90, 70, 40);
    if (x >= 8 && x < 44 && y >= 8 && y < 44 && (x == 8 || x == 43 || y == 8 || y == 43)) return rgb(180, 150, 100);
    return rgb(244, 234, 206 - y / 6);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: inv_art OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    bool ok = true;
    for (const ItemIcon& icon : item_icons())
        ok = ok && write_picture(out, "tiles/item_" + std::to_string(icon.number) + ".bmp", kIcon, kIcon, 1,
                                 [&icon](int, int x, int y) { return icon.paint(x, y); });
    struct Tab {
        const char* name;
        int icon;
    };
    // Usable items, armour, weapons, wands, quest items: the order of the
    // tabs on the pages.
    constexpr Tab tabs[] = {{"item", 5}, {"armor", 8}, {"weapon", 2}, {"wand", 4}, {"quest", 12}};
    for (const Tab& t : tabs)
        ok = ok && write_picture(out, std::string("menus/inv/tab_") + t.name + ".bmp", kTab, kTab, 2,
                                 tab(item_icon(t.icon).paint));
    ok = ok && write_picture(out, "menus/inv/page.bmp", kScreenWidth, kScreenHeight, 1, page) &&
         write_picture(out, "menus/level/page.bmp", kScreenWidth, kScreenHeight, 1, attribute_page) &&
         write_picture(out, "menus/inv/quest_page.bmp", kScreenWidth, kScreenHeight, 1, quest_page) &&
         write_picture(out, "menus/inv/arrow_left.bmp", kArrow, kArrow, 3, arrow(false)) &&
         write_picture(out, "menus/inv/arrow_right.bmp", kArrow, kArrow, 3, arrow(true)) &&
         write_picture(out, "menus/inv/sel.bmp", kIcon, kIcon, 3, selection) &&
         write_picture(out, "menus/inv/shop_sel.bmp", kIcon, kIcon, 3, shop_selection) &&
         write_picture(out, "menus/inv/inv_active.bmp", kIcon + 5, kCellHeight, 1, worn_mark) &&
         write_picture(out, "menus/inv/infobox.bmp", kBoxWidth, kBoxHeight, 1, message_box) &&
         write_picture(out, "menus/inv/questsel.bmp", kQuestBarWidth, kQuestBarHeight, 1, quest_bar) &&
         write_picture(out, "talk/itembg.bmp", kNoticeWidth, kNoticeHeight, 1, notice);
    return ok ? 0 : 1;
}
