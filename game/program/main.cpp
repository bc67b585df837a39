// Entry point of the program "tarrowind": reads the command line, picks the
// back end (an SDL window, or none with --headless) and runs the shell.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/command_line.h"
#include "engine/app/shell.h"
#include "engine/core/fatal_report.h"
#include "engine/core/program_names.h"
#include "engine/core/text_helpers.h"
#include "engine/files/program_paths.h"
#include "engine/platform/headless/headless_platform.h"
#include "engine/platform/platform.h"
#include "engine/platform/platform_services.h"
#include "engine/platform/sdl/sdl_platform.h"
#include "game/program/game_names.h"
#include "game/program/game_screens.h"
#include "game/session/game_startup.h"
#include "game/session/write_folder.h"

namespace {

std::unique_ptr<Platform> make_platform(const CommandLine& options) {
    if (options.headless) return std::make_unique<HeadlessPlatform>();
    auto sdl = std::make_unique<SdlPlatform>(options.scale);
    if (!sdl->ok()) {
        std::fprintf(stderr, "tarrowind: %s\n", sdl->error().c_str());
        return nullptr;
    }
    return sdl;
}

// Writes the screen as it stands to the --screenshot file, once.
void save_screenshot(const CommandLine& options) {
    static bool saved = false;
    if (options.screenshot.empty() || saved || !has_platform()) return;
    saved = true;
    std::string error;
    if (!platform().front_buffer().save_png(options.screenshot, error)) {
        std::fprintf(stderr, "tarrowind: %s\n", error.c_str());
    }
}

// Settings, saves, logs and the instance lock go to --state, else to the
// --data folder when it is writable (else a per-user folder); the build's
// demo data stays clean, so its runs write beside it in "state".
std::string state_folder_for(const CommandLine& options) {
    std::string folder = options.state_folder;
    if (folder.empty() && !options.data_folder.empty()) folder = choose_write_folder(options.data_folder);
    if (folder.empty()) folder = NIMBREL_DEMO_DATA_DIR "/../state";
    return folder;
}

// The crash handler starts this program again with this one argument, in
// place of the crashed process, to show the crash message.
constexpr char kShowCrashMessage[] = "--show-crash-message";
constexpr char kThisProgram[] = "/proc/self/exe";

int show_crash_message() {
    // What the crashed process left: the signal blocked in its handler, and
    // its open files (the window's connection among them, which would keep
    // the dead window on the screen behind the box).
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    close_range(3, ~0u, 0);
    show_message_box_without_window(kCrashMessage, program_names().caption, kMessageBoxExclamation);
    return kFailureExitCode;
}

}  // namespace

int main(int argc, char** argv) {
    set_program_names(game_names());
    if (argc == 2 && std::strcmp(argv[1], kShowCrashMessage) == 0) return show_crash_message();
    const ParsedCommandLine parsed = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok()) {
        std::fprintf(stderr, "tarrowind: %s\n%s", parsed.error.c_str(), command_line_usage().c_str());
        return 2;
    }
    const CommandLine& options = parsed.options;
    if (options.help) {
        std::printf("%s\n%s", command_line_usage().c_str(), command_line_options().c_str());
        return 0;
    }
    if (const std::string error = check_command_line_paths(options); !error.empty()) {
        std::fprintf(stderr, "tarrowind: %s\n", error.c_str());
        return 2;
    }

    ParsedScript script;
    if (!options.input_script.empty()) {
        script = load_input_script(options.input_script);
        if (!script.ok()) {
            std::fprintf(stderr, "tarrowind: %s: %s\n", options.input_script.c_str(), script.error.c_str());
            return 2;
        }
    }

    const std::string data = options.data_folder.empty() ? NIMBREL_DEMO_DATA_DIR : options.data_folder;
    set_program_folder(utf8_to_utf16(data));
    // The state folder is made with its parents and its save folder.
    const std::string state = state_folder_for(options);
    if (const std::string problem = prepare_state_folder(state); !problem.empty()) {
        std::fprintf(stderr, "tarrowind: %s\n", problem.c_str());
        return 2;
    }
    set_state_folder(utf8_to_utf16(state));
    // After the state folder: it fixes the report's path. With a window the
    // crash message is shown in a box, by this program started afresh.
    install_crash_handler(options.headless ? std::vector<std::string>{}
                                           : std::vector<std::string>{kThisProgram, kShowCrashMessage});

    std::unique_ptr<Platform> host = make_platform(options);
    if (!host) return 1;
    set_platform(host.get());
    if (!options.oem_name.empty()) host->set_oem_name(options.oem_name);
    host->set_input_script(std::move(script.events));
    if (options.run_ms) host->close_at(*options.run_ms);
    // The screen is saved however the program ends.
    set_exit_hook([&options](int) { save_screenshot(options); });

    game_startup_options().silent_sound = options.headless;
    install_game_screens();
    shell_hooks().engine_objects_init = game_engine_objects_init;
    shell_hooks().engine_objects_shutdown = game_engine_objects_shutdown;
    shell_hooks().game_startup = game_startup;
    // The screenshot shows the game as it stood when the run ended, not the
    // exit picture's fade.
    shell_hooks().game_shutdown = [&options] {
        save_screenshot(options);
        return game_shutdown();
    };
    // Orientation and backlight: saved at the restart point, put back when
    // the loop ends or the focus goes.
    shell_hooks().at_restart_point = save_display_orientation;
    shell_hooks().after_message_loop = [] {
        restore_display_orientation();
        backlight_control(0);
    };
    shell_hooks().on_focus_lost = [] { backlight_control(0); };
    const int code = run_shell();
    save_screenshot(options);
    set_platform(nullptr);
    return code;
}
