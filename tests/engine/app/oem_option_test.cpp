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

}  // namespace
