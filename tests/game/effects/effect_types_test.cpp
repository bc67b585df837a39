// Every effect type built here plays to its end from a file that gives no
// keys at all, and from one whose divisors and ranges are 0 or negative,
// on a sprite, without one, and anchored; and none leaves a sprite behind.
#include <gtest/gtest.h>

#include <string>

#include "engine/graphics/sprite_group.h"
#include "game/effects/action_player.h"
#include "tests/game/effects/action_player_support.h"

namespace {

const char* const kTypes[] = {"PARTICLESYS", "PARTICLESYSX", "PARTICLESYSX2", "DRAGONFLY",    "CIRCLEPATH",
                              "EARTHSHAKE",  "MOVE",         "LIGHTNING",     "LENSFLAIR",    "PIXELWAVE",
                              "PIXELAURA",   "ANIMTRAIL",    "COLORCHANGER",  "RESIZESPRITE", "DIZZY",
                              "SNAKE",       "SNAKEX",       "GHOST",         "SPECIALEFFECT"};

// Zero and negative values for every divisor, range and count the types read.
const char* const kZeroKeys =
    "S = 0\nP1 = 0\nP2 = 0\nP3 = 0\nSpeed = 0\nAlphaSpeed = 0\nCollectdistX = 0\nCollectdistY = 0\n"
    "Collectspeed = 0\nNsteps = 0\nMoveSpeed = 0\nradchgspeed = 0\nMaxstep = 0\ndivy = 0\nMAXDX = 0\n"
    "maxpause = 0\nShakeSize = -3\nrepeat = -5\nCount = 0\nSpawnCount = 0\nTTL = 0\n";
const char* const kBusyKeys =
    "Sprite = \"fighter.spr\"\nSprite1 = \"fighter.spr\"\nS = 5\nP1 = 3\nP2 = 7\nP3 = -9\nSpawnCount = 6\nTTL = 4\nChgAlpha = -2\nAlphaSpeed = -1\nCollect = 1\n"
    "Collectdir = 2\nMove = 1\nNsteps = 12\nMoveSpeed = -4\nPlace = 0, 0\nPlace = 30, 5\nCount = 8\nMAXDX = -4\n"
    "maxpause = -1\nrepeat = 1\nBottom = 60\nBottomOrientation = 1\nGY = 9000\n";

// Values at the ends of the 32-bit range wherever a coordinate goes.
const char* const kHugeKeys =
    "Move = 1\nNsteps = 5\nPlace = 2147483647, -2147483648\nPlace = -2147483648, 2147483647\n"
    "Place = 2147483647, 2147483647\nox = 2147483647\noy = -2147483648\ndx = 2147483647\ndy = 2147483647\n"
    "MinRad1 = -2147483648\nMaxRad1 = 2147483647\nRadStep = 2147483647\nposx = 2147483647\nposy = 2147483647\n"
    "MAXDX = 2147483647\nShakeSize = 2147483647\nCollect = 1\nCollectdistX = 2147483647\n"
    "CollectdistY = 2147483647\nCollectspeed = -2147483648\nSpawnCount = 3\nTTL = 3\nBottom = 2147483647\n"
    "DegStep = 2147483647\nCount = 5\nGX = 2147483647\nGY = -2147483648\n";

class EffectTypesTest : public ActionPlayerTest {};

TEST_F(EffectTypesTest, EveryTypeEndsWithinAFrameBound) {
    struct Variant {
        const char* name;
        const char* keys;
        bool with_sprites;
        bool anchored;
    };
    const Variant variants[] = {{"defaults", "", true, false},
                                {"zero divisors", kZeroKeys, true, false},
                                {"busy", kBusyKeys, true, true},
                                {"no sprites", kBusyKeys, false, true},
                                {"huge", kHugeKeys, true, false}};
    constexpr int kBound = 400;
    for (const char* type : kTypes)
        for (const Variant& v : variants) {
            folder_.write("effects/fx.txt", std::string("[fx]\nType = ") + type + "\n" + v.keys);
            script("fx", "Effect = ON_SPRITE2, 1, 10, \"fx\", PLAY_ALWAYS, 1\n");
            group_.remove_all();
            Sprite* hero = v.with_sprites ? fighter(170, 120) : nullptr;
            Sprite* monster = v.with_sprites ? fighter(40, 110) : nullptr;
            {
                ActionPlayer player(nullptr);
                player.load_action("fx", &group_, hero, monster, 0, 0, -1, v.anchored ? 60 : -1, v.anchored ? 90 : -1);
                int frames = 0;
                while (player.running_count() > 0 && frames < kBound + 1) {
                    player.update();
                    ++frames;
                }
                EXPECT_LE(frames, kBound) << type << ", " << v.name;
                EXPECT_EQ(player.effect_layer()->sprites().count(), 0) << type << ", " << v.name;
            }
            if (monster) {
                EXPECT_EQ(monster->x, 40) << type << ", " << v.name;
                EXPECT_EQ(monster->y, 110) << type << ", " << v.name;
                EXPECT_EQ(monster->alpha, 32) << type << ", " << v.name;
            }
        }
}

}  // namespace
