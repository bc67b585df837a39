// Fonts: the glyph scan, loading, layout (breaks, justify, limits) and the
// rendered pictures (styles, colours, backgrounds, looks).
#include "engine/pictures/font.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/graphics/sprite.h"
#include "engine/pictures/bitmap.h"
#include "engine/pictures/sprite_flags.h"
#include "graphics_files.h"

namespace {

constexpr uint16_t kWhite = 0xFFFF;

// Glyph shapes as the demo font tool reads them, by character.
std::map<char, std::vector<std::string>> glyph_design() {
    std::ifstream in(std::string(NIMBREL_SOURCE_DIR) + "/data/fonts/glyphs.txt");
    std::map<char, std::vector<std::string>> design;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string keyword, c;
        if (!(words >> keyword >> c) || keyword != "glyph") continue;
        for (std::string row; words >> row;) design[c[0]].push_back(row);
    }
    return design;
}

struct Rendered {
    explicit Rendered(Sprite* s) : sprite(s) {}
    ~Rendered() { delete sprite; }
    const Bitmap& picture() const { return *sprite->bitmap(); }
    int32_t width() const { return picture().width; }
    int32_t height() const { return picture().height; }
    uint16_t at(int32_t x, int32_t y) const { return picture().pixel(x, y); }
    Sprite* sprite;
};

}  // namespace

class FontTest : public GraphicsFilesTest {
protected:
    FontTest() {
        std::filesystem::copy(std::filesystem::path(NIMBREL_TEST_DATA_DIR) / "fonts", folder_.path() / "fonts");
    }

    // A strip two rows high from a column pattern: '.' key column, '#' a
    // glyph column (ink in the second row, so pixel 0,0 stays the key).
    void write_strip(const std::string& name, const std::string& columns) {
        const int32_t w = int32_t(columns.size());
        std::vector<uint32_t> pixels(size_t(w) * 2, 0xFF00FF);
        for (int32_t x = 0; x < w; ++x)
            if (columns[size_t(x)] == '#') pixels[size_t(w + x)] = 0xFFFFFF;
        write(name + ".bmp", bmp_file(w, 2, pixels));
        write(name + ".spr", "DefFlags = TRANS_COLOR\nbmp = \"" + name + ".bmp\"\n");
    }

    static int32_t start(const Font& f, char c) { return int32_t(f.glyphs[uint8_t(c)] >> 16); }
    static int32_t end(const Font& f, char c) { return int32_t(f.glyphs[uint8_t(c)] & 0xFFFF); }

    Font& loaded(const char16_t* name) {
        EXPECT_EQ(font_.load(name), 1);
        EXPECT_TRUE(FailureLog::names().empty());
        return font_;
    }

    Font font_;
};

TEST_F(FontTest, ScanFindsGlyphsBetweenSeparatorColumns) {
    write_strip("strip", "##.#..##.");
    Font f;
    ASSERT_EQ(f.scan_glyphs(u"strip.spr", "abc"), 1);
    EXPECT_EQ(f.key_color, 0xF81Fu);
    EXPECT_EQ(start(f, 'a'), 0);  // a glyph may begin at column 0
    EXPECT_EQ(end(f, 'a'), 2);
    EXPECT_EQ(start(f, 'b'), 3);  // adjacent separators make no glyph
    EXPECT_EQ(end(f, 'b'), 4);
    EXPECT_EQ(start(f, 'c'), 6);
    EXPECT_EQ(end(f, 'c'), 8);
    EXPECT_EQ(f.glyphs[uint8_t('d')], 0u);
    EXPECT_EQ(f.advance(u'd'), 0);
}

TEST_F(FontTest, ScanReportsAStripThatRunsOut) {
    write_strip("open", ".#.##");  // no separator after the last glyph
    Font f;
    EXPECT_EQ(f.scan_glyphs(u"open.spr", "ab"), 0);
    EXPECT_EQ(end(f, 'a'), 2);
    EXPECT_EQ(f.glyphs[uint8_t('b')], 0u);
    write_strip("closed", ".#.##.");
    Font g;
    EXPECT_EQ(g.scan_glyphs(u"closed.spr", "ab\n"), 0);  // a trailing line feed counts as a glyph
    write_strip("narrow", "#");
    Font narrow;
    EXPECT_EQ(narrow.scan_glyphs(u"narrow.spr", "a"), 0);
}

TEST_F(FontTest, SpaceTakesTheLastOfEOrOne) {
    write_strip("spaces", ".#.##.###.");
    Font f;
    ASSERT_EQ(f.scan_glyphs(u"spaces.spr", "e1x"), 1);
    EXPECT_EQ(f.glyphs[uint8_t(' ')], f.glyphs[uint8_t('1')]);
    Font g;
    ASSERT_EQ(g.scan_glyphs(u"spaces.spr", "1ex"), 1);
    EXPECT_EQ(g.glyphs[uint8_t(' ')], g.glyphs[uint8_t('e')]);
}

