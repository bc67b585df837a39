// The demo played from a new game to its ending by the committed input
// script ending.input through the program's own message loop on the
// headless back end: a night at the inn (the sleep screen and the health
// message after it), the fallen trunk that closes the wood's reeds until
// Old Hesk is asked about the lantern, the lantern found there (the hero's
// thought on a story page); back in the village the inn's loft up its
// stairs (the drover who speaks first and leaves), the mummer's wager in
// his looks, the armourer in the yard fooled, a coat bought from him and an
// old jerkin sold on his selling page, the wager paid and the hero's own
// looks back; and the lantern brought back to the innkeeper, which ends the
// game with its picture and then the title menu. Closing the window on that
// picture leaves no game to continue.
#include <array>
#include <filesystem>
#include <string>

#include "game/screens/end_of_game_state.h"
#include "game/screens/sleep_state.h"
#include "game/screens/story_state.h"
#include "game/screens/talking_state.h"
#include "game/screens/walking_state.h"
#include "game/story/npc_record.h"
#include "game/story/quest.h"
#include "game/world/map_level.h"
#include "game/world/npc_actor.h"
#include "tests/support/scripted_program.h"

namespace {

constexpr uint32_t kLantern = 0x4601, kLetter = 0x4602, kLanternReturned = 0x5002, kLogMoved = 0x5003;
constexpr uint32_t kThistlewood = 0x1102, kTrunkWall = 11;
constexpr Point kTrunk{14, 8};
constexpr uint32_t kJerkin = 0x4401, kCoat = 0x4402;
constexpr uint32_t kDrover = 0x2007, kMummer = 0x2008;
constexpr uint32_t kWagerTaken = 0x5010, kArmourerFooled = 0x5011, kWagerWon = 0x5012, kWager = 0x6010;

class EndingRoadTest : public ScriptedProgramTest {
protected:
    void SetUp() override {
        start_program(NIMBREL_DEMO_DATA_DIR, NIMBREL_SOURCE_DIR "/tests/game/screens/ending.input", 11);
    }
    void expect_screen(const std::string& name) { expect_golden_screen(host.front_buffer(), "ending_" + name); }
    bool autosave_written() const { return std::filesystem::exists(folder + "/savegame/autosave.gam"); }
    // The quest's entry in the hero's log: -1 absent, else whether done.
    int32_t quest_done(uint32_t id) {
        for (const QuestEntry& entry : hero().quests)
            if (entry.quest && entry.quest->id == id) return entry.done;
        return -1;
    }
    bool person_on_level(uint32_t id) {
        for (const auto& actor : world().npc_actors)
            if (actor->record() && actor->record()->id == id && actor->level_id == world().current_level_id())
                return true;
        return false;
    }
    const NpcTopic* topic_on_screen() {
        const auto* talking = dynamic_cast<const TalkingState*>(g_app->game()->current_state());
        return talking ? talking->current_topic() : nullptr;
    }
    std::array<int32_t, 4> looks() { return {hero().premade, hero().body, hero().head, hero().hair}; }
};

TEST_F(EndingRoadTest, FromANewGameThroughTheInnTheWoodTheLoftAndTheYardToTheEnding) {
    // A night at the inn: the sleep screen's pictures, then the map tells
    // the player the hero is rested.
    play_until(7400);
    ASSERT_EQ(screen(), "Sleep");
    play_until(10000);
    EXPECT_EQ(static_cast<const SleepState*>(g_app->game()->current_state())->phase(), SleepState::kPictureShown);
    expect_screen("sleep");
    play_until(14500);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_TRUE(static_cast<const WalkingState*>(g_app->game()->current_state())->has_message());
    EXPECT_EQ(hero().hit_points, hero().max_hit_points);
    expect_screen("rested");

    // By the wood's east fence, after the rat: the reeds' corner is walled
    // off, its one way in closed by a fallen trunk, until Old Hesk has been
    // asked about the lantern. He gives a letter for Marta and rolls the
    // trunk aside (a page) when the hero next comes down beside the fence.
    play_until(46000);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_EQ(level(), "Thistlewood");
    const MapLevel& wood = *world().get_level(kThistlewood);
    EXPECT_EQ(wood.cell(kTrunk.x, kTrunk.y)->wall, kTrunkWall);
    EXPECT_EQ(flag(kLogMoved), 0);
    play_until(53100);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_EQ(flag(kLogMoved), 1);
    EXPECT_TRUE(hero().has_item(kLetter));
    EXPECT_EQ(wood.cell(kTrunk.x, kTrunk.y)->wall, kTrunkWall);
    EXPECT_FALSE(hero().has_item(kLantern));
    play_until(54100);
    ASSERT_EQ(screen(), "Story");
    play_until(54900);
    EXPECT_EQ(wood.cell(kTrunk.x, kTrunk.y)->wall, 0u);

    // Among the reeds: the lantern, and the hero's thought about it.
    play_until(58410);
    ASSERT_EQ(screen(), "Story");
    EXPECT_EQ(level(), "Thistlewood");
    EXPECT_TRUE(hero().has_item(kLantern));
    EXPECT_EQ(static_cast<const StoryState*>(g_app->game()->current_state())->style().kind, 2);
    expect_screen("thought");

    // Back in the village with it, a level higher.
    play_until(89810);
    EXPECT_EQ(level(), "Millbrook");
    EXPECT_GE(hero().level_number, 2);
    const int32_t gold_home = hero().gold;

    // Up the inn's stairs: the drover at the top speaks first, then leaves.
    play_until(97310);
    ASSERT_EQ(screen(), "Talking");
    EXPECT_EQ(level(), "Kettle Loft");
    ASSERT_NE(topic_on_screen(), nullptr);
    EXPECT_EQ(topic_on_screen()->key, "[main]:At last#1");
    EXPECT_TRUE(person_on_level(kDrover));
    play_until(99610);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_FALSE(person_on_level(kDrover));

    // The wager taken: the hero in the mummer's looks, the quest in his log.
    const std::array<int32_t, 4> own_looks = looks();
    play_until(105610);
    ASSERT_EQ(screen(), "Walking");
    const auto& motley = world().get_or_load_npc(kMummer)->body;
    EXPECT_EQ(looks(), (std::array<int32_t, 4>{motley[0], motley[1], motley[2], motley[3]}));
    EXPECT_NE(looks(), own_looks);
    EXPECT_EQ(flag(kWagerTaken), 1);
    EXPECT_EQ(quest_done(kWager), 0);

    // In the yard the armourer takes him for the mummer.
    play_until(117310);
    ASSERT_EQ(screen(), "Talking");
    EXPECT_EQ(level(), "Kettle Yard");
    EXPECT_EQ(flag(kArmourerFooled), 1);
    expect_screen("fooled");

    // His shop, on what fits the hero; then the coat bought.
    play_until(119610);
    ASSERT_EQ(screen(), "Shop");
    expect_screen("shop");
    play_until(122410);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_TRUE(hero().has_item(kCoat));
    EXPECT_EQ(hero().gold, gold_home - 22);

    // His selling page: the old jerkin sold for six in ten of its price.
    play_until(126410);
    ASSERT_EQ(screen(), "Shop");
    play_until(128810);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_FALSE(hero().has_item(kJerkin));
    EXPECT_TRUE(hero().has_item(kCoat));
    EXPECT_EQ(hero().gold, gold_home - 22 + 6);

    // Back up in the loft the mummer pays, and the hero has his own looks.
    play_until(139410);
    ASSERT_EQ(screen(), "Item");
    EXPECT_EQ(looks(), own_looks);
    EXPECT_EQ(hero().gold, gold_home - 22 + 6 + 12);
    EXPECT_EQ(quest_done(kWager), 1);
    EXPECT_EQ(flag(kWagerTaken), 0);
    EXPECT_EQ(flag(kWagerWon), 1);
    expect_screen("wager_paid");

    // Out of the inn's front door; the innkeeper takes the lantern and the
    // game ends.
    play_until(148310);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_EQ(level(), "Millbrook");
    EXPECT_TRUE(hero().has_item(kLantern));
    play_until(154710);
    ASSERT_EQ(screen(), "EndOfGame");
    const auto* ending = static_cast<const EndOfGameState*>(g_app->game()->current_state());
    EXPECT_EQ(ending->variant(), EndOfGameState::kFirstEnding);
    EXPECT_FALSE(hero().has_item(kLantern));
    EXPECT_EQ(world().get_flag(kLanternReturned)->value, 1);
    EXPECT_FALSE(g_app->game()->resumable());
    expect_screen("picture");

    // A key: the title menu, with no game to continue.
    play_until(157710);
    ASSERT_EQ(screen(), "Menu");
    EXPECT_EQ(g_app->game()->music_name(), "music/title-ending.xm");
    expect_screen("menu");
}

TEST_F(EndingRoadTest, ClosingTheWindowOnTheEndingsPictureLeavesNoGameToContinue) {
    play_until(154710);
    ASSERT_EQ(screen(), "EndOfGame");
    host.send_message(MessageId::Close);
    EXPECT_FALSE(host.has_window());
    EXPECT_FALSE(autosave_written());
}

TEST_F(EndingRoadTest, ClosingTheWindowOnTheWayHomeKeepsTheGameToContinue) {
    play_until(89810);
    ASSERT_EQ(screen(), "Walking");
    host.send_message(MessageId::Close);
    EXPECT_TRUE(autosave_written());
}

}  // namespace
