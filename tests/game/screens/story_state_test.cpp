// Story pages: the prefix that chooses the background, lines, margins and
// font; pages cut at line breaks; the fade in and out on the animation tick; the
// keys that turn a page; and the way back to the map.
#include "game/screens/story_state.h"

#include <array>
#include <string>

#include "engine/graphics/sprite.h"
#include "engine/pictures/font.h"
#include "game/screens/walking_state.h"
#include "tests/game/screens/item_screen_support.h"

namespace {

class StoryTest : public ItemScreenTest {
protected:
    StoryState& story() { return *static_cast<StoryState*>(current()); }
    void open(const std::string& text) {
        g_app->game()->screen_subjects.story_text = text;
        g_app->game()->switch_state("Story", &g_app->game()->screen_subjects.story_text);
    }
    void animate(int n) {
        for (int i = 0; i < n && current_name() == "Story"; ++i) current()->animate();
    }
    static int32_t line_height(const char16_t* font_name) {
        Font font;
        font.load(font_name);
        const int32_t h = font.glyph_height();
        font.release();
        return h;
    }
    // n lines "line 1" .. "line n", each ended by a LF but the last.
    static std::string lines(int n) {
        std::string text;
        for (int i = 1; i <= n; ++i) text += "line " + std::to_string(i) + (i < n ? "\n" : "");
        return text;
    }
};

TEST_F(StoryTest, ThePrefixChoosesKindLinesMarginsAndFont) {
    struct Case {
        std::string text;
        int32_t kind, lines, top, bottom, left, right;
        bool centred;
        std::u16string font;
        size_t prefix;
        Size background;
    };
    const Case cases[] = {
        {"#Bx", 1, 12, 22, 30, 30, 20, false, u"font1", 2, {220, 160}},
        {"#Tx", 2, 3, 13, 14, 27, 25, true, u"font1", 2, {200, 60}},
        {"x", 3, 15, 20, 20, 20, 20, false, u"font1", 0, {230, 175}},
        {"#Sx", 4, 3, 10, 10, 10, 10, true, u"font1", 2, {170, 47}},
        {"#Cx", 5, 12, 22, 30, 30, 20, true, u"comp", 2, {220, 148}},
        {"#Mx", 6, 12, 22, 30, 30, 20, true, u"font1", 2, {210, 160}},
        // Another letter (or lower case) is no prefix: the text stays whole.
        {"#xx", 3, 15, 20, 20, 20, 20, false, u"font1", 0, {230, 175}},
        {"#bx", 3, 15, 20, 20, 20, 20, false, u"font1", 0, {230, 175}},
        {"#", 3, 15, 20, 20, 20, 20, false, u"font1", 0, {230, 175}},
    };
    start_game();
    for (const Case& c : cases) {
        const StoryPageStyle s = story_page_style(c.text);
        EXPECT_EQ(s.kind, c.kind) << c.text;
        EXPECT_EQ(s.lines, c.lines) << c.text;
        EXPECT_EQ((std::array{s.top, s.bottom, s.left, s.right}), (std::array{c.top, c.bottom, c.left, c.right}))
            << c.text;
        EXPECT_EQ(s.centred, c.centred) << c.text;
        EXPECT_EQ(std::u16string(s.font), c.font) << c.text;
        EXPECT_EQ(s.prefix, c.prefix) << c.text;
        // The background each kind shows, and the text it shows on it.
        open(c.text);
        ASSERT_EQ(current_name(), "Story") << c.text;
        EXPECT_EQ(story().text(), c.text.substr(c.prefix)) << c.text;
        const Sprite* bg = story().background();
        ASSERT_NE(bg, nullptr);
        EXPECT_EQ((Size{bg->frame_width, bg->frame_height}), c.background) << c.text;
        // Centred in the screen.
        EXPECT_EQ((Point{bg->x, bg->y}), (Point{(240 - bg->frame_width) / 2, (320 - bg->frame_height) / 2}));
        // The page stays inside its margins.
        const Sprite* page = story().page();
        EXPECT_GE(page->x, bg->x + c.left) << c.text;
        EXPECT_LE(page->x + page->frame_width, bg->x + bg->frame_width - c.right + 2) << c.text;
        EXPECT_GE(page->y, bg->y + c.top) << c.text;
    }
}

TEST_F(StoryTest, PagesArePlacedByTheirKindCentredOrAtTheMargins) {
    start_game();
    open("#THm.");
    const Sprite* bg = story().background();
    const Sprite* page = story().page();
    EXPECT_EQ(page->x, bg->x + 27 + (bg->frame_width - 27 - page->frame_width - 25) / 2);
    EXPECT_EQ(page->y, bg->y + 13 + (bg->frame_height - 13 - page->frame_height - 14) / 2);
    open("#BHm.");
    bg = story().background();
    page = story().page();
    EXPECT_EQ((Point{page->x, page->y}), (Point{bg->x + 30, bg->y + 22}));
}

TEST_F(StoryTest, AThoughtFadesInToAlpha28AndOtherPagesTo32) {
    start_game();
    for (const auto& [text, full] : {std::pair{"#THmm, the reeds.", 28}, std::pair{"A story.", 32}}) {
        open(text);
        EXPECT_EQ(story().page()->alpha, 0);
        animate(27);
        EXPECT_EQ(story().page()->alpha, 27) << text;
        animate(40);
        EXPECT_EQ(story().page()->alpha, full) << text;
        EXPECT_EQ(story().background()->alpha, full) << text;
    }
}

TEST_F(StoryTest, TwentyBookLinesGiveTwelveThenEight) {
    start_game();
    const int32_t h = line_height(u"font1");
    ASSERT_GT(h, 0);
    open("#B" + lines(20));
    EXPECT_EQ(story().page()->frame_height, 12 * h);
    EXPECT_GT(story().position(), 0);
    animate(40);
    key(kKeyAction);
    EXPECT_EQ(story().pages_shown(), 2);
    EXPECT_EQ(story().page()->frame_height, 8 * h);
    EXPECT_EQ(story().position(), -1);
    // The new page fades in afresh.
    EXPECT_EQ(story().page()->alpha, 0);
    key(kKeyAction);
    EXPECT_TRUE(story().leaving());
    EXPECT_EQ(story().pages_shown(), 2);
}

TEST_F(StoryTest, PagesEndAtBreaksAndNoBlankPageFollowsATrailingOne) {
    struct Case {
        std::string text;
        int32_t pages;
    };
    const Case cases[] = {
        {"#T" + std::string(300, 'w'), 1},     // no break: one page, however long
        {"#Tone\ntwo\nthree", 1},               // exactly the page's lines
        {"#Tone\ntwo\nthree\n", 1},             // ends on the page's last break
        {"#Tone\ntwo\nthree\nfour\nfive\nsix\n", 2},
        {"#Tone\ntwo\nthree\nfour", 2},
        {"#Tone\r\ntwo\r\nthree", 2},           // CR and LF are two breaks each
        {"#T\n\n\n\n", 2},                      // blank lines written out stay pages
    };
    start_game();
    for (const Case& c : cases) {
        open(c.text);
        int32_t turns = 0;
        while (!story().leaving() && turns < 10) {
            key(kKeyAction);
            ++turns;
        }
        EXPECT_EQ(story().pages_shown(), c.pages) << c.text;
    }
}

TEST_F(StoryTest, OnlyTheActionKeyKey8AndAPenDownTurnThePage) {
    start_game();
    open(lines(50));
    for (uint32_t other : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 9u, 10u, 11u}) key(other);
    EXPECT_EQ(story().pages_shown(), 1);
    key(kKeyAction);
    key(kKeyButton1);
    EXPECT_EQ(story().pages_shown(), 3);
    // A key release alone, and a pen moved or lifted, do nothing.
    story().on_key(kKeyRelease, kKeyAction, 0);
    story().on_pointer(kPenMove, 10, 10);
    story().on_pointer(kPenUp, 10, 10);
    EXPECT_EQ(story().pages_shown(), 3);
    story().on_pointer(kPenDown, 10, 10);
    EXPECT_EQ(story().position(), -1);
    EXPECT_FALSE(story().leaving());
}

TEST_F(StoryTest, AfterTheLastPageItFadesOutFromItsAlphaToTheMap) {
    start_game();
    open("#THm.");
    animate(10);
    key(kKeyAction);
    ASSERT_TRUE(story().leaving());
    // Further keys change nothing while it fades.
    key(kKeyAction);
    animate(9);
    EXPECT_EQ(current_name(), "Story");
    EXPECT_EQ(story().page()->alpha, 1);
    animate(1);
    EXPECT_EQ(story().page()->alpha, 0);
    animate(1);
    EXPECT_EQ(current_name(), "Walking");
    EXPECT_FALSE(static_cast<WalkingState*>(current())->scripted());
}

TEST_F(StoryTest, WithoutATextItGoesBackToTheMap) {
    start_game();
    open("");
    EXPECT_EQ(current_name(), "Walking");
    g_app->game()->switch_state("Story", 0);
    EXPECT_EQ(current_name(), "Walking");
}

}  // namespace
