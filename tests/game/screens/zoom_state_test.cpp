// The zoomed map: how far levels shrink, the sampling of a block into the
// small picture (never past its edges), the removal of stray pixels, the
// marker's blink, and the screen in the demo game from the thought bubble
// to the way back.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "engine/app/frame_loop.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/sprite_group.h"
#include "engine/pictures/bitmap.h"
#include "game/map_view/tile_renderer.h"
#include "game/screens/zoom_picture.h"
#include "game/screens/zoom_state.h"
#include "tests/game/screens/golden_screen.h"
#include "tests/game/screens/walking_game_support.h"
#include "tests/game/screens/zoom_levels.h"
#include "tests/game/sound/recorded_sounds.h"

namespace {


TEST(ZoomLayout, TheDivisorFitsTheWholeLevelOnTheDisplay) {
    struct Case {
        Size level;
        int32_t divisor;
        Size picture;
    };
    for (const Case& c : {Case{{40, 30}, 6, {213, 160}}, Case{{16, 12}, 3, {170, 128}}, Case{{8, 6}, 2, {128, 96}},
                          Case{{250, 250}, 37, {216, 216}}, Case{{1, 1}, 1, {32, 32}}, Case{{6, 80}, 10, {19, 256}}}) {
        const ZoomLayout layout = zoom_layout(c.level, kScreenSize);
        EXPECT_EQ(layout.divisor, c.divisor) << c.level.width << "x" << c.level.height;
        EXPECT_EQ(layout.picture, c.picture) << c.level.width << "x" << c.level.height;
        EXPECT_LE(layout.picture.width, kScreenSize.width - 20);
        EXPECT_LE(layout.picture.height, kScreenSize.height - 50);
    }
}

TEST(ZoomPicture, ColoursAverageChannelByChannelWithoutCarries) {
    struct Case {
        uint16_t a, b, mean;
    };
    // White and white stay (nearly) white; a full red does not spill into
    // green nor a full green into blue; the lowest bits drop.
    for (const Case& c : {Case{0xFFFF, 0xFFFF, 0xF7DE}, Case{0xF800, 0x0000, 0x7800}, Case{0x07E0, 0x07E0, 0x07C0},
                          Case{0x001F, 0x0000, 0x000F}, Case{0x0821, 0x0821, 0x0000}})
        EXPECT_EQ(average_rgb565(c.a, c.b), c.mean) << std::hex << c.a << " " << c.b;
}

// Samples one block of a scratch picture whose pixel (x, y) is x + 240 y
// (modulo 2^16) into a map of `map_size` filled with a sentinel; returns the
// written map pixels by their place.
std::map<std::pair<int, int>, uint16_t> sample(Rect block, int32_t divisor, Size map_size) {
    Bitmap scratch(kScreenSize.width, kScreenSize.height, false);
    for (int32_t y = 0; y < scratch.height; ++y)
        for (int32_t x = 0; x < scratch.width; ++x) scratch.pixels[scratch.index(x, y)] = uint16_t(x + 240 * y) & 0x7BEF;
    constexpr uint16_t kSentinel = 0xF81F;
    Bitmap map(map_size.width, map_size.height, false);
    std::fill(map.pixels.begin(), map.pixels.end(), kSentinel);
    sample_zoom_block(scratch, block, divisor, map);
    std::map<std::pair<int, int>, uint16_t> written;
    for (int32_t y = 0; y < map.height; ++y)
        for (int32_t x = 0; x < map.width; ++x)
            if (map.pixel(x, y) != kSentinel) written[{x, y}] = map.pixel(x, y);
    return written;
}

TEST(ZoomPicture, ABlockGivesEveryDivisorthPixelAveragedWithItsRightNeighbour) {
    const auto written = sample({160, 0, 320, 160}, 3, {170, 128});
    // Columns 0, 3, .., 159 and rows 0, 3, .., 159 of the block: 54 x 54
    // pixels from map column 53 on.
    EXPECT_EQ(written.size(), 54u * 54u);
    EXPECT_EQ(written.begin()->first, (std::pair<int, int>{53, 0}));
    const auto scratch = [](int x, int y) { return uint16_t(uint16_t(x + 240 * y) & 0x7BEF); };
    EXPECT_EQ(written.at({53 + 10, 7}), average_rgb565(scratch(30, 21), scratch(31, 21)));
}

// The scratch picture is empty past the block's last column: a sample whose
// right neighbour would lie there takes the last column instead, or the
// level shows a dark line down every such column.
TEST(ZoomPicture, ASampleNeverReachesPastItsBlock) {
    struct Case {
        const char* what;
        Rect block;
        int32_t divisor;
        Size map;
        std::pair<int, int> at;  // a map pixel
        Point left, right;       // the block's pixels it averages
    };
    for (const Case& c :
         {Case{"the last column of a whole block", {320, 0, 480, 160}, 3, {170, 128}, {106 + 53, 9}, {159, 27}, {159, 27}},
          Case{"inside a whole block", {320, 0, 480, 160}, 3, {170, 128}, {106 + 52, 9}, {156, 27}, {157, 27}},
          Case{"the last column at divisor 6", {960, 0, 1120, 160}, 6, {213, 160}, {160 + 26, 0}, {156, 0}, {159, 0}},
          Case{"the level's last, narrow block", {1248, 0, 1280, 160}, 6, {213, 160}, {208 + 4, 0}, {24, 0}, {27, 0}}}) {
        const auto written = sample(c.block, c.divisor, c.map);
        const auto scratch = [](Point p) { return uint16_t(uint16_t(p.x + 240 * p.y) & 0x7BEF); };
        ASSERT_TRUE(written.count(c.at)) << c.what;
        EXPECT_EQ(written.at(c.at), average_rgb565(scratch(c.left), scratch(c.right))) << c.what;
    }
}

TEST(ZoomPicture, BlocksAtTheLevelsEdgesWriteOnlyInsideThePicture) {
    struct Case {
        Rect block;
        int32_t divisor;
        Size map;
        size_t pixels;
    };
    // The village (16 x 12, divisor 3): the last column of blocks, one tile
    // wide, starts at picture column 160 of 170, the last row, two tiles
    // high, at 106 of 128. The inn (8 x 6, divisor 2): the second block is
    // 3 x 1 tiles.
    for (const Case& c : {Case{{480, 0, 512, 160}, 3, {170, 128}, 10u * 54u},
                          Case{{480, 320, 512, 384}, 3, {170, 128}, 10u * 22u},
                          Case{{0, 320, 160, 384}, 3, {170, 128}, 54u * 22u},
                          Case{{160, 160, 256, 192}, 2, {128, 96}, 48u * 16u},
                          Case{{960, 800, 1120, 960}, 6, {213, 160}, 27u * 27u}}) {
        const auto written = sample(c.block, c.divisor, c.map);
        EXPECT_EQ(written.size(), c.pixels) << c.block.left << "," << c.block.top;
        const Point start{c.block.left / c.divisor, c.block.top / c.divisor};
        for (const auto& [at, colour] : written) {
            EXPECT_GE(at.first, start.x);
            EXPECT_GE(at.second, start.y);
        }
    }
}

TEST(ZoomPicture, AStrayPixelTakesTheColourAboveIt) {
    constexpr uint16_t kGrass = 0x2C64, kRed = 0xF800, kRoad = 0x8410;
    struct Case {
        const char* what;
        Point at;
        bool road_row;  // the row through the pixel is road, not grass
        bool replaced;
    };
    for (const Case& c : {Case{"alone on grass", {2, 2}, false, true}, Case{"on the picture's edge", {0, 2}, false, false},
                          Case{"on the bottom row", {2, 4}, false, false},
                          Case{"beside neighbours that differ", {2, 2}, true, false}}) {
        Bitmap map(5, 5, false);
        std::fill(map.pixels.begin(), map.pixels.end(), kGrass);
        if (c.road_row)
            for (int32_t x = 0; x < 5; ++x) map.pixels[map.index(x, c.at.y)] = kRoad;
        map.pixels[map.index(c.at.x, c.at.y)] = kRed;
        remove_zoom_speckles(map);
        EXPECT_EQ(map.pixel(c.at.x, c.at.y), c.replaced ? kGrass : kRed) << c.what;
    }
}

TEST(ZoomPicture, TheMarkerBlinksEvery121Ticks) {
    struct Case {
        int32_t counter, alpha;
    };
    for (const Case& c : {Case{0, 32}, Case{28, 32}, Case{30, 30}, Case{59, 1}, Case{60, 0}, Case{61, 1}, Case{90, 30},
                          Case{120, 32}, Case{121, 32}, Case{181, 0}, Case{242 + 45, 15}})
        EXPECT_EQ(zoom_marker_alpha(c.counter), c.alpha) << c.counter;
}

// --- the screen in the demo game ------------------------------------------------------

class ZoomStateTest : public DemoGameTest {
protected:
    ZoomState& zoom() {
        auto* state = dynamic_cast<ZoomState*>(screen());
        if (!state) throw std::logic_error("not zoomed");
        return *state;
    }
    // F3 on the walking screen.
    ZoomState& open_zoom() {
        screen()->on_key(kKeyPress, kKeyButton3, 0);
        EXPECT_EQ(screen_name(), "Zoom");
        return zoom();
    }
    // Ticks until the phase is reached (at most 100 ticks).
    void tick_until(int32_t phase) {
        for (int i = 0; i < 100 && zoom().phase() != phase; ++i) tick();
        ASSERT_EQ(zoom().phase(), phase);
    }
    // The two wide levels of the test story joined to the game.
    void add_wide_levels() {
        const std::string story = folder + "/zoom_story";
        std::filesystem::create_directories(story);
        std::string error;
        ASSERT_TRUE(zoom_story::add_to(world(), story, &error)) << error;
    }
    // The village's people where the story's first trigger puts them.
    void place_villagers() {
        for (const auto& [person, tile] : {std::pair{demo::kMarta, packed(4, 5)}, std::pair{demo::kDunstan, packed(9, 9)},
                                          std::pair{0x2004u, packed(13, 5)}, std::pair{0x2005u, packed(5, 9)}})
            run(0x503, person, demo::kMillbrook, tile);
    }
    // Where every person's and monster's picture stands, by actor.
    std::map<const Actor*, Point> actor_places() {
        std::map<const Actor*, Point> places;
        MapLevel& level = *world().current_level();
        std::vector<const Actor*> actors(level.actors.begin(), level.actors.end());
        for (const auto& monster : level.extra_actors) actors.push_back(monster.get());
        for (const Actor* actor : actors)
            if (const Sprite* picture = actor->sprite() ? actor->sprite()->picture() : nullptr)
                places[actor] = {picture->x, picture->y};
        return places;
    }
};

TEST_F(ZoomStateTest, TheThoughtFadesInTheMapIsDrawnInOneTickAndTheBubbleFadesOut) {
    start_walking();
    finish_fades();
    ZoomState& z = open_zoom();
    ASSERT_NE(z.bubble(), nullptr);
    EXPECT_EQ(z.bubble()->alpha, 0);
    tick(27);
    EXPECT_EQ(z.phase(), ZoomState::kBubbleIn);
    tick();
    EXPECT_EQ(z.phase(), ZoomState::kRender);
    EXPECT_EQ(z.map_picture(), nullptr);
    tick();
    EXPECT_EQ(z.phase(), ZoomState::kBubbleOut);
    ASSERT_NE(z.map_picture(), nullptr);
    EXPECT_EQ(z.layout().divisor, 3);
    EXPECT_EQ((Size{z.map_picture()->frame_width, z.map_picture()->frame_height}), (Size{170, 128}));
    EXPECT_FALSE(game().ground_group()->is_visible());
    EXPECT_FALSE(game().object_group()->is_visible());
    // The player's lighting is back for the walking view.
    EXPECT_EQ(game().map_cells().renderer().lighting, g_app->settings.gfx_quality != 0);
    tick(28);
    EXPECT_EQ(z.phase(), ZoomState::kBubbleOut);
    tick();
    EXPECT_EQ(z.phase(), ZoomState::kShowing);
    EXPECT_EQ(z.bubble()->alpha, 0);
}

TEST_F(ZoomStateTest, PeopleKeepTheirPlacesWhileTheMapIsDrawn) {
    start_walking();
    finish_fades();
    place_villagers();
    const auto before = actor_places();
    ASSERT_EQ(before.size(), 4u);
    open_zoom();
    tick_until(ZoomState::kBubbleOut);
    EXPECT_EQ(actor_places(), before);
    screen()->on_key(kKeyPress, kKeyButton3, 0);
    tick_until(ZoomState::kShowing);
    screen()->on_key(kKeyPress, kKeyButton3, 0);
    EXPECT_EQ(actor_places(), before);
}

TEST_F(ZoomStateTest, KeysAndTapsBeforeTheMapShowsAreIgnored) {
    start_walking();
    finish_fades();
    ZoomState& z = open_zoom();
    while (z.phase() != ZoomState::kShowing) {
        for (GameKey key : {kKeyButton1, kKeyButton3, kKeyButton4, kKeyLeft}) z.on_key(kKeyPress, key, 0);
        z.on_pointer(kPenDown, 120, 160);
        z.on_pointer(kPenUp, 120, 160);
        ASSERT_EQ(screen_name(), "Zoom") << "phase " << z.phase();
        tick();
    }
    // Once it shows, a pen down and a key release do nothing, a lifted pen
    // goes back.
    z.on_pointer(kPenDown, 120, 160);
    z.on_key(kKeyRelease, kKeyButton1, 0);
    EXPECT_EQ(screen_name(), "Zoom");
    z.on_pointer(kPenUp, 120, 160);
    EXPECT_EQ(screen_name(), "Walking");
    EXPECT_TRUE(game().ground_group()->is_visible());
    EXPECT_TRUE(game().object_group()->is_visible());
    ASSERT_NE(hero().sprite(), nullptr);
    ASSERT_NE(hero().sprite()->picture(), nullptr);
    EXPECT_EQ(hero().sprite()->picture()->group, game().object_group());
}

// The map's F3 clicks as it opens the zoom; the zoom itself clicks only as
// it is left, by a key press or a lifted pen once the map shows.
TEST_F(ZoomStateTest, OnlyLeavingClicks) {
    start_walking();
    finish_fades();
    RecordedSounds sounds;
    expect_sounds(sounds, {
        {"F3 on the map", [&] { open_zoom(); }, {kClick}},
        {"a key before the map shows", [&] { zoom().on_key(kKeyPress, kKeyButton1, 0); }, {}},
        {"the pen before the map shows", [&] { zoom().on_pointer(kPenDown, 120, 160); }, {}},
        {"the map drawn", [&] { tick_until(ZoomState::kShowing); }, {}},
        {"a pen down", [&] { zoom().on_pointer(kPenDown, 120, 160); }, {}},
        {"a key released", [&] { zoom().on_key(kKeyRelease, kKeyButton1, 0); }, {}},
        {"the pen lifted leaves", [&] { zoom().on_pointer(kPenUp, 120, 160); }, {kClick}},
        {"F3 again", [&] { open_zoom(); tick_until(ZoomState::kShowing); }, {kClick}},
        {"a key pressed leaves", [&] { zoom().on_key(kKeyPress, kKeyButton1, 0); }, {kClick}},
    });
    EXPECT_EQ(screen_name(), "Walking");
}

TEST_F(ZoomStateTest, TheMarkerStandsOnTheHeroAndBlinks) {
    start_walking();
    finish_fades();
    ZoomState& z = open_zoom();
    tick_until(ZoomState::kShowing);
    ASSERT_NE(z.marker(), nullptr);
    const Point offset = z.group()->offset();
    const Sprite& map = *z.map_picture();
    EXPECT_EQ(map.x - offset.x, (240 - 170) / 2);
    EXPECT_EQ(map.y - offset.y, (320 - 128) / 2);
    // The hero at full size, centred on his shrunk tile.
    EXPECT_EQ(z.marker()->x - offset.x, (hero().x + 16) / 3 - 16 + (240 - 170) / 2);
    EXPECT_EQ(z.marker()->y - offset.y, (hero().y + 16) / 3 - 16 + (320 - 128) / 2);
    EXPECT_EQ(z.marker()->zoom, 1024);
    EXPECT_EQ(z.marker()->def, hero().sprite()->picture()->def);
    for (int32_t counter = 0; counter < 250; ++counter) {
        tick();
        ASSERT_EQ(z.marker()->alpha, zoom_marker_alpha(counter)) << counter;
    }
}

// Every demo level and the test story's 40 x 30 and 250 x 250 levels are
// drawn whole; sanitizer builds stop at any write outside the picture.
TEST_F(ZoomStateTest, EveryLevelIsDrawnInsideItsPicture) {
    struct Case {
        uint32_t level;
        Point hero;
        int32_t divisor;
        Size picture;
    };
    add_wide_levels();
    start_walking();
    for (const Case& c : {Case{demo::kMillbrook, {96, 160}, 3, {170, 128}}, Case{demo::kThistlewood, {128, 128}, 3, {170, 128}},
                          Case{demo::kCopperKettle, {96, 96}, 2, {128, 96}},
                          Case{zoom_story::kFields, {11 * 32, 10 * 32}, 6, {213, 160}},
                          Case{zoom_story::kHeath, {11 * 32, 10 * 32}, 37, {216, 216}}}) {
        ASSERT_TRUE(game().teleport(c.level, c.hero.x, c.hero.y, 20));
        start_walking();
        finish_fades();
        ZoomState& z = open_zoom();
        tick_until(ZoomState::kBubbleOut);
        EXPECT_EQ(z.layout().divisor, c.divisor);
        const Bitmap& picture = *z.map_picture()->bitmap();
        EXPECT_EQ((Size{picture.width, picture.height}), c.picture);
        // Drawn from the level: the picture is not left blank.
        const size_t blank = size_t(std::count(picture.pixels.begin(), picture.pixels.end(), uint16_t(0)));
        EXPECT_LT(blank, picture.pixels.size() / 10) << std::hex << c.level;
        tick_until(ZoomState::kShowing);
        // The full-size marker stands centred on the hero's shrunk tile.
        ASSERT_NE(z.marker(), nullptr);
        const Rect marker = z.marker()->bounds(0, 0);
        const Rect shrunk_tile{z.map_picture()->x + c.hero.x / c.divisor, z.map_picture()->y + c.hero.y / c.divisor,
                               z.map_picture()->x + (c.hero.x + 32) / c.divisor,
                               z.map_picture()->y + (c.hero.y + 32) / c.divisor};
        EXPECT_EQ((Size{marker.width(), marker.height()}), (Size{32, 32})) << std::hex << c.level;
        EXPECT_LE(std::abs(2 * (marker.left - shrunk_tile.left) - (shrunk_tile.width() - 32)), 2) << std::hex << c.level;
        EXPECT_LE(std::abs(2 * (marker.top - shrunk_tile.top) - (shrunk_tile.height() - 32)), 2) << std::hex << c.level;
        z.on_key(kKeyPress, kKeyButton1, 0);
        ASSERT_EQ(screen_name(), "Walking");
    }
}

TEST_F(ZoomStateTest, TheZoomedVillageWithItsHero) {
    start_walking();
    finish_fades();
    place_villagers();
    open_zoom();
    tick_until(ZoomState::kShowing);
    tick();  // the marker at its brightest
    render_frame();
    expect_golden_screen(host.front_buffer(), "zoom_village");
}

}  // namespace
