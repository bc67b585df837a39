#include <gtest/gtest.h>

#include "engine/graphics/sprite.h"
#include "engine/ui/ui_text.h"
#include "tests/engine/ui/menu_test_support.h"

namespace {

using MenuLayout = MenuTest;

TEST_F(MenuLayout, ReadsPagesTitlesAndIgnoresStrayLines) {
    build("<BITMAP OBJNAME=early IMG=pics/box.bmp>\n"
          "<CONST early=4>\n"
          "  <page name=Main>\n"
          "<text objname=T title=\"one\\ntwo\\x\">\n"
          "<OPTION TITLE=orphan>\n"
          "not a tag\n");
    ASSERT_EQ(menu_->page_count(), 1u);
    EXPECT_EQ(menu_->find_control(u"early"), nullptr);  // before the first page
    EXPECT_EQ(menu_->get_var(u"EARLY"), 4);             // but CONST still counts
    auto& text = dynamic_cast<UiText&>(control(u"t"));
    EXPECT_EQ(text.title, u"one\ntwo\\x");
}

TEST_F(MenuLayout, NegativeXCountsFromTheRightWhateverTheAlignment) {
    build("<PAGE>\n"
          "<BITMAP OBJNAME=a IMG=pics/box.bmp X=-10>\n"
          "<BITMAP OBJNAME=b IMG=pics/box.bmp X=-10 ALIGN=CENTER>\n"
          "<BITMAP OBJNAME=c IMG=pics/box.bmp X=-10 ALIGN=right>\n");
    menu_->draw();
    for (const char16_t* name : {u"a", u"b", u"c"}) EXPECT_EQ(control(name).screen_x, 230);
}

TEST_F(MenuLayout, DepthsAndRunningY) {
    build("<PAGE>\n"
          "<BITMAP OBJNAME=a IMG=pics/box.bmp>\n"
          "<BITMAP OBJNAME=b IMG=pics/tall.bmp>\n"
          "<BITMAP OBJNAME=c IMG=pics/box.bmp>\n"
          "<BITMAP OBJNAME=d IMG=pics/box.bmp Z=10>\n"
          "<BITMAP OBJNAME=e IMG=pics/box.bmp>\n");
    menu_->draw();
    EXPECT_EQ(control(u"a").z, 1);
    EXPECT_EQ(control(u"b").z, 2);
    EXPECT_EQ(control(u"c").z, 3);
    EXPECT_EQ(control(u"d").z, 10);
    EXPECT_EQ(control(u"e").z, 11);
    EXPECT_EQ(control(u"a").screen_y, 1);
    EXPECT_EQ(control(u"b").screen_y, 1 + 20 + 1 + 1);
    EXPECT_EQ(control(u"c").screen_y, 23 + 50 + 2);
    EXPECT_EQ(control(u"a").width, 40);
    EXPECT_EQ(control(u"a").screen_x, 5);
}

TEST_F(MenuLayout, BottomRelativeYAndTheControlsAfterIt) {
    build("<PAGE>\n"
          "<BITMAP OBJNAME=a IMG=pics/box.bmp Y=-40>\n"
          "<BITMAP OBJNAME=b IMG=pics/box.bmp>\n"
          "<BITMAP OBJNAME=c IMG=pics/box.bmp Y=100 NOHEIGHT=1>\n"
          "<BITMAP OBJNAME=d IMG=pics/box.bmp>\n");
    menu_->draw();
    EXPECT_EQ(control(u"a").screen_y, 280);
    EXPECT_EQ(control(u"b").screen_y, -40 + 1 + 20 + 1 + 1);
    EXPECT_EQ(control(u"c").screen_y, 100);
    EXPECT_EQ(control(u"d").screen_y, 101);  // NOHEIGHT did not advance
}

TEST_F(MenuLayout, AlignmentWithAndWithoutX) {
    build("<PAGE ALIGN=center>\n"
          "<BITMAP OBJNAME=pc IMG=pics/box.bmp>\n"
          "<BITMAP OBJNAME=r IMG=pics/box.bmp ALIGN=RIGHT>\n"
          "<BITMAP OBJNAME=xc IMG=pics/box.bmp X=100>\n"
          "<BITMAP OBJNAME=xr IMG=pics/box.bmp X=100 ALIGN=RIGHT>\n"
          "<BITMAP OBJNAME=j IMG=pics/box.bmp ALIGN=JUSTIFY>\n"
          "<EMPTY PAGE=*E X=7 Y=200 WIDTH=30 HEIGHT=12>\n"
          "<BITMAP OBJNAME=after IMG=pics/box.bmp>\n");
    menu_->draw();
    EXPECT_EQ(control(u"pc").screen_x, 5 + (240 - 5 - 40 - 5) / 2);
    EXPECT_EQ(control(u"r").screen_x, 240 - 40 - 5);
    EXPECT_EQ(control(u"xc").screen_x, 80);
    EXPECT_EQ(control(u"xr").screen_x, 60);
    EXPECT_EQ(control(u"j").screen_x, 5);  // justified without X stands at the left
    EXPECT_EQ(control(u"after").screen_y, 200 + 12 + 1);
    // The empty area answers a tap inside its own WIDTH and HEIGHT.
    EXPECT_EQ(tap(8, 201), kMenuCommand);
    EXPECT_EQ(out_, u"*E");
}

// Numbers a damaged file stores at the ends of the int range are clamped
// to the placement limit before any layout sum or hit test takes them.
TEST_F(MenuLayout, PlacementsAtTheIntLimitsAreClampedBeforeAnySum) {
    constexpr int32_t kLimit = kMaxPlacement;
    struct Row {
        const char* controls;
        int32_t x;  // of the bitmap or text called "b"
        int32_t y;
    };
    const Row rows[] = {
        {"<TEXT OBJNAME=b X=-2147483648 TITLE=x>\n", 240 - kLimit, 1},
        {"<BITMAP OBJNAME=b IMG=pics/box.bmp Y=-2147483648>\n", 5, 320 - kLimit},
        {"<BITMAP OBJNAME=b IMG=pics/box.bmp X=2147483647 ALIGN=RIGHT>\n", kLimit - 40, 1},
        {"<BITMAP OBJNAME=b IMG=pics/box.bmp X=2147483647 ALIGN=CENTER>\n", kLimit - 20, 1},
        // The running y stops at the limit however many tall areas add to it.
        {"<EMPTY HEIGHT=2147483647>\n<EMPTY HEIGHT=2147483647>\n<EMPTY HEIGHT=70000>\n"
         "<BITMAP OBJNAME=b IMG=pics/box.bmp>\n",
         5, kLimit + 1},
        {"<BITMAP IMG=pics/box.bmp Y=2147483647>\n<BITMAP OBJNAME=b IMG=pics/box.bmp>\n", 5, kLimit + 1},
    };
    for (const Row& row : rows) {
        build(std::string("<PAGE>\n") + row.controls);
        menu_->draw();
        EXPECT_EQ(control(u"b").screen_x, row.x) << row.controls;
        EXPECT_EQ(control(u"b").screen_y, row.y) << row.controls;
    }

    // An area whose width sum once wrapped round to a hit everywhere.
    build("<PAGE>\n<EMPTY PAGE=*E X=-1 WIDTH=-2147483648 HEIGHT=5>\n<EMPTY PAGE=*F X=-2147483648 WIDTH=-1 HEIGHT=5>\n");
    menu_->draw();
    EXPECT_EQ(tap(0, 1), kMenuNotHandled);
    EXPECT_EQ(tap(0, 6), kMenuNotHandled);
}

}  // namespace
