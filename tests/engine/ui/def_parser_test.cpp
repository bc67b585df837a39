#include <gtest/gtest.h>

#include "engine/core/text_helpers.h"
#include "engine/ui/def_parser.h"

namespace {

DefLine parse(std::u16string_view text) {
    DefLine line;
    parse_def_line(text, line);
    return line;
}

TEST(DefParser, ReadsKeywordAndAttributesOfEveryForm) {
    DefLine line = parse(u"  \t<button objname=Ok title = \"Yes > go\"  Page=*YES bare> trailing <x>");
    EXPECT_EQ(line.kind, kDefButton);
    ASSERT_EQ(line.attributes.size(), 4u);
    EXPECT_EQ(line.get_attr_string(u"OBJNAME", u""), u"Ok");
    EXPECT_EQ(line.get_attr_string(u"title", u""), u"Yes > go");
    EXPECT_TRUE(line.find(u"TITLE")->quoted);
    EXPECT_EQ(line.get_attr_string(u"PAGE", u""), u"*YES");
    // A bare name is present but reads as its default.
    EXPECT_NE(line.find(u"BARE"), nullptr);
    EXPECT_EQ(line.get_attr_string(u"BARE", u"dflt"), u"dflt");
    EXPECT_EQ(line.get_attr_int(u"BARE", 7), 7);
    EXPECT_EQ(line.get_attr_int(u"MISSING", -1), -1);
}

TEST(DefParser, IgnoresLinesThatAreNotTags) {
    EXPECT_EQ(parse(u"; a note <PAGE>").kind, kDefNone);
    EXPECT_EQ(parse(u"").kind, kDefNone);
    EXPECT_EQ(parse(u"<PAGE").kind, kDefNone);           // ends right after the keyword
    EXPECT_EQ(parse(u"<WIDGET x=1>").kind, kDefNone);    // unknown keyword
    EXPECT_EQ(parse(u"<PAGE >").kind, kDefPage);
    EXPECT_EQ(parse(u"<const>").kind, kDefConst);
}

TEST(DefParser, FirstDuplicateWinsAndQuotesRunToTheEnd) {
    DefLine line = parse(u"<TEXT x=3 X=9 title=\"open quote > and more");
    EXPECT_EQ(line.get_attr_int(u"X", -1), 3);
    EXPECT_EQ(line.get_attr_string(u"TITLE", u""), u"open quote > and more");
    // Stray "=" and blanks do not stall the reader.
    DefLine odd = parse(u"<TEXT = =x  a= >");
    EXPECT_EQ(odd.kind, kDefText);
}

TEST(DefParser, NumbersStopAtTheFirstNonDigitAndSaturate) {
    EXPECT_EQ(parse_def_int(u"  -12abc"), -12);
    EXPECT_EQ(parse_def_int(u"+7"), 7);
    EXPECT_EQ(parse_def_int(u"abc"), 0);
    EXPECT_EQ(parse_def_int(u"99999999999999999999"), INT32_MAX);
    EXPECT_EQ(parse_def_int(u"-99999999999999999999"), INT32_MIN);
    EXPECT_EQ(parse_def_int(u"-2147483648"), INT32_MIN);
}

TEST(DefParser, AlignNamesFoldCase) {
    EXPECT_EQ(parse_align(u"center"), 2);
    EXPECT_EQ(parse_align(u"Right"), 3);
    EXPECT_EQ(parse_align(u"JUSTIFIED"), 4);
    EXPECT_EQ(parse_align(u"justify"), 4);
    EXPECT_EQ(parse_align(u"middle"), 1);
}

TEST(DefParser, HighBytesWidenBySignExtension) {
    std::u16string wide = narrow_to_wide_signed(std::string("a\x80\xff", 3));
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(wide[0], u'a');
    EXPECT_EQ(wide[1], char16_t(0xFF80));
    EXPECT_EQ(wide[2], char16_t(0xFFFF));
}

}  // namespace
