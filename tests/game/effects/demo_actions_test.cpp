// The demo's action scripts: every action the demo story names has one,
// each sound it plays is in the demo data, and played on the combat
// sprites each script shows its result and ends with its sprites at rest.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "engine/core/text_helpers.h"
#include "engine/files/ini_file.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/sprite_def.h"
#include "game/effects/action_player.h"
#include "game/effects/action_script.h"
#include "game/effects/effect_file.h"
#include "tests/engine/pictures/graphics_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDemo = NIMBREL_DEMO_DATA_DIR;

// The action names of the demo story's items ("action=") and monsters'
// appearances ("appear=").
std::set<std::string> story_action_names() {
    std::ifstream in(std::string(NIMBREL_SOURCE_DIR) + "/data/story/demo.story");
    const std::regex named(R"re(\b(action|appear)="([^"<]+)")re");
    std::set<std::string> names;
    for (std::string line; std::getline(in, line);)
        for (std::sregex_iterator m(line.begin(), line.end(), named), end; m != end; ++m) names.insert((*m)[2]);
    return names;
}

std::vector<std::string> demo_scripts() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kDemo / "actions"))
        if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
    return names;
}

CombatAction read_demo_script(const std::string& name, int32_t flags) {
    CombatAction action;
    EXPECT_TRUE(read_action_script(action, name, ActionStart{flags, -1, {-1, -1}})) << name;
    return action;
}

class DemoActionsTest : public ::testing::Test {
protected:
    ResourceFiles resources_{kDemo.u16string()};
};

TEST_F(DemoActionsTest, EveryActionTheStoryNamesHasAScript) {
    const std::set<std::string> names = story_action_names();
    EXPECT_TRUE(names.count("boar_snort"));
    for (const std::string& name : names)
        EXPECT_TRUE(fs::exists(kDemo / "actions" / (name + ".txt"))) << name;
}

TEST_F(DemoActionsTest, ScriptsHaveTheirSectionAndPlaySoundsThatExist) {
    const std::vector<std::string> names = demo_scripts();
    EXPECT_GE(names.size(), 9u);
    for (const std::string& name : names) {
        IniFile script;
        attach_action_symbols(script);
        ASSERT_EQ(script.load(action_script_path(name)), 1) << name;
        EXPECT_NE(script.find_section(name.c_str()), nullptr) << name;
        const CombatAction action = read_demo_script(name, 0);
        // The level-up's plays over a page, on no sprites.
        if (name != "level_up") {
            EXPECT_FALSE(action.animations.empty()) << name;
        }
        EXPECT_FALSE(action.sounds.empty()) << name;
        for (const ActionSound& sound : action.sounds)
            EXPECT_TRUE(fs::exists(kDemo / utf16_to_utf8(sound.file))) << name << ": " << utf16_to_utf8(sound.file);
    }
}

TEST_F(DemoActionsTest, EveryEffectTheScriptsNameIsThereWithAKnownType) {
    std::set<std::string> effects;
    for (const std::string& name : demo_scripts())
        for (const ActionEffect& effect : read_demo_script(name, 0).effects) effects.insert(effect.name);
    EXPECT_GE(effects.size(), 6u);
    for (const std::string& name : effects) {
        EffectFile file;
        ASSERT_TRUE(file.load(name)) << name;
        EXPECT_GE(file.type(), 0) << name;
        EXPECT_LT(file.type(), kEffectTypeCount) << name;
        const std::string sprite = file.text("Sprite", "");
        if (!sprite.empty()) {
            EXPECT_TRUE(fs::exists(kDemo / sprite)) << name << ": " << sprite;
        }
    }
}

// Who plays each script: the first and the second sprite, the flags its
// caller starts it with and the weapon kinds it passes (the hero's attacks
// pass none; the monster's attacks and item uses the one the hero holds).
struct Staging {
    const char* action;
    const char* first;
    const char* second;
    std::vector<int32_t> flags;
    std::vector<int32_t> weapon_kinds;
};

const std::vector<int32_t> kHits = {1, 2, 4};
const std::vector<int32_t> kHeldWeapons = {-1, 0, 1, 2, 3};

const Staging kStagings[] = {
    {"slash", "player_sword", "cbriarrat", kHits, {-1}},
    {"thrust", "player_spear", "cmossboar", kHits, {-1}},
    {"bash", "player_mace", "chollowwisp", kHits, {-1}},
    {"ember", "player_magic", "cmossboar", kHits, {-1}},
    {"drink", "cbriarrat", "player_drink", {0}, kHeldWeapons},
    {"bite", "cbriarrat", "player_base", kHits, kHeldWeapons},
    {"gore", "cmossboar", "player_base", kHits, kHeldWeapons},
    {"wispfire", "chollowwisp", "player_base", kHits, kHeldWeapons},
    {"boar_snort", "cmossboar", "player_base", {1}, {-1}},
    {"swig", "ctippler", "player_base", {0}, kHeldWeapons},
    {"warden_toll", "cbellwarden", "player_base", {1}, {-1}},
};

std::u16string combat_sprite(const char* name) { return utf8_to_utf16(std::string("combat/monsters/") + name + ".spr"); }

TEST_F(DemoActionsTest, ScriptsShowTheirResultAndEndOnTheCombatSprites) {
    if (!fs::exists(kDemo / "combat/monsters/player_base.spr")) GTEST_SKIP() << "no combat sprites in the demo data";
    for (const Staging& s : kStagings)
        for (int32_t flags : s.flags)
            for (int32_t weapon_kind : s.weapon_kinds) {
                SpriteGroup group;
                Sprite* first = group.create_sprite(combat_sprite(s.first), 0, 0, 0, 0, 0, 0);
                Sprite* second = group.create_sprite(combat_sprite(s.second), 0, 0, 0, 0, 0, 0);
                ActionPlayer player(nullptr);
                const int32_t id = player.load_action(s.action, &group, first, second, flags, 1, weapon_kind, -1, -1);
                const CombatAction& action = player.action(0);
                for (const ActionAnimation& a : action.animations) {
                    EXPECT_GE(action.sprite(a.sprite)->def->find_animation(a.name), 0)
                        << s.action << ": " << a.name << " on " << (a.sprite ? s.second : s.first);
                }
                const int32_t show_frame = action.show_frame;
                int result_frames = 0, updates = 0;
                for (; updates < 300 && player.find_action(id) >= 0; ++updates) {
                    result_frames += player.is_at_last_frame(id) ? 1 : 0;
                    // Turn-bound effects end with the turn, as the fight counts them.
                    if (updates > show_frame && player.is_action_finished(id)) player.end_looping_effects();
                    player.update();
                }
                EXPECT_EQ(result_frames, 1) << s.action << " flags " << flags;
                EXPECT_LT(updates, 120) << s.action << " flags " << flags;
                EXPECT_LT(first->current_animation, 0) << s.action;
                EXPECT_LT(second->current_animation, 0) << s.action;
            }
}

}  // namespace
