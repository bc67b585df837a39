// The demo played from a new game to its second ending by the committed
// input script wilds_ending.input through the program's own message loop on
// the headless back end: the lantern found in the wood, the deer track out
// to the heath of the wilds (a region of its own: its music, and the
// automatic save on the way in), its scripted first look (begun while the
// screen fades in, played out all the same); down to Sallow
// Fen, whose ring opens the wardens' door (a wall state toggled and
// tested), their undercroft's silence, hymn (the music locked), gift, tithe
// and mark-stone, the ring carrying the hero to his mark (a flag's level and
// tile), the hymn ending on the heath; and the lantern kept to follow Wenna,
// which ends the game with the second picture.
#include <fstream>
#include <sstream>
#include <string>

#include "game/screens/end_of_game_state.h"
#include "game/screens/walking_state.h"
#include "game/story/item_record.h"
#include "game/world/map_level.h"
#include "tests/support/scripted_program.h"

namespace {

constexpr uint32_t kLantern = 0x4601, kHeathSeen = 0x5006, kLanternReturned = 0x5002, kLanternQuest = 0x6001;
constexpr uint32_t kWaymark = 0x5020, kHymnSung = 0x5021, kLanternKindled = 0x5022;
constexpr uint32_t kHeath = 0x9101, kFen = 0x9201, kUndercroft = 0x9202;
constexpr uint32_t kShutDoor = 125, kOpenDoor = 124, kOpenBox = 4;

uint32_t tile(int32_t x, int32_t y) { return uint32_t(x) | uint32_t(y) << 16; }

class WildsEndingTest : public ScriptedProgramTest {
protected:
    void SetUp() override {
        start_program(NIMBREL_DEMO_DATA_DIR, NIMBREL_SOURCE_DIR "/tests/game/screens/wilds_ending.input", 11);
    }
    void expect_screen(const std::string& name) { expect_golden_screen(host.front_buffer(), "wilds_" + name); }
    const TileCell& cell(uint32_t level_id, int32_t x, int32_t y) { return *world().get_level(level_id)->cell(x, y); }
    Point hero_cell() { return {(hero().x + 16) / 32, (hero().y + 26) / 32}; }
    int32_t flag_hi(uint32_t id) { return world().get_flag(id)->hi_value; }
    // Whether the last automatic save was made in the region of that name.
    bool autosaved_in(const std::string& region) const {
        std::ifstream in(folder + "/savegame/autoio.ini");
        std::stringstream text;
        text << in.rdbuf();
        return text.str().find("\"" + region + "\"") != std::string::npos;
    }
    bool quest_asked(uint32_t id) {
        for (const QuestEntry& q : hero().quests)
            if (q.quest && q.quest->id == id) return true;
        return false;
    }
};

TEST_F(WildsEndingTest, FromANewGameOverTheHeathAndThroughTheFenToTheSecondEnding) {
    play_until(58410);
    EXPECT_EQ(level(), "Thistlewood");
    ASSERT_TRUE(hero().has_item(kLantern));
    EXPECT_TRUE(quest_asked(kLanternQuest));
    EXPECT_FALSE(autosaved_in("Orrowmere Wilds"));

    // Out on the heath, the first look plays (though it starts while the
    // screen fades in): the camera on the cairn, Wenna on her way to it.
    play_until(68130);
    ASSERT_EQ(level(), "Orrow Heath");
    ASSERT_EQ(screen(), "Walking");
    EXPECT_TRUE(static_cast<const WalkingState*>(g_app->game()->current_state())->scripted());
    EXPECT_TRUE(g_app->game()->focus_scripted());
    ASSERT_EQ(world().current_level()->actors.size(), 1u);
    const Actor& wenna = *world().current_level()->actors.front();
    EXPECT_GT(wenna.y, 1 * 32);
    EXPECT_LT(wenna.y, 4 * 32);
    EXPECT_EQ(flag(kHeathSeen), 0);

    // Then the region's own tune, the save made on the way in, the hero's
    // few steps, and the first look told on a page.
    play_until(73330);
    ASSERT_EQ(level(), "Orrow Heath");
    EXPECT_EQ(g_app->game()->music_name(), "music/wild.xm");
    EXPECT_TRUE(autosaved_in("Orrowmere Wilds"));
    EXPECT_EQ(screen(), "Story");
    EXPECT_EQ(flag(kHeathSeen), 1);
    EXPECT_TRUE(hero().running);
    EXPECT_EQ(hero_cell(), (Point{3, 8}));
    EXPECT_EQ(wenna.position(), (Point{9 * 32, 4 * 32}));
    const int32_t level_number = hero().level_number;
    const int32_t gold_on_the_heath = hero().gold;
    const size_t items_on_the_heath = hero().inventory.size();

    // Down the sheep track: the fen, its door shut, the ring's mark still
    // on the heath by the cairn.
    play_until(84330);
    ASSERT_EQ(level(), "Sallow Fen");
    EXPECT_EQ(cell(kFen, 7, 1).wall, kShutDoor);
    EXPECT_EQ(flag(kWaymark), int32_t(kHeath));
    EXPECT_EQ(uint32_t(flag_hi(kWaymark)), tile(5, 4));
    // The world's own generator starts from the clock; fixed here, the
    // font's gift is the same on every run.
    world().set_random_seed(7);

    // The heart-stone touched: the door's wall state goes off (the open
    // doorway), told on a page.
    play_until(89380);
    ASSERT_EQ(screen(), "Story");
    EXPECT_EQ(cell(kFen, 7, 1).wall, kOpenDoor);
    expect_screen("door_open");

    // In the undercroft: after the page on the silence, no music at all.
    play_until(96730);
    ASSERT_EQ(level(), "Wardens' Undercroft");
    ASSERT_EQ(screen(), "Walking");
    EXPECT_EQ(g_app->game()->music_name(), "");

    // The font: the hymn locked on, the lantern kindled, and a gift fit for
    // a stronger hero (no potion, no keepsake) as a notice.
    play_until(100630);
    ASSERT_EQ(screen(), "Item");
    EXPECT_EQ(g_app->game()->music_name(), "music/hymn.xm");
    EXPECT_TRUE(g_app->game()->music_locked);
    EXPECT_EQ(flag(kHymnSung), 1);
    EXPECT_EQ(flag(kLanternKindled), 1);
    ASSERT_EQ(hero().inventory.size(), items_on_the_heath + 1);
    const ItemRecord* gift = hero().inventory.back()->item;
    ASSERT_NE(gift, nullptr);
    EXPECT_FALSE(gift->priceless);
    EXPECT_NE(world().item_group_of(gift->id)->group_kind, kItemUsable);
    EXPECT_NE(world().item_group_of(gift->id)->group_kind, kItemQuest);
    expect_screen("gift");

    // The tithe box: gold by the hero's hit points, (50..74) x 40 x 5 / 800
    // rounded down to an even number.
    play_until(104230);
    ASSERT_EQ(screen(), "Item");
    EXPECT_EQ(hero().max_hit_points, 40);
    EXPECT_GE(hero().gold - gold_on_the_heath, 12);
    EXPECT_LE(hero().gold - gold_on_the_heath, 18);
    const int32_t gold_after_the_tithe = hero().gold;

    // The mark-stone: the ring now points beside it. The tithe box's lid
    // stayed open (its object's state, not a wall bit, toggled).
    play_until(108730);
    ASSERT_EQ(screen(), "Story");
    EXPECT_EQ(cell(kUndercroft, 7, 2).object, kOpenBox);
    EXPECT_EQ(cell(kUndercroft, 7, 2).wall, 0u);
    EXPECT_EQ(flag(kWaymark), int32_t(kUndercroft));
    EXPECT_EQ(uint32_t(flag_hi(kWaymark)), tile(7, 5));

    // Back in the fen the hymn goes on: the locked music outlasts the
    // level's own.
    play_until(113230);
    ASSERT_EQ(level(), "Sallow Fen");
    EXPECT_EQ(g_app->game()->music_name(), "music/hymn.xm");

    // The heart-stone again, the door open: the ring carries the hero to
    // his mark.
    play_until(117230);
    ASSERT_EQ(level(), "Wardens' Undercroft");
    EXPECT_EQ(hero_cell(), (Point{7, 5}));

    // Up on the heath by the fen's track: the hymn unlocked and stopped,
    // and the heath's tune again.
    play_until(128830);
    ASSERT_EQ(level(), "Orrow Heath");
    EXPECT_EQ(screen(), "Story");
    EXPECT_FALSE(g_app->game()->music_locked);
    EXPECT_EQ(g_app->game()->music_name(), "music/wild.xm");

    play_until(134530);
    ASSERT_EQ(screen(), "Talking");

    play_until(137330);
    ASSERT_EQ(screen(), "EndOfGame");
    const auto* ending = static_cast<const EndOfGameState*>(g_app->game()->current_state());
    EXPECT_EQ(ending->variant(), EndOfGameState::kSecondEnding);
    EXPECT_TRUE(hero().has_item(kLantern));
    EXPECT_TRUE(hero().has_item(gift->id));
    EXPECT_EQ(hero().gold, gold_after_the_tithe);
    EXPECT_EQ(hero().level_number, level_number);
    EXPECT_EQ(flag(kLanternReturned), 0);
    EXPECT_FALSE(g_app->game()->resumable());
}

}  // namespace