TEST_F(FontTest, LoadsTheFontFileAndItsStrip) {
    Font& f = loaded(u"test_normal");
    EXPECT_EQ(f.mode, kFontNormal);
    EXPECT_EQ(f.char_dist, 1);
    EXPECT_EQ(f.do_color, 0);
    EXPECT_EQ(f.glyph_height(), 8);
    EXPECT_EQ(f.advance(u'H'), 6);
    EXPECT_EQ(f.advance(u'i'), 2);
    EXPECT_EQ(f.advance(u' '), 4);  // the glyph of "1", 3 wide
    EXPECT_EQ(f.glyph_sprite->flags, TRANS_COLOR);
    Font lights;
    ASSERT_EQ(lights.load(u"test_lights"), 1);
    EXPECT_EQ(lights.mode, kFontLights);
    Font colored;
    ASSERT_EQ(colored.load(u"test_docolor"), 1);
    EXPECT_EQ(colored.do_color, 1);
    EXPECT_EQ(colored.color, 0x07E0);
}

TEST_F(FontTest, MissingFilesAreFatalFailures) {
    Font f;
    EXPECT_EQ(f.load(u"nothing"), 0);
    ASSERT_EQ(FailureLog::names().size(), 1u);
    EXPECT_EQ(FailureLog::names()[0], u"fonts/nothing.fnt");
    FailureLog::clear();
    write("fonts/nochars.fnt", "Sprite = \"fonts/test_normal.spr\"\nChars = \"fonts/missing.txt\"\n");
    EXPECT_EQ(f.load(u"nochars"), 0);
    ASSERT_EQ(FailureLog::names().size(), 1u);
    EXPECT_EQ(FailureLog::names()[0], u"fonts/missing.txt");
    FailureLog::clear();
    write("fonts/unquoted.fnt", "Sprite = \"fonts/test_normal.spr\"\nChars = fonts/test_normal.txt\n");
    EXPECT_EQ(f.load(u"unquoted"), 0);  // an unquoted name reads as a symbol, not a file
    ASSERT_EQ(FailureLog::names().size(), 1u);
    EXPECT_EQ(FailureLog::names()[0], u"fonts/unquoted.fnt");
    // A font without a strip renders an empty picture instead of crashing.
    Rendered r(f.render_text(u"abc", 100, 0, 0, 0, 0, -1));
    EXPECT_EQ(r.width(), 1);
}

TEST_F(FontTest, RendersGlyphsAsDesigned) {
    Font& f = loaded(u"test_normal");
    const auto design = glyph_design();
    Rendered r(f.render_text(u"Hg", 1000, 0, 0, 0, 0, -1));
    EXPECT_EQ(r.width(), 6 + 6 + 2);
    EXPECT_EQ(r.height(), 8);
    EXPECT_EQ(r.sprite->flags, TRANS_COLOR);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            const std::string& row = design.at(x < 6 ? 'H' : 'g')[size_t(y)];
            const int32_t column = x % 6;
            const bool ink = column < 5 && row[size_t(column)] == '#';
            EXPECT_EQ(r.at(x, y), ink ? kWhite : kColorKey) << x << "," << y;
        }
}

// Every demo font is drawn from the one glyph design, so two characters
// drawn alike in it read alike in every font ("l" once looked like "]").
TEST_F(FontTest, NoTwoGlyphsAreDrawnAlike) {
    Font& f = loaded(u"test_normal");
    std::map<std::vector<uint16_t>, char> seen;
    for (const auto& [c, rows] : glyph_design()) {
        const char16_t text[] = {char16_t(c), 0};
        Rendered r(f.render_text(text, 1000, 0, 0, 0, 0, -1));
        ASSERT_GT(r.width(), 1) << "no glyph for '" << c << "'";
        std::vector<uint16_t> picture{uint16_t(r.width())};
        for (int32_t y = 0; y < r.height(); ++y)
            for (int32_t x = 0; x < r.width(); ++x) picture.push_back(r.at(x, y));
        const auto [twin, fresh] = seen.emplace(picture, c);
        EXPECT_TRUE(fresh) << "'" << c << "' is drawn as '" << twin->second << "'";
    }
}

TEST_F(FontTest, SelectedFrameGivesItsLook) {
    Font& f = loaded(u"test_normal");
    f.glyph_sprite->set_phase(1);
    Rendered r(f.render_text(u"I", 1000, 0, 0, 0, 0, -1));
    EXPECT_EQ(r.at(0, 0), 0x07E0);  // the green second look
}

