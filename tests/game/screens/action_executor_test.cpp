#include <gtest/gtest.h>

#include <algorithm>

#include "engine/ui/game_key.h"
#include "game/story/item_record.h"

#include "game/screens/walking_game_support.h"
#include "game/story/npc_record.h"
#include "game/world/map_region.h"
#include "game/world/monster_actor.h"
#include "game/world/npc_actor.h"

namespace {

using namespace demo;

class ActionExecutorTest : public DemoGameTest {
protected:
    void SetUp() override {
        DemoGameTest::SetUp();
        start_walking();
        game().actions().clear();
        game().post_transition(kTransitionNone, 0, 0, 0);  // the start's fade-in
    }
    size_t npcs_of(uint32_t id) {
        return size_t(std::count_if(world().npc_placements.begin(), world().npc_placements.end(),
                                    [id](const NpcPlacement& p) { return p.npc_id == id; }));
    }
};

TEST_F(ActionExecutorTest, ItemsAndGoldChangeTheHeroAndFillTheNotice) {
    // Each shows the item notice, which the action key sends back to the walk.
    const auto close_notice = [this] {
        ASSERT_EQ(screen_name(), "Item");
        screen()->on_key(kKeyPress, kKeyAction, 0);
        tick(20);
        // Back on the map the start of the game tells its story first.
        close_story_page();
        ASSERT_EQ(screen_name(), "Walking");
    };
    hero().gold = 30;
    run(kActGiveItem, kLantern);
    EXPECT_TRUE(hero().has_item(kLantern));
    const ItemNotice& notice = game().screen_subjects.item_notice;
    EXPECT_EQ(notice.return_state, "Walking");
    EXPECT_EQ(notice.item_id, kLantern);
    EXPECT_EQ(notice.amount, 1);
    close_notice();

    run(kActTakeItem, kLantern);
    EXPECT_FALSE(hero().has_item(kLantern));
    EXPECT_EQ(notice.amount, -1);
    close_notice();

    run(kActGiveGold, 25);
    EXPECT_EQ(hero().gold, 55);
    EXPECT_EQ(notice.item_id, 0u);
    EXPECT_EQ(notice.amount, 25);
    close_notice();

    // More than the hero has: all of it, and the notice shows what was taken.
    run(kActTakeGold, 1000);
    EXPECT_EQ(hero().gold, 0);
    EXPECT_EQ(notice.amount, -55);
    close_notice();
    run(kActTakeGold, 5);
    EXPECT_EQ(hero().gold, 0);
    EXPECT_EQ(notice.amount, 0);
    EXPECT_EQ(notice.return_state, "Walking");
    close_notice();
}

TEST_F(ActionExecutorTest, FailedLookupsSkipTheAction) {
    const size_t items = hero().inventory.size();
    game().screen_subjects.item_notice = {"none", 0, 0};
    run(kActGiveItem, 0xDEAD);
    run(kActTakeItem, 0xDEAD);
    EXPECT_EQ(hero().inventory.size(), items);
    EXPECT_EQ(game().screen_subjects.item_notice.return_state, "none");

    run(kActTalk, 0xDEAD);
    run(kActShop, 0xDEAD);
    run(kActHeroLooks, 0xDEAD);
    EXPECT_EQ(game().screen_subjects.talk_partner, nullptr);
    EXPECT_EQ(game().screen_subjects.shop.keeper, nullptr);
    run_text(kActStory, "");
    EXPECT_TRUE(game().screen_subjects.story_text.empty());

    // Levels and flags that do not exist start no level change.
    run(kActChangeLevel, 0xDEAD, packed(1, 1));
    run(kActChangeLevelByFlag, 0xDEAD);
    run(kActSetFlag, 0xDEAD, 1);
    EXPECT_EQ(game().transition().pending().type, kTransitionNone);
    // A flag naming a missing level: no level change either.
    FlagRecord* flag = world().get_flag(kLanternAsked);
    flag->value = 0xDEAD;
    flag->hi_value = int32_t(packed(2, 2));
    run(kActChangeLevelByFlag, kLanternAsked);
    EXPECT_EQ(game().transition().pending().type, kTransitionNone);

    // Unknown codes, and 0x504, change nothing.
    const int32_t gold = hero().gold;
    run(0x504, 1, 2, 3);
    run(0x7FF, 1, 2, 3);
    EXPECT_EQ(hero().gold, gold);
    EXPECT_EQ(screen_name(), "Walking");
}

TEST_F(ActionExecutorTest, TileChangesStayInsideTheLevel) {
    MapLevel* level = world().get_level(kMillbrook);
    ASSERT_TRUE(level->has_grid());
    const size_t logged = level->tile_changes.size();
    // Object (field 6) of the chest becomes 4.
    run(kActTileField, kMillbrook, packed(1, 1), 6 | 4 << 16);
    EXPECT_EQ(level->cell(1, 1)->object, 4);
    EXPECT_EQ(level->tile_changes.size(), logged + 1);
    // Outside the level, and on a level the story lacks: ignored.
    run(kActTileField, kMillbrook, packed(16, 1), 6 | 4 << 16);
    run(kActTileField, kMillbrook, packed(3, 400), 6 | 4 << 16);
    run(kActTileField, 0xDEAD, packed(1, 1), 6 | 5 << 16);
    EXPECT_EQ(level->tile_changes.size(), logged + 1);
}

TEST_F(ActionExecutorTest, ToggledTileStatesAreWhatConditionsOfKindFourAndFiveRead) {
    // The inn: a level of the village's region that is not on screen.
    MapLevel* level = world().get_level(kCopperKettle);
    // A wall state (kind 4) and an object state (kind 5).
    Condition wall{4, 0, kCopperKettle, packed(0, 0)};
    Condition object{5, 0, kCopperKettle, packed(1, 1)};
    const bool wall_before = wall.holds(world());
    const bool object_before = object.holds(world());

    auto toggle = [&](uint32_t at, bool state, bool wall_mode) {
        auto action = make_action(kActToggleTile, kCopperKettle, at | (state ? 0 : 0x8000));
        // The expression selects the wall's bit when it holds.
        if (!wall_mode) action->expression.conditions.push_back({7, 0, 0, 0});
        run_action(game(), *action);
    };
    toggle(packed(0, 0), !wall_before, true);
    EXPECT_EQ(wall.holds(world()), !wall_before);
    EXPECT_EQ(object.holds(world()), object_before);
    toggle(packed(1, 1), !object_before, false);
    EXPECT_EQ(object.holds(world()), !object_before);
    EXPECT_EQ(wall.holds(world()), !wall_before);
    EXPECT_EQ(level->tile_state(1, 1, 0), object_before ? 0 : 1);
}

TEST_F(ActionExecutorTest, AToggleOnALevelWhoseRegionIsNotReadReadsItAndIsKept) {
    // The inn's grid dropped, as a level of a region the hero has not
    // visited has none.
    MapLevel* inn = world().get_level(kCopperKettle);
    MapRegion& region = *inn->map->region;
    const int before = inn->tile_state(0, 0, 1);
    const size_t logged = inn->tile_changes.size();
    region.unload_file();
    ASSERT_FALSE(inn->has_grid());

    auto toggle = make_action(kActToggleTile, kCopperKettle, packed(0, 0) | (before ? 0x8000 : 0));
    run_action(game(), *toggle);
    ASSERT_TRUE(inn->has_grid());
    EXPECT_EQ(inn->tile_state(0, 0, 1), 1 - before);
    EXPECT_EQ(inn->tile_changes.size(), logged + 1);

    // Saved, the region dropped again and the save loaded: read on arrival,
    // the cell shows the toggle.
    const std::vector<uint8_t> saved = world().save_state_bytes();
    ASSERT_TRUE(world().load_state_bytes(saved));
    region.unload_file();
    ASSERT_TRUE(world().load_region(region));
    EXPECT_EQ(inn->tile_state(0, 0, 1), 1 - before);
}

TEST_F(ActionExecutorTest, FlagsTakeValuesAndExpressionResults) {
    run(kActSetFlag, kLanternAsked, 5, 9);
    EXPECT_EQ(world().get_flag(kLanternAsked)->value, 5);
    EXPECT_EQ(world().get_flag(kLanternAsked)->hi_value, 9);
    auto test = make_action(kActFlagFromExpression, kLanternAsked);
    test->expression.conditions.push_back({2, 0, 0, 1000000});  // gold >= 1000000
    run_action(game(), *test);
    EXPECT_EQ(world().get_flag(kLanternAsked)->value, 0);
    test->expression.conditions.clear();
    run_action(game(), *test);
    EXPECT_EQ(world().get_flag(kLanternAsked)->value, 1);
    EXPECT_EQ(world().get_flag(kLanternAsked)->hi_value, 0);
}

TEST_F(ActionExecutorTest, PeoplePlacedSurviveALevelChangeAndASave) {
    run(kActPlaceNpc, kHesk, kCopperKettle, packed(2, 2));
    ASSERT_EQ(npcs_of(kHesk), 1u);
    // Not shown: the inn is not the level the hero is on.
    ASSERT_TRUE(game().teleport(kCopperKettle, 64, 64, 30));
    MapLevel* inn = world().get_level(kCopperKettle);
    ASSERT_EQ(inn->actors.size(), 1u);
    EXPECT_EQ(inn->actors[0]->position(), (Point{64, 64}));

    const std::vector<uint8_t> saved = world().save_state_bytes();
    run(kActRemoveNpc, kHesk);
    EXPECT_EQ(npcs_of(kHesk), 0u);
    EXPECT_TRUE(inn->actors.empty());
    ASSERT_TRUE(world().load_state_bytes(saved));
    EXPECT_EQ(npcs_of(kHesk), 1u);
}

TEST_F(ActionExecutorTest, MonstersPlacedJoinTheLevelButNoPlacementList) {
    const size_t placements = world().npc_placements.size();
    run(kActPlaceMonster, kBoar, kMillbrook, packed(5, 5));
    run(kActPlaceMonster, 0xDEAD, kMillbrook, packed(5, 5));
    run(kActPlaceMonster, kBoar, 0xDEAD, packed(5, 5));
    MapLevel* village = world().get_level(kMillbrook);
    ASSERT_EQ(village->extra_actors.size(), 1u);
    EXPECT_EQ(village->extra_actors[0]->position(), (Point{160, 160}));
    EXPECT_EQ(world().npc_placements.size(), placements);
}

TEST_F(ActionExecutorTest, ScriptedStepsEnterWalkingScripted) {
    run(kActWait, 1000);
    EXPECT_TRUE(walking().scripted());
    EXPECT_EQ(walking().wait_ticks(), 83);
    run(kActWalkTo, 0, packed(6, 7));
    EXPECT_EQ(walking().walk_target(), (Point{192, 224}));

    // A person walked from a conversation: argument 1, not the health message.
    run(kActPlaceNpc, kMarta, kMillbrook, packed(4, 5));
    run(kActWalkNpc, kMarta, packed(6, 5));
    EXPECT_TRUE(walking().scripted());
    EXPECT_FALSE(walking().has_message());
    ASSERT_NE(game().followed_actor, nullptr);
    ASSERT_EQ(game().followed_actor->path.size(), 1u);
    EXPECT_EQ(game().followed_actor->path[0].x, 6);
}

TEST_F(ActionExecutorTest, LockedMusicIgnoresRequestsUntilUnlocked) {
    run_text(kActLockedMusic, "music/battle.xm", 0);
    EXPECT_EQ(game().music_name(), "music/battle.xm");
    run_text(kActMusic, "music/vale.xm", 0);
    run(kActStopMusic);
    EXPECT_EQ(game().music_name(), "music/battle.xm");
    run(kActUnlockMusic);
    EXPECT_EQ(game().music_name(), "");
    run_text(kActMusic, "music/vale.xm", 2);
    EXPECT_EQ(game().music_name(), "music/vale.xm");
}

TEST_F(ActionExecutorTest, HealingAndRestoringStopAtTheMaximum) {
    hero().max_hit_points = 40;
    hero().hit_points = 10;
    run(kActHeal, 0xFFFFFFF0u);  // a huge amount does not wrap around
    EXPECT_EQ(hero().hit_points, 40);
    hero().hit_points = 1;
    const int32_t dexterity = hero().dexterity_;
    run(kActRestore);
    EXPECT_EQ(hero().hit_points, 40);
    EXPECT_EQ(hero().dexterity_, dexterity + 1);
}

TEST_F(ActionExecutorTest, StairsLeadAlongTheMapsLevelList) {
    // The village is the first level of its map: no level above it.
    run(kActStairs, 1);
    EXPECT_EQ(game().transition().pending().type, kTransitionNone);
    put_hero({4 * 32, 6 * 32});
    run(kActStairs, 0);
    const TransitionEvent& event = game().transition().pending();
    EXPECT_EQ(event.type, kTransitionFadeOut);
    EXPECT_EQ(event.kind, kTransitionChangeLevel);
    EXPECT_EQ(event.a, kThistlewood);
    // Grass is passable: one column on, the same row.
    EXPECT_EQ(event.b, packed(5, 6));
}

TEST_F(ActionExecutorTest, RewardsGiveGoldOrAnItemThatFits) {
    hero().max_hit_points = 160;
    hero().gold = 0;
    run(kActGoldReward);
    // (50..74) x 160 x 5 / 800 = 50..74, rounded to 5 above 90 else 2.
    EXPECT_GE(hero().gold, 50);
    EXPECT_LE(hero().gold, 74);
    EXPECT_EQ(hero().gold % 2, 0);
    const size_t items = hero().inventory.size();
    run(kActItemReward);
    const ItemNotice& notice = game().screen_subjects.item_notice;
    ASSERT_NE(notice.item_id, 0u);
    EXPECT_EQ(hero().inventory.size(), items + 1);
    const int32_t kind = world().item_group_of(notice.item_id)->group_kind;
    EXPECT_NE(kind, kItemUsable);
    EXPECT_NE(kind, kItemQuest);
    EXPECT_TRUE(hero().item_fits_level(*world().get_item(notice.item_id)));

    // Nothing fits: gold instead.
    for (const auto& group : world().item_groups)
        for (const auto& item : group->items) item->priceless = 1;
    const int32_t gold = hero().gold;
    run(kActItemReward);
    EXPECT_EQ(notice.item_id, 0u);
    EXPECT_GE(hero().gold, gold + 50);
    EXPECT_EQ(hero().inventory.size(), items + 1);
}

TEST_F(ActionExecutorTest, AScreenNameTheGameDoesNotHaveIsToldAndLeavesTheScreenAsItIs) {
    const auto* before = game().current_state();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(enter_screen(game(), "Aviary", 0));
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(game().current_state(), before);
    EXPECT_NE(told.find("\"Aviary\""), std::string::npos) << told;
    EXPECT_TRUE(enter_screen(game(), "Stats", 0));
}

}  // namespace
