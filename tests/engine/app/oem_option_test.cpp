#include <gtest/gtest.h>

#include "engine/app/command_line.h"

namespace {

TEST(OemOption, NamesTheDeviceForTheKeyMapping) {
    ParsedCommandLine parsed = parse_command_line({"--headless", "--oem", "hp iPAQ hw6515"});
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.options.oem_name, "hp iPAQ hw6515");
    EXPECT_TRUE(parse_command_line({}).options.oem_name.empty());
    EXPECT_FALSE(parse_command_line({"--oem"}).ok());
    EXPECT_FALSE(parse_command_line({"--oem", ""}).ok());
}

// A name is known when some model's keys follow it: it holds a part of a
// name that a rewrite looks for (case counts there), or is a model's whole
// name in any case.
TEST(OemOption, OnlyNamesSomeModelAnswersToAreTaken) {
    struct Row {
        const char* name;
        bool known;
    };
    const Row rows[] = {
        {"hp iPAQ hw6515", true},  {"hp iPAQ hx4700", true}, {"Pocket LOOX 720", true},
        {"Dell Axim X51v", true},  {"ASUS MyPal A730", true}, {"dell axim x30", true},
        {"asus", true},            {"hp iPAQ rz1715", true},  {"hp iPAQ hx2190", true},
        {"nonsuch", false},        {"hp ipaq hw6515", false}, {"Dell Axim", false},
        {"iPAQ", false},
    };
    for (const Row& row : rows) {
        const ParsedCommandLine parsed = parse_command_line({"--oem", row.name});
        EXPECT_EQ(parsed.ok(), row.known) << row.name << ": " << parsed.error;
    }
}

}  // namespace
