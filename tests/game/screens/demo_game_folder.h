// Set-up shared by the tests that start the game on the demo data: a write
// folder of its own per process and test, the demo data as program folder,
// the headless host as platform and the engine's objects.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "engine/core/program_paths.h"
#include "engine/core/text_helpers.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/screens/game_startup.h"

// Returns the fresh write folder (with its "savegame" folder).
inline std::string prepare_demo_game(HeadlessPlatform& host, const std::string& prefix) {
    const std::string folder = (std::filesystem::temp_directory_path() /
                                (prefix + "_" + std::to_string(::getpid()) + "_" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                                   .string();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder + "/savegame");
    set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
    set_state_folder(utf8_to_utf16(folder + "/"));
    set_platform(&host);
    game_startup_options().silent_sound = true;
    game_engine_objects_init();
    return folder;
}
