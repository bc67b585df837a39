#include "game/session/walk_hud.h"

#include <gtest/gtest.h>

#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/ui/ui_menu.h"
#include "engine/ui/ui_text.h"
#include "game/session/game_settings.h"
#include "tests/game/screens/screen_test_support.h"
#include "tests/game/world/game_world_support.h"

namespace {

constexpr int32_t kWidth = 240, kHeight = 320;

class WalkHudTest : public DemoDataTest {
protected:
    WalkHudTest() {
        layer.set_size(kWidth, kHeight);
        built.hero().max_hit_points = 40;
        built.hero().hit_points = 40;
    }
    ~WalkHudTest() override { hud.destroy(); }

    std::u16string text_of(const char16_t* name) const {
        auto* text = dynamic_cast<UiText*>(hud.menu()->current()->find_control(name));
        return text ? text->title : u"<missing>";
    }
    std::u16string page() const { return hud.menu()->current()->name(); }

    test_world::Built built;
    GameSettings settings;
    Layer layer;
    WalkHud hud;
};

TEST_F(WalkHudTest, TheRedBarSlidesFromFullToEmptyAndABadMaximumShowsItEmpty) {
    hud.create(layer, built.world, settings);
    ASSERT_NE(hud.red_bar(), nullptr);
    ASSERT_NE(hud.black_bar(), nullptr);
    EXPECT_EQ(hud.red_bar()->x, kWidth / 2 - 25);
    EXPECT_EQ(hud.red_bar()->y, kHeight - 33);
    EXPECT_EQ(hud.black_bar()->x, kWidth / 2 - 23);
    EXPECT_GT(hud.red_bar()->depth, hud.black_bar()->depth);

    hud.set_hp_bar(0, 40);
    EXPECT_EQ(hud.red_bar()->x, kWidth / 2 - 71);
    hud.set_hp_bar(20, 40);
    EXPECT_EQ(hud.red_bar()->x, kWidth / 2 - 71 + 23);
    hud.set_hp_bar(-5, 40);
    EXPECT_EQ(hud.red_bar()->x, kWidth / 2 - 71);
    // A maximum of 0 (a damaged save) must not divide: an empty bar.
    hud.set_hp_bar(30, 0);
    EXPECT_EQ(hud.red_bar()->x, kWidth / 2 - 71);
    hud.set_hp_bar(30, -3);
    EXPECT_EQ(hud.red_bar()->x, kWidth / 2 - 71);
    EXPECT_EQ(hud.red_bar()->y, kHeight - 33);
}

TEST_F(WalkHudTest, StatusShowsTheRegionAndHealthOnThePageInUse) {
    settings.gfx_quality = 0;
    built.hero().hit_points = 17;
    hud.create(layer, built.world, settings);
    // GfxQuality off uses MAIN2, whose controls share MAIN's names.
    EXPECT_EQ(page(), u"MAIN2");
    EXPECT_EQ(text_of(u"place"), u"Vale");
    EXPECT_EQ(text_of(u"stats"), u"Health: 17");
    EXPECT_EQ(hud.red_bar()->x, kWidth / 2 - 71 + 17 * 46 / 40);

    hud.set_mode(true);
    EXPECT_EQ(page(), u"MAIN3");
    EXPECT_EQ(text_of(u"place"), u"");
    EXPECT_EQ(text_of(u"stats"), u"Health: 17");
    hud.set_mode(false);
    EXPECT_EQ(page(), u"MAIN2");
    EXPECT_EQ(text_of(u"place"), u"Vale");
}

TEST_F(WalkHudTest, OnlyLeavingHudModeSavesAutomatically) {
    int saves = 0;
    hud.autosave = [&] { ++saves; };
    hud.create(layer, built.world, settings);
    EXPECT_EQ(page(), u"MAIN");
    hud.set_mode(false);
    EXPECT_EQ(saves, 0);
    hud.set_mode(true);
    hud.set_mode(true);
    EXPECT_EQ(saves, 0);
    hud.set_mode(false);
    EXPECT_EQ(saves, 1);
    hud.set_mode(false);
    EXPECT_EQ(saves, 1);
}

TEST_F(WalkHudTest, ButtonsAnswerTapsInTheBottomStripOnly) {
    hud.create(layer, built.world, settings);
    // Every button sits in the bottom 34 pixels.
    const char16_t* ids[] = {u"*MENU", u"*RUN", u"*ZOOM", u"*INV", u"*INV2", u"*SLEEP", u"*ACTION", u"*SAVE"};
    for (const char16_t* id : ids) {
        bool found = false;
        for (const auto& control : hud.menu()->current()->controls()) {
            if (control->height == 0) continue;
            const int32_t x = control->screen_x + control->width / 2, y = control->screen_y + control->height / 2;
            if (hud.tap(x, y) != id) continue;
            found = true;
            EXPECT_GE(control->screen_y, kHeight - 34);
            EXPECT_LE(control->screen_y + control->height, kHeight);
        }
        EXPECT_TRUE(found) << "no button for this id";
    }
    EXPECT_EQ(hud.tap(120, 100), u"");
    // HUD mode shows no buttons.
    hud.set_mode(true);
    EXPECT_EQ(hud.tap(102, 306), u"");
}

TEST_F(WalkHudTest, DestroyTakesBothGroupsOffTheLayerAndCreateTwiceKeepsOne) {
    const int32_t before = layer.drawables().count();
    hud.create(layer, built.world, settings);
    hud.create(layer, built.world, settings);
    EXPECT_EQ(layer.drawables().count(), before + 2);
    hud.destroy();
    EXPECT_EQ(layer.drawables().count(), before);
    EXPECT_FALSE(hud.created());
    hud.update_status();  // nothing to update: no crash
    hud.set_mode(true);   // remembered for the next build
    hud.create(layer, built.world, settings);
    EXPECT_EQ(page(), u"MAIN3");
}

}  // namespace
