#include "game/screens/main_menu_state.h"

#include "engine/app/frame_loop.h"
#include "engine/graphics/display.h"
#include "game/story/slot_index.h"
#include "game/sound/sound_manager.h"
#include "game/world/map_level.h"
#include "tests/game/screens/menu_screen_support.h"
#include "tests/game/sound/recorded_sounds.h"

namespace {

class MainMenuTest : public MenuScreenTest {
protected:
    MainMenuState& menu_state() { return *static_cast<MainMenuState*>(current()); }
    UiMenu& menu() { return *menu_state().menu(); }
    bool enabled(std::u16string_view name) { return menu().find_control(name)->enabled != 0; }
    std::u16string page() { return menu().current()->name(); }
    void reopen_menu(uintptr_t argument = 0) { g_app->game()->switch_state("Menu", argument); }
};

TEST_F(MainMenuTest, EntriesAreEnabledOnlyWhenThereIsSomethingToContinueLoadOrSave) {
    start_game();
    EXPECT_EQ(current_name(), "Menu");
    EXPECT_FALSE(enabled(u"CONT"));
    EXPECT_FALSE(enabled(u"LOAD"));
    EXPECT_FALSE(enabled(u"SAVE"));

    g_app->resumable = true;
    world().saving_allowed = true;
    reopen_menu();
    EXPECT_TRUE(enabled(u"CONT"));
    EXPECT_TRUE(enabled(u"SAVE"));

    world().hero().hit_points = 0;
    reopen_menu();
    EXPECT_FALSE(enabled(u"CONT"));
    EXPECT_FALSE(enabled(u"SAVE"));

    // An automatic slot counts only with its save beside it.
    write_file(save_file("autoio.ini"), "[savedata]\r\ndata = 5000, \"Vale\", \"Autosave!\", 1\r\n");
    reopen_menu();
    EXPECT_FALSE(enabled(u"LOAD"));
    write_file(save_file("save6.dat"), "#");
    reopen_menu();
    EXPECT_TRUE(enabled(u"LOAD"));
}

TEST_F(MainMenuTest, NewGameByKeysStartsOnTheChosenDifficultyAndLeavesForWalking) {
    start_game();
    world().difficulty = 1;
    ASSERT_TRUE(world().save_state(world().save_path("newgame.gam")));
    world().difficulty = 0;

    key(kKeyDown);  // the first key only shows the focus: "New game", since "Continue" is off
    key(kKeyAction);
    ASSERT_NE(menu_state().difficulty_menu(), nullptr);
    key(kKeyDown);  // focus on "Easy"
    key(kKeyDown);  // "Normal"
    key(kKeyDown);  // "Hard"
    key(kKeyAction);
    EXPECT_EQ(menu_state().difficulty_menu(), nullptr);
    EXPECT_EQ(menu_state().mode(), MainMenuState::kNewGame);
    EXPECT_TRUE(menu_state().leaving());
    EXPECT_EQ(world().difficulty, 2);
    EXPECT_TRUE(g_app->resumable);
    EXPECT_TRUE(world().saving_allowed);
    EXPECT_TRUE(world().saves_exist);
    EXPECT_TRUE(g_app->game()->hud_mode());

    tick(15);
    EXPECT_EQ(current_name(), "Menu");  // still fading out
    tick(10);
    EXPECT_EQ(current_name(), "Walking");
}

TEST_F(MainMenuTest, NewGameByPenEmptiesThePendingStoryAndPlacesTheHero) {
    start_game();
    HeroActor& hero = world().hero();
    const uint32_t start_level = hero.level ? hero.level->id : hero.level_id;
    hero.x = 7;  // moved after the new-game file was written
    g_app->game()->actions().push(nullptr);
    g_app->game()->post_transition(kTransitionFadeOut, kTransitionCombat, 1, 2);

    tap_control(menu(), u"NEW");
    ASSERT_NE(menu_state().difficulty_menu(), nullptr);
    // A tap beside every control of the page does nothing.
    tap({21, 91});
    ASSERT_NE(menu_state().difficulty_menu(), nullptr);
    tap_control(*menu_state().difficulty_menu(), u"EASY");
    EXPECT_EQ(world().difficulty, 0);
    EXPECT_TRUE(g_app->game()->actions().empty());
    EXPECT_NE(g_app->game()->transition().pending().kind, kTransitionCombat);
    EXPECT_NE(hero.x, 7);
    EXPECT_EQ(world().current_level_id(), start_level);
}

TEST_F(MainMenuTest, NewGameWithoutItsFileStaysInTheMenuAndSaysSo) {
    start_game();
    std::filesystem::remove(save_file("newgame.gam"));
    tap_control(menu(), u"NEW");
    tap_control(*menu_state().difficulty_menu(), u"NORMAL");
    EXPECT_FALSE(menu_state().leaving());
    EXPECT_EQ(menu_state().mode(), MainMenuState::kMain);
    EXPECT_FALSE(g_app->resumable);
    ASSERT_FALSE(host.message_boxes().empty());
    EXPECT_NE(host.message_boxes().back().text.find("new game"), std::string::npos);
    tick(40);
    EXPECT_EQ(current_name(), "Menu");
}

TEST_F(MainMenuTest, CancelClosesTheDifficultyPageByKeyAndPen) {
    start_game();
    tap_control(menu(), u"NEW");
    tap_control(*menu_state().difficulty_menu(), u"CANCEL");
    EXPECT_EQ(menu_state().difficulty_menu(), nullptr);
    key(kKeyDown);
    key(kKeyAction);
    ASSERT_NE(menu_state().difficulty_menu(), nullptr);
    key(kKeyButton2);  // hotkey of "Cancel"... only once a control has the focus
    ASSERT_NE(menu_state().difficulty_menu(), nullptr);
    key(kKeyButton2);
    EXPECT_EQ(menu_state().difficulty_menu(), nullptr);
    EXPECT_FALSE(menu_state().leaving());
}

// The difficulty page covers each entry of the main page wholly or not at
// all: no sliver of an entry shows at its edge.
TEST_F(MainMenuTest, TheDifficultyPageCoversEachEntryWhollyOrNotAtAll) {
    start_game();
    tap_control(menu(), u"NEW");
    const UiMenu* difficulty = menu_state().difficulty_menu();
    ASSERT_NE(difficulty, nullptr);
    const Rect dialog = difficulty->group()->bounds();
    const Point origin = menu().group()->position();
    int32_t covered = 0;
    for (const auto& entry : menu().current()->controls()) {
        const Rect r = entry->screen_rect().offset(origin);
        if (r.empty()) continue;
        const Rect common = r.intersect(dialog);
        EXPECT_TRUE(common.empty() || common == r) << utf16_to_utf8(entry->object_name.value_or(u"?"));
        covered += common == r;
    }
    EXPECT_GT(covered, 0);
}

// Every key press and every pen down clicks, over the difficulty page too;
// a key's release and the pen's moves and lifts do not.
TEST_F(MainMenuTest, EveryKeyPressAndPenDownClicks) {
    start_game();
    RecordedSounds sounds;
    expect_sounds(sounds, {
        {"a key pressed and released", [&] { key(kKeyDown); }, {kClick}},
        {"a key released alone", [&] { current()->on_key(kKeyRelease, kKeyDown, 0); }, {}},
        {"the pen moved", [&] { current()->on_pointer(kPenMove, 5, 5); }, {}},
        {"the pen on \"New game\"", [&] { tap_control(menu(), u"NEW"); }, {kClick}},
        {"a key over the difficulty page", [&] { key(kKeyDown); }, {kClick}},
        {"the pen on \"Cancel\"", [&] { tap_control(*menu_state().difficulty_menu(), u"CANCEL"); }, {kClick}},
    });
    EXPECT_EQ(menu_state().difficulty_menu(), nullptr);
}

TEST_F(MainMenuTest, ContinueLeavesAndAllowsSaving) {
    start_game();
    g_app->resumable = true;
    reopen_menu(1);
    EXPECT_EQ(menu_state().backdrop_level(), MainMenuState::kBackdropLevel);
    tap_control(menu(), u"CONT");
    EXPECT_EQ(menu_state().mode(), MainMenuState::kContinue);
    EXPECT_TRUE(world().saving_allowed);
    tick(20);
    EXPECT_EQ(current_name(), "Walking");
}

TEST_F(MainMenuTest, AboutPagesTurnEvery400TicksAndWrapAfterTheEighth) {
    start_game();
    tap_control(menu(), u"ABOUT");
    EXPECT_EQ(page(), u"ABOUT1");
    tick(399);
    EXPECT_EQ(page(), u"ABOUT1");
    tick(1);
    EXPECT_EQ(page(), u"ABOUT2");
    for (int i = 0; i < 6; ++i) key(kKeyAction);
    EXPECT_EQ(page(), u"ABOUT8");
    tap({120, 160});  // the page-wide area
    EXPECT_EQ(page(), u"ABOUT1");
    key(kKeyButton4);
    EXPECT_EQ(page(), u"MAIN");
    EXPECT_EQ(menu_state().mode(), MainMenuState::kMain);
}

TEST_F(MainMenuTest, SettingsApplyAtOnceClampedAndAreWrittenOnlyWhenThePageIsLeft) {
    start_game();
    const std::string settings = folder + "/settings.ini";
    const std::string before = read_file(settings);
    tap_control(menu(), u"SETTINGS");
    EXPECT_EQ(page(), u"SETTINGS");

    // Both volumes off closes the sound; turning one up opens it again.
    menu().set_var(u"MusicVol", 0);
    menu().set_var(u"SoundVol", 0);
    tap_control(menu(), u"WEATHER");  // any control of the page applies the settings
    EXPECT_FALSE(g_sound_manager->is_open());
    menu().set_var(u"MusicVol", 9);  // a page with more steps than the settings know
    menu().set_var(u"SndQuality", 7);
    menu().set_var(u"HighGraphics", 5);
    tap_control(menu(), u"WEATHER");
    EXPECT_TRUE(g_sound_manager->is_open());
    const GameSettings& s = g_app->settings;
    EXPECT_EQ(s.music_volume, 4);
    EXPECT_EQ(g_sound_manager->music_volume(), 256);
    EXPECT_EQ(s.sound_quality, 4);
    EXPECT_EQ(s.gfx_quality, 1);
    EXPECT_EQ(s.weather_fx, 1);  // toggled twice
    EXPECT_EQ(read_file(settings), before);

    tap_control(menu(), u"BACK");
    EXPECT_EQ(page(), u"MAIN");
    EXPECT_EQ(read_file(settings),
              "[SETTINGS]\nMusicVol = 4\nSoundVol = 0\nSndQuality = 4\nGfxQuality = 1\nBrightness = 0\n"
              "WeatherFx = 1\nAutoHeal = 1\nAutoEquip = 1\n");
}

// "High graphics" switched off and on again in one session: the walk HUD's
// page and the map's lighting follow at once, and the screen comes back.
TEST_F(MainMenuTest, HighGraphicsTakesEffectAtOnce) {
    start_game();
    ASSERT_EQ(g_app->settings.gfx_quality, 1);
    // The wood without its rain, whose drops every change of the settings
    // starts anew: only the lighting may change the picture.
    ASSERT_NE(g_app->world.get_level(0x1102), nullptr);
    g_app->world.get_level(0x1102)->weather = 0;
    ASSERT_TRUE(g_app->game()->teleport(0x1102, 5 * 32, 5 * 32, 30));  // Thistlewood is lit
    auto walk_and_shoot = [&] {
        g_app->game()->switch_state("Walking", 0);
        for (int i = 0; i < 40; ++i) {  // the fade in from black
            g_app->game()->animate();
            g_app->game()->pre_render();
            render_frame();
        }
        const uint16_t* pixels = g_app->game()->display()->pixels();
        return std::vector<uint16_t>(pixels, pixels + 240 * 280);  // the map above the HUD
    };
    auto toggle_high_graphics = [&] {
        g_app->game()->switch_state("Menu", 1);
        tap_control(menu(), u"SETTINGS");
        tap_control(menu(), u"GFX");
    };
    const std::vector<uint16_t> lit = walk_and_shoot();
    EXPECT_EQ(g_app->game()->hud.menu()->current()->name(), u"MAIN");

    toggle_high_graphics();
    EXPECT_EQ(g_app->settings.gfx_quality, 0);
    EXPECT_EQ(g_app->game()->hud.menu()->current()->name(), u"MAIN2");
    EXPECT_NE(walk_and_shoot(), lit);

    toggle_high_graphics();
    EXPECT_EQ(g_app->settings.gfx_quality, 1);
    EXPECT_EQ(g_app->game()->hud.menu()->current()->name(), u"MAIN");
    EXPECT_EQ(walk_and_shoot(), lit);
}

// Every change on the settings page starts the level's weather again, or
// none while the weather effects are off.
TEST_F(MainMenuTest, TheWeatherSettingStopsAndRestartsTheMapsWeather) {
    start_game();
    MapLevel* level = g_app->world.current_level();
    ASSERT_NE(level, nullptr);
    level->weather = 0x304;  // snow with tint
    g_app->game()->start_weather(int32_t(level->weather));
    ASSERT_EQ(g_app->game()->weather_type(), 4);
    tap_control(menu(), u"SETTINGS");
    ASSERT_EQ(g_app->settings.weather_fx, 1);
    tap_control(menu(), u"WEATHER");
    EXPECT_EQ(g_app->settings.weather_fx, 0);
    EXPECT_EQ(g_app->game()->weather_type(), 0);
    EXPECT_TRUE(g_app->game()->weather().drops().empty());
    tap_control(menu(), u"WEATHER");
    EXPECT_EQ(g_app->game()->weather_type(), 4);
    EXPECT_EQ(g_app->game()->weather().drops().size(), 200u);
}

TEST_F(MainMenuTest, ASliderTappedAppliesItsStepToTheVolume) {
    start_game();
    tap_control(menu(), u"SETTINGS");
    const UiControl* slider = menu().find_control(u"SOUND");
    // The right end of the 80-pixel slider is the top step.
    tap({slider->screen_rect().right - 2, slider->screen_rect().top + 5});
    EXPECT_EQ(g_app->settings.sound_volume, 4);
    EXPECT_EQ(g_sound_manager->sound_volume(), 256);
}

}  // namespace
