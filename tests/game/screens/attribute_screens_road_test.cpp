// The level-up and stats screens reached from the map as a player reaches
// them, played by the committed input script attributes.input through the
// program's own message loop on the headless back end: a new game, a walk
// to Pell Marrow, his training (the stats screen, spent with F1, F2, F3 and
// a tap), back on the map; then the hero's experience reaches the step, the
// level-up screen opens, F2 raises strength, and the map comes back with
// the automatic save written. Golden frames of both pages.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/core/crt_random.h"
#include "engine/core/game_state.h"
#include "engine/core/program_paths.h"
#include "engine/core/scene.h"
#include "engine/core/shell.h"
#include "engine/core/text_helpers.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/screens/game.h"
#include "game/screens/game_startup.h"
#include "game/screens/level_state.h"
#include "game/screens/stats_state.h"
#include "game/screens/story_module.h"
#include "game/world/hero_actor.h"
#include "game/world/item_record.h"
#include "game/world/world.h"
#include "tests/game/screens/golden_screen.h"

namespace {

struct ProgramEnded {
    int code;
};

class AttributeScreensRoadTest : public ::testing::Test {
protected:
    HeadlessPlatform host{0x00A00000};
    std::string folder;

    void SetUp() override {
        folder = (std::filesystem::temp_directory_path() / ("attributes_" + std::to_string(getpid()))).string();
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
        const ParsedScript script = load_input_script(NIMBREL_SOURCE_DIR "/tests/game/screens/attributes.input");
        ASSERT_TRUE(script.ok()) << script.error;
        host.set_input_script(script.events);
        crt_srand(11);
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

    void play_until(uint32_t ms) {
        Message message;
        while (host.program_time() < ms && host.get_message(message)) host.dispatch_message(message);
    }
    void expect_screen(const std::string& name) { expect_golden_screen(host.front_buffer(), "attributes_" + name); }

    HeroActor& hero() { return g_app->world.hero(); }
    std::string screen() const { return g_game->current_state() ? g_game->current_state()->name() : ""; }
    Point cell() { return {(hero().x + 16) / 32, (hero().y + 26) / 32}; }
};

TEST_F(AttributeScreensRoadTest, PellMarrowsTrainingThenALevelUpAndBackOnTheMap) {
    play_until(2100);
    ASSERT_EQ(screen(), "Walking");
    const int32_t gold = hero().gold;
    EXPECT_EQ(hero().level_number, 1);

    // Below Pell Marrow, talking; "Training" ends the talk in the stats
    // screen, paid for with ten gold.
    play_until(7200);
    EXPECT_EQ(cell(), (Point{13, 6}));
    play_until(8300);
    ASSERT_EQ(screen(), "Stats");
    EXPECT_EQ(hero().gold, gold - 10);
    const auto* stats = static_cast<const StatsState*>(g_game->current_state());
    EXPECT_EQ(stats->points(), 6 + 7 + 4 - 3);
    play_until(9000);
    EXPECT_EQ(stats->page().alpha(), HeroSheetPage::kOpaque);
    expect_screen("stats");

    // All but the last point spent: 7, 5, 4 and one point left.
    play_until(10500);
    EXPECT_EQ(stats->points(), 1);
    EXPECT_EQ(hero().dexterity_, 7);
    EXPECT_EQ(hero().strength_, 5);
    EXPECT_EQ(hero().knowledge_, 4);
    expect_screen("stats_spent");
    // The last one: the page fades out to the map.
    play_until(10760);
    EXPECT_EQ(hero().knowledge_, 5);
    EXPECT_TRUE(stats->leaving());
    play_until(11300);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_FALSE(g_game->full_screen_page);

    // Experience that reaches the step (a fight's reward would bring it):
    // the walking screen opens the level-up screen.
    // The hero wears his jerkin and a buckler: the page shows their icons
    // and uses.
    std::filesystem::remove(folder + "/savegame/save6.dat");
    HeroActor& h = hero();
    for (const auto& entry : h.inventory)
        if (entry->item && entry->item->name == "Padded Jerkin") h.armour = entry.get();
    ASSERT_NE(h.armour, nullptr);
    ASSERT_TRUE(h.add_item(g_app->world.item_id_by_name("Wicker Buckler")));
    h.shield = h.inventory.back().get();
    h.experience = h.experience_step;
    play_until(11400);
    ASSERT_EQ(screen(), "Level");
    const auto* level_up = static_cast<const LevelUpState*>(g_game->current_state());
    play_until(11850);
    expect_screen("level");
    play_until(12300);
    EXPECT_EQ(level_up->phase(), LevelUpState::kShowing);
    EXPECT_EQ(hero().level_number, 2);
    EXPECT_EQ(hero().strength_, 6);
    EXPECT_EQ(hero().max_hit_points, 55);
    EXPECT_EQ(hero().experience, 0);
    expect_screen("level_result");
    EXPECT_FALSE(std::filesystem::exists(folder + "/savegame/save6.dat"));

    // 150 ticks of the result, the fade-out, the automatic save, the map.
    play_until(14800);
    EXPECT_EQ(screen(), "Walking");
    EXPECT_TRUE(std::filesystem::exists(folder + "/savegame/save6.dat"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/savegame/autoio.ini"));
    EXPECT_EQ(cell(), (Point{13, 6}));
    expect_screen("back_on_the_map");
}

}  // namespace
