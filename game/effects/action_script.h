// The action script format: "actions/<name>.txt", a key file with a section
// named like the action. Lines (a key may repeat; each line is one element,
// in file order):
//
//   ShowResult = frame                                   (default 20)
//   Animation  = sprite, start frame, "name", play flags
//   Sound      = start frame, volume, "file", play flags
//   Effect     = sprite, start frame, duration, "name", play flags, anchored
//
// Symbols: PLAY_ALWAYS 1, PLAY_SMALLDAMAGE 2, PLAY_BIGDAMAGE 4,
// PLAY_MONSTER_BIGDAMAGE 8, ON_SPRITE1 0, ON_SPRITE2 1. File names use "/".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/geometry.h"
#include "game/effects/combat_action.h"

class IniFile;

// How an action was started: which lines it takes and how it names them.
struct ActionStart {
    int32_t flags = 0;         // see line_is_played
    int32_t weapon_kind = -1;  // -1: animation names as they stand
    Point anchor{-1, -1};      // where anchored effects go
};

// "actions\<name>.txt".
std::u16string action_script_path(std::string_view name);

// Fills the action's show frame and elements from its script. False when
// the script cannot be read: the action keeps show frame 20 and no elements.
bool read_action_script(CombatAction& action, std::string_view name, const ActionStart& start);
// The same from a parsed document (tests build them from text).
void take_action_lines(CombatAction& action, IniFile& script, std::string_view name, const ActionStart& start);

// "Damage" and "Back" get the digit of the weapon kind the hero holds:
// 0 "1", 1 "2", 2 "4", 3 "3", 5 "5"; other kinds and names stay.
std::string weapon_animation_name(std::string_view name, int32_t weapon_kind);

// Attaches the script symbols (PLAY_*, ON_SPRITE*) to a document.
void attach_action_symbols(IniFile& script);
