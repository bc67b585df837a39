#include "engine/files/local_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

LocalText parsed(const std::string& text) {
    LocalText table;
    table.parse(text.data(), text.size());
    return table;
}

TEST(LocalText, EntriesWithEscapes) {
    LocalText table = parsed(
        "#12: \"first\\nsecond\"\r\n"
        "#7:\"tab\\there \\\"quoted\\\" \\'x\\' back\\\\slash\\r\\b\"\n"
        "#3: \"drop\\qped\"\n");
    ASSERT_EQ(table.count(), 3);
    EXPECT_EQ(table.entries()[0].id, 12);
    EXPECT_EQ(table.entries()[0].text, u"first\nsecond");
    EXPECT_EQ(table.entries()[1].id, 7);
    EXPECT_EQ(table.entries()[1].text, u"tab\there \"quoted\" 'x' back\\slash\r\b");
    EXPECT_EQ(table.entries()[2].text, u"dropped");
}

TEST(LocalText, LinesThatAreNotEntries) {
    LocalText table = parsed(
        "comment line\n"
        "#5 no colon \"skipped\"\n"
        "\n\r\r\n"
        " #6: \"not at line start\"\n"
        "#8: no quote at all\n"
        "#9: \"unterminated text\n"
        "#-4: \"negative\"");
    ASSERT_EQ(table.count(), 3);
    EXPECT_EQ(table.entries()[0].id, 8);
    EXPECT_EQ(table.entries()[0].text, u"");
    EXPECT_EQ(table.entries()[1].id, 9);
    EXPECT_EQ(table.entries()[1].text, u"unterminated text");
    EXPECT_EQ(table.entries()[2].id, -4);
    EXPECT_EQ(table.entries()[2].text, u"negative");
}

TEST(LocalText, TrailingBackslashEndsTheTextAtTheLineEnd) {
    // Without a line end after it, the backslash is the last byte of the
    // buffer; with one, the next line must still be read on its own.
    LocalText at_end = parsed("#1: \"ends in \\");
    ASSERT_EQ(at_end.count(), 1);
    EXPECT_EQ(at_end.entries()[0].text, u"ends in ");

    LocalText mid = parsed("#1: \"ends in \\\n#2: \"next\"\n");
    ASSERT_EQ(mid.count(), 2);
    EXPECT_EQ(mid.entries()[0].text, u"ends in ");
    EXPECT_EQ(mid.entries()[1].id, 2);
    EXPECT_EQ(mid.entries()[1].text, u"next");
}

TEST(LocalText, BytesWidenWithAZeroHighByte) {
    LocalText table = parsed("#1: \"\xE9\xFF\x80\"");
    ASSERT_EQ(table.count(), 1);
    EXPECT_EQ(table.entries()[0].text, (std::u16string{0x00E9, 0x00FF, 0x0080}));
}

TEST(LocalText, IdsReadLikeAtoiWithoutOverflow) {
    LocalText table = parsed(
        "#  42abc: \"a\"\n"
        "#: \"b\"\n"
        "#99999999999999: \"c\"\n"
        "#-99999999999999: \"d\"\n");
    ASSERT_EQ(table.count(), 4);
    EXPECT_EQ(table.entries()[0].id, 42);
    EXPECT_EQ(table.entries()[1].id, 0);
    EXPECT_EQ(table.entries()[2].id, INT32_MAX);
    EXPECT_EQ(table.entries()[3].id, INT32_MIN);
}

}  // namespace
