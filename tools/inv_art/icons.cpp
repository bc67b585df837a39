#include "tools/inv_art/icons.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct P {
    double x, y;
};

// Distance of (x, y) from the segment a-b.
double segment_distance(double x, double y, P a, P b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}
// Where (x, y) lies along a-b, 0 at a and 1 at b.
double along(double x, double y, P a, P b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    return std::clamp(((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
}
double radius(double x, double y, P c) { return std::hypot(x - c.x, y - c.y); }

// A stick from a to b, its half width growing from w0 to w1; an outline one
// pixel wide in `rim`.
uint32_t stick(int x, int y, P a, P b, double w0, double w1, uint32_t fill, uint32_t rim) {
    const double t = along(x + 0.5, y + 0.5, a, b);
    const double w = w0 + (w1 - w0) * t;
    const double d = segment_distance(x + 0.5, y + 0.5, a, b);
    if (d > w + 1) return kKeyColour;
    return d > w ? rim : fill;
}

uint32_t over(uint32_t top, uint32_t below) { return top != kKeyColour ? top : below; }

uint32_t sack(int x, int y) {
    const double r = radius(x + 0.5, y + 0.5, {16, 19});
    if (y >= 5 && y < 9 && std::abs(x - 16) < 4) return rgb(120, 80, 40);
    if (r > 11) return kKeyColour;
    return r > 10 ? rgb(70, 50, 30) : rgb(190, 150, 100 - y);
}

uint32_t cudgel(int x, int y) { return stick(x, y, {7, 26}, {24, 6}, 1.5, 4.5, rgb(150, 100, 55), rgb(70, 45, 25)); }

uint32_t knife(int x, int y) {
    const uint32_t blade = stick(x, y, {14, 18}, {26, 5}, 2.5, 0.5, rgb(215, 220, 228), rgb(90, 95, 110));
    const uint32_t guard = stick(x, y, {10, 14}, {18, 22}, 1, 1, rgb(170, 150, 90), rgb(80, 60, 30));
    const uint32_t grip = stick(x, y, {6, 27}, {13, 19}, 2, 2, rgb(110, 70, 40), rgb(50, 30, 15));
    return over(guard, over(blade, grip));
}

uint32_t spear(int x, int y) {
    const uint32_t tip = stick(x, y, {21, 10}, {28, 3}, 3, 0.3, rgb(60, 50, 40), rgb(20, 15, 10));
    const uint32_t shaft = stick(x, y, {4, 28}, {22, 9}, 1, 1, rgb(180, 140, 90), rgb(90, 60, 30));
    return over(tip, shaft);
}

uint32_t twig(int x, int y) {
    const double glow = radius(x + 0.5, y + 0.5, {24, 7});
    if (glow < 3) return rgb(255, 230, 120);
    if (glow < 5) return rgb(250, 140, 40);
    const uint32_t branch = stick(x, y, {18, 16}, {12, 10}, 0.8, 0.6, rgb(120, 80, 40), rgb(60, 40, 20));
    return over(branch, stick(x, y, {6, 27}, {23, 8}, 1.5, 1, rgb(130, 85, 45), rgb(60, 40, 20)));
}

// A round flask of `size` (radius of the bowl) filled with `liquid`.
uint32_t flask(int x, int y, double size, uint32_t liquid) {
    const P bowl{16, 30 - size - 1};
    const double r = radius(x + 0.5, y + 0.5, bowl);
    const int neck_top = int(bowl.y - size - 6);
    if (r <= size) {
        if (r > size - 1) return rgb(60, 70, 80);
        if (y < bowl.y - size / 3) return rgb(210, 230, 240);  // glass above the liquid
        return (x + y) % 9 == 0 ? rgb(250, 250, 250) : liquid;
    }
    if (std::abs(x - 16) <= 2 && y >= neck_top && y < bowl.y - size + 1)
        return y < neck_top + 3 ? rgb(150, 100, 60) : rgb(200, 220, 230);  // cork, neck
    return kKeyColour;
}

uint32_t minor_tonic(int x, int y) { return flask(x, y, 8, rgb(90, 200, 140)); }
uint32_t greater_tonic(int x, int y) { return flask(x, y, 11, rgb(40, 130, 60)); }

uint32_t draught(int x, int y) {
    if (x < 11 || x > 21 || y < 4 || y > 29) return kKeyColour;
    if (y < 8) return std::abs(x - 16) <= 1 ? rgb(150, 100, 60) : kKeyColour;
    if (y < 12 && std::abs(x - 16) > 2) return kKeyColour;
    if (x == 11 || x == 21 || y == 29 || (y < 12 && std::abs(x - 16) == 2)) return rgb(60, 50, 40);
    return y > 15 ? rgb(230, 120, 30) : rgb(220, 220, 210);
}

// A sleeveless tunic of `length` pixels below the shoulders.
uint32_t tunic(int x, int y, int length, uint32_t fill, uint32_t seam) {
    const int dx = std::abs(x - 16);
    const bool body = y >= 5 && y < 5 + length && dx <= (y < 10 ? 6 + (y - 5) : 11);
    const bool neck = y < 9 && dx < 3;
    if (!body || neck) return kKeyColour;
    if (dx == 11 || y == 4 + length || (y < 10 && dx == 6 + (y - 5))) return rgb(50, 35, 20);
    return (y - 5) % 5 == 0 || x == 16 ? seam : fill;
}

uint32_t jerkin(int x, int y) { return tunic(x, y, 20, rgb(200, 180, 140), rgb(160, 140, 100)); }
uint32_t coat(int x, int y) { return tunic(x, y, 25, rgb(140, 90, 50), rgb(100, 60, 30)); }

uint32_t buckler(int x, int y) {
    const double r = radius(x + 0.5, y + 0.5, {16, 16});
    if (r > 12) return kKeyColour;
    if (r > 11) return rgb(90, 70, 30);
    return (x / 3 + y / 3) % 2 ? rgb(200, 170, 100) : rgb(170, 140, 80);
}

uint32_t roundshield(int x, int y) {
    const double r = radius(x + 0.5, y + 0.5, {16, 16});
    if (r > 14) return kKeyColour;
    if (r > 12) return rgb(150, 155, 165);
    if (r < 3) return rgb(190, 195, 205);
    return x % 6 == 0 ? rgb(110, 70, 35) : rgb(150, 100, 55);
}

uint32_t lantern(int x, int y) {
    const int dx = std::abs(x - 16);
    if (y >= 3 && y < 7 && dx <= 4 && (y == 3 || dx >= 3)) return rgb(170, 140, 60);  // handle
    if (y >= 7 && y < 10 && dx <= 7) return rgb(180, 150, 70);
    if (y >= 10 && y < 25 && dx <= 6) {
        if (dx == 6 || dx == 0) return rgb(120, 140, 70);  // green with pond weed
        return radius(x + 0.5, y + 0.5, {16, 17}) < 4 ? rgb(250, 220, 120) : rgb(200, 210, 170);
    }
    if (y >= 25 && y < 29 && dx <= 8) return rgb(160, 130, 60);
    return kKeyColour;
}

uint32_t letter(int x, int y) {
    if (x < 4 || x > 27 || y < 8 || y > 24) return kKeyColour;
    if (radius(x + 0.5, y + 0.5, {16, 17}) < 3.5) return rgb(170, 30, 30);  // the wax seal
    if (x == 4 || x == 27 || y == 8 || y == 24) return rgb(120, 100, 70);
    if (std::abs((y - 8) - (x - 4) * 8 / 12) == 0 || std::abs((y - 8) - (27 - x) * 8 / 12) == 0) return rgb(170, 150, 110);
    return rgb(240, 230, 205);
}

// The village's later stock.
uint32_t rushlight_wand(int x, int y) {
    const double flame = radius(x + 0.5, (y + 0.5) * 0.7 + 2, {23, 6.5});
    if (flame < 2) return rgb(255, 245, 190);
    if (flame < 3.5) return rgb(240, 190, 80);
    return stick(x, y, {7, 27}, {22, 10}, 1.2, 1, rgb(215, 205, 160), rgb(110, 100, 70));
}

uint32_t hazel_switch(int x, int y) {
    const uint32_t leaf = radius(x + 0.5, y + 0.5, {21, 13}) < 3 ? rgb(90, 170, 60) : kKeyColour;
    const uint32_t fork = stick(x, y, {17, 15}, {26, 9}, 0.8, 0.5, rgb(150, 110, 70), rgb(70, 50, 30));
    const uint32_t spark = radius(x + 0.5, y + 0.5, {26, 4}) < 2.5 ? rgb(250, 120, 40) : kKeyColour;
    return over(spark, over(leaf, over(fork, stick(x, y, {5, 28}, {25, 4}, 1.5, 0.8, rgb(150, 110, 70), rgb(70, 50, 30)))));
}

uint32_t hatchet(int x, int y) {
    const uint32_t head = stick(x, y, {19, 5}, {26, 12}, 3.5, 4.5, rgb(160, 165, 175), rgb(70, 75, 85));
    return over(head, stick(x, y, {6, 28}, {21, 8}, 1.5, 1.5, rgb(140, 95, 50), rgb(65, 40, 20)));
}

uint32_t hauberk(int x, int y) {
    const uint32_t c = tunic(x, y, 26, rgb(110, 75, 45), rgb(90, 60, 35));
    if (c != kKeyColour && c != rgb(50, 35, 20) && x % 4 == 1 && y % 4 == 1) return rgb(200, 200, 210);
    return c;
}

uint32_t kiteshield(int x, int y) {
    const int dx = std::abs(x - 16);
    const int half = y < 4 || y > 29 ? -1 : y < 12 ? 11 : 11 - (y - 12) * 11 / 18;
    if (dx > half) return kKeyColour;
    if (dx == half || y == 4) return rgb(150, 155, 165);
    if (radius(x + 0.5, y + 0.5, {16, 12}) < 3) return rgb(190, 195, 205);
    return dx < 2 ? rgb(200, 170, 60) : rgb(120, 40, 40);
}

// What the monsters fight with.
uint32_t teeth(int x, int y) {
    // A jaw of four yellowed fangs above a dark gum.
    if (y >= 6 && y < 10 && x >= 4 && x < 28) return y == 6 ? rgb(90, 30, 30) : rgb(150, 60, 60);
    if (y < 10 || y > 26 || x < 5 || x > 26) return kKeyColour;
    const int fang = (x - 5) % 6, depth = (y - 10) * 3 / 16;  // each fang narrows to its point
    if (fang < depth || fang > 5 - depth) return kKeyColour;
    return fang == depth || fang == 5 - depth ? rgb(120, 110, 60) : rgb(235, 225, 170);
}

uint32_t tusks(int x, int y) {
    // Two tusks, thick at their muddy roots low in the middle, thinning as
    // they curve up and out to their points.
    const int mirrored = x < 16 ? x : 31 - x;
    if (mirrored > 13 || y < 5) return kKeyColour;
    const double half = 0.6 + (y - 5) * 2.2 / 20;
    const double d = std::abs(radius(mirrored + 0.5, y + 0.5, {16, 5}) - 14);
    if (d > half + 1) return kKeyColour;
    if (d > half) return rgb(90, 80, 60);
    return mirrored > 10 && y > 15 ? rgb(120, 85, 50) : rgb(240, 232, 205);
}

uint32_t marsh_fire(int x, int y) {
    // A cold green flame: a teardrop rising to a point, paler at its heart.
    const double cx = 16 + std::sin(y * 0.45) * 1.5;
    const double half = y < 4 ? 0 : y < 20 ? (y - 4) * 9.0 / 16 : std::sqrt(std::max(0.0, 81 - (y - 20) * (y - 20) * 1.0));
    const double d = std::abs(x + 0.5 - cx);
    if (d > half || y > 29) return kKeyColour;
    if (d > half - 1) return rgb(20, 90, 50);
    return d < half / 3 ? rgb(210, 255, 200) : rgb(80, 220, 120);
}

uint32_t gold(int x, int y) {
    // Three coins, one stacked on two.
    for (P c : {P{11, 21}, P{21, 21}, P{16, 12}}) {
        const double r = radius(x + 0.5, y + 0.5, c);
        if (r <= 7) return r > 6 ? rgb(140, 100, 10) : r < 3 ? rgb(255, 235, 120) : rgb(235, 190, 40);
    }
    return kKeyColour;
}

}  // namespace

uint32_t art_dim(uint32_t c) {
    return rgb(int(c >> 16 & 0xFF) * 2 / 3, int(c >> 8 & 0xFF) * 2 / 3, int(c & 0xFF) * 2 / 3);
}

const std::vector<ItemIcon>& item_icons() {
    static const std::vector<ItemIcon> icons = {
        {0, sack},    {1, cudgel},       {2, knife},    {3, spear},    {4, twig},
        {5, minor_tonic}, {6, greater_tonic}, {7, draught}, {8, jerkin}, {9, coat},
        {10, buckler}, {11, roundshield}, {12, lantern}, {13, letter}, {14, teeth},
        {15, tusks},  {16, marsh_fire}, {48, rushlight_wand}, {49, hazel_switch}, {50, hatchet},
        {51, hauberk}, {52, kiteshield}, {86, gold},
    };
    return icons;
}

const ItemIcon& item_icon(int number) {
    for (const ItemIcon& icon : item_icons())
        if (icon.number == number) return icon;
    return item_icons().front();
}
