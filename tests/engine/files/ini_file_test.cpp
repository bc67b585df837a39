#include <gtest/gtest.h>

#include <string>

#include "engine/core/text_helpers.h"
#include "engine/files/file_system.h"
#include "engine/files/ini_file.h"
#include "engine/files/program_paths.h"
#include "tests/support/scratch_folder.h"

namespace {

IniFile& parsed(IniFile& ini, std::string_view text) {
    ini.parse(text);
    return ini;
}

TEST(IniValues, EveryKindOnOneLine) {
    IniFile ini;
    parsed(ini, "[S]\nk = 0x1F, #FF00FF, -12, 'A', _1.5, \"a\\nb\"\n");
    EXPECT_EQ(ini.get_int(0, "k", "S", 0, 0), 31);
    EXPECT_EQ(ini.get_int(0, "k", "S", 0, 1), 0xFF00FF);
    EXPECT_EQ(ini.get_int(0, "k", "S", 0, 2), -12);
    EXPECT_EQ(ini.get_int(0, "k", "S", 0, 3), 65);
    IniValue* fixed = ini.find_value("S", 0, "k", 4);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->type, kIniDouble);
    EXPECT_DOUBLE_EQ(fixed->number, 1.5);
    EXPECT_STREQ(ini.get_string("", "k", "S", 0, 5), "a\nb");
    EXPECT_EQ(ini.get_int(-7, "k", "S", 0, 5), -7);  // a string is not an integer
    EXPECT_EQ(ini.get_int(-7, "k", "S", 0, 6), -7);
}

TEST(IniValues, NumbersReadAsTheirPrefixAndWrapModulo32Bits) {
    IniFile ini;
    parsed(ini,
           "a = 0xFFFFFFFF\nb = 12.5\nc = 5-3\nd = --5\ne = 0x1x2\nf = 0x0x10\n"
           "g = 99999999999\nh = 0x123456789\ni = #12G4\n");
    EXPECT_EQ(ini.get_int(0, "a", nullptr), -1);
    EXPECT_EQ(ini.get_int(0, "b", nullptr), 12);
    EXPECT_EQ(ini.get_int(0, "c", nullptr), 5);
    EXPECT_EQ(ini.get_int(9, "d", nullptr), 0);
    EXPECT_EQ(ini.get_int(0, "e", nullptr), 1);
    EXPECT_EQ(ini.get_int(0, "f", nullptr), 16);
    EXPECT_EQ(ini.get_int(0, "g", nullptr), int32_t(99999999999LL & 0xFFFFFFFF));
    EXPECT_EQ(ini.get_int(0, "h", nullptr), 0x23456789);
    EXPECT_EQ(ini.get_int(0, "i", nullptr), 0x12);
}

TEST(IniValues, LoneValueMarksAtTheLineEndReadAsZero) {
    IniFile ini;
    parsed(ini, "a = 0x\nb = -\nc = #\nd = _\ne = '\nf = 'A\ng = \"open\nh =\ni = ;x\nj = +5, 7\n");
    for (const char* key : {"a", "b", "c", "e"}) EXPECT_EQ(ini.get_int(9, key, nullptr), 0) << key;
    IniValue* d = ini.find_value(nullptr, 0, "d", 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->type, kIniDouble);
    EXPECT_EQ(d->number, 0.0);
    EXPECT_EQ(ini.get_int(0, "f", nullptr), 'A');
    EXPECT_STREQ(ini.get_string("", "g", nullptr), "open");  // unterminated: to the line end
    EXPECT_EQ(ini.get_int(9, "h", nullptr), 0);  // nothing after "=" is one 0
    EXPECT_NE(ini.find_key(nullptr, 0, "i"), nullptr);
    EXPECT_FALSE(ini.has_value("i", nullptr));  // only a comment: no value
    EXPECT_EQ(ini.get_int(9, "j", nullptr, 0, 0), 0);
    EXPECT_EQ(ini.get_int(9, "j", nullptr, 0, 1), 7);
}

