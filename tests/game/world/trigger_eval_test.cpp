// Conditions, expressions and triggers against the game state.
#include <gtest/gtest.h>

#include "engine/core/crt_random.h"
#include "game/story/archive.h"
#include "game/story/story_file_io.h"
#include "game_world_support.h"

namespace {

using namespace test_world;

TEST(Condition, GoldComparesUnsigned) {
    Built b;
    const Condition c = condition(2, 0, 100);
    const std::pair<int32_t, bool> cases[] = {{99, false}, {100, true}, {101, true}, {-1, true}};
    for (auto [gold, holds] : cases) {
        b.hero().gold = gold;
        EXPECT_EQ(c.holds(b.world), holds) << gold;
    }
    // A value of 0xFFFFFFFF is beyond any gold the hero can have.
    b.hero().gold = 1000000;
    EXPECT_FALSE(condition(2, 0, 0xFFFFFFFF).holds(b.world));
}

TEST(Condition, GoldForLevelAndHeroLevel) {
    Built b;
    b.hero().level_number = 5;
    b.hero().gold = 49;
    EXPECT_FALSE(condition(10).holds(b.world));
    b.hero().gold = 50;
    EXPECT_TRUE(condition(10).holds(b.world));
    EXPECT_TRUE(condition(8, 0, 5).holds(b.world));
    EXPECT_FALSE(condition(8, 0, 6).holds(b.world));
}

TEST(Condition, FlagsItemsConstantsAndNegation) {
    Built b;
    EXPECT_FALSE(condition(3, kFlagA).holds(b.world));
    EXPECT_TRUE(condition(0x83, kFlagA).holds(b.world));
    b.flag(kFlagA).value = 2;
    EXPECT_TRUE(condition(3, kFlagA).holds(b.world));
    EXPECT_FALSE(condition(0x83, kFlagA).holds(b.world));
    // An unknown flag never holds, so its negation does.
    EXPECT_FALSE(condition(3, 0x9999).holds(b.world));
    EXPECT_FALSE(condition(1, kSword).holds(b.world));
    ASSERT_TRUE(b.hero().add_item(kSword));
    EXPECT_TRUE(condition(1, kSword).holds(b.world));
    EXPECT_TRUE(condition(7, 0, 1).holds(b.world));
    EXPECT_FALSE(condition(7, 0, 0).holds(b.world));
    for (uint8_t kind : {0, 11, 127}) {
        EXPECT_FALSE(condition(kind, 0, 1).holds(b.world)) << int(kind);
        EXPECT_TRUE(condition(uint8_t(kind | 0x80), 0, 1).holds(b.world)) << int(kind);
    }
}

TEST(Condition, TileEventMatchesKindLevelAndTile) {
    Built b;
    b.world.trigger_event = {0, 3, 4, kLevel};
    EXPECT_TRUE(condition(6, kLevel, tile(3, 4), 0).holds(b.world));
    EXPECT_FALSE(condition(6, kLevel, tile(3, 4), 1).holds(b.world));  // acting, not stepping
    EXPECT_FALSE(condition(6, kLevel, tile(4, 3)).holds(b.world));
    EXPECT_FALSE(condition(6, kFarLevel, tile(3, 4)).holds(b.world));
    b.world.trigger_event.kind = 1;
    EXPECT_TRUE(condition(6, kLevel, tile(3, 4), 1).holds(b.world));
}

TEST(Condition, WallAndCellStatesReadWhatTheKindNames) {
    Built b;
    TileCell& cell = b.level->grid[size_t(2 * 10 + 1)];  // (1, 2)
    cell.wall = 5;    // wall state 1
    cell.object = 1;  // object state 0
    EXPECT_TRUE(condition(4, kLevel, tile(1, 2)).holds(b.world));
    EXPECT_FALSE(condition(5, kLevel, tile(1, 2)).holds(b.world));
    cell.wall = 4;
    cell.object = 2;
    EXPECT_FALSE(condition(4, kLevel, tile(1, 2)).holds(b.world));
    EXPECT_TRUE(condition(5, kLevel, tile(1, 2)).holds(b.world));
    EXPECT_FALSE(condition(4, 0x9999, tile(1, 2)).holds(b.world));
}

TEST(Condition, CellOfAnUnloadedRegionIsReadFromItsFile) {
    Built b;
    // Without a region file the condition cannot hold.
    EXPECT_FALSE(condition(4, kFarLevel, tile(2, 2)).holds(b.world));
    // Write the far region's file with a raised wall at (2, 2), then drop its grid.
    MapRegion& far = *b.world.get_region(kFarRegion);
    b.far_level->grid.assign(100, grass());
    b.far_level->grid[22].wall = 3;
    Archive out;
    out.open_write_memory();
    far.write_tiles(out);
    const std::vector<uint8_t> file = out.written();
    far.unload_file();
    b.world.file_reader = [&](const std::string& path) -> std::optional<std::vector<uint8_t>> {
        if (path.find(far.file_name()) == std::string::npos) return std::nullopt;
        return file;
    };
    EXPECT_TRUE(condition(4, kFarLevel, tile(2, 2)).holds(b.world));
    EXPECT_TRUE(b.far_level->has_grid());
}

TEST(Expression, StopsAtTheFirstFailureAndEmptyHolds) {
    Built b;
    Expression e;
    EXPECT_TRUE(e.holds(b.world));
    e.conditions = {condition(7, 0, 0), condition(9, 0, 100)};
    crt_srand(1234);
    EXPECT_FALSE(e.holds(b.world));
    const int32_t next = crt_rand();
    crt_srand(1234);
    EXPECT_EQ(next, crt_rand()) << "the chance condition drew a number after a failed one";

    // Chance: a new number at every test, compared with the value.
    crt_srand(7);
    const int32_t first = crt_rand() % 100;
    crt_srand(7);
    EXPECT_EQ(condition(9, 0, uint32_t(first)).holds(b.world), false);
    crt_srand(7);
    EXPECT_EQ(condition(9, 0, uint32_t(first + 1)).holds(b.world), true);
}

TEST(TriggerUsesLevel, ByConditionAndActionCode) {
    Trigger t;
    EXPECT_FALSE(t.uses_level(kLevel));
    t.expression.conditions = {condition(3, kLevel)};
    EXPECT_FALSE(t.uses_level(kLevel));  // a flag id equal to the level id does not count
    for (uint8_t kind : {4, 5, 6, 0x86}) {
        t.expression.conditions = {condition(kind, kLevel)};
        EXPECT_TRUE(t.uses_level(kLevel)) << int(kind);
    }
    t.expression.conditions.clear();
    struct Case {
        uint16_t code;
        uint32_t a, b;
        bool uses;
    };
    const Case cases[] = {{770, 0, kLevel, true},  {1283, 0, kLevel, true},  {1285, 0, kLevel, true},
                          {770, kLevel, 0, false}, {1026, kLevel, 0, true},  {1281, kLevel, 0, true},
                          {1284, kLevel, 0, true}, {1026, 0, kLevel, false}, {1282, kLevel, 0, true},
                          {513, kLevel, kLevel, false}};
    for (const Case& c : cases) {
        Action a;
        a.code = c.code;
        a.a = c.a;
        a.b = c.b;
        EXPECT_EQ(a.uses_level(kLevel), c.uses) << c.code;
    }
    Action nested;
    nested.code = 769;
    nested.expression.conditions = {condition(6, kLevel)};
    EXPECT_TRUE(nested.uses_level(kLevel));
    nested.code = 1282;
    EXPECT_TRUE(nested.uses_level(kLevel));
    EXPECT_FALSE(nested.uses_level(kFarLevel));
}

TEST(TriggerFiring, OrderRepeatAndSnapshotOfTheState) {
    Built b;
    std::vector<uint32_t> queued;
    const ActionQueueSink queue = [&](const std::shared_ptr<Action>& a) { queued.push_back(a->a); };
    auto on_tile = condition(6, kLevel, tile(2, 2));
    b.add_trigger(1, {on_tile});
    b.add_trigger(2, {on_tile, condition(0x83, kFlagA)}, 0x302);  // holds while flag A is clear
    b.add_trigger(3, {on_tile}, 0x201, true);
    b.add_trigger(4, {condition(6, kFarLevel, tile(2, 2))});      // another level
    b.level->collect_triggers(b.world.triggers);
    EXPECT_EQ(b.level->trigger_indexes, (std::vector<int>{0, 1, 2}));

    b.world.trigger_event = {0, 2, 2, kLevel};
    // Trigger 1's action would set flag A, but it only queues: 2 still fires.
    EXPECT_TRUE(b.world.fire_level_triggers(queue));
    EXPECT_EQ(queued, (std::vector<uint32_t>{1, 2, 3}));
    queued.clear();
    EXPECT_TRUE(b.world.fire_level_triggers(queue));
    EXPECT_EQ(queued, (std::vector<uint32_t>{3}));
    b.world.trigger_event = {0, 2, 3, kLevel};
    queued.clear();
    EXPECT_FALSE(b.world.fire_level_triggers(queue));
    EXPECT_TRUE(queued.empty());
}

TEST(TriggerFiring, EmptyExpressionFiresOnce) {
    Built b;
    b.add_trigger(9, {}, 1026).get()->actions.entries()[0].action->a = kLevel;
    b.level->collect_triggers(b.world.triggers);
    int fired = 0;
    const ActionQueueSink count = [&](const std::shared_ptr<Action>&) { ++fired; };
    EXPECT_TRUE(b.world.fire_level_triggers(count));
    EXPECT_FALSE(b.world.fire_level_triggers(count));
    EXPECT_EQ(fired, 1);
}

TEST(TriggerFiring, FiredStateSurvivesRereadingTheTriggerFile) {
    Built b;
    b.add_trigger(400, {})->fired = 1;
    b.add_trigger(401, {});
    b.world.record_fired_triggers();
    b.world.record_fired_triggers();
    EXPECT_EQ(b.world.fired_trigger_ids, (std::vector<uint32_t>{400}));
    b.world.clear_triggers();
    b.add_trigger(400, {});
    b.add_trigger(401, {});
    b.world.restore_fired_triggers();
    EXPECT_EQ(b.world.triggers[0]->fired, 1);
    EXPECT_EQ(b.world.triggers[1]->fired, 0);
    EXPECT_EQ(b.world.find_flag_index(kFlagB), 1);
    EXPECT_EQ(b.world.find_flag_index(0x9999), -1);
}

TEST(TriggerFormat, TriggerFileIsPinnedByteForByte) {
    Trigger t;
    t.id = 400;
    t.expression.conditions = {condition(6, 3, tile(4, 7))};
    auto action = std::make_shared<Action>();
    action->code = 1026;
    action->a = 4;
    action->b = tile(2, 2);
    t.actions.insert(action, 0);
    Archive ar;
    ar.open_write_memory();
    ar.write_u32("COUNT", 1);
    t.write(ar);
    const std::vector<uint8_t> expected = {
        0x23, 0x01, 0x00, 0x00, 0x00, 0x01, 0x90, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
        0x01, 0x00, 0x01, 0x06, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x07, 0x00, 0x01, 0x00, 0x00,
        0x00, 0x01, 0x02, 0x04, 0x04, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(ar.written(), expected);

    // And the world reads it back as a level's trigger that moves the hero.
    World world;
    world.file_reader = [&](const std::string&) { return std::optional<std::vector<uint8_t>>(expected); };
    ASSERT_TRUE(world.load_trigger_file(3));
    ASSERT_EQ(world.triggers.size(), 1u);
    EXPECT_TRUE(world.triggers[0]->uses_level(3));
    EXPECT_TRUE(world.triggers[0]->uses_level(4));
    EXPECT_FALSE(world.triggers[0]->repeatable);
}

}  // namespace

namespace {

// The demo story's triggers reach their levels: the intro on the start level
// (through its placements), and a door on each side of the inn.
TEST(DemoTriggers, IntroAndDoorsAreCollectedAndFire) {
    World world;
    ASSERT_TRUE(world.load_story(std::string(NIMBREL_DEMO_DATA_DIR) + "/Story")) << world.last_error();
    auto enter = [&](uint32_t level_id) {
        world.record_fired_triggers();
        world.clear_triggers();
        EXPECT_TRUE(world.load_trigger_file(level_id));
        world.restore_fired_triggers();
        world.set_current_level(level_id);
        world.current_level()->collect_triggers(world.triggers);
    };
    std::vector<uint16_t> codes;
    const ActionQueueSink queue = [&](const std::shared_ptr<Action>& a) { codes.push_back(a->code); };
    enter(0x1101);
    world.trigger_event = {0, 4, 6, 0x1101};
    ASSERT_TRUE(world.fire_level_triggers(queue));
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), 0x20F);  // leave the HUD mode before anything else
    codes.clear();
    world.trigger_event = {0, 7, 3, 0x1101};
    ASSERT_TRUE(world.fire_level_triggers(queue));
    EXPECT_EQ(codes, (std::vector<uint16_t>{0x402}));  // the intro does not come again
    enter(0x1103);
    codes.clear();
    world.trigger_event = {0, 3, 5, 0x1103};
    ASSERT_TRUE(world.fire_level_triggers(queue));
    EXPECT_EQ(codes, (std::vector<uint16_t>{0x402}));
    enter(0x1101);
    codes.clear();
    world.trigger_event = {0, 7, 3, 0x1101};
    ASSERT_TRUE(world.fire_level_triggers(queue));
    EXPECT_EQ(codes, (std::vector<uint16_t>{0x402}));
}

}  // namespace
