#include "game/effects/action_script.h"

#include <algorithm>
#include <string>

#include "engine/core/text_helpers.h"
#include "engine/files/ini_file.h"

namespace {

IniSymbol g_action_symbols[] = {
    {"PLAY_ALWAYS", kPlayAlways, 0xFFFFFFFF},
    {"PLAY_SMALLDAMAGE", kPlaySmallDamage, 0xFFFFFFFF},
    {"PLAY_BIGDAMAGE", kPlayBigDamage, 0xFFFFFFFF},
    {"PLAY_MONSTER_BIGDAMAGE", kPlayMonsterBigDamage, 0xFFFFFFFF},
    {"ON_SPRITE1", kOnSprite1, 0xFFFFFFFF},
    {"ON_SPRITE2", kOnSprite2, 0xFFFFFFFF},
    {nullptr, 0, 0},
};

constexpr int32_t kMaxVolume = 255;

// Reads the lines of one key of the script's section, one instance each.
template <typename Take>
void for_each_line(IniFile& script, const char* section, const char* key, Take take) {
    for (int32_t line = 0; script.find_key(section, line, key); ++line) take(line);
}

void take_effects(CombatAction& action, IniFile& script, const char* section, const ActionStart& start) {
    for_each_line(script, section, "Effect", [&](int32_t line) {
        if (!line_is_played(script.get_int(0, "Effect", section, line, 4), start.flags)) return;
        ActionEffect effect;
        effect.sprite = script.get_int(kOnSprite1, "Effect", section, line, 0);
        effect.start_frame = script.get_int(0, "Effect", section, line, 1);
        effect.duration = script.get_int(0, "Effect", section, line, 2);
        effect.name = script.get_string("none", "Effect", section, line, 3);
        if (script.get_int(0, "Effect", section, line, 5) != 0) {
            effect.anchored = true;
            effect.anchor = start.anchor;
        }
        action.effects.push_back(std::move(effect));
    });
}

void take_animations(CombatAction& action, IniFile& script, const char* section, const ActionStart& start) {
    for_each_line(script, section, "Animation", [&](int32_t line) {
        if (!line_is_played(script.get_int(0, "Animation", section, line, 3), start.flags)) return;
        ActionAnimation animation;
        animation.sprite = script.get_int(kOnSprite1, "Animation", section, line, 0);
        animation.start_frame = script.get_int(0, "Animation", section, line, 1);
        animation.name = script.get_string("none", "Animation", section, line, 2);
        // The hero is the second sprite of the attacks that hurt him.
        if (start.weapon_kind != -1 && animation.sprite != kOnSprite1)
            animation.name = weapon_animation_name(animation.name, start.weapon_kind);
        action.animations.push_back(std::move(animation));
    });
}

void take_sounds(CombatAction& action, IniFile& script, const char* section, const ActionStart& start) {
    for_each_line(script, section, "Sound", [&](int32_t line) {
        if (!line_is_played(script.get_int(0, "Sound", section, line, 3), start.flags)) return;
        ActionSound sound;
        sound.start_frame = script.get_int(0, "Sound", section, line, 0);
        sound.volume = std::clamp(script.get_int(0, "Sound", section, line, 1), 0, kMaxVolume);
        sound.file = script.get_wstring(u"none", "Sound", section, line, 2);
        action.sounds.push_back(std::move(sound));
    });
}

}  // namespace

std::u16string action_script_path(std::string_view name) { return u"actions\\" + utf8_to_utf16(name) + u".txt"; }

void attach_action_symbols(IniFile& script) { script.set_symbol_table(g_action_symbols); }

std::string weapon_animation_name(std::string_view name, int32_t weapon_kind) {
    std::string result(name);
    if (!equals_ignore_case(name, "Damage") && !equals_ignore_case(name, "Back")) return result;
    switch (weapon_kind) {
        case 0: return result + "1";
        case 1: return result + "2";
        case 2: return result + "4";
        case 3: return result + "3";
        case 5: return result + "5";
        default: return result;
    }
}

void take_action_lines(CombatAction& action, IniFile& script, std::string_view name, const ActionStart& start) {
    const std::string section(name);
    action.show_frame = script.get_int(action.show_frame, "ShowResult", section.c_str());
    take_effects(action, script, section.c_str(), start);
    take_animations(action, script, section.c_str(), start);
    take_sounds(action, script, section.c_str(), start);
}

bool read_action_script(CombatAction& action, std::string_view name, const ActionStart& start) {
    IniFile script;
    attach_action_symbols(script);
    if (!script.load(action_script_path(name))) return false;
    take_action_lines(action, script, name, start);
    return true;
}