TEST_F(FontTest, BreaksAtTheLastSpaceInPlace) {
    Font& f = loaded(u"test_normal");
    // "ab cd": a 6 + b 6 + space 4 = 16; "c" reaches 22, "d" 28.
    char16_t text[] = u"ab cd";
    Rendered r(f.render_text(text, 25, 0, 0, 0, 0, -1, 1));
    EXPECT_EQ(std::u16string(text), u"ab\rcd");
    EXPECT_EQ(r.height(), 16);
    EXPECT_EQ(r.width(), 12 + 2);
    char16_t copy[] = u"ab cd";
    Rendered c(f.render_text(copy, 25, 0, 0, 0, 0, -1, 0));
    EXPECT_EQ(std::u16string(copy), u"ab cd");

    char narrow[] = "ab cd";
    Rendered n(f.render_text_ascii(narrow, 25, 0, 0, 0, 0, -1, 1));
    EXPECT_STREQ(narrow, "ab\rcd");
    EXPECT_EQ(n.height(), 16);
}

TEST_F(FontTest, BreaksALongWordBetweenCharacters) {
    Font& f = loaded(u"test_normal");
    Rendered r(f.render_text(u"abcdef", 20, 0, 0, 0, 0, -1));  // three letters reach 18, four 24
    EXPECT_EQ(r.height(), 16);
    EXPECT_EQ(r.width(), 18 + 2);
    Rendered gap(f.render_text(u"ab\nc", 1000, 0, 0, 0, 0, 3));
    EXPECT_EQ(gap.height(), 2 * 11);
    Rendered tight(f.render_text(u"ab\nc", 1000, 0, 0, 0, 0, -20));
    EXPECT_EQ(tight.height(), 2);  // each line at least one pixel
}

TEST_F(FontTest, DegenerateLayoutsFinishInsideThePicture) {
    Font& f = loaded(u"test_normal");
    Rendered zero(f.render_text(u"abc", 0, 0, 0, 0, 0, -1));  // one character a line
    EXPECT_EQ(zero.height(), 3 * 8);
    Rendered negative(f.render_text(u"ab cd", -5, 0, 0, 1, 2, -1));
    EXPECT_EQ(negative.height(), 4 * 8 + 4);  // the space became the break
    std::u16string many;
    for (int i = 0; i < 300; ++i) many += u"x\n";
    Rendered capped(f.render_text(many.c_str(), 100, 0, 0, 0, 0, -1));
    EXPECT_EQ(capped.height(), Font::kMaxLines * 8);
    Rendered empty(f.render_text(u"", 100, 0, 0, 0, 0, -1));
    Rendered null(f.render_text(static_cast<const char16_t*>(nullptr), 100, 0, 0, 0, 0, -1));
    for (const Rendered* r : {&empty, &null})
        for (uint16_t p : r->picture().pixels) EXPECT_EQ(p, kColorKey);
}

TEST_F(FontTest, JustifyStretchesOnlyAutomaticBreaks) {
    Font& f = loaded(u"test_normal");
    // Where the ink of "b" (first column of its glyph) lands on a line.
    auto first_ink_from = [](const Rendered& r, int32_t y0, int32_t from) {
        for (int32_t x = from; x < r.width(); ++x)
            for (int32_t y = y0; y < y0 + 8; ++y)
                if (r.at(x, y) != kColorKey) return x;
        return -1;
    };
    // "i" is 2 wide, the space 4: the fourth "i i" pair passes 16.
    char16_t text[] = u"i i i i\ni i";
    Rendered plain(f.render_text(text, 16, 0, 0, 0, 2, -1, 1));
    EXPECT_EQ(std::u16string(text), u"i i\ri i\ni i");
    EXPECT_EQ(plain.width(), 16 + 3);
    // Line 1 "i i" is 8 wide: its one space takes the 8 spare pixels.
    EXPECT_EQ(first_ink_from(plain, 0, 1), 2 + 4 + 8);
    // The line ended by "\n" and the last line are not stretched.
    EXPECT_EQ(first_ink_from(plain, 8, 1), 6);
    EXPECT_EQ(first_ink_from(plain, 16, 1), 6);
    // Three spaces share 8 spare pixels in hundredths: 2, 3 and 2.
    Rendered odd(f.render_text(u"i i i i iii", 28, 0, 0, 0, 2, -1));
    EXPECT_EQ(first_ink_from(odd, 0, 1), 8);
    EXPECT_EQ(first_ink_from(odd, 0, 9), 17);
    EXPECT_EQ(first_ink_from(odd, 0, 18), 25);
}

