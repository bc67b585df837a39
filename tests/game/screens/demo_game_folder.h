// Set-up shared by the tests that start the game on the demo data: a write
// folder of its own per process and test, the demo data as program folder,
// the headless host as platform and the engine's objects.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "engine/core/program_paths.h"
#include "engine/core/text_helpers.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/screens/game_startup.h"
#include "game/screens/story_module.h"
#include "tests/game/screens/scratch_folder.h"

// Returns the fresh write folder (with its "savegame" folder).
inline std::string prepare_demo_game(HeadlessPlatform& host, const std::string& prefix) {
    const std::string folder = make_scratch_folder(prefix);
    std::filesystem::create_directories(folder + "/savegame");
    set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
    set_state_folder(utf8_to_utf16(folder + "/"));
    set_platform(&host);
    game_startup_options().silent_sound = true;
    game_engine_objects_init();
    return folder;
}

// Undoes prepare_demo_game, ending first a game a test left running (or
// that stopped it half-way). A test may have made "savegame" read-only.
inline void finish_demo_game(const std::string& folder) {
    if (g_app) game_shutdown();
    game_engine_objects_shutdown();
    set_platform(nullptr);
    set_state_folder(u"");
    std::error_code ignored;
    std::filesystem::permissions(folder + "/savegame", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(folder);
}

// A fixture around the two: the game itself is started by the tests (or
// their fixture), in `folder`, on `host`.
class DemoGameFixture : public ::testing::Test {
protected:
    HeadlessPlatform host{0x00A00000};
    std::string folder;

    void SetUp() override {
        folder = prepare_demo_game(host, ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name());
    }
    void TearDown() override { finish_demo_game(folder); }
};
