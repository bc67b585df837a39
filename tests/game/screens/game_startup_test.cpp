#include "game/screens/game_startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/core/program_paths.h"
#include "engine/core/scene.h"
#include "engine/core/scene_manager.h"
#include "engine/core/text_helpers.h"
#include "engine/core/game_state.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/screens/game.h"
#include "game/screens/sound_manager.h"
#include "game/screens/story_module.h"

namespace {

class GameStartupTest : public ::testing::Test {
protected:
    HeadlessPlatform host{0x00A00000};
    std::string folder;

    void SetUp() override {
        folder = (std::filesystem::temp_directory_path() /
                  ("game_startup_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
                     .string();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder + "/savegame");
        set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
        set_state_folder(utf8_to_utf16(folder + "/"));
        set_platform(&host);
        game_startup_options().silent_sound = true;
        game_engine_objects_init();
    }
    void TearDown() override {
        game_engine_objects_shutdown();
        set_platform(nullptr);
        set_state_folder(u"");
        std::filesystem::remove_all(folder);
    }
};

TEST_F(GameStartupTest, StartsOnTheGameSceneWithTheMenuAndTearsEverythingDown) {
    ASSERT_EQ(game_startup(), 1);
    ASSERT_NE(g_current_scene, nullptr);
    EXPECT_EQ(g_current_scene->name(), "Game");
    ASSERT_NE(g_current_scene->current_state(), nullptr);
    EXPECT_EQ(g_current_scene->current_state()->name(), "Menu");
    ASSERT_EQ(g_current_scene->states().size(), kGameStateNames.size());
    for (size_t i = 0; i < kGameStateNames.size(); ++i)
        EXPECT_EQ(g_current_scene->states()[i]->name(), kGameStateNames[i]);
    // Two loading pictures faded in five steps each.
    EXPECT_GE(host.front_buffer().present_count(), 10u);
    EXPECT_TRUE(std::filesystem::exists(folder + "/settings.ini"));
    ASSERT_NE(g_sound_manager, nullptr);
    EXPECT_TRUE(g_sound_manager->is_open());
    EXPECT_EQ(g_sound_manager->music_volume(), 128);
    // The start level of "story.txt", not the story's first level.
    EXPECT_EQ(g_app->world.current_level()->name, "Millbrook");
    EXPECT_EQ(g_game->hero_position, (Point{4 * 32, 6 * 32}));
    EXPECT_TRUE(g_game->level_entered());
    EXPECT_TRUE(g_game->hero_runs());

    const uint64_t before = host.front_buffer().present_count();
    ASSERT_EQ(game_shutdown(), 1);
    EXPECT_GE(host.front_buffer().present_count(), before + 14);
    EXPECT_EQ(g_app, nullptr);
    EXPECT_EQ(g_game, nullptr);
    EXPECT_EQ(g_sound_manager, nullptr);
    EXPECT_EQ(g_current_scene, nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder + "/savegame/autosave.gam"));
}

TEST_F(GameStartupTest, SettingsFromTheWriteFolderConfigureTheSound) {
    std::ofstream(folder + "/settings.ini", std::ios::binary) << "[SETTINGS]\nSoundVol = 1\nMusicVol = 0\n";
    ASSERT_EQ(game_startup(), 1);
    EXPECT_EQ(g_sound_manager->sound_volume(), 64);
    EXPECT_EQ(g_sound_manager->music_volume(), 0);
    EXPECT_EQ(g_app->settings.music_volume, 0);
    game_shutdown();
}

TEST_F(GameStartupTest, FadeEndingUnderMenuAndTicksAdvanceTheGame) {
    ASSERT_EQ(game_startup(), 1);
    Game& game = *g_game;
    EXPECT_EQ(game.main_fade().level(), FadeControl::kDark);
    for (int i = 0; i < 40; ++i) game.animate();
    EXPECT_EQ(game.main_fade().level(), 0);
    EXPECT_EQ(game.transition().pending().type, kTransitionNone);
    EXPECT_EQ(game.tile_phase(), 4);
    // Teleporting to a level the story lacks keeps the current one.
    EXPECT_FALSE(game.teleport(0xDEAD, 0, 0, 0));
    EXPECT_EQ(g_app->world.current_level()->name, "Millbrook");
    EXPECT_TRUE(game.teleport(0x1102, 64, 64, 0));
    EXPECT_EQ(g_app->world.current_level()->name, "Thistlewood");
    game_shutdown();
}

}  // namespace
