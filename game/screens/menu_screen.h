// What the game's menu screens share: the page file that suits the map
// layer, the click they play, their pages' lifetime, and the "focus style"
// way of passing the pen and the keys to a menu (the pen focuses what it
// touches and acts when it is lifted; keys act when released).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/app/scene.h"
#include "engine/core/geometry.h"

class Game;
class Layer;
class SpriteGroup;
class UiMenu;

// "menus/main/menu" -> "menus/main/menu_480.def" on a 480-wide layer,
// "menus/main/menu_q.def" on a 480-high one, else "menus/main/menu.def".
std::u16string page_variant(std::u16string_view base, Size layer);

// The message and question pages ("menus/io/message.def",
// "menus/io/confirm_reset.def") are laid out for a group of their picture's
// size; every screen shows them centred over its layer.
inline constexpr Size kDialogSize{203, 106};
Rect centred_dialog_area(Size layer);

// "sfx\switchon.wav" at volume 190, when the game has sound.
void play_menu_click();

// A menu page in a sprite group of its own on a screen's layer: the group
// stays on the layer while the screen is entered; the page (a UiMenu) is
// loaded into it when shown and unloaded when closed. Used like a pointer
// to the page.
class MenuPage {
public:
    MenuPage();
    ~MenuPage();
    MenuPage(const MenuPage&) = delete;
    MenuPage& operator=(const MenuPage&) = delete;

    // Puts an empty group on `layer` at `depth`, covering `area` (layer pixels).
    void add_group(Layer& layer, Rect area, uint32_t depth);
    // Unloads the page and takes the group off `layer`; null when the layer
    // is gone with its groups.
    void remove_group(Layer* layer);
    // Loads the page file `path` into the group, unloading a page still shown.
    UiMenu& load(std::u16string_view path);
    // Unloads the page and clears its sprites; the group stays.
    void unload();

    SpriteGroup* group() const { return group_; }
    UiMenu* get() const { return menu_.get(); }
    UiMenu* operator->() const { return menu_.get(); }
    UiMenu& operator*() const { return *menu_; }
    explicit operator bool() const { return menu_ != nullptr; }

private:
    std::unique_ptr<UiMenu> menu_;
    SpriteGroup* group_ = nullptr;
};

// The scene's screen of type `S` (each is registered once), or null: for a
// screen that takes account of another's state.
template <typename S>
S* find_screen(const Scene& scene) {
    for (GameState* state : scene.states())
        if (auto* screen = dynamic_cast<S*>(state)) return screen;
    return nullptr;
}

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
// A released game key; the first button counts as the action key. When the
// menu has no use for the key and no control has the focus, the first
// control gets it.
MenuInput send_key_focus_style(UiMenu& menu, uint32_t game_key);

// Whether the menu's current page has a focused control.
bool menu_has_focus(const UiMenu& menu);
