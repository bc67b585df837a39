// The weather over a fight: the map's code shown over the scene's band
// while the map's own weather waits, drops that fall straight and start
// anew above the band, the fog's wrap, and golden frames of rain, snow,
// fog and red fog at fixed seeds.
#include "engine/app/frame_loop.h"
#include "engine/core/crt_random.h"
#include "engine/graphics/fade_layer.h"
#include "engine/graphics/layer.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "game/combat/combat_weather.h"
#include "tests/game/combat/combat_game_support.h"
#include "tests/game/screens/golden_screen.h"

namespace {

// The combat weather's tint and group on the map layer.
int32_t weather_drawables() {
    const DepthList<Drawable>& drawables = g_app->game()->first_layer()->drawables();
    int32_t found = 0;
    for (int32_t i = 0; i < drawables.count(); ++i)
        found += drawables.depth(i) == CombatWeather::kTintDepth || drawables.depth(i) == CombatWeather::kGroupDepth;
    return found;
}

// A combat weather of the test's own on the map layer, as the combat
// screen adds it.
class CombatWeatherTest : public CombatTest {
protected:
    CombatWeather weather;
    Layer& layer() { return *game().first_layer(); }
    void SetUp() override {
        CombatTest::SetUp();
        weather.add_to(layer(), layer().size().width);
    }
    void TearDown() override {
        weather.remove_from(layer());
        CombatTest::TearDown();
    }
    SpriteGroup& group() { return *weather.overlay().group(); }
    bool tinted() {
        uint16_t pixel = 0xFFFF;
        weather.overlay().tint()->draw(whole_surface_target(&pixel, {1, 1}));
        return pixel != 0xFFFF;
    }
};

TEST_F(CombatWeatherTest, CodesShowTheirSpritesOverTheSceneBand) {
    struct Case {
        int32_t code;
        size_t sprites;
        bool tint;
    };
    // Every code's kind is the map's (the weather tests of the map): here
    // the band and the offset that only fog moves.
    const Case cases[] = {{0, 0, false}, {10, 0, false}, {258, 100, true}, {0x107, 9, false}};
    for (const Case& c : cases) {
        weather.set_weather(c.code);
        EXPECT_EQ(size_t(group().sprites().count()), c.sprites) << c.code;
        EXPECT_EQ(tinted(), c.tint) << c.code;
        for (int i = 0; i < 30; ++i) {
            weather.update_weather();
            weather.scroll_fog();
        }
        if (c.sprites != 9) {
            EXPECT_EQ(group().offset(), (Point{0, 0})) << c.code;
        }
    }
    EXPECT_EQ(group().bounds(), (Rect{0, 30, 240, 230}));
    EXPECT_EQ(weather.overlay().tint()->bounds(), (Rect{0, 30, 240, 230}));
    weather.clear_weather();
    EXPECT_EQ(weather.overlay().code(), 0);
    EXPECT_EQ(group().sprites().count(), 0);
    EXPECT_FALSE(tinted());
}

TEST_F(CombatWeatherTest, NewDropsLieInTheFirst300PixelsAndFadeInAsTheyFall) {
    crt_srand(5);
    const int32_t a = crt_rand(), b = crt_rand(), alpha = crt_rand() % 32;
    crt_srand(5);
    weather.set_weather(2);
    Sprite* drop = weather.overlay().drops()[0];
    EXPECT_EQ(drop->x, b % 300);
    EXPECT_EQ(drop->y, a % 300);
    EXPECT_EQ(drop->alpha, alpha);
    drop->set_alpha(20);
    const Point before{drop->x, drop->y};
    weather.update_weather();
    EXPECT_EQ(drop->x, before.x);
    EXPECT_EQ(drop->y, before.y + 2);  // no wrap on the combat screen
    EXPECT_EQ(drop->alpha, 21);
}

TEST_F(CombatWeatherTest, AFullDropStartsAnewAboveAndAroundTheBand) {
    struct Case {
        int32_t code;
        int32_t ticks_before;  // snow fades only on every third tick
    };
    for (const Case c : {Case{2, 0}, Case{5, 2}}) {
        weather.set_weather(c.code);
        for (int i = 0; i < c.ticks_before; ++i) weather.update_weather();
        Sprite* drop = weather.overlay().drops()[0];
        for (Sprite* other : weather.overlay().drops()) other->set_alpha(3);
        drop->set_alpha(32);
        crt_srand(41);
        const int32_t a = crt_rand(), b = crt_rand();
        crt_srand(41);
        weather.update_weather();
        EXPECT_EQ(drop->x, b % 260 - 10) << c.code;
        EXPECT_EQ(drop->y, a % 370 - 50) << c.code;
        EXPECT_EQ(drop->depth, 100) << c.code;
        EXPECT_EQ(drop->alpha, 1) << c.code;
    }
}

TEST_F(CombatWeatherTest, SnowFallsAPixelATickAndDriftsOnEveryThird) {
    weather.set_weather(4);
    for (Sprite* flake : weather.overlay().drops()) flake->set_alpha(0);
    std::vector<Point> start;
    for (const Sprite* flake : weather.overlay().drops()) start.push_back({flake->x, flake->y});
    weather.update_weather();
    weather.update_weather();
    for (size_t i = 0; i < start.size(); ++i) {
        const Sprite* flake = weather.overlay().drops()[i];
        EXPECT_EQ(flake->x, start[i].x);
        EXPECT_EQ(flake->y, start[i].y + 2);
        EXPECT_EQ(flake->alpha, 0);
    }
    weather.update_weather();  // the third: fade in, down one and sideways at most one
    for (size_t i = 0; i < start.size(); ++i) {
        const Sprite* flake = weather.overlay().drops()[i];
        EXPECT_LE(std::abs(flake->x - start[i].x), 1);
        EXPECT_EQ(flake->y, start[i].y + 3);
        EXPECT_EQ(flake->alpha, 1);
    }
}

TEST_F(CombatWeatherTest, FogWrapsEvery2400Ticks) {
    struct Case {
        int32_t ticks, x;
    };
    for (const Case c : {Case{5, 1}, Case{2399, 479}, Case{2400, 0}, Case{4804, 0}, Case{4805, 1}}) {
        weather.set_weather(9);
        for (int i = 0; i < c.ticks; ++i) weather.update_weather();
        weather.scroll_fog();
        EXPECT_EQ(group().offset(), (Point{c.x, 0})) << c.ticks;
    }
}

TEST_F(CombatTest, AFightShowsTheMapsWeatherAndGivesItBack) {
    game().start_weather(0x104);
    meet(demo::kRat);
    ASSERT_TRUE(fighting());
    EXPECT_EQ(weather_drawables(), 2);
    EXPECT_EQ(game().weather_type(), 0);  // the map's weather waits
    EXPECT_EQ(game().weather().group()->sprites().count(), 0);
    EXPECT_EQ(combat().weather().code(), 4);
    EXPECT_EQ(combat().weather().drops().size(), 200u);
    ASSERT_TRUE(until_hero_input());
    EXPECT_GT(combat().weather().ticks(), 0);
    hero().strength_ = hero().dexterity_ = 400;
    EXPECT_GE(until_over(), 0);
    EXPECT_EQ(screen_name(), "Walking");
    EXPECT_EQ(game().weather_type(), 4);
    EXPECT_EQ(game().weather().drops().size(), 200u);
    EXPECT_EQ(weather_drawables(), 0);
}

TEST_F(CombatTest, ALevelUpClearsTheWeatherBeforeItsPicture) {
    game().start_weather(2);
    hero().strength_ = hero().dexterity_ = 400;
    hero().experience = hero().experience_step - 1;  // any reward reaches the next level
    meet(demo::kRat);
    ASSERT_EQ(combat().weather().code(), 2);
    ASSERT_TRUE(attack_until([&] { return combat().phase() == CombatState::kCountedWait; }));
    ASSERT_TRUE(combat().reward().level_up);
    EXPECT_EQ(combat().weather().code(), 0);
    EXPECT_EQ(combat().weather().group()->sprites().count(), 0);
}

// The scene with each kind of weather over it, on the hero's first turn.
TEST_F(CombatTest, WeatherOverTheFightGoldens) {
    for (const int32_t code : {2, 4, 6, 9}) {
        game().start_weather(code);
        crt_srand(uint32_t(100 + code));
        meet(demo::kRat);
        ASSERT_TRUE(until_hero_input());
        tick(20);
        render_frame();
        expect_golden_screen(host.front_buffer(), "combat_weather_" + std::to_string(code));
        game().switch_state("Walking", 0);
        ASSERT_FALSE(fighting());
        tick(60);
    }
}

}  // namespace
