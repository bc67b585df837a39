// The program's command line: every option, and bad ones refused clearly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "engine/app/command_line.h"
#include "tests/support/given_program_names.h"
#include "tests/support/scratch_folder.h"

namespace {

TEST(CommandLine, DefaultsAndEveryOption) {
    const ParsedCommandLine none = parse_command_line({});
    ASSERT_TRUE(none.ok());
    EXPECT_FALSE(none.options.headless);
    EXPECT_FALSE(none.options.run_ms.has_value());
    EXPECT_EQ(none.options.scale, 2);
    EXPECT_TRUE(none.options.data_folder.empty());

    const ParsedCommandLine all = parse_command_line({"--data", "d", "--state", "s", "--headless", "--run-ms",
                                                      "3000", "--input", "in.txt", "--screenshot", "out.png",
                                                      "--scale", "3"});
    ASSERT_TRUE(all.ok()) << all.error;
    EXPECT_EQ(all.options.data_folder, "d");
    EXPECT_EQ(all.options.state_folder, "s");
    EXPECT_TRUE(all.options.headless);
    EXPECT_EQ(all.options.run_ms, 3000u);
    EXPECT_EQ(all.options.input_script, "in.txt");
    EXPECT_EQ(all.options.screenshot, "out.png");
    EXPECT_EQ(all.options.scale, 3);
}

TEST(CommandLine, BadOptionsAreRefusedWithTheReason) {
    struct Case {
        std::vector<std::string> args;
        const char* names;
    };
    const Case cases[] = {
        {{"--frobnicate"}, "--frobnicate"},
        {{"--data"}, "--data"},
        {{"--screenshot", ""}, "--screenshot"},
        {{"--run-ms", "abc"}, "abc"},
        {{"--run-ms", "-5"}, "-5"},
        {{"--run-ms", "3000000000"}, "3000000000"},
        {{"--scale", "0"}, "'0'"},
        {{"--scale", "9"}, "'9'"},
        {{"--scale", "2x"}, "2x"},
        {{"--headless", "extra"}, "extra"},
        {{"--oem", "nonsuch"}, "not 'nonsuch'; known models: \"hp iPAQ hx47\", "},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = parse_command_line(c.args);
        EXPECT_FALSE(parsed.ok()) << c.args[0];
        EXPECT_NE(parsed.error.find(c.names), std::string::npos) << parsed.error;
    }
}

// Each of these ends the program before its window opens: with the usage on
// standard output for --help, else with the reason.
TEST(CommandLine, HelpAndPathsAreSettledBeforeTheWindowOpens) {
    namespace fs = std::filesystem;
    const fs::path dir = make_scratch_folder("command_line_paths");
    fs::create_directories(dir / "data");
    std::ofstream(dir / "input.txt") << "";
    const std::string d = dir.string();
    struct Case {
        std::vector<std::string> args;
        const char* error;  // null: accepted
    };
    const Case cases[] = {
        {{"--help"}, nullptr},
        {{"--data", d + "/data", "--input", d + "/input.txt", "--screenshot", d + "/shot.png"}, nullptr},
        {{"--state", "--headless"}, "'--headless'"},
        {{"--data", d + "/missing"}, "missing"},
        {{"--input", d + "/data"}, "is a folder"},
        {{"--screenshot", d + "/nowhere/shot.png"}, "nowhere"},
        {{"--screenshot", d + "/data"}, "is a folder"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = parse_command_line(c.args);
        const std::string error = parsed.ok() ? check_command_line_paths(parsed.options) : parsed.error;
        if (!c.error) {
            EXPECT_EQ(error, "") << c.args[0];
            continue;
        }
        EXPECT_NE(error.find(c.error), std::string::npos) << c.args[0] << ": " << error;
    }
    EXPECT_TRUE(parse_command_line({"--headless", "--help"}).options.help);
    fs::remove_all(dir);
}

// The options a text names: every "[--name" of the usage, or every line of
// the help that starts with "  --name", with what follows the name there.
std::map<std::string, std::string> options_in(const std::string& text, const std::string& start) {
    std::map<std::string, std::string> found;
    for (size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1)) {
        const size_t name = at + start.size() - 2;
        const size_t end = text.find_first_of(" ,]\n", name);
        found[text.substr(name, end - name)] = text.substr(end, text.find('\n', end) - end);
    }
    return found;
}

// --help explains every option the usage names, and only those, each one
// the parser takes.
TEST(CommandLine, HelpExplainsEveryOptionOfTheUsage) {
    const auto usage = options_in(command_line_usage(), "[--");
    const auto explained = options_in("\n" + command_line_options(), "\n  --");
    EXPECT_EQ(usage.size(), 9u);
    ASSERT_EQ(explained.size(), usage.size());
    for (const auto& [option, usage_rest] : usage) {
        ASSERT_TRUE(explained.count(option)) << option;
        const std::string& meaning = explained.at(option);
        EXPECT_NE(meaning.find_first_of("abcdefghijklmnopqrstuvwxyz", meaning.find("  ")), std::string::npos)
            << option << " has no meaning";
        std::vector<std::string> args{option};
        // The option takes a value: one it accepts.
        if (usage_rest.starts_with(" ")) args.push_back(option == "--oem" ? "ASUS" : "1");
        EXPECT_TRUE(parse_command_line(args).ok()) << option;
    }
}

// The usage and the options name the program by the name it gave, however
// long: the usage's second line stands under the first's options, and the
// default state folder below the data home bears the name.
TEST(CommandLine, UsageAndOptionsNameTheProgramGiven) {
    for (const char* program : {"tarrowind", "x", "a-much-longer-program-name"}) {
        const GivenProgramNames given{{"Caption", program, "lock"}};
        const std::string usage = command_line_usage();
        const std::string first = "usage: " + std::string(program) + " [--help]";
        EXPECT_TRUE(usage.starts_with(first)) << usage;
        const size_t second_line = usage.find('\n') + 1;
        EXPECT_EQ(usage.find("[--screenshot"), second_line + first.size() - std::string("[--help]").size())
            << usage;
        EXPECT_EQ(usage.find_first_not_of(' ', second_line), usage.find("[--screenshot")) << usage;
        const std::string options = command_line_options();
        EXPECT_NE(options.find("$XDG_DATA_HOME/" + std::string(program) + " or\n"), std::string::npos) << options;
        EXPECT_NE(options.find("~/.local/share/" + std::string(program) + ";"), std::string::npos) << options;
    }
}

}  // namespace
