#include "engine/core/command_line.h"

#include <charconv>

const char kCommandLineUsage[] =
    "usage: tarrowind [--data DIR] [--headless] [--run-ms N] [--input FILE]\n"
    "                 [--screenshot FILE.png] [--scale N] [--state DIR] [--oem NAME]\n";

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
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--data") {
            if (!value(o.data_folder)) break;
        } else if (arg == "--state") {
            if (!value(o.state_folder)) break;
        } else if (arg == "--oem") {
            if (!value(o.oem_name)) break;
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
