// The program's command line:
//   tarrowind [--data DIR] [--headless] [--run-ms N] [--input FILE]
//             [--screenshot FILE.png] [--scale N] [--state DIR] [--oem NAME]
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    std::string data_folder;       // empty: the build's demo data
    std::string state_folder;      // empty: the data folder
    bool headless = false;
    std::optional<uint32_t> run_ms;
    std::string input_script;
    std::string screenshot;
    int scale = 2;
    std::string oem_name;          // the device name the key mapping follows
};

struct ParsedCommandLine {
    CommandLine options;
    std::string error;  // empty when the command line is good
    bool ok() const { return error.empty(); }
};

// `args` without the program name.
ParsedCommandLine parse_command_line(const std::vector<std::string>& args);

// One line a option, for error messages.
extern const char kCommandLineUsage[];
