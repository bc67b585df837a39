// The program's command line:
//   <program> [--help] [--data DIR] [--headless] [--run-ms N] [--input FILE]
//             [--screenshot FILE.png] [--scale N] [--state DIR] [--oem NAME]
// where <program> is the name the program gave (program_names()).
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
    bool help = false;             // print the usage and end
};

struct ParsedCommandLine {
    CommandLine options;
    std::string error;  // empty when the command line is good
    bool ok() const { return error.empty(); }
};

// `args` without the program name.
ParsedCommandLine parse_command_line(const std::vector<std::string>& args);

// The folders and files the options name, checked before the window opens:
// the data folder must exist, the input script must be a file and the
// screenshot's folder must exist. Empty when they do, else the reason.
std::string check_command_line_paths(const CommandLine& options);

// The usage lines, for --help and error messages.
std::string command_line_usage();
// Every option with its meaning, one to a paragraph, for --help.
std::string command_line_options();
