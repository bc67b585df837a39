// Input scripts and the key names they share with the SDL back end.
#include <gtest/gtest.h>

#include "engine/platform/input_script.h"
#include "engine/platform/key_names.h"

namespace {

using Kind = ScriptEvent::Kind;

TEST(KeyNames, NamesAndHostNamesGiveTheDeviceCodes) {
    EXPECT_EQ(key_code_from_name("LEFT"), 37u);
    EXPECT_EQ(key_code_from_name("up"), 38u);
    EXPECT_EQ(key_code_from_name("RIGHT"), 39u);
    EXPECT_EQ(key_code_from_name("DOWN"), 40u);
    EXPECT_EQ(key_code_from_name("SPACE"), 32u);
    EXPECT_EQ(key_code_from_name("ESCAPE"), 27u);
    EXPECT_EQ(key_code_from_name("ENTER"), 13u);
    EXPECT_EQ(key_code_from_name("BACKSPACE"), 8u);
    EXPECT_EQ(key_code_from_name("F1"), 193u);
    EXPECT_EQ(key_code_from_name("F5"), 197u);
    EXPECT_EQ(key_code_from_name("a"), 65u);
    EXPECT_EQ(key_code_from_name("Z"), 90u);
    EXPECT_EQ(key_code_from_name("0"), 48u);
    EXPECT_EQ(key_code_from_name("9"), 57u);
    EXPECT_EQ(key_code_from_name("F6"), 0u);
    EXPECT_EQ(key_code_from_name(""), 0u);
    EXPECT_EQ(key_code_from_name("RETURN"), 0u);  // SDL's name, not ours

    EXPECT_EQ(key_code_from_host_name("Return"), 13u);
    EXPECT_EQ(key_code_from_host_name("Up"), 38u);
    EXPECT_EQ(key_code_from_host_name("Backspace"), 8u);
    EXPECT_EQ(key_code_from_host_name("F3"), 195u);
    EXPECT_EQ(key_code_from_host_name("Q"), 81u);
    EXPECT_EQ(key_code_from_host_name("Left Shift"), 0u);
}

TEST(InputScript, ParsesEveryKindOfLine) {
    const ParsedScript s = parse_input_script(
        "# a comment\n"
        "\n"
        "0 key down UP\n"
        "5 key up 202\r\n"
        "10 pen down 12 -4\n"
        "10 pen move 13 300\n"
        "20 pen up 13 300\n"
        "30 focus lost\n"
        "40   focus   gained\n"
        "50 close");
    ASSERT_TRUE(s.ok()) << s.error;
    ASSERT_EQ(s.events.size(), 8u);
    EXPECT_EQ(s.events[0], (ScriptEvent{0, Kind::KeyDown, 38, 0, 0}));
    EXPECT_EQ(s.events[1], (ScriptEvent{5, Kind::KeyUp, 202, 0, 0}));
    EXPECT_EQ(s.events[2], (ScriptEvent{10, Kind::PenDown, 0, 12, -4}));
    EXPECT_EQ(s.events[3], (ScriptEvent{10, Kind::PenMove, 0, 13, 300}));
    EXPECT_EQ(s.events[4].kind, Kind::PenUp);
    EXPECT_EQ(s.events[5], (ScriptEvent{30, Kind::FocusLost, 0, 0, 0}));
    EXPECT_EQ(s.events[6], (ScriptEvent{40, Kind::FocusGained, 0, 0, 0}));
    EXPECT_EQ(s.events[7], (ScriptEvent{50, Kind::Close, 0, 0, 0}));
}

TEST(InputScript, MalformedLinesAreReportedWithTheirNumber) {
    struct Case {
        const char* text;
        const char* error_start;
    };
    const Case cases[] = {
        {"0 key down UP\nfoo key down UP\n", "line 2: "},
        {"0 key press UP", "line 1: "},
        {"0 key down NOSUCHKEY", "line 1: unknown key"},
        {"0 key down 256", "line 1: unknown key"},
        {"0 key down", "line 1: "},
        {"0 pen down 1", "line 1: "},
        {"0 pen down 1 y", "line 1: "},
        {"0 pen down 1 40000", "line 1: "},
        {"0 focus away", "line 1: "},
        {"0 close now", "line 1: "},
        {"0 jump", "line 1: unknown event"},
        {"-5 close", "line 1: "},
        {"99999999999 close", "line 1: "},
        {"\n\n20 close\n10 close\n", "line 4: time goes backwards"},
    };
    for (const Case& c : cases) {
        const ParsedScript s = parse_input_script(c.text);
        EXPECT_FALSE(s.ok()) << c.text;
        EXPECT_EQ(s.error.rfind(c.error_start, 0), 0u) << c.text << " gave: " << s.error;
        EXPECT_TRUE(s.events.empty());
    }
}

TEST(InputScript, MissingFileIsAnError) {
    const ParsedScript s = load_input_script("/nonexistent/script.txt");
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.error.find("/nonexistent/script.txt"), std::string::npos);
}

}  // namespace
