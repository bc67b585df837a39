// A program folder with the pictures and sprites menus need, a 240x320
// sprite group, and helpers to build a menu from ".def" text and poke it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "engine/graphics/sprite_group.h"
#include "engine/ui/menu_event.h"
#include "engine/ui/ui_control.h"
#include "engine/ui/ui_menu.h"
#include "tests/engine/pictures/graphics_files.h"

inline std::string strip_sprite(const std::string& picture, int32_t frame_height) {
    return "DefFlags = TRANS_COLOR\nStripes = " + std::to_string(frame_height) + "\nbmp = \"" + picture + "\"\n";
}

class MenuTest : public GraphicsFilesTest {
protected:
    MenuTest() {
        write("ui/check.bmp", plain_bmp(12, 24));
        write("ui/ui_check.spr", strip_sprite("ui/check.bmp", 12));
        write("ui/radio.bmp", plain_bmp(12, 24));
        write("ui/ui_radio.spr", strip_sprite("ui/radio.bmp", 12));
        write("ui/states.bmp", plain_bmp(14, 42));
        write("ui/states.spr", strip_sprite("ui/states.bmp", 14));
        write("ui/slider.bmp", plain_bmp(60, 80));
        write("ui/slider.spr", strip_sprite("ui/slider.bmp", 8));
        write("ui/icon.bmp", plain_bmp(20, 30));
        write("ui/icon.spr", strip_sprite("ui/icon.bmp", 10));
        write("pics/box.bmp", plain_bmp(40, 20));
        write("pics/tall.bmp", plain_bmp(30, 50));
        write("ruler.zbm", plain_bmp(200, 4));
        // The menus' default font, as the demo data has it.
        std::filesystem::copy(std::filesystem::path(NIMBREL_DEMO_DATA_DIR) / "fonts", folder_.path() / "fonts");
        group_.set_size(240, 320);
    }
    ~MenuTest() override {
        menu_.reset();
        // Every picture the menus asked for was there and decoded.
        EXPECT_TRUE(FailureLog::names().empty());
    }

    UiMenu& build(const std::string& def) {
        menu_ = UiMenu::from_text(&group_, def);
        return *menu_;
    }
    UiControl& control(const char16_t* name) {
        UiControl* found = menu_->find_control(name);
        EXPECT_NE(found, nullptr);
        return *found;
    }
    int32_t key(int32_t k) { return menu_->handle_event(kMenuKey, k, &out_); }
    int32_t tap(int32_t x, int32_t y) { return menu_->handle_event(kMenuTap, pack_point(x, y), &out_); }
    int32_t tap_inside(const UiControl& c, int32_t dx = 1, int32_t dy = 1) {
        return tap(c.screen_x + dx, c.screen_y + dy);
    }

    SpriteGroup group_;
    std::unique_ptr<UiMenu> menu_;
    std::u16string out_;
};
