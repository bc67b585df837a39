// The hero's combat sprites (the base sprite with its poses, hurt and death
// frames, the heavy-damage sprite, and one attack sprite a kind of item) and the demo monsters'
// combat sprites. The hero faces left, toward the monster; monsters face
// right. Every figure stands on the bottom row of its frame.
#include <cmath>
#include <string>

#include "tools/bitmap_tools/frame_shapes.h"
#include "tools/combat_art/art.h"

namespace {

constexpr double kPi = 3.14159265358979;

// --- the hero -------------------------------------------------------------------

enum Held { kNothing = -1, kSword = 0, kMace = 1, kSpear = 2, kTwig = 3, kFlask = 4 };

struct Pose {
    Held held = kNothing;
    double lean = 0;       // shoulders right of the hips (backwards) in pixels
    double crouch = 0;     // hips lowered
    double arm = 200;      // the weapon arm's angle in degrees (180 = straight ahead, left)
    double item_angle = 100;  // the held item's angle
    double spark = 0;      // radius of a spark at the twig's tip
};

const uint32_t kSkin = rgb(232, 190, 150);
const uint32_t kTunic = rgb(52, 96, 150);
const uint32_t kTrousers = rgb(84, 62, 44);
const uint32_t kHair = rgb(120, 72, 30);
const uint32_t kSteel = rgb(206, 214, 224);
const uint32_t kWood = rgb(130, 86, 44);

void draw_item(const Frame& f, Held held, double hx, double hy, double angle, double spark) {
    const double a = angle * kPi / 180;
    const double dx = std::cos(a), dy = -std::sin(a);
    switch (held) {
    case kSword:
        f.line(hx - dx * 3, hy - dy * 3, hx + dx * 4, hy + dy * 4, 3, kWood);
        f.line(hx + dx * 4, hy + dy * 4, hx + dx * 26, hy + dy * 26, 3, kSteel);
        f.line(hx + dx * 4 - dy * 4, hy + dy * 4 + dx * 4, hx + dx * 4 + dy * 4, hy + dy * 4 - dx * 4, 2, rgb(200, 170, 60));
        break;
    case kMace:
        f.line(hx - dx * 3, hy - dy * 3, hx + dx * 18, hy + dy * 18, 3, kWood);
        f.disc(hx + dx * 20, hy + dy * 20, 5, rgb(110, 110, 120));
        break;
    case kSpear:
        f.line(hx - dx * 14, hy - dy * 14, hx + dx * 30, hy + dy * 30, 2, kWood);
        f.line(hx + dx * 30, hy + dy * 30, hx + dx * 37, hy + dy * 37, 3, kSteel);
        break;
    case kTwig:
        f.line(hx, hy, hx + dx * 16, hy + dy * 16, 2, rgb(150, 60, 30));
        if (spark > 0) f.disc(hx + dx * 18, hy + dy * 18, spark, rgb(255, 190, 60));
        break;
    case kFlask:
        f.ellipse(hx, hy - 4, 4, 5, rgb(200, 40, 50));
        f.fill(int(hx) - 1, int(hy) - 12, 3, 4, rgb(230, 230, 220));
        break;
    case kNothing: break;
    }
}

// A standing figure; cx is the middle of the feet, `ground` the bottom row.
void draw_standing(const Frame& f, double cx, int ground, const Pose& p) {
    const double hip_y = ground - 32 + p.crouch;
    const double shoulder_x = cx + p.lean, shoulder_y = hip_y - 26;
    const double knee = p.crouch > 8 ? p.crouch : 0;
    f.line(cx - 1, hip_y, cx - 7 - knee / 2, ground - 14 + knee / 3, 6, kTrousers);
    f.line(cx - 7 - knee / 2, ground - 14 + knee / 3, cx - 7, ground - 2, 6, kTrousers);
    f.line(cx + 1, hip_y, cx + 6, ground - 2, 6, kTrousers);
    f.fill(int(cx) - 11, ground - 3, 8, 3, rgb(40, 30, 24));
    f.fill(int(cx) + 3, ground - 3, 8, 3, rgb(40, 30, 24));
    // The far arm, then the body over it.
    f.line(shoulder_x + 4, shoulder_y + 2, shoulder_x + 8, shoulder_y + 20, 4, shade_percent(kTunic, 70));
    f.line(cx, hip_y, shoulder_x, shoulder_y, 13, kTunic);
    f.fill(int(cx) - 7, int(hip_y) - 3, 14, 3, rgb(90, 60, 30));
    const double head_x = shoulder_x - 1, head_y = shoulder_y - 10;
    f.disc(head_x, head_y, 7, kSkin);
    f.ellipse(head_x + 2, head_y - 4, 7, 4, kHair);
    f.put(int(head_x) - 4, int(head_y) - 1, rgb(30, 30, 40));
    // The weapon arm: upper arm and forearm toward the hand.
    const double a = p.arm * kPi / 180;
    const double hand_x = shoulder_x + std::cos(a) * 16, hand_y = shoulder_y - std::sin(a) * 16;
    f.line(shoulder_x - 2, shoulder_y + 2, hand_x, hand_y, 4, kTunic);
    draw_item(f, p.held, hand_x, hand_y, p.item_angle, p.spark);
    f.disc(hand_x, hand_y, 2.5, kSkin);
}

// Falling (share 0.5) or lying (1.0) toward the right, away from the foe.
void draw_fallen(const Frame& f, double cx, int ground, double share) {
    const double angle = share * 80 * kPi / 180;
    const double hip_x = cx, hip_y = ground - 8 - 20 * (1 - share);
    const double sx = hip_x + std::sin(angle) * 26, sy = hip_y - std::cos(angle) * 26;
    f.line(hip_x, hip_y, hip_x - 20, ground - 3, 6, kTrousers);
    f.line(hip_x, hip_y, hip_x - 16, ground - 2, 6, kTrousers);
    f.line(hip_x, hip_y, sx, sy, 12, kTunic);
    f.disc(sx + std::sin(angle) * 9, sy - std::cos(angle) * 9, 7, kSkin);
    f.ellipse(sx + std::sin(angle) * 11, sy - std::cos(angle) * 11 - 2, 6, 4, kHair);
    f.line(sx, sy + 2, sx - 10, ground - 2, 4, kTunic);
}

constexpr int kHeroWidth = 64;
constexpr int kHeroHeight = 96;
constexpr int kAttackWidth = 88;  // room for the weapon's reach on the left

// Poses of the base sprite, by frame: five idle poses (sword, mace, spear,
// magic, usable item), two hurt frames, a step back, five breathing poses,
// kneeling, falling and lying.
bool draw_base(const std::filesystem::path& out) {
    constexpr int frames = 16;
    Canvas canvas(kHeroWidth, kHeroHeight * frames, kKeyColour);
    const Pose idle[5] = {{kSword, 0, 0, 230, 110}, {kMace, 0, 0, 230, 115}, {kSpear, 0, 0, 215, 150},
                          {kTwig, 0, 0, 200, 150}, {kFlask, 0, 0, 240, 90}};
    for (int i = 0; i < frames; ++i) {
        const Frame f{canvas, i * kHeroHeight};
        const int ground = kHeroHeight - 1;
        const double cx = 34;
        if (i < 5) draw_standing(f, cx, ground, idle[i]);
        else if (i == 5) draw_standing(f, cx, ground, {kNothing, 6, 2, 250, 0});
        else if (i == 6) draw_standing(f, cx, ground, {kNothing, 10, 5, 260, 0});
        else if (i == 7) draw_standing(f, cx + 3, ground, {kNothing, 3, 1, 240, 0});
        else if (i < 13) {
            Pose breath = idle[i - 8];
            breath.crouch = 2;
            draw_standing(f, cx, ground, breath);
        } else if (i == 13) draw_standing(f, cx, ground, {kNothing, 5, 20, 250, 0});
        else draw_fallen(f, cx, ground, i == 14 ? 0.5 : 1.0);
    }
    return write_canvas(out, "combat/monsters/player_base.bmp", canvas);
}

// The heavy-damage sprite: a hard blow throws the hero back, his arms flung
// up, down onto his knees, and he staggers up again; four frames.
bool draw_heavy_damage(const std::filesystem::path& out) {
    constexpr int frames = 4;
    Canvas canvas(kHeroWidth, kHeroHeight * frames, kKeyColour);
    const Pose thrown[frames] = {{kNothing, 14, 4, 300, 0}, {kNothing, 16, 14, 290, 0}, {kNothing, 9, 9, 260, 0},
                                 {kNothing, 4, 2, 240, 0}};
    for (int i = 0; i < frames; ++i) draw_standing(Frame{canvas, i * kHeroHeight}, 30, kHeroHeight - 1, thrown[i]);
    return write_canvas(out, "combat/monsters/player_bigdamage.bmp", canvas);
}

// An attack sprite: four frames of one move with the item, in its own
// colours, wider than the base so that the reach shows.
bool draw_attack(const std::filesystem::path& out, const std::string& name, Held held) {
    constexpr int frames = 4;
    Canvas canvas(kAttackWidth, kHeroHeight * frames, kKeyColour);
    for (int i = 0; i < frames; ++i) {
        const Frame f{canvas, i * kHeroHeight};
        const int ground = kHeroHeight - 1;
        const double cx = kAttackWidth - 30;
        Pose p{held};
        switch (held) {
        case kSword: case kMace: {
            static const double arm[4] = {260, 120, 170, 200}, item[4] = {70, 150, 185, 200};
            p.arm = arm[i];
            p.item_angle = item[i];
            p.lean = i == 2 ? -8 : (i == 0 ? 4 : 0);
            break;
        }
        case kSpear: {
            static const double reach[4] = {4, -2, -10, -4};
            p.arm = 185;
            p.item_angle = 180;
            p.lean = reach[i];
            break;
        }
        case kTwig: {
            static const double arm[4] = {240, 190, 175, 190}, spark[4] = {0, 2, 5, 3};
            p.arm = arm[i];
            p.item_angle = arm[i] - 30;
            p.spark = spark[i];
            break;
        }
        case kFlask: {
            static const double arm[4] = {240, 160, 140, 200};
            p.arm = arm[i];
            p.item_angle = 90;
            p.lean = i == 2 ? 3 : 0;
            break;
        }
        case kNothing: break;
        }
        draw_standing(f, cx, ground, p);
    }
    return write_canvas(out, "combat/monsters/" + name + ".bmp", canvas);
}

// --- the monsters ----------------------------------------------------------------

// The Briar Rat: a grey-brown rat with a thorny back; frames idle, crouch,
// lunge, hurt, tail up.
void draw_rat(const Frame& f, int frame, int w, int h) {
    const double shift = frame == 2 ? 10 : (frame == 3 ? -6 : 0);
    const double low = frame == 1 ? 3 : 0;
    const uint32_t fur = frame == 3 ? rgb(190, 170, 160) : rgb(120, 100, 84);
    const double cx = w / 2.0 - 4 + shift, cy = h - 16 + low;
    f.line(cx - 22, cy + 4, cx - 36, frame == 4 ? cy - 16 : cy + 8, 3, rgb(200, 150, 140));
    f.ellipse(cx, cy, 22, 12, fur);
    for (int i = 0; i < 5; ++i) f.line(cx - 14 + i * 7, cy - 9, cx - 12 + i * 7, cy - 16, 2, rgb(60, 90, 40));
    f.ellipse(cx + 22, cy + 1, 10, 7, fur);
    f.disc(cx + 16, cy - 7, 4, rgb(210, 160, 150));
    f.disc(cx + 25, cy - 1, 1.5, rgb(20, 10, 10));
    f.disc(cx + 32, cy + 2, 2, rgb(60, 30, 30));
    f.line(cx - 10, cy + 10, cx - 12, h - 1, 3, shade_percent(fur, 70));
    f.line(cx + 12, cy + 10, cx + 14 + shift / 4, h - 1, 3, shade_percent(fur, 70));
}

// The Mossback Boar: a heavy dark boar with moss on its back and a tusk;
// frames idle, head down, charge, hurt, snort.
void draw_boar(const Frame& f, int frame, int w, int h) {
    const double shift = frame == 2 ? 12 : (frame == 3 ? -6 : 0);
    const double head_low = frame == 1 || frame == 2 ? 6 : (frame == 4 ? -4 : 0);
    const uint32_t hide = frame == 3 ? rgb(150, 120, 110) : rgb(84, 60, 48);
    const double cx = w / 2.0 - 8 + shift, cy = h - 30;
    for (int leg = 0; leg < 4; ++leg)
        f.line(cx - 24 + leg * 14, cy + 10, cx - 24 + leg * 14, h - 1, 6, shade_percent(hide, 70));
    f.ellipse(cx, cy, 36, 20, hide);
    f.ellipse(cx - 4, cy - 14, 26, 8, rgb(70, 120, 50));
    f.ellipse(cx + 36, cy + head_low, 15, 13, hide);
    f.ellipse(cx + 49, cy + 4 + head_low, 6, 5, rgb(170, 110, 100));
    f.line(cx + 44, cy + 8 + head_low, cx + 50, cy - 2 + head_low, 3, rgb(240, 234, 210));
    f.disc(cx + 38, cy - 5 + head_low, 2, rgb(250, 60, 40));
    if (frame == 4)
        for (int puff = 0; puff < 3; ++puff) f.disc(cx + 58 + puff * 3, cy + 2 - puff * 4, 2.5, rgb(230, 230, 230));
}

// The Hollow Wisp: a pale flame with a dark hollow, hovering; frames
// flicker, flare, cast, hurt, dim.
void draw_wisp(const Frame& f, int frame, int w, int h) {
    static const double size[5] = {1.0, 1.15, 1.3, 0.8, 0.9};
    const double s = size[frame];
    const double cx = w / 2.0 + (frame == 2 ? 6 : 0), cy = h / 2.0 - 4;
    const uint32_t outer = frame == 3 ? rgb(255, 160, 160) : rgb(150, 220, 255);
    f.ellipse(cx, cy + 14 * s, 8 * s, 18 * s, shade_percent(outer, 60));
    f.ellipse(cx, cy, 18 * s, 20 * s, outer);
    f.ellipse(cx, cy - 2, 11 * s, 13 * s, rgb(230, 250, 255));
    f.ellipse(cx, cy, 5 * s, 7 * s, rgb(30, 40, 70));
    if (frame == 2) f.disc(cx + 24, cy, 5, rgb(200, 240, 255));
}

// --- the monsters of the deep galleries ------------------------------------------

// The Gallery Crawler: a pale, many-legged crawler of the deep with a pair
// of hooked pincers; frames idle, rear up, strike, hurt, curl.
void draw_crawler(const Frame& f, int frame, int w, int h) {
    const double shift = frame == 2 ? 12 : (frame == 3 ? -6 : 0);
    const double rear = frame == 1 ? 8 : (frame == 2 ? 4 : 0);
    const uint32_t shell = frame == 3 ? rgb(236, 200, 200) : rgb(196, 184, 150);
    const double cx = w / 2.0 - 10 + shift, cy = h - 14;
    for (int seg = 0; seg < 6; ++seg) {
        const double sx = cx - 30 + seg * 10, sy = cy - (seg >= 4 ? rear * (seg - 3) / 2 : 0);
        const double r = frame == 4 ? 5 : 7;
        f.line(sx, sy + 4, sx - 4, h - 1, 2, shade_percent(shell, 60));
        f.line(sx, sy + 4, sx + 4, h - 1, 2, shade_percent(shell, 60));
        f.ellipse(sx, sy, r + 1, r, seg % 2 ? shell : shade_percent(shell, 85));
    }
    const double hx = cx + 30, hy = cy - rear * 1.5;
    f.ellipse(hx, hy, 9, 7, shade_percent(shell, 90));
    const double bite = frame == 2 ? 2 : 6;
    f.line(hx + 6, hy - 3, hx + 16, hy - bite, 3, rgb(120, 70, 50));
    f.line(hx + 6, hy + 3, hx + 16, hy + bite, 3, rgb(120, 70, 50));
    f.disc(hx + 4, hy - 3, 1.5, rgb(200, 30, 30));
    f.line(hx + 2, hy - 6, hx + 10, hy - 16, 1, shade_percent(shell, 60));
}

// The Slatehide Beetle: a squat beetle whose back is plated like a slate
// roof; frames idle, brace, ram, hurt, shell up.
void draw_beetle(const Frame& f, int frame, int w, int h) {
    const double shift = frame == 2 ? 14 : (frame == 3 ? -6 : 0);
    const double lift = frame == 4 ? 8 : (frame == 1 ? -3 : 0);
    const uint32_t slate = frame == 3 ? rgb(170, 150, 170) : rgb(78, 88, 104);
    const double cx = w / 2.0 - 6 + shift, cy = h - 26;
    for (int leg = 0; leg < 3; ++leg) {
        const double lx = cx - 20 + leg * 18;
        f.line(lx, cy + 8, lx - 8, h - 1, 4, rgb(40, 40, 48));
        f.line(lx, cy + 8, lx + 8, h - 1, 4, rgb(30, 30, 36));
    }
    f.ellipse(cx, cy - lift / 2, 34, 20 + lift / 2, slate);
    for (int row = 0; row < 3; ++row)
        for (int plate = 0; plate < 4 - row % 2; ++plate)
            f.ellipse(cx - 22 + plate * 14 + (row % 2) * 7, cy - 12 + row * 7 - lift, 7, 4, shade_percent(slate, 115 - row * 10));
    f.line(cx - 2, cy - 20 - lift, cx - 2, cy + 12, 1, shade_percent(slate, 50));
    f.ellipse(cx + 34, cy + 4, 12, 10, shade_percent(slate, 70));
    f.line(cx + 42, cy + 2, cx + 54, cy - 6, 4, rgb(60, 60, 64));
    f.line(cx + 42, cy + 8, cx + 54, cy + 14, 4, rgb(60, 60, 64));
    f.disc(cx + 38, cy, 2, rgb(230, 200, 60));
}

// The Tippling Delver: the ghost of an old delver, lamp on his cap and a
// stone flask in his fist; frames idle, sway, lurch, hurt, swig.
void draw_tippler(const Frame& f, int frame, int w, int h) {
    const double sway = frame == 1 ? 4 : (frame == 2 ? 8 : (frame == 3 ? -5 : 0));
    const uint32_t mist = frame == 3 ? rgb(240, 190, 190) : rgb(170, 200, 190);
    const double cx = w / 2.0 + sway, ground = h - 1;
    f.ellipse(cx - sway / 2, ground - 10, 14, 10, shade_percent(mist, 70));
    f.line(cx - sway / 2, ground - 14, cx, ground - 52, 22, mist);
    f.ellipse(cx, ground - 50, 15, 12, shade_percent(mist, 90));
    const double head_x = cx + 2, head_y = ground - 70;
    f.disc(head_x, head_y, 10, rgb(200, 220, 210));
    f.ellipse(head_x, head_y - 8, 11, 5, rgb(96, 84, 70));
    f.disc(head_x + 6, head_y - 11, 3, rgb(255, 220, 120));
    f.line(head_x - 6, head_y + 6, head_x + 8, head_y + 8, 4, rgb(230, 236, 230));  // beard
    f.put(int(head_x) + 5, int(head_y) - 1, rgb(20, 30, 30));
    const bool swig = frame == 4;
    const double hand_x = swig ? head_x + 9 : cx + 16, hand_y = swig ? head_y + 2 : ground - 40;
    f.line(cx + 8, ground - 56, hand_x, hand_y, 5, shade_percent(mist, 80));
    f.ellipse(hand_x + 2, hand_y - (swig ? 4 : 0), 5, 7, rgb(150, 130, 100));
    f.fill(int(hand_x), int(hand_y) - (swig ? 14 : 10), 4, 4, rgb(90, 70, 50));
}

// The Bellwarden: the delvers' guardian, a tall figure of grey stone with a
// cracked bronze bell for a head and a maul in its hands; frames idle,
// raise the maul, strike, hurt, toll.
void draw_warden(const Frame& f, int frame, int w, int h) {
    const double lean = frame == 2 ? 10 : (frame == 3 ? -6 : 0);
    const uint32_t stone = frame == 3 ? rgb(200, 170, 170) : rgb(118, 116, 110);
    const uint32_t bronze = frame == 4 ? rgb(240, 200, 90) : rgb(176, 120, 56);
    const double cx = w / 2.0 - 8, ground = h - 1;
    f.line(cx - 10, ground - 44, cx - 14, ground - 2, 12, shade_percent(stone, 75));
    f.line(cx + 10, ground - 44, cx + 14, ground - 2, 12, shade_percent(stone, 75));
    f.fill(int(cx) - 24, int(ground) - 5, 18, 5, shade_percent(stone, 55));
    f.fill(int(cx) + 6, int(ground) - 5, 18, 5, shade_percent(stone, 55));
    const double sx = cx + lean, sy = ground - 82;
    f.line(cx, ground - 44, sx, sy, 34, stone);
    for (int crack = 0; crack < 3; ++crack)
        f.line(sx - 8 + crack * 7, sy + 6 + crack * 9, sx - 2 + crack * 7, sy + 14 + crack * 9, 1, shade_percent(stone, 50));
    // The bell: a rounded crown widening to its lip, with a clapper below.
    const double bx = sx + 2, by = sy - 22;
    f.ellipse(bx, by - 6, 11, 9, bronze);
    f.line(bx, by - 2, bx, by + 8, 26, bronze);
    f.fill(int(bx) - 16, int(by) + 10, 33, 3, shade_percent(bronze, 70));
    f.disc(bx + 2, by + 15, 3, rgb(60, 50, 40));
    f.line(bx + 6, by - 10, bx + 9, by + 4, 1, rgb(70, 44, 20));  // the crack
    if (frame == 4)
        for (int ring = 0; ring < 3; ++ring) f.line(bx + 20 + ring * 6, by - 10, bx + 20 + ring * 6, by + 10, 1, rgb(250, 240, 190));
    // The maul: both hands on its haft, raised, swung forward or at rest.
    static const double haft[5] = {60, 110, 5, 40, 60};
    const double a = haft[frame] * kPi / 180;
    const double hx = sx + 18, hy = sy + 26;
    const double tx = hx + std::cos(a) * 34, ty = hy - std::sin(a) * 34;
    f.line(sx + 10, sy + 8, hx, hy, 8, shade_percent(stone, 90));
    f.line(hx - std::cos(a) * 8, hy + std::sin(a) * 8, tx, ty, 4, kWood);
    f.ellipse(tx, ty, 9, 7, rgb(84, 84, 92));
}

using MonsterPainter = void (*)(const Frame&, int, int, int);

bool draw_monster(const std::filesystem::path& out, const std::string& name, int w, int h, MonsterPainter paint) {
    constexpr int frames = 5;
    Canvas canvas(w, h * frames, kKeyColour);
    for (int i = 0; i < frames; ++i) paint(Frame{canvas, i * h}, i, w, h);
    return write_canvas(out, "combat/monsters/" + name + ".bmp", canvas);
}

}  // namespace

bool draw_hero_sprites(const std::filesystem::path& out) {
    return draw_base(out) && draw_heavy_damage(out) && draw_attack(out, "player_sword", kSword) && draw_attack(out, "player_spear", kSpear) &&
           draw_attack(out, "player_mace", kMace) && draw_attack(out, "player_magic", kTwig) &&
           draw_attack(out, "player_drink", kFlask);
}

bool draw_monster_sprites(const std::filesystem::path& out) {
    return draw_monster(out, "cbriarrat", 96, 56, draw_rat) && draw_monster(out, "cmossboar", 132, 84, draw_boar) &&
           draw_monster(out, "chollowwisp", 72, 96, draw_wisp) &&
           draw_monster(out, "cgallerycrawler", 112, 56, draw_crawler) &&
           draw_monster(out, "cslatebeetle", 128, 72, draw_beetle) &&
           draw_monster(out, "ctippler", 80, 100, draw_tippler) && draw_monster(out, "cbellwarden", 112, 132, draw_warden);
}
