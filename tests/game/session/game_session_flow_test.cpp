// The road a player takes through the menus across program runs: a new
// game, a save into slot 1, the end of the program, a second run that
// continues the automatic save and loads slot 1, and settings that outlive
// the run. The walking screen is not part of these tests: the hero is moved
// through the World directly, as walking would move it.
#include "engine/ui/game_key.h"
#include "game/screens/game_io_state.h"
#include "game/screens/main_menu_state.h"
#include "tests/game/screens/menu_screen_support.h"

namespace {

class GameSessionFlowTest : public MenuScreenTest {
protected:
    MainMenuState& menu_state() { return *static_cast<MainMenuState*>(current()); }
    UiMenu& page() {
        if (auto* menu = dynamic_cast<MainMenuState*>(current())) return *menu->menu();
        return *static_cast<GameIOState*>(current())->page();
    }
    void tick_until(const std::string& state, int limit = 200) {
        for (int i = 0; i < limit && current_name() != state; ++i) tick();
        ASSERT_EQ(current_name(), state);
    }
    struct HeroSnapshot {
        uint32_t level = 0;
        int x = 0, y = 0;
        int32_t gold = 0;
        size_t items = 0;
        bool operator==(const HeroSnapshot&) const = default;
    };
    HeroSnapshot snapshot() {
        const HeroActor& h = world().hero();
        return {world().current_level_id(), h.x, h.y, h.gold, h.inventory.size()};
    }
    void walk_and_gain(int dx) {
        HeroActor& h = world().hero();
        world().move_hero(world().current_level_id(), h.x + dx, h.y, h.facing);
        h.gold += 11;
        h.add_item(world().item_groups.front()->items.front()->id);
    }
    void restart() {
        game_shutdown();
        ASSERT_EQ(game_startup(), 1);
        ASSERT_EQ(current_name(), "Menu");
    }
};

TEST_F(GameSessionFlowTest, NewGameSaveEndThenContinueAndLoadInTheNextRun) {
    start_game();
    EXPECT_EQ(menu_state().menu()->find_control(u"CONT")->enabled, 0);
    key(kKeyDown);  // focus on "New game"
    key(kKeyAction);
    key(kKeyDown);  // "Easy"
    key(kKeyAction);
    tick_until("Walking");

    walk_and_gain(64);
    const HeroSnapshot in_slot = snapshot();
    g_app->game()->switch_state("GameIO", 1);  // the walk HUD's save button
    tick(2);
    tap_control(page(), u"SLOT1");
    tick_until("Walking");

    walk_and_gain(32);
    const HeroSnapshot at_exit = snapshot();
    restart();  // the exit saved the game to be continued
    EXPECT_EQ(snapshot(), at_exit);
    EXPECT_NE(menu_state().menu()->find_control(u"CONT")->enabled, 0);
    EXPECT_NE(menu_state().menu()->find_control(u"LOAD")->enabled, 0);
    tap_control(page(), u"CONT");
    tick_until("Walking");
    EXPECT_EQ(snapshot(), at_exit);

    g_app->game()->switch_state("Menu", 1);  // the walk HUD's menu button
    tap_control(page(), u"LOAD");
    tick(2);
    tap_control(page(), u"SLOT1");
    tick_until("Menu");
    EXPECT_EQ(snapshot(), in_slot);
}

TEST_F(GameSessionFlowTest, SettingsChangedInTheMenuOutliveTheRun) {
    start_game();
    tap_control(page(), u"SETTINGS");
    tap_control(page(), u"HEAL");
    tap_control(page(), u"EQUIP");
    page().set_var(u"MusicVol", 1);
    tap_control(page(), u"GFX");
    tap_control(page(), u"BACK");
    const GameSettings chosen = g_app->settings;
    EXPECT_EQ(chosen.auto_heal, 0);
    EXPECT_EQ(chosen.music_volume, 1);
    restart();
    EXPECT_EQ(g_app->settings, chosen);
    EXPECT_EQ(menu_state().menu()->get_var(u"AutoEquip"), 0);
}

}  // namespace
