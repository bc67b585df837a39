// The demo's road, played by the committed input script (road.input) through
// the program's own message loop on the headless back end: the script's
// keys reach the game as the player's would, from the title menu's "New
// game" on, and the test looks at the hero at each milestone of the road and
// at the screen at two of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "engine/graphics/sprite_group.h"
#include "game/combat/combat_state.h"
#include "game/screens/talking_state.h"
#include "game/story/item_record.h"
#include "game/story/monster_record.h"
#include "game/story/npc_record.h"
#include "game/story/quest.h"
#include "game/world/monster_actor.h"
#include "tests/support/scripted_program.h"

namespace {

class RoadTest : public ScriptedProgramTest {
protected:
    // The road's encounters and the wood's rain follow from the seed.
    void SetUp() override {
        start_program(NIMBREL_DEMO_DATA_DIR, NIMBREL_SOURCE_DIR "/tests/game/screens/road.input", 11);
    }

    // Compares the screen with its golden picture "road_<name>".
    void expect_screen(const std::string& name) { expect_golden_screen(host.front_buffer(), "road_" + name); }
    Point cell() { return {(hero().x + 16) / 32, (hero().y + 26) / 32}; }
    // The uses left of all the hero's entries of an item.
    int32_t uses_of(uint32_t item_id) {
        int32_t uses = 0;
        for (const auto& entry : hero().inventory)
            if (entry->item && entry->item->id == item_id) uses += entry->uses;
        return uses;
    }
};

TEST_F(RoadTest, TheDemoRoadFromTheTitleMenuThroughTheVillageIntoTheWood) {
    // The title menu, until the script's keys choose "New game".
    play_until(1800);
    ASSERT_TRUE(g_app && g_app->game());
    EXPECT_EQ(screen(), "Menu");

    // A new game starts in HUD mode while the menu fades out; then the start
    // of the story leaves it and brings the village's people out.
    play_until(1900);
    EXPECT_TRUE(g_app->game()->hud_mode());
    ASSERT_EQ(world().current_level()->name, "Millbrook");
    EXPECT_EQ(hero().position(), (Point{4 * 32, 6 * 32}));
    const int32_t start_gold = hero().gold;
    const size_t start_items = hero().inventory.size();
    play_until(2100);
    EXPECT_EQ(screen(), "Story");
    EXPECT_FALSE(g_app->game()->hud_mode());
    EXPECT_EQ(world().get_level(0x1101)->actors.size(), 4u);
    // The story's opening page, faded in over the map; the action key turns
    // it and it fades out to the walk.
    play_until(2400);
    expect_screen("story_page");
    play_until(2700);
    EXPECT_EQ(screen(), "Story");
    play_until(2900);
    EXPECT_EQ(screen(), "Walking");

    // The innkeeper stands above the hero: the action key talks to her.
    play_until(3650);
    ASSERT_EQ(screen(), "Talking");
    const auto* talk = static_cast<const TalkingState*>(g_app->game()->current_state());
    ASSERT_NE(talk->current_topic(), nullptr);
    EXPECT_EQ(talk->current_topic()->reply, "Welcome to the Copper Kettle. Mind the step.");
    // Asked about her lantern, she sets the quest and its flag.
    play_until(4550);
    EXPECT_EQ(talk->current_topic()->key, "Lantern");
    EXPECT_EQ(world().get_flag(0x5001)->value, 0);
    play_until(4850);
    EXPECT_EQ(world().get_flag(0x5001)->value, 1);
    EXPECT_TRUE(std::any_of(hero().quests.begin(), hero().quests.end(), [](const QuestEntry& q) {
        return q.quest && q.quest->name == "The Drowned Lantern" && !q.done;
    }));
    // "Bye": the bubble fades out to the walk.
    play_until(5400);
    EXPECT_EQ(screen(), "Talking");
    play_until(5750);
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(hero().gold, start_gold);

    // Below the chest the action key opened it: gold, a tonic, its flag, and
    // the open chest's picture.
    play_until(10000);
    EXPECT_EQ(cell(), (Point{1, 2}));
    EXPECT_EQ(hero().gold, start_gold);
    // The tonic's notice, then (its trigger going on once it is closed)
    // the gold's.
    play_until(10350);
    ASSERT_EQ(screen(), "Item");
    EXPECT_EQ(g_app->game()->screen_subjects.item_notice.item_id, 0x4301u);
    EXPECT_EQ(g_app->game()->screen_subjects.item_notice.amount, 1);
    expect_screen("chest_tonic_notice");
    play_until(10750);
    ASSERT_EQ(screen(), "Item");
    EXPECT_EQ(g_app->game()->screen_subjects.item_notice.item_id, 0u);
    EXPECT_EQ(g_app->game()->screen_subjects.item_notice.amount, 25);
    play_until(11350);
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(hero().gold, start_gold + 25);
    EXPECT_EQ(hero().inventory.size(), start_items + 1);
    EXPECT_TRUE(hero().has_item(0x4301));
    EXPECT_EQ(world().get_flag(0x5005)->value, 1);
    EXPECT_EQ(world().get_level(0x1101)->cell(1, 1)->object, 4);
    expect_screen("chest_opened");

    // Over the village's east edge: the wood, on the tile its exit names,
    // once it has faded in.
    play_until(21750);
    EXPECT_EQ(world().current_level()->name, "Thistlewood");
    EXPECT_EQ(hero().position(), (Point{0, 4 * 32}));
    EXPECT_EQ(g_app->game()->main_fade().level(), 0);
    expect_screen("in_the_wood");

    // Along the wood's path monsters meet the hero (the drawn blocks reseed
    // the shared generator, so which one depends on the map).
    play_until(28300);
    ASSERT_NE(g_app->game()->screen_subjects.opponent, nullptr);
    const std::shared_ptr<MonsterActor> monster = g_app->game()->screen_subjects.opponent;
    const std::string met = monster->record()->name;
    EXPECT_TRUE(met == "Mossback Boar" || met == "Briar Rat" || met == "Hollow Wisp") << met;
    EXPECT_EQ(world().current_level()->name, "Thistlewood");
    EXPECT_EQ(hero().gold, start_gold + 25);
    play_until(29000);
    EXPECT_EQ(g_app->game()->main_fade().level(), 0);
    EXPECT_EQ(screen(), "Combat");
    EXPECT_EQ(g_app->game()->upper_fade().level(), 0);

    // The cudgel's first blow, half-way through the swing: the rat is weak
    // against it, and takes several blows.
    play_until(30060);
    expect_screen("first_attack");
    const int32_t experience = hero().experience;
    const int32_t tonic_uses = uses_of(0x4301);

    // The monster fell at the third blow: the reward page, paid at once.
    play_until(35320);
    ASSERT_EQ(screen(), "Combat");
    const auto* fight = static_cast<const CombatState*>(g_app->game()->current_state());
    EXPECT_LE(monster->hit_points, 0);
    EXPECT_EQ(fight->phase(), CombatState::kCountedWait);
    const CombatReward reward = fight->reward();
    EXPECT_GT(reward.experience, 0);
    EXPECT_EQ(hero().experience, experience + reward.experience);
    EXPECT_EQ(hero().gold, start_gold + 25 + reward.gold);
    expect_screen("reward");

    EXPECT_LT(hero().hit_points, hero().max_hit_points);

    // Back in the wood without the monster, the map shown again; the
    // monster's own gift of gold comes as a notice, closed with the action
    // key. Heal after battles (on by default) had him drink a Minor Tonic
    // on leaving the fight: he is whole again.
    play_until(36600);
    EXPECT_EQ(screen(), "Item");
    EXPECT_EQ(hero().hit_points, hero().max_hit_points);
    EXPECT_EQ(uses_of(0x4301), tonic_uses - 1);
    play_until(37500);
    EXPECT_EQ(screen(), "Walking");
    EXPECT_EQ(world().current_level()->name, "Thistlewood");
    EXPECT_EQ(g_app->game()->screen_subjects.opponent, nullptr);
    for (const auto& actor : world().current_level()->extra_actors) EXPECT_NE(actor.get(), monster.get());
    EXPECT_GT(hero().hit_points, 0);
    EXPECT_TRUE(g_app->game()->ground_group()->is_visible());
}

}  // namespace
