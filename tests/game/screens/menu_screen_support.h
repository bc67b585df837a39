// A started game in a temporary write folder, for the tests of the menu
// screens: the demo story and pages, saves in the folder's "savegame", and
// helpers that press keys and tap controls as a player would.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/app/screen.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_control.h"
#include "engine/ui/ui_menu.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"
#include "game/world/hero_actor.h"
#include "game/world/world.h"
#include "tests/game/session/demo_game_folder.h"

class MenuScreenTest : public DemoGameFixture {
protected:
    // Starts the game (its saves go to the temporary folder's "savegame")
    // with a living hero; the menu is current.
    void start_game() {
        ASSERT_EQ(game_startup(), 1);
        ASSERT_TRUE(std::filesystem::exists(save_file("newgame.gam")));
        ASSERT_GT(world().hero().hit_points, 0);
        g_app->game()->switch_state("Menu", 0);
    }

    World& world() const { return g_app->world; }
    GameState* current() const { return g_app->game()->current_state(); }
    std::string current_name() const { return current() ? current()->name() : std::string(); }
    std::string save_file(const std::string& name) const { return folder + "/savegame/" + name; }

    void tick(int n = 1) {
        for (int i = 0; i < n && current(); ++i) current()->update();
    }
    // A key pressed and released.
    void key(uint32_t game_key) {
        GameState* state = current();
        state->on_key(kKeyPress, game_key, 0);
        if (current() == state) state->on_key(kKeyRelease, game_key, 0);
    }
    // Pen down and up in the middle of a control, `origin` being where the
    // menu's group stands on the screen.
    void tap_control(const UiMenu& menu, std::u16string_view name) {
        const UiControl* control = menu.find_control(name);
        ASSERT_NE(control, nullptr) << utf16_to_utf8(name);
        const Point origin = menu.group()->position();
        const Rect r = control->screen_rect();
        tap({origin.x + (r.left + r.right) / 2, origin.y + (r.top + r.bottom) / 2});
    }
    void tap(Point at) {
        GameState* state = current();
        state->on_pointer(kPenDown, at.x, at.y);
        if (current() == state) state->on_pointer(kPenUp, at.x, at.y);
    }
    static std::string read_file(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void write_file(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
};
