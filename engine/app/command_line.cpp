#include "engine/app/command_line.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "engine/app/input_mapping.h"
#include "engine/core/program_names.h"

// The second line stands under the first's options, wherever the program's
// name ends.
std::string command_line_usage() {
    const std::string head = "usage: " + program_names().program + " ";
    return head + "[--help] [--data DIR] [--headless] [--run-ms N] [--input FILE]\n" +
           std::string(head.size(), ' ') + "[--screenshot FILE.png] [--scale N] [--state DIR] [--oem NAME]\n";
}

// The lines about the state folder name the folder below the user's data
// home after the program.
std::string command_line_options() {
    const std::string& program = program_names().program;
    return "  --help, -h             prints this text and ends\n"
           "  --data DIR             the folder the game's files are read from (default: the\n"
           "                         demo data the build made)\n"
           "  --state DIR            where the game writes: settings.ini, saved games\n"
           "                         (savegame/), logs (memlog.txt, error and crash reports)\n"
           "                         and the single-instance lock (default: the --data folder\n"
           "                         when it is writable, else $XDG_DATA_HOME/" +
           program + " or\n"
           "                         ~/.local/share/" +
           program + "; beside the build's demo data\n"
           "                         for that data)\n"
           "  --headless             no window: a virtual clock that jumps straight to the\n"
           "                         next timer, so a run is deterministic and as fast as the\n"
           "                         machine allows; message boxes go to stderr\n"
           "  --run-ms N             closes the window after N ms of program time, as the\n"
           "                         user closing it would\n"
           "  --input FILE           replays a script of timed input (see the README)\n"
           "  --screenshot FILE.png  writes the 240x320 screen as it stands when the program\n"
           "                         ends\n"
           "  --scale N              window size as a multiple of 240x320, 1 to 8 (default 2);\n"
           "                         at most the largest that fits the screen\n"
           "  --oem NAME             the handheld model whose key codes the keys imitate, for\n"
           "                         example --oem \"hp iPAQ hw6515\" (default: none); a name no\n"
           "                         model answers to is refused, naming the known ones\n";
}

namespace {

bool parse_unsigned(const std::string& text, uint32_t& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

ParsedCommandLine parse_command_line(const std::vector<std::string>& args) {
    ParsedCommandLine result;
    CommandLine& o = result.options;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                result.error = arg + " needs a value";
                return false;
            }
            if (args[i + 1].starts_with("--")) {
                result.error = arg + " needs a value, not the option '" + args[i + 1] + "'";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--data") {
            if (!value(o.data_folder)) break;
        } else if (arg == "--state") {
            if (!value(o.state_folder)) break;
        } else if (arg == "--oem") {
            if (!value(o.oem_name)) break;
            // A name no model answers to would quietly play as no model at all.
            if (!is_known_device_name(o.oem_name)) {
                result.error = "--oem needs a handheld model whose keys the game knows, not '" + o.oem_name +
                               "'; known models: " + known_device_names() + " (or a name holding one, as " +
                               "\"hp iPAQ hw6515\" holds \"hp iPAQ hw65\")";
                break;
            }
        } else if (arg == "--input") {
            if (!value(o.input_script)) break;
        } else if (arg == "--screenshot") {
            if (!value(o.screenshot)) break;
        } else if (arg == "--run-ms") {
            if (!value(text)) break;
            uint32_t ms = 0;
            if (!parse_unsigned(text, ms) || ms > INT32_MAX) {
                result.error = "--run-ms needs a whole number of milliseconds, not '" + text + "'";
                break;
            }
            o.run_ms = ms;
        } else if (arg == "--scale") {
            if (!value(text)) break;
            uint32_t scale = 0;
            if (!parse_unsigned(text, scale) || scale < 1 || scale > 8) {
                result.error = "--scale needs a whole number from 1 to 8, not '" + text + "'";
                break;
            }
            o.scale = int(scale);
        } else {
            result.error = "unknown option '" + arg + "'";
            break;
        }
    }
    return result;
}

std::string check_command_line_paths(const CommandLine& options) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!options.data_folder.empty() && !fs::is_directory(options.data_folder, ec))
        return "--data: no folder '" + options.data_folder + "'";
    if (!options.input_script.empty() && fs::is_directory(options.input_script, ec))
        return "--input: '" + options.input_script + "' is a folder, not an input script";
    if (!options.screenshot.empty()) {
        const fs::path folder = fs::path(options.screenshot).parent_path();
        if (!folder.empty() && !fs::is_directory(folder, ec))
            return "--screenshot: no folder '" + folder.string() + "' to write '" + options.screenshot + "' into";
        if (fs::is_directory(options.screenshot, ec))
            return "--screenshot: '" + options.screenshot + "' is a folder, not a picture file";
    }
    return {};
}