TEST_F(FontTest, StylesOutlineTwoPixelsAroundTheText) {
    Font& f = loaded(u"test_normal");
    Rendered plain(f.render_text(u"I", 1000, 0, 0, 0, 0, -1));
    Rendered outlined(f.render_text(u"I", 1000, 0, 0, kTextBlackOutline, 0, -1));
    EXPECT_EQ(outlined.width(), plain.width() + 4 + 2);  // 4 for the frame, 2 more start width
    EXPECT_EQ(outlined.height(), plain.height() + 4);
    EXPECT_EQ(outlined.at(2, 2), kWhite);  // "I" drawn 2 pixels in
    EXPECT_EQ(outlined.at(1, 2), 0);
    EXPECT_EQ(outlined.at(0, 2), 0);
    EXPECT_EQ(outlined.at(5, 9), 0);
    EXPECT_EQ(outlined.at(6, 9), 0);
    EXPECT_EQ(outlined.at(7, 9), kColorKey);
    EXPECT_FALSE(outlined.picture().has_alpha());
    Rendered white(f.render_text(u"I", 1000, 0, 0, kTextWhiteOutline, 0, -1));
    EXPECT_EQ(white.at(1, 1), kWhite);
    EXPECT_EQ(white.at(2, 0), kWhite);
}

TEST_F(FontTest, ColoursAndContrast) {
    Font& f = loaded(u"test_normal");
    Rendered red(f.render_text(u"I", 1000, 1, 0x0000FF, 0, 0, -1));  // 0xBBGGRR: red is low
    EXPECT_EQ(red.at(0, 0), 0xF800);
    Rendered blue(f.render_text(u"I", 1000, 1, 0xFF0000, 0, 0, -1));
    EXPECT_EQ(blue.at(0, 0), 0x001F);
    Rendered own(f.render_text(u"I", 1000, 0, 0xFF0000, 0, 0, -1));
    EXPECT_EQ(own.at(0, 0), kWhite);
    // Brightness (5r + 10g + 4b) / 19: grey 52 gives the dark contrast.
    Rendered bright(f.render_text(u"I", 1000, 1, 0x343434, kTextContrastOutline, 0, -1));
    EXPECT_EQ(bright.at(1, 2), uint16_t(0 << 11 | 1 << 5 | 0));
    Rendered dark(f.render_text(u"I", 1000, 1, 0x333333, kTextContrastOutline, 0, -1));
    EXPECT_EQ(dark.at(1, 2), uint16_t(0xE000 | 0x700 | 1 << 5 | 0x1C));
    Font colored;
    ASSERT_EQ(colored.load(u"test_docolor"), 1);
    Rendered forced(colored.render_text(u"I", 1000, 0, 0x0000FF, 0, 0, -1));
    EXPECT_EQ(forced.at(0, 0), 0x07E0);
}

TEST_F(FontTest, BackgroundsFollowTheMode) {
    struct Case {
        const char16_t* name;
        uint16_t background;
        uint32_t flags;
    };
    for (const Case& c : {Case{u"test_normal", kColorKey, TRANS_COLOR}, Case{u"test_lights", 0, BLT_LIGHTEN},
                          Case{u"test_magenta", kColorKey, TRANS_COLOR}, Case{u"test_alpha", kColorKey, ALPHA_PIXEL}}) {
        Font f;
        ASSERT_EQ(f.load(c.name), 1);
        Rendered r(f.render_text(u"I I", 1000, 0, 0, 0, 0, -1));
        EXPECT_EQ(r.at(r.width() - 1, 0), c.background);
        EXPECT_EQ(r.sprite->flags, c.flags);
        EXPECT_EQ(r.picture().has_alpha(), f.mode == kFontAlpha);
        if (f.mode == kFontAlpha) {
            EXPECT_EQ(r.picture().alpha[r.picture().index(0, 0)], kOpaque);
            EXPECT_EQ(r.picture().alpha[r.picture().index(r.width() - 1, 0)], 0);
        }
    }
}

TEST_F(FontTest, AlphaModeWithoutAnAlphaPlaneUsesTheKey) {
    Font& f = loaded(u"test_normal");
    f.mode = kFontAlpha;
    Rendered r(f.render_text(u"I", 1000, 0, 0, 0, 0, -1));
    ASSERT_TRUE(r.picture().has_alpha());
    EXPECT_EQ(r.picture().alpha[r.picture().index(0, 0)], kOpaque);
    EXPECT_EQ(r.picture().alpha[r.picture().index(0, 7)], 0);  // the empty bottom row
    f.mode = 9;  // no such mode: the key colour
    Rendered other(f.render_text(u"I", 1000, 0, 0, 0, 0, -1));
    EXPECT_EQ(other.at(other.width() - 1, 0), kColorKey);
}

TEST_F(FontTest, DeleteFontsReleasesTheList) {
    PtrArray<Font> fonts(true);
    for (const char16_t* name : {u"test_normal", u"test_lights"}) {
        auto* f = new Font;
        ASSERT_EQ(f->load(name), 1);
        fonts.push(f);
    }
    delete_fonts(fonts);
    EXPECT_EQ(fonts.count(), 0);
}
