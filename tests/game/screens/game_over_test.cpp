// The demo played from a new game to the game over by the committed input
// script game_over.input through the program's own message loop on the
// headless back end: out to the heath as on the way to the second ending,
// down the cairn into Delverworld Hollow (the spring, the delvers' chest
// and the level its experience makes), down the hollow's second steps to
// the drowned stair, and into its flooded shaft: the game-over picture, and
// after a key the load screen.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "game/screens/end_of_game_state.h"
#include "game/story/monster_record.h"
#include "game/story/quest.h"
#include "game/world/map_level.h"
#include "game/world/monster_actor.h"
#include "tests/support/scripted_program.h"

namespace {

constexpr uint32_t kDelversBell = 0x4603, kDeepReached = 0x5030, kTollingBelow = 0x6030, kDrownedStair = 0x9103;

struct Attributes {
    int32_t dexterity, strength, defence, knowledge, resistance;
    bool operator==(const Attributes&) const = default;
};

class GameOverTest : public ScriptedProgramTest {
protected:
    // The same seed as the way to the second ending: the same rat in the wood.
    void SetUp() override {
        start_program(NIMBREL_DEMO_DATA_DIR, NIMBREL_SOURCE_DIR "/tests/game/screens/game_over.input", 11);
    }
    Attributes attributes() {
        const HeroActor& h = hero();
        return {h.dexterity_, h.strength_, h.defence_, h.knowledge_, h.resistance_};
    }
    // The quest of that id in the hero's log, or null.
    const QuestEntry* quest(uint32_t id) {
        const auto& log = hero().quests;
        const auto it = std::find_if(log.begin(), log.end(), [&](const QuestEntry& q) { return q.quest && q.quest->id == id; });
        return it == log.end() ? nullptr : &*it;
    }
    // The index of the last automatic save (it holds the play time).
    std::string autosave_index() const {
        std::ifstream in(folder + "/savegame/autoio.ini");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void expect_screen(const std::string& name) { expect_golden_screen(host.front_buffer(), "game_over_" + name); }
};

TEST_F(GameOverTest, FromANewGameDownTheCairnIntoTheDrownedShaft) {
    // Down the cairn's steps: the hollow, where the hero walks.
    play_until(80730);
    ASSERT_EQ(level(), "Delverworld Hollow");
    EXPECT_FALSE(hero().running);
    const Attributes before = attributes();
    const int32_t gold = hero().gold;
    const int32_t hero_level = hero().level_number;
    EXPECT_FALSE(hero().has_item(kDelversBell));
    const std::string heath_save = autosave_index();
    EXPECT_NE(heath_save.find("\"Orrowmere Wilds\""), std::string::npos);

    // The spring: full health, a point more on each base attribute, a save.
    play_until(82630);
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(attributes(), (Attributes{before.dexterity + 1, before.strength + 1, before.defence + 1,
                                        before.knowledge + 1, before.resistance + 1}));
    EXPECT_EQ(hero().hit_points, hero().max_hit_points);
    EXPECT_NE(autosave_index(), heath_save);

    // The open chest: the bell and the purse; their experience makes a
    // level, and F2 on the level-up screen takes strength.
    play_until(91280);
    EXPECT_TRUE(hero().has_item(kDelversBell));
    EXPECT_EQ(hero().gold, gold + 40);
    EXPECT_EQ(screen(), "Level");
    play_until(94530);
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(hero().level_number, hero_level + 1);
    EXPECT_EQ(hero().strength_, before.strength + 2);

    // Down the hollow's second steps: the drowned stair, its page, the
    // quest of the tolling in the log and the beetle by the lower steps.
    play_until(97030);
    ASSERT_EQ(level(), "The Drowned Stair");
    EXPECT_EQ(screen(), "Story");
    EXPECT_EQ(world().get_flag(kDeepReached)->value, 1);
    ASSERT_NE(quest(kTollingBelow), nullptr);
    EXPECT_FALSE(quest(kTollingBelow)->done);
    const auto& monsters = world().monster_actors;
    EXPECT_EQ(std::count_if(monsters.begin(), monsters.end(),
                            [](const auto& m) {
                                return m->level_id == kDrownedStair && m->record()->name.str() == "Slatehide Beetle";
                            }),
              1);
    play_until(100630);
    EXPECT_TRUE(hero().running);

    // Up and west to the shaft's edge; the action key there: its page, then
    // the end.
    play_until(107430);
    EXPECT_EQ((Point{(hero().x + 16) / 32, (hero().y + 26) / 32}), (Point{3, 2}));
    expect_screen("shaft_edge");
    play_until(108130);
    EXPECT_EQ(screen(), "Story");
    play_until(108830);
    ASSERT_EQ(screen(), "EndOfGame");
    const auto* ending = static_cast<const EndOfGameState*>(g_app->game()->current_state());
    EXPECT_EQ(ending->variant(), EndOfGameState::kGameOver);
    play_until(110730);
    expect_screen("picture");
    EXPECT_TRUE(hero().has_item(kDelversBell));

    // A key fades the picture out to the load screen; the game can be
    // neither continued nor saved.
    play_until(111830);
    EXPECT_EQ(screen(), "GameIO");
    // The automatic save's line names the long region and fits its row.
    expect_screen("load_page");
    EXPECT_FALSE(world().saving_allowed);
    EXPECT_FALSE(g_app->game()->resumable());
}

}  // namespace
