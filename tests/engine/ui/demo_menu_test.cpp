#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/core/crt_random.h"
#include "engine/core/text_helpers.h"
#include "engine/graphics/display.h"
#include "engine/graphics/fill_rect.h"
#include "engine/graphics/frame_render.h"
#include "engine/graphics/layer.h"
#include "engine/platform/front_buffer.h"
#include "engine/ui/ui_bitmap.h"
#include "engine/ui/ui_button.h"
#include "engine/ui/ui_check.h"
#include "engine/ui/ui_select_line.h"
#include "engine/ui/ui_selection.h"
#include "engine/ui/ui_slider.h"
#include "tests/engine/ui/menu_test_support.h"

namespace {

// The demo menu, read from the demo data as the program reads it, drawn into
// a group that stands on a screen-sized layer over a black fill, as a
// screen's page layer holds it.
class DemoMenu : public GraphicsFilesTest {
protected:
    DemoMenu() : group_(*new SpriteGroup) {
        const std::string demo = NIMBREL_DEMO_DATA_DIR;
        set_program_folder(std::u16string(demo.begin(), demo.end()));
        crt_srand(1);
        layer_.set_size(240, 320);
        layer_.set_screen_region(&screen_region_);
        layer_.add(new FillRect, 0);
        layer_.add(&group_, 1);
        group_.set_size(240, 320);
    }

    // Draws the whole layer into the back buffer, presents it to a front
    // buffer like the headless back end's and compares the screen's CRC with
    // the recorded one. A different screen is saved as "menu_<name>.png" in
    // the build tree for a look.
    void expect_screen(const std::string& name, uint32_t recorded_crc) {
        FrontBuffer screen;
        Display display;
        ASSERT_TRUE(display.open(&screen, 1, 240, 320));
        layer_.invalidate_all();
        Layer* layers[] = {&layer_};
        render_layers(layers, screen_region_, display);
        if (screen.crc() == recorded_crc) return;
        const std::string path = std::string(NIMBREL_BINARY_DIR) + "/menu_" + name + ".png";
        std::string error;
        const bool saved = screen.save_png(path, error);
        ADD_FAILURE() << "page " << name << " looks different: CRC 0x" << std::hex << screen.crc() << ", recorded 0x"
                      << recorded_crc << "; " << (saved ? "saved to " + path : "not saved: " + error);
    }

    // The layer as the screen shows it.
    void render(FrontBuffer& screen) {
        Display display;
        ASSERT_TRUE(display.open(&screen, 1, 240, 320));
        layer_.invalidate_all();
        Layer* layers[] = {&layer_};
        render_layers(layers, screen_region_, display);
    }

    DirtyRegion screen_region_{Rect{0, 0, 240, 320}};
    Layer layer_;
    SpriteGroup& group_;  // owned by the layer
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

// The pages as they look on the screen. The expected values were taken from
// screens checked by eye; a change of the menus' layout, the fonts, the demo
// pictures or the blitters shows here first.
TEST_F(DemoMenu, PagesLookAsRecorded) {
    UiMenu menu(&group_, u"menus\\demo.def");
    std::u16string out;
    // The main page, focus on its first button.
    menu.focus_first();
    menu.draw();
    expect_screen("main", 0x504CC0BBu);

    // Options: the pen put the focus on the slider, which shows its focus
    // frame, and a tap set the volume to 5.
    menu.show_page(u"options");
    menu.draw();
    auto* slider = dynamic_cast<UiSlider*>(menu.find_control(u"volume"));
    ASSERT_NE(slider, nullptr);
    const int32_t at = pack_point(slider->screen_x + 30, slider->screen_y + 2);
    EXPECT_EQ(menu.handle_event(kMenuPointerFocus, at, &out), kMenuFocusChanged);
    EXPECT_EQ(menu.handle_event(kMenuTap, at, &out), kMenuCommand);
    menu.draw();
    expect_screen("options", 0x4BBEE6A7u);

    // Pictures: the selection went to "Landscape", whose picture replaced the
    // ruler in the bitmap after it.
    menu.show_page(u"pictures");
    menu.focus_first();
    EXPECT_EQ(menu.handle_event(kMenuKey, kKeyRight, &out), kMenuHandled);
    menu.focus_first();
    menu.draw();
    EXPECT_EQ(menu.get_var(u"shown"), 1);
    expect_screen("pictures", 0xA233E124u);
    menu.release();
    EXPECT_TRUE(FailureLog::names().empty());
}

// One rule for focus on every page of the demo: the entry with the focus is
// drawn in the highlight ink (gold), the others in the plain ink (white),
// whichever kind of control and font it is.
TEST_F(DemoMenu, EveryPageDrawsTheFocusedEntryGoldAndTheOthersWhite) {
    constexpr uint16_t kGold = 0xFE88, kWhite = 0xF79C;  // the inks FFD040 and F0F0E0 in RGB565
    struct Inks {
        int32_t gold = 0, white = 0;
    };
    const auto inks_in = [](const FrontBuffer& screen, const Rect& r) {
        Inks found;
        for (int32_t y = std::max(r.top, 0); y < std::min(r.bottom, 320); ++y)
            for (int32_t x = std::max(r.left, 0); x < std::min(r.right, 240); ++x) {
                found.gold += screen.pixel(x, y) == kGold;
                found.white += screen.pixel(x, y) == kWhite;
            }
        return found;
    };
    const char16_t* files[] = {u"menus\\demo.def",           u"menus\\main\\menu.def",       u"menus\\io\\confirm_new.def",
                               u"menus\\io\\confirm_reset.def", u"menus\\io\\load.def",         u"menus\\io\\save.def",
                               u"menus\\inv\\inv.def",          u"menus\\inv\\shop_buy.def",    u"menus\\inv\\shop_sell.def",
                               u"menus\\level\\level.def"};
    int32_t entries = 0;
    for (const char16_t* file : files) {
        UiMenu menu(&group_, file);
        for (size_t p = 0; p < menu.page_count(); ++p) {
            menu.show_page(menu.page(p)->name());
            for (const auto& control : menu.current()->controls()) {
                const UiControl* c = control.get();
                const bool text_entry = dynamic_cast<const UiButton*>(c) || dynamic_cast<const UiCheck*>(c) ||
                                        dynamic_cast<const UiSelectLine*>(c) || dynamic_cast<const UiSelection*>(c);
                if (!text_entry || control->handle_event(kMenuFocusQuery, 0, nullptr) != kMenuHandled) continue;
                const std::string where = utf16_to_utf8(file) + " " + utf16_to_utf8(menu.current()->name()) +
                                          " entry " + std::to_string(entries);
                for (const bool focused : {true, false}) {
                    control->focused = focused;
                    menu.draw();
                    FrontBuffer screen;
                    render(screen);
                    const Inks inks = inks_in(screen, control->screen_rect());
                    if (inks.gold + inks.white == 0) continue;  // an entry without a text
                    EXPECT_EQ(inks.gold > 0, focused) << where;
                    EXPECT_EQ(inks.white > 0, !focused) << where;
                }
                control->focused = 0;
                ++entries;
            }
        }
        menu.release();
    }
    EXPECT_GT(entries, 40);
    EXPECT_TRUE(FailureLog::names().empty());
}

}  // namespace

