// The item icons, "tiles/item_<n>.bmp", 32 by 32 on the colour key. The
// number is the item's icon (its first parameter in the story); 0 is the
// plain bag an item without an icon shows, 86 the gold of a reward.
//
//   1 cudgel   2 knife   3 spear   4 wand    5 small tonic  6 large tonic
//   7 draught  8 jerkin  9 coat   10 buckler 11 round shield 12 lantern
//  13 letter  14 claw   15 tusk   16 spark   86 gold
#include <functional>
#include <string>

#include "tools/combat_art/art.h"
#include "tools/combat_art/shapes.h"

namespace {

constexpr int kIcon = 32;
const uint32_t kWood = rgb(130, 86, 44);
const uint32_t kSteel = rgb(206, 214, 224);

void potion(const Frame& f, uint32_t liquid, double size) {
    f.ellipse(16, 20, 9 * size, 9 * size, rgb(230, 240, 250));
    f.ellipse(16, 20, 7.5 * size, 7.5 * size, liquid);
    f.rect(13, int(20 - 9 * size) - 6, 7, 7, rgb(230, 240, 250));
    f.rect(12, int(20 - 9 * size) - 8, 9, 3, rgb(150, 100, 60));
}

void garment(const Frame& f, uint32_t cloth) {
    f.rect(9, 8, 14, 20, cloth);
    f.line(9, 9, 3, 18, 5, cloth);
    f.line(22, 9, 28, 18, 5, cloth);
    f.rect(14, 8, 4, 3, rgb(60, 40, 30));
    for (int y = 12; y < 28; y += 4) f.rect(10, y, 12, 1, shade(cloth, 75));
}

using IconPainter = std::function<void(const Frame&)>;

struct Icon {
    int number;
    IconPainter paint;
};

const Icon kIcons[] = {
    {0, [](const Frame& f) {
         f.ellipse(16, 20, 10, 9, rgb(170, 130, 80));
         f.line(12, 10, 20, 10, 3, rgb(120, 80, 40));
     }},
    {1, [](const Frame& f) {
         f.line(8, 26, 22, 8, 4, kWood);
         f.disc(23, 7, 5, shade(kWood, 80));
     }},
    {2, [](const Frame& f) {
         f.line(7, 25, 12, 20, 4, rgb(60, 40, 30));
         f.line(12, 20, 25, 7, 3, kSteel);
     }},
    {3, [](const Frame& f) {
         f.line(4, 28, 24, 8, 2, kWood);
         f.line(24, 8, 29, 3, 4, rgb(40, 40, 40));
     }},
    {4, [](const Frame& f) {
         f.line(7, 26, 22, 10, 3, rgb(150, 60, 30));
         f.disc(24, 8, 4, rgb(255, 190, 60));
         f.disc(24, 8, 2, rgb(255, 250, 200));
     }},
    {5, [](const Frame& f) { potion(f, rgb(210, 40, 50), 0.8); }},
    {6, [](const Frame& f) { potion(f, rgb(60, 170, 70), 1.0); }},
    {7, [](const Frame& f) { potion(f, rgb(60, 90, 220), 0.9); }},
    {8, [](const Frame& f) { garment(f, rgb(150, 130, 100)); }},
    {9, [](const Frame& f) { garment(f, rgb(120, 70, 40)); }},
    {10, [](const Frame& f) {
         f.disc(16, 16, 12, rgb(200, 170, 100));
         for (int r = 4; r < 12; r += 3) f.disc(16, 16, r, r % 2 ? rgb(170, 140, 80) : rgb(200, 170, 100));
     }},
    {11, [](const Frame& f) {
         f.disc(16, 16, 13, rgb(90, 90, 100));
         f.disc(16, 16, 11, rgb(140, 96, 50));
         f.disc(16, 16, 3, rgb(90, 90, 100));
     }},
    {12, [](const Frame& f) {
         f.rect(10, 10, 12, 16, rgb(180, 150, 60));
         f.rect(12, 12, 8, 12, rgb(250, 230, 140));
         f.line(11, 8, 21, 8, 2, rgb(120, 100, 40));
     }},
    {13, [](const Frame& f) {
         f.rect(5, 9, 22, 15, rgb(240, 230, 200));
         f.line(5, 9, 16, 18, 1, rgb(150, 140, 110));
         f.line(27, 9, 16, 18, 1, rgb(150, 140, 110));
         f.disc(16, 19, 3, rgb(180, 40, 40));
     }},
    {14, [](const Frame& f) {
         for (int c = 0; c < 3; ++c) f.line(8 + c * 7, 8, 12 + c * 7, 26, 3, rgb(230, 220, 200));
     }},
    {15, [](const Frame& f) {
         for (double t = 0; t < 1; t += 0.05) f.disc(6 + t * 20, 26 - t * 14 - t * t * 8, 4 - t * 3, rgb(240, 234, 210));
     }},
    {16, [](const Frame& f) {
         f.disc(16, 16, 10, rgb(150, 220, 255));
         f.disc(16, 16, 5, rgb(240, 250, 255));
     }},
    {86, [](const Frame& f) {
         for (int c = 0; c < 3; ++c) {
             f.ellipse(10 + c * 6, 24 - c * 5, 8, 4, rgb(200, 150, 30));
             f.ellipse(10 + c * 6, 23 - c * 5, 7, 3, rgb(250, 210, 70));
         }
     }},
};

}  // namespace

bool draw_item_icons(const std::filesystem::path& out) {
    for (const Icon& icon : kIcons) {
        Canvas canvas(kIcon, kIcon, kKeyColour);
        icon.paint(Frame{canvas, 0});
        if (!write_canvas(out, "tiles/item_" + std::to_string(icon.number) + ".bmp", canvas)) return false;
    }
    return true;
}
