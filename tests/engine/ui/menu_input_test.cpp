#include <gtest/gtest.h>

#include "tests/engine/ui/menu_test_support.h"

namespace {

using MenuInput = MenuTest;

const char* kButtons =
    "<PAGE NAME=main>\n"
    "<BUTTON OBJNAME=a TITLE=Alpha PAGE=*A>\n"
    "<TEXT OBJNAME=label TITLE=words>\n"
    "<BUTTON OBJNAME=b TITLE=Beta PAGE=second>\n"
    "<BUTTON OBJNAME=c TITLE=Gamma PAGE=nowhere>\n"
    "<BUTTON OBJNAME=hot TITLE=Hot PAGE=*HOT HOTKEY=1>\n"
    "<PAGE NAME=second>\n"
    "<BUTTON OBJNAME=yes TITLE=Yes PAGE=*YES>\n";

TEST_F(MenuInput, KeysMoveTheFocusAndWrapPastHotkeysAndTexts) {
    build(kButtons);
    menu_->draw();
    EXPECT_EQ(key(kKeyDown), kMenuNotHandled);  // nothing focused yet
    menu_->focus_first();
    EXPECT_EQ(control(u"a").focused, 1);
    EXPECT_EQ(key(kKeyDown), kMenuFocusChanged);
    EXPECT_EQ(control(u"a").focused, 0);
    EXPECT_EQ(control(u"b").focused, 1);
    EXPECT_EQ(key(kKeyDown), kMenuFocusChanged);
    EXPECT_EQ(key(kKeyDown), kMenuFocusChanged);  // skips the hotkey, wraps
    EXPECT_EQ(control(u"a").focused, 1);
    EXPECT_EQ(key(kKeyUp), kMenuFocusChanged);
    EXPECT_EQ(control(u"c").focused, 1);
    // Right on a button goes to the button, which ignores it.
    EXPECT_EQ(key(kKeyRight), kMenuNotHandled);
    EXPECT_EQ(control(u"c").focused, 1);
}

TEST_F(MenuInput, HotkeysNeedAFocusedControl) {
    build(kButtons);
    menu_->draw();
    EXPECT_EQ(key(kKeyButton1), kMenuNotHandled);
    menu_->focus_first();
    EXPECT_EQ(key(kKeyButton1), kMenuCommand);
    EXPECT_EQ(out_, u"*HOT");
    // Without a second hotkey the key goes to the focused button.
    EXPECT_EQ(key(kKeyButton2), kMenuNotHandled);
}

TEST_F(MenuInput, CommandsStarForTheScreenOtherwisePages) {
    build(kButtons);
    menu_->draw();
    menu_->focus_first();
    EXPECT_EQ(key(kKeyAction), kMenuCommand);
    EXPECT_EQ(out_, u"*A");
    EXPECT_EQ(tap_inside(control(u"c")), kMenuCommand);  // names no page
    EXPECT_EQ(menu_->current_index(), 0);
    EXPECT_EQ(tap_inside(control(u"b")), kMenuCommand);
    EXPECT_EQ(menu_->current_index(), 1);
    menu_->draw();
    EXPECT_EQ(tap_inside(control(u"yes")), kMenuCommand);
    EXPECT_EQ(out_, u"*YES");

    build("; nothing but notes\n");
    EXPECT_EQ(key(kKeyAction), kMenuNotHandled);
    EXPECT_EQ(tap(10, 10), kMenuNotHandled);
}

TEST_F(MenuInput, TapsMissEdgesHiddenAndDisabledControls) {
    build(kButtons);
    menu_->draw();
    UiControl& a = control(u"a");
    EXPECT_EQ(tap(a.screen_x, a.screen_y + 1), kMenuNotHandled);  // left edge
    EXPECT_EQ(tap(a.screen_x + 1, a.screen_y), kMenuNotHandled);  // top edge
    EXPECT_EQ(tap_inside(a), kMenuCommand);
    a.enabled = 0;
    EXPECT_EQ(tap_inside(a), kMenuNotHandled);
    a.enabled = 1;
    a.visible = 0;
    EXPECT_EQ(tap_inside(a), kMenuNotHandled);
}

TEST_F(MenuInput, PointerFocusFollowsThePen) {
    build(kButtons);
    menu_->draw();
    UiControl& b = control(u"b");
    int32_t on_b = pack_point(b.screen_x + 1, b.screen_y + 1);
    EXPECT_EQ(menu_->handle_event(kMenuPointerFocus, on_b, nullptr), kMenuFocusChanged);
    EXPECT_EQ(b.focused, 1);
    EXPECT_EQ(menu_->handle_event(kMenuPointerFocus, on_b, nullptr), kMenuNotHandled);
    EXPECT_EQ(menu_->handle_event(kMenuPointerFocus, pack_point(200, 300), nullptr), kMenuFocusChanged);
    EXPECT_EQ(b.focused, 0);
    EXPECT_EQ(menu_->handle_event(kMenuPointerFocus, pack_point(200, 300), nullptr), kMenuNotHandled);
    EXPECT_EQ(menu_->handle_event(kMenuClearFocus, 0, nullptr), kMenuNotHandled);
}

TEST_F(MenuInput, PackedPointsKeepNegativeHalves) {
    int32_t packed = pack_point(-3, 17);
    EXPECT_EQ(point_x(packed), -3);
    EXPECT_EQ(point_y(packed), 17);
    EXPECT_EQ(point_y(pack_point(5, -9)), -9);
}

TEST_F(MenuInput, SideKeysMoveOnlyFromAPicture) {
    build("<PAGE>\n"
          "<BITMAP OBJNAME=p IMG=pics/box.bmp PAGE=*P>\n"
          "<BITMAP OBJNAME=plain IMG=pics/box.bmp>\n"
          "<BUTTON OBJNAME=b TITLE=B PAGE=*B>\n");
    menu_->draw();
    menu_->focus_first();
    EXPECT_EQ(control(u"p").focused, 1);
    EXPECT_EQ(key(kKeyRight), kMenuFocusChanged);  // skips the picture without a command
    EXPECT_EQ(control(u"b").focused, 1);
    EXPECT_EQ(key(kKeyLeft), kMenuNotHandled);  // a button keeps the focus
    EXPECT_EQ(tap_inside(control(u"plain")), kMenuNotHandled);
}

}  // namespace
