#include <gtest/gtest.h>

#include "engine/graphics/sprite.h"
#include "engine/pictures/bitmap_cache.h"
#include "engine/pictures/sprite_def_cache.h"
#include "engine/ui/ui_bitmap.h"
#include "engine/ui/ui_button.h"
#include "engine/ui/ui_check.h"
#include "engine/ui/ui_selection.h"
#include "engine/ui/ui_slider.h"
#include "tests/engine/ui/menu_test_support.h"

namespace {

using MenuControls = MenuTest;

TEST_F(MenuControls, CheckCyclesTogglesAndSetsRadios) {
    build("<PAGE>\n"
          "<CONST mode=2 flag=5 pick=0>\n"
          "<CHECK OBJNAME=cycle VAR=mode STATENUM=3 IMG=ui/states.spr TITLE=Cycle>\n"
          "<CHECK OBJNAME=toggle VAR=flag>\n"
          "<CHECK OBJNAME=r1 VAR=pick VALUE=1 IMG=ui\\ui_radio.spr>\n"
          "<CHECK OBJNAME=r2 VAR=pick VALUE=2 IMG=ui\\ui_radio.spr PAGE=*PICKED>\n"
          "<CHECK OBJNAME=zero VAR=z STATENUM=0>\n"
          "<CONST top=2147483647>\n"
          "<CHECK OBJNAME=top VAR=top STATENUM=3>\n");
    menu_->draw();
    auto& cycle = dynamic_cast<UiCheck&>(control(u"cycle"));
    EXPECT_EQ(cycle.icon_frame(), 2);
    EXPECT_EQ(tap_inside(cycle), kMenuHandled);
    EXPECT_EQ(menu_->get_var(u"mode"), 0);

    EXPECT_EQ(tap_inside(control(u"toggle")), kMenuHandled);
    EXPECT_EQ(menu_->get_var(u"flag"), 0);
    EXPECT_EQ(tap_inside(control(u"toggle")), kMenuHandled);
    EXPECT_EQ(menu_->get_var(u"flag"), 1);

    auto& r1 = dynamic_cast<UiCheck&>(control(u"r1"));
    auto& r2 = dynamic_cast<UiCheck&>(control(u"r2"));
    EXPECT_EQ(tap_inside(r2), kMenuCommand);
    EXPECT_EQ(out_, u"*PICKED");
    EXPECT_EQ(menu_->get_var(u"pick"), 2);
    EXPECT_EQ(r1.icon_frame(), 0);
    EXPECT_EQ(r2.icon_frame(), 1);

    // A count of 0 wraps to 0 instead of dividing by it.
    EXPECT_EQ(tap_inside(control(u"zero")), kMenuHandled);
    EXPECT_EQ(menu_->get_var(u"z"), 0);
    // The last int wraps to 0 with no step past it.
    EXPECT_EQ(tap_inside(control(u"top")), kMenuHandled);
    EXPECT_EQ(menu_->get_var(u"top"), 0);
}

TEST_F(MenuControls, SliderStepsByKeysAndTaps) {
    build("<PAGE>\n"
          "<SLIDER OBJNAME=vol SPR=ui/slider.spr VAR=vol PAGE=*VOL>\n"
          "<SLIDER OBJNAME=dead SPR=ui/slider.spr VAR=dead>\n");
    menu_->draw();
    auto& slider = dynamic_cast<UiSlider&>(control(u"vol"));
    EXPECT_EQ(slider.width, 60);
    EXPECT_EQ(slider.step_count(), 10);
    EXPECT_EQ(tap(slider.screen_x + 30, slider.screen_y + 2), kMenuCommand);
    EXPECT_EQ(out_, u"*VOL");
    EXPECT_EQ(menu_->get_var(u"vol"), 5);
    menu_->set_var(u"vol", 0);
    menu_->focus_first();
    EXPECT_EQ(key(kKeyLeft), kMenuCommand);
    EXPECT_EQ(menu_->get_var(u"vol"), 9);
    EXPECT_EQ(key(kKeyRight), kMenuCommand);
    EXPECT_EQ(menu_->get_var(u"vol"), 0);
    // Without a command a slider answers nothing.
    EXPECT_EQ(tap_inside(control(u"dead")), kMenuNotHandled);
    // Left from any step at or below 0, the lowest int too, goes to the last.
    menu_->set_var(u"vol", INT32_MIN);
    EXPECT_EQ(key(kKeyLeft), kMenuCommand);
    EXPECT_EQ(menu_->get_var(u"vol"), 9);
}

TEST_F(MenuControls, SelectionCyclesOptionsAndPassesPictures) {
    build("<PAGE>\n"
          "<SELECTION VAR=pick TITLE=Choose>\n"
          "<OPTION TITLE=zero VALUE=10>\n"
          "<OPTION TITLE=one VALUE=11>\n"
          "<OPTION TITLE=two VALUE=12 IMG=pics/tall.bmp NextBmp=1>\n"
          "<BITMAP OBJNAME=shown IMG=pics/box.bmp>\n"
          "<SELECTION VAR=empty TITLE=Nothing>\n");
    menu_->set_var(u"pick", 10);
    menu_->draw();
    auto& selection = dynamic_cast<UiSelection&>(*menu_->current()->controls()[0]);
    EXPECT_EQ(tap_inside(selection), kMenuHandled);  // picks option 2 and hands its picture on
    EXPECT_EQ(menu_->get_var(u"pick"), 12);
    auto& shown = dynamic_cast<UiBitmap&>(control(u"shown"));
    EXPECT_EQ(shown.image, u"pics/tall.bmp");
    menu_->draw();
    EXPECT_EQ(shown.height, 50);
    menu_->focus_first();
    EXPECT_EQ(key(kKeyRight), kMenuHandled);
    EXPECT_EQ(menu_->get_var(u"pick"), 10);
    EXPECT_EQ(key(kKeyRight), kMenuHandled);
    EXPECT_EQ(menu_->get_var(u"pick"), 11);
    // A selection without options answers nothing.
    auto& empty = *menu_->current()->controls()[2];
    EXPECT_EQ(tap_inside(empty), kMenuNotHandled);
}

TEST_F(MenuControls, SelectionAsTheLastControlKeepsItsPictureToItself) {
    build("<PAGE>\n"
          "<SELECTION VAR=pick TITLE=Choose>\n"
          "<OPTION TITLE=a VALUE=0>\n"
          "<OPTION TITLE=b VALUE=1 IMG=pics/tall.bmp NextBmp=1>\n");
    menu_->draw();
    menu_->focus_first();
    EXPECT_EQ(key(kKeyRight), kMenuHandled);
    EXPECT_EQ(menu_->get_var(u"pick"), 1);
}

TEST_F(MenuControls, PicturesShowPhaseFocusAndDisabledFrames) {
    build("<PAGE>\n"
          "<CONST look=1>\n"
          "<BITMAP OBJNAME=icon SPR=ui/icon.spr PHASE=look>\n"
          "<BITMAP OBJNAME=grey SPR=ui/icon.spr PAGE=*G>\n"
          "<CHECK OBJNAME=c VAR=look STATENUM=3>\n");
    menu_->draw();
    auto& icon = dynamic_cast<UiBitmap&>(control(u"icon"));
    ASSERT_NE(icon.displayed, nullptr);
    EXPECT_EQ(icon.displayed->phase, 1);
    EXPECT_EQ(tap_inside(control(u"c")), kMenuHandled);  // notifies the picture
    EXPECT_EQ(icon.displayed->phase, 2);
    auto& grey = dynamic_cast<UiBitmap&>(control(u"grey"));
    grey.enabled = 0;
    menu_->draw();
    EXPECT_EQ(grey.displayed->phase, 2);
    // Hidden: the shown sprite went with the group's clear; a change of its
    // variable must not touch it.
    icon.visible = 0;
    menu_->draw();
    EXPECT_EQ(icon.displayed, nullptr);
    menu_->current()->notify_var(menu_->bind_var(u"look"), 0);
    EXPECT_EQ(menu_->get_var(u"look"), 0);
}

TEST_F(MenuControls, VariablesNumbersTextsAndConstants) {
    build("<CONST name=\"Hero\" bare count=3 count=9>\n"
          "<PAGE>\n"
          "<CHECK OBJNAME=c VAR=name>\n");
    EXPECT_EQ(menu_->get_var(u"NAME"), 0);  // a text reads as 0
    EXPECT_EQ(menu_->get_var(u"bare"), 0);
    EXPECT_EQ(menu_->get_var(u"count"), 3);  // first of two wins
    EXPECT_EQ(menu_->set_var(u"count", 4), 3);
    EXPECT_EQ(menu_->set_var(u"fresh", 8), 0);
    EXPECT_EQ(menu_->get_var(u"fresh"), 8);
    menu_->draw();
    EXPECT_EQ(tap_inside(control(u"c")), kMenuHandled);  // the text variable becomes a number
    EXPECT_EQ(menu_->get_var(u"name"), 1);
    EXPECT_FALSE(menu_->find_var(u"name")->is_string);
    EXPECT_EQ(menu_->bind_var(u"name"), menu_->find_var(u"NAME"));
}

TEST_F(MenuControls, ReleaseGivesBackEveryCachedPicture) {
    // Without caching a cache entry lives exactly as long as its uses.
    const int32_t defs_before = g_sprite_def_cache->size();
    const int32_t bitmaps_before = g_bitmap_cache->size();
    build("<PAGE IMG=pics/box.bmp>\n<BITMAP SPR=ui/icon.spr>\n<CHECK FOCUS=ui/icon.spr>\n<PAGE NAME=two>\n");
    menu_->draw();
    menu_->focus_first();
    menu_->draw();
    EXPECT_GT(g_sprite_def_cache->size(), defs_before);
    EXPECT_GT(g_bitmap_cache->size(), bitmaps_before);
    menu_->release();
    group_.clear();
    menu_.reset();  // the fonts go with the menu
    EXPECT_EQ(g_sprite_def_cache->size(), defs_before);
    EXPECT_EQ(g_bitmap_cache->size(), bitmaps_before);
}

TEST_F(MenuControls, PicturesThatGaveNothingAreLeftOut) {
    write("pics/broken.bmp", "BM this is no picture");
    build("<PAGE IMG=pics/broken.bmp>\n"
          "<BITMAP OBJNAME=none PAGE=*NONE>\n"
          "<BITMAP OBJNAME=broken IMG=pics/broken.bmp PHASE=look>\n"
          "<BITMAP OBJNAME=good IMG=pics/box.bmp>\n");
    // The broken file was reported (the game ends there; this handler lets
    // the menu go on) ...
    ASSERT_FALSE(FailureLog::names().empty());
    for (const std::u16string& name : FailureLog::names()) EXPECT_EQ(name, u"pics/broken.bmp");
    FailureLog::clear();
    // ... and neither it, the missing background nor the bitmap without a
    // picture shows: only the good picture is drawn.
    menu_->draw();
    EXPECT_EQ(group_.sprites().count(), 1);
    for (const char16_t* name : {u"none", u"broken"}) {
        EXPECT_EQ(control(name).width, 0);
        EXPECT_EQ(control(name).height, 0);
    }
    EXPECT_EQ(control(u"good").height, 20);
    // A change of the phase variable finds nothing shown to change.
    menu_->current()->notify_var(menu_->bind_var(u"look"), 1);
    EXPECT_EQ(control(u"broken").on_var_changed(menu_->bind_var(u"look")), kMenuHandled);
}

TEST_F(MenuControls, SliderWithoutStepsKeepsItsOnlyStep) {
    build("<PAGE>\n<SLIDER OBJNAME=s VAR=v PAGE=*V>\n");
    menu_->set_var(u"v", 0);
    menu_->draw();
    auto& slider = dynamic_cast<UiSlider&>(control(u"s"));
    EXPECT_EQ(slider.width, 0);
    EXPECT_EQ(slider.step_count(), 1);
    menu_->focus_first();
    EXPECT_EQ(key(kKeyAction), kMenuCommand);
    EXPECT_EQ(menu_->get_var(u"v"), 0);
    EXPECT_EQ(key(kKeyLeft), kMenuCommand);
    EXPECT_EQ(menu_->get_var(u"v"), 0);
    // Nothing to divide by: a tap that reaches it anyway is not taken.
    EXPECT_EQ(slider.handle_event(kMenuTap, pack_point(slider.screen_x + 3, slider.screen_y), &out_), kMenuNotHandled);
    EXPECT_EQ(menu_->get_var(u"v"), 0);
}

TEST_F(MenuControls, TextAtTheRightEdgeStillWrapsItsTitle) {
    build("<PAGE>\n"
          "<TEXT OBJNAME=edge X=300 TITLE=\"ab\">\n"
          "<TEXT OBJNAME=one X=300 WIDTH=1 TITLE=\"ab\">\n"
          "<TEXT OBJNAME=justified X=300 ALIGN=JUSTIFY TITLE=\"\">\n"
          "<TEXT OBJNAME=justified_one X=300 WIDTH=1 ALIGN=JUSTIFY TITLE=\"\">\n");
    menu_->draw();
    // No room left of the edge counts as the narrowest width there is: one
    // character a line, and a justified text as wide as one pixel of room.
    EXPECT_EQ(control(u"edge").screen_x, 300);
    EXPECT_EQ(control(u"edge").height, control(u"one").height);
    EXPECT_EQ(control(u"edge").width, control(u"one").width);
    EXPECT_EQ(control(u"justified").width, control(u"justified_one").width);
}

TEST_F(MenuControls, ButtonWithoutTitleShowsAnEmptyText) {
    build("<PAGE>\n<BUTTON OBJNAME=blank TITLE=\"\" PAGE=*BLANK>\n");
    UiPage& page = *menu_->current();
    UiControl* untitled = page.add_control(
        std::make_unique<UiButton>(&page, menu_->get_font(u"font1"), std::nullopt, u"*UNTITLED", u"untitled"));
    menu_->draw();
    EXPECT_GT(untitled->height, 0);
    EXPECT_EQ(untitled->width, control(u"blank").width);
    EXPECT_EQ(untitled->height, control(u"blank").height);
    EXPECT_EQ(tap_inside(*untitled), kMenuCommand);
    EXPECT_EQ(out_, u"*UNTITLED");
}

}  // namespace
