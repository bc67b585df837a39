// The program's command line: every option, and bad ones refused clearly.
#include <gtest/gtest.h>

#include "engine/core/command_line.h"

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
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = parse_command_line(c.args);
        EXPECT_FALSE(parsed.ok()) << c.args[0];
        EXPECT_NE(parsed.error.find(c.names), std::string::npos) << parsed.error;
    }
}

}  // namespace