TEST(IniValues, ValuesResumeAfterTheirClosingQuote) {
    IniFile ini;
    parsed(ini, "s = \"a\\\\b\\n,c\", 5\nt = 'x', 6\nu = 'A,7\nv = ',', 8\n");
    EXPECT_STREQ(ini.get_string("", "s", nullptr), "a\\b\n,c");
    EXPECT_EQ(ini.get_int(0, "s", nullptr, 0, 1), 5);  // no phantom value from inside the quotes
    EXPECT_FALSE(ini.has_value("s", nullptr, 0, 2));
    EXPECT_EQ(ini.get_int(0, "t", nullptr, 0, 1), 6);
    EXPECT_EQ(ini.get_int(0, "u", nullptr, 0, 0), 'A');
    EXPECT_EQ(ini.get_int(0, "u", nullptr, 0, 1), 7);
    EXPECT_EQ(ini.get_int(0, "v", nullptr, 0, 0), ',');
    EXPECT_EQ(ini.get_int(0, "v", nullptr, 0, 1), 8);
}

TEST(IniValues, OtherBackslashesStayAndARepeatedIndexKeepsTheFirst) {
    IniFile ini;
    std::string line = "k = 1";
    for (int i = 1; i <= 256; ++i) line += ", " + std::to_string(i + 1);
    parsed(ini, "q = \"c:\\temp\\\"\n" + line + "\n");
    EXPECT_STREQ(ini.get_string("", "q", nullptr), "c:\\temp\\");
    // Index 256 wraps to 0 and is dropped; 255 is the last one stored.
    EXPECT_EQ(ini.get_int(0, "k", nullptr, 0, 0), 1);
    EXPECT_EQ(ini.get_int(0, "k", nullptr, 0, 255), 256);
    EXPECT_EQ(ini.find_key(nullptr, 0, "k")->values.size(), 256u);
}

TEST(IniStructure, SectionsInstancesAndComments) {
    IniFile ini;
    parsed(ini,
           "Title = \"top\"\n"
           "[Anim]\nAnimation = \"walk\"\nanimation = \"run\"\n; Animation = \"commented\"\n"
           "  ; Animation = \"indented\"\n"
           "[Other]\nAnimation = \"elsewhere\"\n"
           "[ANIM]\nAnimation = \"jump\"\n"
           "  [Fake]\nno equals sign here\n");
    EXPECT_STREQ(ini.get_string("?", "title", nullptr), "top");
    EXPECT_STREQ(ini.get_string("?", "Title", ""), "top");
    // Instances count key lines over the whole file, across the reopened section.
    EXPECT_STREQ(ini.get_string("?", "ANIMATION", "anim", 0), "walk");
    EXPECT_STREQ(ini.get_string("?", "Animation", "Anim", 1), "run");
    EXPECT_STREQ(ini.get_string("?", "Animation", "Anim", 2), "jump");
    EXPECT_STREQ(ini.get_string("?", "Animation", "Anim", 3), "?");
    EXPECT_STREQ(ini.get_string("?", "Animation", "Other", 0), "elsewhere");
    // An indented ";" or "[" is no comment and no header: a key, or nothing.
    EXPECT_STREQ(ini.get_string("?", "  ; Animation", "Anim", 0), "indented");
    EXPECT_EQ(ini.find_section("  [Fake]"), nullptr);
    EXPECT_EQ(ini.find_section("Fake"), nullptr);
    EXPECT_EQ(ini.section_count(), 3);
    EXPECT_EQ(ini.find_section("anim")->instances.size(), 3u);
}

TEST(IniStructure, EmptyHeaderSelectsTheUnnamedSection) {
    IniFile ini;
    parsed(ini, "a = 1\n[S]\nb = 2\n[]\nc = 3\n[T\nd = 4\n");
    EXPECT_EQ(ini.get_int(0, "a", nullptr), 1);
    EXPECT_EQ(ini.get_int(0, "c", nullptr), 3);
    EXPECT_EQ(ini.get_int(0, "b", "S"), 2);
    EXPECT_EQ(ini.get_int(0, "d", "T"), 4);  // a header without "]" runs to the line end
    EXPECT_EQ(ini.section_count(), 3);
}

