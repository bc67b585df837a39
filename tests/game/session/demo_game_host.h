// The engine pointed at the demo data, for tests and benchmarks that start
// the game: `folder` as write folder (made afresh, with its "savegame"
// folder), the headless host as platform and the engine's objects made.
// Free of the test framework so that benchmarks can use it too.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/program/game_screens.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"

inline void prepare_demo_game_in(HeadlessPlatform& host, const std::string& folder) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder + "/savegame");
    set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
    set_state_folder(utf8_to_utf16(folder + "/"));
    set_platform(&host);
    game_startup_options().silent_sound = true;
    install_game_screens();
    game_engine_objects_init();
}

// Undoes prepare_demo_game_in, ending first a game still running (left so
// by its user or by a test that stopped half-way). A test may have made
// "savegame" read-only.
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
