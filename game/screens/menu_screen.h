// What the game's menu screens share: the page file that suits the map
// layer, the click they play, and the "focus style" way of passing the pen
// and the keys to a menu (the pen focuses what it touches and acts when it
// is lifted; keys act when released).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/geometry.h"

class Game;
class Layer;
class SpriteGroup;
class UiMenu;

// "menus/main/menu" -> "menus/main/menu_480.def" on a 480-wide layer,
// "menus/main/menu_q.def" on a 480-high one, else "menus/main/menu.def".
std::u16string page_variant(std::u16string_view base, Size layer);

// "sfx\switchon.wav" at volume 190, when the game has sound.
void play_menu_click();

// A sprite group on `layer` at `depth`, covering `area` (layer pixels).
SpriteGroup* add_page_group(Layer& layer, Rect area, uint32_t depth);

// When a screen drawn over the map leaves: the map's groups shown and
// redrawn, and the characters' sprites given back if low memory took them.
void show_map_groups(Game& game);

// What a focus-style event did to the menu.
struct MenuInput {
    int32_t result = 1;        // the menu's last answer (MenuResult)
    bool focused_first = false;  // a key only gave the focus to the first control
    std::u16string command;      // set with result 3
};

// Pen kinds 3 (move), 4 (down) and 5 (up) at a point relative to the menu's
// group: down and move focus the control under the pen; up clears the
// focus and then taps.
MenuInput send_pen_focus_style(UiMenu& menu, int kind, Point at);
// A released game key; key 8 counts as the action key. When the menu has no
// use for the key and no control has the focus, the first control gets it.
MenuInput send_key_focus_style(UiMenu& menu, uint32_t game_key);

// Whether the menu's current page has a focused control.
bool menu_has_focus(const UiMenu& menu);
