// The demo's road, played by the committed input script (road.input) through
// the program's own message loop on the headless back end: the script's
// keys reach the game as the player's would, and the test looks at the hero
// at each milestone of the road.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/core/crt_random.h"
#include "engine/core/program_paths.h"
#include "engine/core/scene.h"
#include "engine/core/shell.h"
#include "engine/core/text_helpers.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/screens/game.h"
#include "game/screens/game_startup.h"
#include "game/screens/story_module.h"
#include "game/world/hero_actor.h"
#include "game/world/monster_actor.h"
#include "game/world/monster_record.h"
#include "game/world/world.h"

namespace {

struct ProgramEnded {
    int code;
};

class RoadTest : public ::testing::Test {
protected:
    HeadlessPlatform host{0x00A00000};
    std::string folder;

    void SetUp() override {
        folder = (std::filesystem::temp_directory_path() / ("road_" + std::to_string(getpid()))).string();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder + "/savegame");
        set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
        set_state_folder(utf8_to_utf16(folder + "/"));
        set_platform(&host);
        set_exit_hook([](int code) { throw ProgramEnded{code}; });
        g_inactive = g_restart_requested = 0;
        g_engine_started = false;
        g_current_scene = nullptr;
        game_startup_options().silent_sound = true;
        ShellHooks& hooks = shell_hooks();
        hooks = ShellHooks{};
        hooks.engine_objects_init = game_engine_objects_init;
        hooks.engine_objects_shutdown = game_engine_objects_shutdown;
        hooks.game_startup = game_startup;
        hooks.game_shutdown = game_shutdown;

        const ParsedScript script = load_input_script(NIMBREL_SOURCE_DIR "/tests/game/screens/road.input");
        ASSERT_TRUE(script.ok()) << script.error;
        host.set_input_script(script.events);
        host.create_window(main_wnd_proc);
    }
    void TearDown() override {
        if (host.has_window()) host.send_message(MessageId::Close);
        shell_hooks() = ShellHooks{};
        set_exit_hook(nullptr);
        set_platform(nullptr);
        g_current_scene = nullptr;
        set_state_folder(u"");
        std::filesystem::remove_all(folder);
    }

    // Runs the message loop until program time reaches `ms`.
    void play_until(uint32_t ms) {
        Message message;
        while (host.program_time() < ms && host.get_message(message)) host.dispatch_message(message);
    }

    World& world() { return g_app->world; }
    HeroActor& hero() { return world().hero(); }
    Point cell() { return {(hero().x + 16) / 32, (hero().y + 26) / 32}; }
};

TEST_F(RoadTest, TheDemoRoadFromTheVillageIntoTheWood) {
    play_until(200);
    ASSERT_NE(g_game, nullptr);
    // The main menu's "New game", as it does it; the road's encounters
    // follow from the seed.
    crt_srand(11);
    ASSERT_TRUE(g_game->start_new_game());
    g_game->set_hud_mode(true);
    g_game->switch_state("Walking", 0);
    ASSERT_EQ(world().current_level()->name, "Millbrook");
    const int32_t start_gold = hero().gold;
    const size_t start_items = hero().inventory.size();

    // While the screen fades in the hero stands; then the start of the
    // story leaves the HUD mode and brings the village's people out.
    play_until(400);
    EXPECT_EQ(hero().position(), (Point{4 * 32, 6 * 32}));
    EXPECT_TRUE(g_game->hud_mode());
    play_until(700);
    EXPECT_FALSE(g_game->hud_mode());
    EXPECT_EQ(world().get_level(0x1101)->actors.size(), 4u);

    // Below the chest the action key opened it: gold, a tonic, its flag, and
    // the open chest's picture.
    play_until(4500);
    EXPECT_EQ(cell(), (Point{1, 2}));
    EXPECT_EQ(hero().gold, start_gold);
    play_until(4900);
    EXPECT_EQ(hero().gold, start_gold + 25);
    EXPECT_EQ(hero().inventory.size(), start_items + 1);
    EXPECT_TRUE(hero().has_item(0x4301));
    EXPECT_EQ(world().get_flag(0x5005)->value, 1);
    EXPECT_EQ(world().get_level(0x1101)->cell(1, 1)->object, 4);

    // Over the village's east edge: the wood, on the tile its exit names.
    play_until(15000);
    EXPECT_EQ(world().current_level()->name, "Thistlewood");
    EXPECT_EQ(hero().position(), (Point{0, 4 * 32}));

    // Up the wood's path a monster meets the hero (the drawn blocks reseed
    // the shared generator, so which one depends on the map); until fights
    // exist the screen comes back to the walk.
    play_until(21200);
    ASSERT_NE(g_game->screen_arguments.opponent, nullptr);
    const std::string met = g_game->screen_arguments.opponent->record()->name;
    EXPECT_TRUE(met == "Mossback Boar" || met == "Briar Rat" || met == "Hollow Wisp") << met;
    EXPECT_EQ(world().current_level()->name, "Thistlewood");
    EXPECT_EQ(hero().gold, start_gold + 25);
    play_until(22500);
    EXPECT_EQ(g_game->main_fade().level(), 0);
}

}  // namespace
