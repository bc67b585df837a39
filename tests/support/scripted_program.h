// The program itself, played headless by a committed input script through
// its own message loop: the script's keys reach the game as the player's
// would, from the title menu on, and the test looks at the game at the
// milestones of the script's program time.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/app/screen.h"
#include "engine/app/shell.h"
#include "engine/core/crt_random.h"
#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/platform/headless/headless_platform.h"
#include "game/program/game_names.h"
#include "game/program/game_screens.h"
#include "game/session/game.h"
#include "game/session/game_startup.h"
#include "game/session/story_module.h"
#include "game/world/hero_actor.h"
#include "game/world/map_level.h"
#include "game/world/world.h"
#include "tests/game/screens/golden_screen.h"
#include "tests/support/program_end.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/story_data.h"

class ScriptedProgramTest : public ::testing::Test {
protected:
    HeadlessPlatform host{0x00A00000};
    std::string folder;  // what the program writes

    // Opens the program's window on `data_folder` with the script's input;
    // the runtime generator starts from `seed` (encounters and weather
    // follow from it).
    void start_program(const std::string& data_folder, const std::string& script, uint32_t seed) {
        folder = make_scratch_folder("program");
        std::filesystem::create_directories(folder + "/savegame");
        set_program_folder(utf8_to_utf16(data_folder));
        set_state_folder(utf8_to_utf16(folder + "/"));
        set_platform(&host);
        set_program_names(game_names());  // as the program does first
        throw_on_program_end();
        ShellState& shell = shell_state();
        shell.inactive = shell.restart_requested = shell.engine_started = false;
        g_current_scene = nullptr;
        game_startup_options().silent_sound = true;
        install_game_screens();
        ShellHooks& hooks = shell_hooks();
        hooks = ShellHooks{};
        hooks.engine_objects_init = game_engine_objects_init;
        hooks.engine_objects_shutdown = game_engine_objects_shutdown;
        hooks.game_startup = game_startup;
        hooks.game_shutdown = game_shutdown;

        const ParsedScript parsed = load_input_script(script);
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        host.set_input_script(parsed.events);
        crt_srand(seed);
        host.create_window(main_wnd_proc);
    }
    // The same on the demo data with a story of the test's own in place of
    // the demo's (see make_story_data); the folder goes with the test.
    void start_story_program(const std::string& story_name, const std::string& story_source,
                             const std::string& start_config, const std::string& script, uint32_t seed) {
        story_parent_ = make_scratch_folder("story");
        start_program(make_story_data(story_parent_, story_name, story_source, start_config), script, seed);
    }
    void TearDown() override {
        if (host.has_window()) host.send_message(MessageId::Close);
        shell_hooks() = ShellHooks{};
        set_exit_hook(nullptr);
        set_platform(nullptr);
        g_current_scene = nullptr;
        set_state_folder(u"");
        if (!folder.empty()) std::filesystem::remove_all(folder);
        if (!story_parent_.empty()) std::filesystem::remove_all(story_parent_);
    }

    // Runs the message loop until program time reaches `ms`.
    void play_until(uint32_t ms) {
        Message message;
        while (host.program_time() < ms && host.get_message(message)) host.dispatch_message(message);
    }

    World& world() { return g_app->world; }
    HeroActor& hero() { return world().hero(); }
    // The name of the level the hero is on ("" between levels).
    std::string level() { return world().current_level() ? world().current_level()->name : ""; }
    int32_t flag(uint32_t id) { return world().get_flag(id)->value; }
    // The current screen's name ("" before the game scene runs).
    std::string screen() const {
        const Game* game = g_app ? g_app->game() : nullptr;
        return game && game->current_state() ? game->current_state()->name() : "";
    }

private:
    std::string story_parent_;
};
