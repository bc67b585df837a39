#include <gtest/gtest.h>

#include <filesystem>

#include "engine/ui/ui_bitmap.h"
#include "engine/ui/ui_slider.h"
#include "tests/engine/ui/menu_test_support.h"

namespace {

// The demo menu, read from the demo data as the program reads it.
class DemoMenu : public GraphicsFilesTest {
protected:
    DemoMenu() {
        const std::string demo = NIMBREL_DEMO_DATA_DIR;
        set_program_folder(std::u16string(demo.begin(), demo.end()));
        group_.set_size(240, 320);
    }
    SpriteGroup group_;
};

TEST_F(DemoMenu, EveryPageLoadsDrawsAndAnswers) {
    UiMenu menu(&group_, u"menus\\demo.def");
    ASSERT_EQ(menu.page_count(), 3u);
    std::u16string out;
    for (const char16_t* page : {u"main", u"options", u"pictures"}) {
        menu.show_page(page);
        menu.draw();
        EXPECT_GT(group_.sprites().count(), 3) << "page drew almost nothing";
    }
    // The slider is 60 wide with ten steps; a tap halfway sets 5.
    menu.show_page(u"options");
    menu.draw();
    auto* slider = dynamic_cast<UiSlider*>(menu.find_control(u"volume"));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->width, 60);
    EXPECT_EQ(menu.handle_event(kMenuTap, pack_point(slider->screen_x + 30, slider->screen_y + 2), &out),
              kMenuCommand);
    EXPECT_EQ(out, u"*VOLUME");
    EXPECT_EQ(menu.get_var(u"volume"), 5);
    // The main page's hotkey closes the menu.
    menu.show_page(u"main");
    menu.draw();
    menu.focus_first();
    EXPECT_EQ(menu.handle_event(kMenuKey, kKeyButton1, &out), kMenuCommand);
    EXPECT_EQ(out, u"*CLOSE");
    menu.release();
    EXPECT_TRUE(FailureLog::names().empty());
}

}  // namespace
