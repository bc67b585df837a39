// Action scripts: which lines an action takes for the flags it was started
// with, the defaults of short lines, and the weapon digit of the hero's hurt
// and return animations.
#include "game/effects/action_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/files/ini_file.h"

namespace {

// One line of each kind for every flag value, named after the value.
const char* const kEveryFlag =
    "[hit]\n"
    "ShowResult = 7\n"
    "Sound = 0, 100, \"s0\", 0\nSound = 0, 100, \"s1\", PLAY_ALWAYS\n"
    "Sound = 0, 100, \"s2\", PLAY_SMALLDAMAGE\nSound = 0, 100, \"s3\", PLAY_ALWAYS | PLAY_SMALLDAMAGE\n"
    "Sound = 0, 100, \"s4\", PLAY_BIGDAMAGE\nSound = 0, 100, \"s6\", PLAY_SMALLDAMAGE | PLAY_BIGDAMAGE\n"
    "Sound = 0, 100, \"s7\", 7\nSound = 0, 100, \"s8\", PLAY_MONSTER_BIGDAMAGE\n"
    "Animation = ON_SPRITE1, 0, \"a0\", 0\nAnimation = ON_SPRITE1, 0, \"a1\", 1\n"
    "Animation = ON_SPRITE1, 0, \"a2\", 2\nAnimation = ON_SPRITE1, 0, \"a3\", 3\n"
    "Animation = ON_SPRITE1, 0, \"a4\", 4\nAnimation = ON_SPRITE1, 0, \"a6\", 6\n"
    "Animation = ON_SPRITE1, 0, \"a7\", 7\nAnimation = ON_SPRITE1, 0, \"a8\", 8\n"
    "Effect = ON_SPRITE2, 0, 5, \"e0\", 0\nEffect = ON_SPRITE2, 0, 5, \"e1\", 1\n"
    "Effect = ON_SPRITE2, 0, 5, \"e2\", 2\nEffect = ON_SPRITE2, 0, 5, \"e3\", 3\n"
    "Effect = ON_SPRITE2, 0, 5, \"e4\", 4\nEffect = ON_SPRITE2, 0, 5, \"e6\", 6\n"
    "Effect = ON_SPRITE2, 0, 5, \"e7\", 7\nEffect = ON_SPRITE2, 0, 5, \"e8\", 8\n";

CombatAction parse(const std::string& text, const std::string& section, const ActionStart& start) {
    IniFile script;
    attach_action_symbols(script);
    script.parse(text);
    CombatAction action;
    take_action_lines(action, script, section, start);
    return action;
}

// The flag digits of the lines taken, in file order.
std::string taken(const CombatAction& action, char kind) {
    std::string digits;
    if (kind == 's')
        for (const ActionSound& s : action.sounds) digits += char(s.file[1]);
    if (kind == 'a')
        for (const ActionAnimation& a : action.animations) digits += a.name[1];
    if (kind == 'e')
        for (const ActionEffect& e : action.effects) digits += e.name[1];
    return digits;
}

TEST(ActionScriptTest, LinesAreTakenByTheFlagsTheActionStartedWith) {
    struct Case {
        int32_t flags;
        const char* lines;
    };
    const Case cases[] = {
        {2, "12367"},     // a hit: PLAY_ALWAYS, and the lines holding bit 2
        {0, "01234678"},  // an item use takes everything
        {1, "137"},       // a miss (and a monster's appearance)
        {4, "1467"},      // a hard hit
        {6, "167"},
    };
    for (const Case& c : cases) {
        const CombatAction action = parse(kEveryFlag, "hit", ActionStart{c.flags, -1, {-1, -1}});
        for (char kind : {'s', 'a', 'e'})
            EXPECT_EQ(taken(action, kind), c.lines) << "flags " << c.flags << " kind " << kind;
        EXPECT_EQ(action.show_frame, 7);
    }
}

TEST(ActionScriptTest, ShortLinesTakeTheirDefaults) {
    const CombatAction action = parse(
        "[Quiet]\nAnimation = ON_SPRITE2\nSound = 3, 900, \"loud.wav\"\nSound = 4, -9, \"soft.wav\"\n"
        "Effect = 1, 2\n",
        "quiet", ActionStart{0, -1, {-1, -1}});
    EXPECT_EQ(action.show_frame, 20);
    ASSERT_EQ(action.animations.size(), 1u);
    EXPECT_EQ(action.animations[0].sprite, kOnSprite2);
    EXPECT_EQ(action.animations[0].start_frame, 0);
    EXPECT_EQ(action.animations[0].name, "none");
    EXPECT_EQ(action.animations[0].state, kElementWaiting);
    ASSERT_EQ(action.sounds.size(), 2u);
    EXPECT_EQ(action.sounds[0].volume, 255);  // volumes are 0..255
    EXPECT_EQ(action.sounds[1].volume, 0);
    EXPECT_EQ(action.sounds[0].state, kElementPlaying);
    ASSERT_EQ(action.effects.size(), 1u);
    EXPECT_EQ(action.effects[0].name, "none");
    EXPECT_EQ(action.effects[0].duration, 0);
    EXPECT_FALSE(action.effects[0].anchored);
}

TEST(ActionScriptTest, AnchoredEffectsTakeTheCallersAnchor) {
    const CombatAction action =
        parse("[bolt]\nEffect = ON_SPRITE2, 3, -2, \"spark\", PLAY_ALWAYS, 1\nEffect = 0, 0, 4, \"glow\", 1, 0\n",
              "bolt", ActionStart{2, -1, {130, 77}});
    ASSERT_EQ(action.effects.size(), 2u);
    EXPECT_TRUE(action.effects[0].anchored);
    EXPECT_EQ(action.effects[0].anchor, (Point{130, 77}));
    EXPECT_EQ(action.effects[0].duration, -2);
    EXPECT_EQ(action.effects[0].start_frame, 3);
    EXPECT_FALSE(action.effects[1].anchored);
}

TEST(ActionScriptTest, HurtAndReturnAnimationsOfTheSecondSpriteCarryTheWeaponDigit) {
    struct Case {
        const char* name;
        int32_t sprite;
        int32_t weapon_kind;
        const char* played;
    };
    const Case cases[] = {
        {"Damage", 1, 0, "Damage1"}, {"Damage", 1, 1, "Damage2"}, {"Damage", 1, 2, "Damage4"},
        {"Damage", 1, 3, "Damage3"}, {"Damage", 1, 5, "Damage5"}, {"Damage", 1, 4, "Damage"},
        {"Damage", 1, -1, "Damage"}, {"Back", 1, 0, "Back1"},     {"Back", 1, 2, "Back4"},
        {"back", 1, 3, "back3"},     {"Damage", 0, 2, "Damage"},  {"Attack", 1, 2, "Attack"},
        {"Damaged", 1, 2, "Damaged"},
    };
    for (const Case& c : cases) {
        const std::string text = "[hurt]\nAnimation = " + std::to_string(c.sprite) + ", 0, \"" + c.name + "\", 1\n";
        const CombatAction action = parse(text, "hurt", ActionStart{2, c.weapon_kind, {-1, -1}});
        ASSERT_EQ(action.animations.size(), 1u);
        EXPECT_EQ(action.animations[0].name, c.played) << c.name << " kind " << c.weapon_kind;
    }
}

TEST(ActionScriptTest, ScriptsAreNamedAfterTheirAction) {
    EXPECT_EQ(action_script_path("boar_snort"), u"actions\\boar_snort.txt");
}

}  // namespace
