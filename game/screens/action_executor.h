// Carries out the story's coded actions: what triggers, people's topics and
// combat rewards ask of the game (items, gold, flags, tile changes, people
// placed, level changes, music, and the screens they open).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/app/screen_argument.h"
#include "engine/core/geometry.h"

class Game;
struct Action;

// The action codes, by group (the high byte).
enum ActionCode : uint16_t {
    kActGiveItem = 0x101,
    kActTakeItem = 0x102,
    kActGiveGold = 0x103,
    kActTakeGold = 0x104,
    kActExperience = 0x105,
    kActStory = 0x201,
    kActShop = 0x202,
    kActTalk = 0x203,
    kActPortraitPart = 0x204,
    kActWalkTo = 0x205,
    kActHeal = 0x206,
    kActWait = 0x207,
    kActSleep = 0x208,
    kActQuest = 0x209,
    kActRestore = 0x20A,
    kActEnding1 = 0x20B,
    kActEnding2 = 0x20C,
    kActEnding3 = 0x20D,
    kActHeroLooks = 0x20E,
    kActHudMode = 0x20F,
    kActItemReward = 0x210,
    kActGoldReward = 0x211,
    kActStats = 0x212,
    kActAutosave = 0x213,
    kActFlagFromExpression = 0x301,
    kActSetFlag = 0x302,
    kActStairs = 0x401,
    kActChangeLevel = 0x402,
    kActChangeLevelByFlag = 0x403,
    kActWalkNpc = 0x404,
    kActCameraFocus = 0x405,
    kActCameraRelease = 0x406,
    kActTileField = 0x501,
    kActToggleTile = 0x502,
    kActPlaceNpc = 0x503,
    kActPlaceMonster = 0x505,
    kActRemoveNpc = 0x506,
    kActSound = 0x601,
    kActMusic = 0x602,
    kActStopMusic = 0x603,
    kActLockedMusic = 0x604,
    kActUnlockMusic = 0x605,
};

// Runs one action on the game and returns 0. Unknown codes do nothing;
// an action whose item, person, flag, level or text cannot be found is
// skipped with a line on stderr. Afterwards the walk HUD is brought up to
// date.
int run_action(Game& game, const Action& action);

// A packed tile position (x tile in bits 0..14, y tile in bits 16..31) in
// map pixels.
Point packed_tile_pixels(uint32_t packed);

// Switches to the named screen with the argument; a name that is not one of
// the game's screens is logged and the game stays where it is. True when the
// switch happened.
bool enter_screen(Game& game, std::string_view name, ScreenArgument argument);
