#include "game/session/state_helpers.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/ui/ui_text.h"
#include "tests/engine/ui/menu_test_support.h"

namespace {

TEST(SplitTextAtLine, CarriageReturnAndLineFeedCountAsTwoBreaks) {
    std::string text = "one\r\ntwo";
    size_t next = 0;
    EXPECT_EQ(split_text_at_line(text.data(), 2, next), 1);
    EXPECT_EQ(next, 5u);
    EXPECT_STREQ(text.c_str(), "one\r");
    EXPECT_STREQ(text.c_str() + next, "two");

    std::string first = "one\r\ntwo";
    EXPECT_EQ(split_text_at_line(first.data(), 1, next), 1);
    EXPECT_EQ(next, 4u);
    EXPECT_STREQ(first.c_str(), "one");
}

TEST(SplitTextAtLine, FewerBreaksLeaveTheTextWholeAndPointPastItsEnd) {
    std::string text = "a\nb\nc";
    size_t next = 0;
    EXPECT_EQ(split_text_at_line(text.data(), 3, next), 0);
    EXPECT_EQ(next, text.size() + 1);
    EXPECT_EQ(text, "a\nb\nc");
    EXPECT_EQ(split_text_at_line(text.data(), 0, next), 0);
    std::string empty;
    EXPECT_EQ(split_text_at_line(empty.data(), 1, next), 0);
    EXPECT_EQ(next, 1u);
}

class ElementText : public MenuTest {};

TEST_F(ElementText, TheCurrentPageIsServedBeforeEarlierPagesOfTheSameName) {
    build("<PAGE NAME=one>\n<TEXT OBJNAME=line TITLE=\"first\">\n"
          "<PAGE NAME=two>\n<TEXT OBJNAME=line TITLE=\"second\">\n<TEXT OBJNAME=only TITLE=\"x\">\n");
    menu_->show_page(u"two");
    ASSERT_TRUE(ui_set_element_text(menu_.get(), u"LINE", "Health: 7"));
    auto* first = dynamic_cast<UiText*>(menu_->page(0)->find_control(u"line"));
    auto* second = dynamic_cast<UiText*>(menu_->page(1)->find_control(u"line"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->title, u"Health: 7");
    EXPECT_EQ(first->title, u"first");

    // A name only another page has is still found there.
    menu_->show_page(u"one");
    EXPECT_TRUE(ui_set_element_wtext(menu_.get(), u"only", u"y"));
    EXPECT_EQ(dynamic_cast<UiText*>(menu_->page(1)->find_control(u"only"))->title, u"y");
}

TEST_F(ElementText, MissingControlsAndMenusChangeNothing) {
    build("<PAGE NAME=one>\n<TEXT OBJNAME=line TITLE=\"first\">\n");
    EXPECT_FALSE(ui_set_element_text(menu_.get(), u"nothing", "x"));
    EXPECT_FALSE(ui_set_element_text(nullptr, u"line", "x"));
    // Bytes above 0x7F widen without a sign.
    ASSERT_TRUE(ui_set_element_text(menu_.get(), u"line", "\xE9t\xE9"));
    EXPECT_EQ(dynamic_cast<UiText*>(menu_->find_control(u"line"))->title, u"\u00E9t\u00E9");
}

}  // namespace
