// The weather over the map: what each code shows, drops that stay on the
// visible part of the map while they fall, the fog's drift with the camera
// (also left of and above the map), recycled drops, the setting that turns
// it off and a golden frame of the rainy wood.
#include <gtest/gtest.h>

#include <set>

#include "engine/app/frame_loop.h"
#include "engine/graphics/fade_layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "tests/game/screens/golden_screen.h"
#include "tests/game/screens/walking_game_support.h"

namespace {

constexpr Size kView{240, 320};

// A white pixel as the tint leaves it.
uint16_t tinted_white(FadeLayer* tint) {
    uint16_t pixel = 0xFFFF;
    DrawTarget target = whole_surface_target(&pixel, {1, 1});
    tint->draw(target);
    return pixel;
}

class MapWeatherTest : public DemoGameTest {
protected:
    void SetUp() override {
        DemoGameTest::SetUp();
        start_walking();
        finish_fades();
    }
    const WeatherOverlay& weather() { return game().weather(); }
    size_t sprite_count() { return size_t(weather().group()->sprites().count()); }
    Point group_offset() { return weather().group()->offset(); }
    Point ground_offset() { return game().ground_group()->offset(); }
};

TEST_F(MapWeatherTest, EachCodeShowsItsTintAndSprites) {
    struct Case {
        int32_t value;
        int32_t type;
        size_t sprites;
        uint16_t white;  // a white pixel under the tint
    };
    const Case cases[] = {
        {0, 0, 0, 0xFFFF},
        {1, 1, 0, tint565(0xFFFF, 2, 2, 1)},
        {258, 2, 100, tint565(0xFFFF, 2, 2, 1)},  // only the low byte counts
        {3, 3, 100, 0xFFFF},
        {4, 4, 200, tint565(0xFFFF, 2, 2, 1)},
        {5, 5, 200, 0xFFFF},
        {6, 6, 9, tint565(0xFFFF, 2, 2, 2)},
        {0x107, 7, 9, 0xFFFF},  // fog without tint
        {8, 8, 9, tint565(0xFFFF, 2, 2, 1)},
        {9, 9, 9, tint565(0xFFFF, 1, 2, 2)},
        {10, 10, 0, 0xFFFF},  // a low byte of 10 or more shows nothing
        {0x2FF, 255, 0, 0xFFFF},
    };
    for (const Case& c : cases) {
        game().start_weather(9);  // the last weather must go
        game().start_weather(c.value);
        EXPECT_EQ(game().weather_type(), c.type) << c.value;
        EXPECT_EQ(sprite_count(), c.sprites) << c.value;
        EXPECT_EQ(weather().drops().size(), c.sprites == 9 ? 0u : c.sprites) << c.value;
        EXPECT_EQ(tinted_white(weather().tint()), c.white) << c.value;
    }
    game().stop_weather();
    EXPECT_EQ(game().weather_type(), 0);
    EXPECT_EQ(sprite_count(), 0u);
    EXPECT_EQ(tinted_white(weather().tint()), 0xFFFF);
}

TEST_F(MapWeatherTest, NewDropsLieOnTheVisibleMap) {
    ASSERT_TRUE(game().teleport(demo::kThistlewood, 8 * 32, 6 * 32, 20));
    tick();
    const Point origin = ground_offset();
    game().start_weather(4);
    for (const Sprite* drop : weather().drops()) {
        EXPECT_GE(drop->x, origin.x);
        EXPECT_LT(drop->x, origin.x + kView.width);
        EXPECT_GE(drop->y, origin.y);
        EXPECT_LT(drop->y, origin.y + kView.height);
        EXPECT_LT(drop->alpha, 32);
    }
}

// Falling drops wrap into the view, wherever the camera left them.
TEST_F(MapWeatherTest, RainFallsTwoPixelsAndWrapsIntoTheView) {
    game().start_weather(3);
    tick();
    const Point o = ground_offset();
    struct Case {
        Point from, to;
    };
    const Case cases[] = {
        {{o.x + 10, o.y + 100}, {o.x + 10, o.y + 102}},
        {{o.x + 10, o.y + 319}, {o.x + 10, o.y + 1}},         // off the bottom: back at the top
        {{o.x - 1000, o.y - 700}, {o.x + 200, o.y + 262}},    // far behind a camera that jumped
        {{o.x + 240 + 5, o.y + 320 * 3}, {o.x + 5, o.y + 2}},
    };
    Sprite* drop = weather().drops()[0];
    for (const Case& c : cases) {
        drop->set_position(c.from.x, c.from.y, Sprite::KEEP);
        drop->set_alpha(5);
        game().update_weather();
        EXPECT_EQ(drop->x, c.to.x) << c.from.x << "," << c.from.y;
        EXPECT_EQ(drop->y, c.to.y) << c.from.x << "," << c.from.y;
        EXPECT_EQ(drop->alpha, 6);
    }
}

TEST_F(MapWeatherTest, AFullDropStartsAnewOnTheViewAndNoDropIsMadeAgain) {
    game().start_weather(2);
    tick();
    const std::set<Sprite*> first(weather().drops().begin(), weather().drops().end());
    Sprite* drop = weather().drops()[0];
    drop->set_alpha(32);
    const Point o = ground_offset();
    crt_srand(99);
    const int32_t x = crt_rand() % kView.width + o.x;
    const int32_t y = crt_rand() % kView.height + o.y;
    crt_srand(99);
    game().update_weather();
    EXPECT_EQ(drop->x, x);
    EXPECT_EQ(drop->y, y);
    EXPECT_EQ(drop->alpha, 1);

    tick(100);  // every drop has faded in and started anew at least twice
    const std::set<Sprite*> later(weather().drops().begin(), weather().drops().end());
    EXPECT_EQ(later, first);
    EXPECT_EQ(sprite_count(), 100u);
}

TEST_F(MapWeatherTest, FogDriftsWithTheCameraAndAlwaysCoversTheScreen) {
    struct Case {
        int32_t ticks;
        Point origin;
        Point offset;
    };
    const Case cases[] = {
        {100, {1000, 0}, {60, 0}},   // (1000 + 100 / 5) % 480
        {0, {-5, -11}, {475, 469}},  // the camera's most left and most up: no gap at the top or left
        {0, {-11, -5}, {469, 475}},
        {2400, {0, 0}, {0, 0}},
        {2399, {0, 485}, {479, 5}},
    };
    for (const Case& c : cases) {
        game().start_weather(7);
        for (int i = 0; i < c.ticks; ++i) game().update_weather();
        game().scroll_weather(c.origin);
        EXPECT_EQ(group_offset(), c.offset) << c.ticks << " ticks at " << c.origin.x << "," << c.origin.y;
        EXPECT_GE(group_offset().x, 0);
        EXPECT_GE(group_offset().y, 0);
    }
    // Rain goes with the camera as it is; no weather leaves the group alone.
    game().start_weather(2);
    game().scroll_weather({-5, -11});
    EXPECT_EQ(group_offset(), (Point{-5, -11}));
    game().start_weather(0);
    game().scroll_weather({300, 200});
    EXPECT_EQ(group_offset(), (Point{-5, -11}));
}

TEST_F(MapWeatherTest, EnteringALevelStartsItsWeatherUnlessTheSettingIsOff) {
    ASSERT_TRUE(game().teleport(demo::kThistlewood, 4 * 32, 4 * 32, 20));
    EXPECT_EQ(game().weather_type(), 2);
    EXPECT_EQ(sprite_count(), 100u);
    ASSERT_TRUE(game().teleport(demo::kMillbrook, 4 * 32, 4 * 32, 20));
    EXPECT_EQ(game().weather_type(), 0);
    EXPECT_EQ(sprite_count(), 0u);

    g_app->settings.weather_fx = 0;
    ASSERT_TRUE(game().teleport(demo::kThistlewood, 4 * 32, 4 * 32, 20));
    EXPECT_EQ(game().weather_type(), 0);
    EXPECT_EQ(sprite_count(), 0u);
    EXPECT_EQ(tinted_white(weather().tint()), 0xFFFF);
}

TEST_F(MapWeatherTest, RainOverTheWoodGolden) {
    ASSERT_TRUE(game().teleport(demo::kThistlewood, 7 * 32, 5 * 32, 20));
    crt_srand(2);
    game().start_weather(2);
    tick(40);
    render_frame();
    expect_golden_screen(host.front_buffer(), "map_weather_rain");
}

}  // namespace
