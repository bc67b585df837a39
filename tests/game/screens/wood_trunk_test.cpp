// The wood's reeds, where the lantern lies, are walled off; a fallen trunk
// closes the one gap, beside the east fence. Walking down beside the fence
// stops at the trunk until Old Hesk has been asked about the lantern; then
// the first step beside it rolls the trunk aside (a page) and the way down
// to the reeds is open.
#include "engine/ui/menu_event.h"
#include "game/world/map_level.h"
#include "tests/game/screens/walking_game_support.h"

namespace {

constexpr uint32_t kLogMoved = 0x5003;
constexpr uint32_t kTrunkWall = 11;
constexpr int32_t kSouth = 30;

struct TrunkCase {
    const char* what;
    bool hesk_asked;
    int32_t deepest_row;  // the tile row of the hero's position at the end of the walk down
    uint32_t trunk_wall;  // the trunk's cell at the end
};

void PrintTo(const TrunkCase& c, std::ostream* out) { *out << c.what; }

class WoodTrunkTest : public DemoGameTest, public ::testing::WithParamInterface<TrunkCase> {};

TEST_P(WoodTrunkTest, HoldsTheWayToTheReedsUntilHeskIsAsked) {
    const TrunkCase& c = GetParam();
    walk_past_the_opening();
    world().get_flag(kLogMoved)->value = c.hesk_asked ? 1 : 0;
    ASSERT_TRUE(game().teleport(demo::kThistlewood, 14 * 32, 6 * 32, kSouth));
    start_walking();
    finish_fades();
    walking().set_encounter_countdown(100000);
    const MapLevel& wood = *world().get_level(demo::kThistlewood);
    ASSERT_EQ(wood.cell(14, 8)->wall, kTrunkWall);

    hold_keys({kKeyDown});
    for (int i = 0; i < 600; ++i) {
        if (screen_name() == "Story") {
            release_keys();
            close_story_page();
            hold_keys({kKeyDown});
        }
        tick();
    }
    release_keys();
    EXPECT_EQ(screen_name(), "Walking");
    EXPECT_EQ(hero().y / 32, c.deepest_row);
    EXPECT_EQ(wood.cell(14, 8)->wall, c.trunk_wall);
}

INSTANTIATE_TEST_SUITE_P(Thistlewood, WoodTrunkTest,
                         ::testing::Values(TrunkCase{"before Hesk is asked: the trunk holds", false, 7, kTrunkWall},
                                           TrunkCase{"once he is asked: rolled aside", true, 10, 0}));

}  // namespace