TEST(IniStructure, LineEndsAndLongLines) {
    IniFile ini;
    const char text[] = "a = 1\r\n\r\n\rb = 2\rc = 3\n\nd = 4\0e = 5";
    parsed(ini, std::string_view(text, sizeof text - 1));
    for (auto [key, value] : {std::pair{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {"e", 5}})
        EXPECT_EQ(ini.get_int(0, key, nullptr), value) << key;

    auto long_string = [](size_t length) {
        std::string line = "s = \"";
        line += std::string(length - line.size(), 'x');
        return line;
    };
    IniFile lines;
    parsed(lines, long_string(2047) + "\nt = 1\n" + long_string(2048) + "\nu = 2\n" +
                      long_string(5000) + "\nv = 3\n");
    EXPECT_EQ(std::strlen(lines.get_string("", "s", nullptr, 0)), 2047u - 5);
    EXPECT_EQ(std::strlen(lines.get_string("", "s", nullptr, 1)), 2047u - 5);
    EXPECT_EQ(std::strlen(lines.get_string("", "s", nullptr, 2)), 2047u - 5);
    EXPECT_EQ(lines.get_int(0, "t", nullptr) + lines.get_int(0, "u", nullptr) + lines.get_int(0, "v", nullptr), 6);
}

// An empty file read from the archive comes as a view of no bytes whose
// pointer is null; one of a single byte holds no line either.
TEST(IniStructure, TextsWithoutALineParseToNothing) {
    const char one_break[] = "\n";
    const char one_nul[] = "";
    for (std::string_view text : {std::string_view(), std::string_view(one_break, 1), std::string_view(one_nul, 1),
                                  std::string_view("\r\n\r\n")}) {
        IniFile ini;
        parsed(ini, text);
        EXPECT_EQ(ini.section_count(), 0) << text.size();
    }
    IniFile one_letter;
    parsed(one_letter, "k");
    EXPECT_EQ(one_letter.get_int(7, "k", nullptr), 7);
}

TEST(IniStructure, MultiLineStrings) {
    IniFile ini;
    parsed(ini, "a = {\n\"Hello \"\njunk\n\"world\n}, 7\nb = 1\n");
    EXPECT_STREQ(ini.get_string("", "a", nullptr), "Hello world");
    EXPECT_EQ(ini.get_int(0, "a", nullptr, 0, 1), 7);  // the scan continues on the "}" line
    EXPECT_EQ(ini.get_int(0, "b", nullptr), 1);

    std::string body = "big = 1, {\n";
    for (int i = 0; i < 30; ++i) body += "\"" + std::string(100, char('a' + i % 26)) + "\"\n";
    body += "}\n";
    IniFile big;
    parsed(big, body);
    EXPECT_EQ(std::strlen(big.get_string("", "big", nullptr, 0, 1)), 3000u);

    IniFile unclosed;
    parsed(unclosed, "a = 5, {\n\"text\"\nb = 2\n");
    EXPECT_EQ(unclosed.get_int(0, "a", nullptr, 0, 0), 5);
    EXPECT_FALSE(unclosed.has_value("a", nullptr, 0, 1));
    EXPECT_FALSE(unclosed.has_value("b", nullptr));  // swallowed by the open brace
}

TEST(IniSymbols, StaticTableFirstThenDefinedSymbols) {
    IniSymbol table[] = {{"ALPHA_PIXEL", 2, 0xFFFFFFFF}, {"TRANS_COLOR", 0x10, 0xFFFFFFFF}, {nullptr, 0, 0}};
    IniFile ini;
    ini.set_symbol_table(table);
    ini.define_symbol("ALPHA_PIXEL", 100);
    ini.define_symbol("EXTRA", 0x40);
    parsed(ini, "a = ALPHA_PIXEL | TRANS_COLOR\nb = EXTRA|UNKNOWN  ALPHA_PIXEL, 3\nc = TRANS_COLOR 5\n");
    EXPECT_EQ(table[0].hash, ini_symbol_hash("ALPHA_PIXEL"));
    EXPECT_EQ(ini.get_int(0, "a", nullptr), 0x12);
    EXPECT_EQ(ini.get_int(0, "b", nullptr), 0x42);
    EXPECT_EQ(ini.get_int(0, "b", nullptr, 0, 1), 3);
    EXPECT_EQ(ini.get_int(0, "c", nullptr), 0x10);  // a digit does not continue the names
    EXPECT_EQ(ini.symbol_value("UNKNOWN"), 0);
}

TEST(IniSymbols, NamesWithEqualHashesKeepTheirOwnValues) {
    // 'A' * 13 + 'b' = 65 * 13 + 98 = 943 = 66 * 13 + 85 = 'B' * 13 + 'U'.
    ASSERT_EQ(ini_symbol_hash("Ab"), ini_symbol_hash("BU"));
    IniFile ini;
    ini.define_symbol("Ab", 1);
    ini.define_symbol("BU", 2);
    parsed(ini, "x = BU\n");
    EXPECT_EQ(ini.get_int(0, "x", nullptr), 2);
    EXPECT_EQ(ini.symbol_value("Ab"), 1);
    // Signed codes: a byte above 0x7F counts negative.
    EXPECT_EQ(ini_symbol_hash("\xff"), 0xFFFFFFFFu);
}

TEST(IniGetters, WideStringsSignExtendAndDefaultsCoverMissingParts) {
    IniFile ini;
    parsed(ini, "[S]\nname = \"Caf\xe9\"\nnum = 4\n");
    const char16_t* wide = ini.get_wstring(u"?", "name", "S");
    EXPECT_EQ(std::u16string(wide), std::u16string(u"Caf") + char16_t(0xFFE9));
    EXPECT_EQ(std::u16string(ini.get_wstring(u"?", "num", "S")), u"?");
    EXPECT_EQ(ini.get_int(3, "num", "missing"), 3);
    EXPECT_EQ(ini.get_int(3, "num", "S", 1), 3);
    EXPECT_EQ(ini.get_int(3, "num", "S", -1), 3);
    EXPECT_EQ(ini.get_int(3, "num", "S", 0, 1), 3);
    EXPECT_EQ(ini.get_int(3, "nope", "S"), 3);
    EXPECT_STREQ(ini.get_string("d", "num", "S"), "d");
    ini.clear();
    EXPECT_EQ(ini.get_int(3, "num", "S"), 3);
    EXPECT_EQ(ini.section_count(), 0);
}

TEST(IniText, ReadTextLineCutsLongLinesAndSkipsBreaks) {
    const char* text = "\r\nfirst\r\n\nsecond line\nx";
    char buffer[7];
    ASSERT_EQ(read_text_line(buffer, sizeof buffer, text), 1);
    EXPECT_STREQ(buffer, "first");
    ASSERT_EQ(read_text_line(buffer, sizeof buffer, text), 1);
    EXPECT_STREQ(buffer, "second");
    ASSERT_EQ(read_text_line(buffer, sizeof buffer, text), 1);
    EXPECT_STREQ(buffer, "x");
    EXPECT_EQ(read_text_line(buffer, sizeof buffer, text), 0);
    const char* no_text = nullptr;
    EXPECT_EQ(read_text_line(buffer, sizeof buffer, no_text), 0);
    std::string_view line;
    EXPECT_FALSE(next_text_line(no_text, no_text, line));
}

TEST(IniLoad, LoadsThroughTheFileSystemAndTheDemoSampleParses) {
    set_program_folder(utf8_to_utf16(NIMBREL_DEMO_DATA_DIR));
    FileSystem files;
    g_file_system = &files;
    IniSymbol table[] = {{"ALPHA_PIXEL", 2, 0xFFFFFFFF}, {"TRANS_COLOR", 0x10, 0xFFFFFFFF}, {nullptr, 0, 0}};
    IniFile ini;
    ini.set_symbol_table(table);
    ASSERT_EQ(ini.load(u"samples\\keyfile.INI"), 1);
    EXPECT_EQ(ini.file_name(), u"samples\\keyfile.INI");
    EXPECT_STREQ(ini.get_string("", "Title", nullptr), "Key file sample");
    EXPECT_EQ(ini.get_int(0, "Numbers", "Values", 0, 1), 0xFF00FF);
    EXPECT_EQ(ini.get_int(0, "Numbers", "VALUES", 1), 99);  // the reopened section
    EXPECT_EQ(ini.get_int(0, "Symbols", "Values"), 0x12);
    EXPECT_STREQ(ini.get_string("", "Body", "Values"), "Hello world");
    EXPECT_EQ(ini.get_int(0, "Body", "Values", 0, 1), 7);
    EXPECT_EQ(ini.get_int(0, "Animation", "Frames", 2, 1), 2);
    EXPECT_EQ(ini.get_int(-1, "MusicVol", "SETTINGS"), -1);

    IniFile settings;
    ASSERT_EQ(settings.load(u"settings.ini"), 1);
    EXPECT_EQ(settings.get_int(0, "GfxQuality", "SETTINGS"), 1);
    IniFile missing;
    EXPECT_EQ(missing.load(u"no_such.ini"), 0);
    g_file_system = nullptr;
}

}  // namespace
